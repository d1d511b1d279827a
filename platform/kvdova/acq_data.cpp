#include "platform/kvdova/acq_data.h"

#include <fmt/format.h>

#include "platform/kvdova/doc_error.h"
#include "platform/kvdova/result_record.h"

namespace kvdova {
namespace {

const char* GroupName(host::ItemGroup group) {
    return group == host::ItemGroup::Type1 ? "type-1 item" : "other item";
}

}  // namespace

void AcqData::SetInstrumentInfo(std::int32_t index, const host::ParamSet& info) {
    if (index < 1) Fail(fmt::format("instrument index {} is not 1 or more", index));
    instruments_[index] = info.Copy();
}

std::shared_ptr<host::ParamSet> AcqData::InstrumentInfo(std::int32_t index) const {
    auto it = instruments_.find(index);
    if (it == instruments_.end()) {
        Fail(fmt::format("no instrument information was set for instrument {}", index));
    }
    return it->second;
}

std::vector<std::int32_t> AcqData::InstrumentIndexes() const {
    std::vector<std::int32_t> indexes;
    for (const auto& [index, info] : instruments_) indexes.push_back(index);
    return indexes;
}

void AcqData::AddResult(std::int32_t item, std::int32_t position, host::ResultType type,
                        const host::ResultRecord& record, std::int32_t extra) {
    if (position < 1) Fail(fmt::format("result position {} is not 1 or more", position));
    CheckCount("result", ResultCount() + 1);
    Stored stored{item, position, type, {}, extra};
    const std::int32_t n = record.Count();
    stored.values.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 1; i <= n; ++i) stored.values.push_back(record.Value(i));
    results_.push_back(std::move(stored));
}

std::int32_t AcqData::ResultCount() const {
    return static_cast<std::int32_t>(results_.size());
}

host::StoredResult AcqData::Result(std::int32_t k) const {
    CheckIndex("result", k, results_.size());
    const Stored& s = results_[At(k)];
    auto record = std::make_shared<ResultRecord>();
    record->Init(static_cast<std::int32_t>(s.values.size()));
    for (std::size_t i = 0; i < s.values.size(); ++i) {
        record->SetValue(static_cast<std::int32_t>(i + 1), s.values[i]);
    }
    return {s.item, s.position, s.type, std::move(record), s.extra};
}

std::vector<AcqData::Item>& AcqData::Group(host::ItemGroup group) {
    return group == host::ItemGroup::Type1 ? type1_ : other_;
}

const std::vector<AcqData::Item>& AcqData::Group(host::ItemGroup group) const {
    return group == host::ItemGroup::Type1 ? type1_ : other_;
}

const AcqData::Item& AcqData::ItemAt(host::ItemGroup group, std::int32_t number) const {
    const auto& items = Group(group);
    CheckIndex(GroupName(group), number, items.size());
    return items[At(number)];
}

void AcqData::AddItem(host::ItemGroup group, std::int32_t number, const std::string& id) {
    auto& items = Group(group);
    const auto next = static_cast<std::int32_t>(items.size()) + 1;
    if (number < 1 || number > next) {
        Fail(fmt::format("{} {} cannot be added: items are numbered without gaps, the next is {}",
                         GroupName(group), number, next));
    }
    if (number == next) {
        CheckCount(GroupName(group), next);
        items.push_back({id, false});
    } else {
        items[At(number)].id = id;
    }
}

std::int32_t AcqData::ItemCount(host::ItemGroup group) const {
    return static_cast<std::int32_t>(Group(group).size());
}

std::string AcqData::ItemId(host::ItemGroup group, std::int32_t number) const {
    return ItemAt(group, number).id;
}

void AcqData::SetItemFlag(host::ItemGroup group, std::int32_t number, bool flag) {
    ItemAt(group, number);
    Group(group)[At(number)].flag = flag;
}

bool AcqData::ItemFlag(host::ItemGroup group, std::int32_t number) const {
    return ItemAt(group, number).flag;
}

void AcqData::SetRunInfo(const std::string& key, const std::string& value) {
    if (key.empty()) Fail("run information needs a key");
    for (auto& [k, v] : runInfo_) {
        if (host::IEquals(k, key)) {
            v = value;
            return;
        }
    }
    runInfo_.emplace(key, value);
}

}  // namespace kvdova
