#pragma once
// Result records and the host's acquisition data document.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "host/param_set.h"

namespace host {

class ORVE_API ResultRecord {
  public:
    virtual ~ResultRecord() = default;
    // Sizes the record to n values, all 0.
    virtual void Init(std::int32_t n) = 0;
    virtual std::int32_t Count() const = 0;
    // Index from 1; raises host::Error outside 1..Count.
    virtual void SetValue(std::int32_t i, double v) = 0;
    virtual double Value(std::int32_t i) const = 0;
};

// One stored result; the record is the data's own copy.
struct StoredResult {
    std::int32_t item = 0;
    std::int32_t position = 0;
    ResultType type = 0;
    std::shared_ptr<ResultRecord> record;
    std::int32_t extra = 0;
};

// Items fall into two groups: result type 1, and every other result type.
enum class ItemGroup { Type1, Other };

class ORVE_API AcqData {
  public:
    virtual ~AcqData() = default;
    virtual std::string Text() const = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void SetInstrumentInfo(std::int32_t index, const ParamSet& info) = 0;
    virtual std::shared_ptr<ParamSet> InstrumentInfo(std::int32_t index) const = 0;

    // Keeps a copy of the record's values as they are at the call.
    virtual void AddResult(std::int32_t item, std::int32_t position, ResultType type,
                           const ResultRecord& record, std::int32_t extra) = 0;
    virtual std::int32_t ResultCount() const = 0;
    virtual StoredResult Result(std::int32_t k) const = 0;

    // Registers item number `number` in a group with its ID (the host does this
    // before it measures a sample).
    virtual void AddItem(ItemGroup group, std::int32_t number, const std::string& id) = 0;
    virtual std::int32_t ItemCount(ItemGroup group) const = 0;
    // Raises when the item does not exist.
    virtual std::string ItemId(ItemGroup group, std::int32_t number) const = 0;
    virtual void SetItemFlag(ItemGroup group, std::int32_t number, bool flag) = 0;
    virtual bool ItemFlag(ItemGroup group, std::int32_t number) const = 0;

    // Free-form run record (start and end time, method, outcome, ...).
    virtual void SetRunInfo(const std::string& key, const std::string& value) = 0;
    virtual std::map<std::string, std::string> RunInfo() const = 0;
};

}  // namespace host
