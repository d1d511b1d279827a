#include "platform/kvdova/acq_data_file.h"

#include <algorithm>

#include <fmt/format.h>

#include "platform/kvbase/atomic_file.h"
#include "platform/kvdova/doc_error.h"
#include "platform/kvdova/json_values.h"
#include "platform/kvdova/result_record.h"

namespace kvdova {
namespace {

using nlohmann::json;

json ItemsToJson(const host::AcqData& d, host::ItemGroup group) {
    json items = json::array();
    for (std::int32_t i = 1; i <= d.ItemCount(group); ++i) {
        items.push_back({{"id", d.ItemId(group, i)}, {"flag", d.ItemFlag(group, i)}});
    }
    return items;
}

json AcqDocument(const host::AcqData& data, const std::string& source) {
    const auto* own = dynamic_cast<const AcqData*>(&data);
    if (!own) {
        throw host::Error(
            kErrDocument,
            fmt::format("{}: acquisition data of another kind cannot be saved", source));
    }
    json doc = json::object();
    WriteHeader(doc, kAcqDataFormat);
    doc["text"] = data.Text();
    doc["instruments"] = json::array();
    for (std::int32_t index : own->InstrumentIndexes()) {
        doc["instruments"].push_back(
            {{"index", index}, {"params", ParamSetToJson(*data.InstrumentInfo(index))}});
    }
    doc["results"] = json::array();
    for (std::int32_t k = 1; k <= data.ResultCount(); ++k) {
        const host::StoredResult r = data.Result(k);
        json values = json::array();
        for (std::int32_t i = 1; i <= r.record->Count(); ++i)
            values.push_back(DoubleToJson(r.record->Value(i)));
        doc["results"].push_back({{"item", r.item},
                                  {"position", r.position},
                                  {"type", r.type},
                                  {"values", std::move(values)},
                                  {"extra", r.extra}});
    }
    doc["items"] = {{"type1", ItemsToJson(data, host::ItemGroup::Type1)},
                    {"other", ItemsToJson(data, host::ItemGroup::Other)}};
    doc["runInfo"] = json::object();
    for (const auto& [key, value] : data.RunInfo()) doc["runInfo"][key] = value;
    return doc;
}

void ReadItems(const JsonField& f, AcqData& d, host::ItemGroup group) {
    for (std::size_t i = 0, n = f.ArraySize(); i < n; ++i) {
        const JsonField item = f.Element(i);
        item.ExpectObject({"id", "flag"});
        const auto number = static_cast<std::int32_t>(i + 1);
        d.AddItem(group, number, item.Member("id").Text());
        d.SetItemFlag(group, number, item.Member("flag").Bool());
    }
}

std::shared_ptr<AcqData> ReadAcqData(const json& doc, const std::string& source) {
    const JsonField root(doc, source);
    CheckHeader(root, kAcqDataFormat);
    root.ExpectObject(
        {"format", "formatVersion", "text", "instruments", "results", "items", "runInfo"});
    auto d = std::make_shared<AcqData>();
    d->SetText(root.Member("text").Text());

    const JsonField instruments = root.Member("instruments");
    for (std::size_t i = 0, n = instruments.ArraySize(); i < n; ++i) {
        const JsonField inst = instruments.Element(i);
        inst.ExpectObject({"index", "params"});
        const JsonField indexField = inst.Member("index");
        const std::int32_t index = indexField.Int32();
        const auto held = d->InstrumentIndexes();
        if (std::find(held.begin(), held.end(), index) != held.end()) {
            indexField.Fail(fmt::format("instrument {} appears twice", index));
        }
        const auto params = ParamSetFromJson(inst.Member("params"));
        indexField.Guard([&] { d->SetInstrumentInfo(index, *params); });
    }

    const JsonField results = root.Member("results");
    ResultRecord record;
    for (std::size_t k = 0, n = results.ArraySize(); k < n; ++k) {
        const JsonField r = results.Element(k);
        r.ExpectObject({"item", "position", "type", "values", "extra"});
        const JsonField values = r.Member("values");
        const std::size_t nValues = values.ArraySize();
        record.Init(static_cast<std::int32_t>(nValues));
        for (std::size_t i = 0; i < nValues; ++i) {
            record.SetValue(static_cast<std::int32_t>(i + 1), DoubleFromJson(values.Element(i)));
        }
        const std::int32_t position = r.Member("position").Int32();
        r.Member("position").Guard([&] {
            d->AddResult(r.Member("item").Int32(), position, r.Member("type").Int32(), record,
                         r.Member("extra").Int32());
        });
    }

    const JsonField items = root.Member("items");
    items.ExpectObject({"type1", "other"});
    ReadItems(items.Member("type1"), *d, host::ItemGroup::Type1);
    ReadItems(items.Member("other"), *d, host::ItemGroup::Other);

    const JsonField runInfo = root.Member("runInfo");
    if (!runInfo.Json().is_object()) runInfo.Fail("expected an object");
    for (const auto& [key, value] : runInfo.Json().items()) {
        const JsonField entry = runInfo.Member(key);
        for (const auto& [held, v] : d->RunInfo()) {
            if (host::IEquals(held, key)) entry.Fail(fmt::format("repeats the key '{}'", held));
        }
        entry.Guard([&, &k = key] { d->SetRunInfo(k, entry.Text()); });
    }
    return d;
}

}  // namespace

std::string AcqDataToJson(const host::AcqData& data, const std::string& source) {
    return DumpDocument(AcqDocument(data, source), source);
}

std::shared_ptr<AcqData> AcqDataFromJson(const std::string& text, const std::string& source) {
    return ReadAcqData(ParseDocument(text, source), source);
}

void SaveAcqData(const host::AcqData& data, const std::string& path) {
    kvbase::WriteFileAtomic(path, AcqDataToJson(data, path));
}

std::shared_ptr<AcqData> LoadAcqData(const std::string& path) {
    return AcqDataFromJson(kvbase::ReadFile(path), path);
}

}  // namespace kvdova
