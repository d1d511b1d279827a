#pragma once
// The host's acquisition data: identifying text, instrument information per
// instrument index, the stored results, the two item groups and a run record.
#include <map>
#include <memory>
#include <vector>

#include "host/acq_data.h"

namespace kvdova {

// Every operation raises host::Error on a bad index, an unknown item or a bad
// argument and changes nothing then (let pass).
class AcqData final : public host::AcqData {
  public:
    std::string Text() const override { return text_; }
    void SetText(const std::string& text) override { text_ = text; }
    // Keeps a copy of info; index from 1.
    void SetInstrumentInfo(std::int32_t index, const host::ParamSet& info) override;
    // The stored set itself; raises when none was set for index.
    std::shared_ptr<host::ParamSet> InstrumentInfo(std::int32_t index) const override;
    // The instrument indexes that hold information, ascending.
    std::vector<std::int32_t> InstrumentIndexes() const;

    // The position counts from 1; the item number may be 0 or less (such a
    // result belongs to no item).
    void AddResult(std::int32_t item, std::int32_t position, host::ResultType type,
                   const host::ResultRecord& record, std::int32_t extra) override;
    std::int32_t ResultCount() const override;
    // The record returned is a copy: changing it leaves the stored values alone.
    host::StoredResult Result(std::int32_t k) const override;

    // Items of a group are numbered 1 to its count without gaps (the result
    // table puts item s of a group in its row s): `number` is either the next
    // number, which adds an item, or an existing one, whose ID it replaces.
    void AddItem(host::ItemGroup group, std::int32_t number, const std::string& id) override;
    std::int32_t ItemCount(host::ItemGroup group) const override;
    std::string ItemId(host::ItemGroup group, std::int32_t number) const override;
    void SetItemFlag(host::ItemGroup group, std::int32_t number, bool flag) override;
    bool ItemFlag(host::ItemGroup group, std::int32_t number) const override;

    // Keys compare ignoring case; a key keeps the spelling it was first set with.
    void SetRunInfo(const std::string& key, const std::string& value) override;
    std::map<std::string, std::string> RunInfo() const override { return runInfo_; }

  private:
    struct Item {
        std::string id;
        bool flag = false;
    };
    struct Stored {
        std::int32_t item = 0;
        std::int32_t position = 0;
        host::ResultType type = 0;
        std::vector<double> values;
        std::int32_t extra = 0;
    };
    std::vector<Item>& Group(host::ItemGroup group);
    const std::vector<Item>& Group(host::ItemGroup group) const;
    const Item& ItemAt(host::ItemGroup group, std::int32_t number) const;

    std::string text_;
    std::map<std::int32_t, std::shared_ptr<host::ParamSet>> instruments_;
    std::vector<Stored> results_;
    std::vector<Item> type1_;
    std::vector<Item> other_;
    std::map<std::string, std::string> runInfo_;
};

}  // namespace kvdova
