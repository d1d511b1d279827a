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
    doc["runInfo"] = RunInfoToJson(data.RunInfo());
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

    RunInfoFromJson(root.Member("runInfo"), *d);
    return d;
}

}  // namespace

namespace {

bool IsStructured(const std::string& key) {
    static const char* const kKeys[] = {"method",          "sampleIds",        "instrumentSeconds",
                                        "failedCommands",  "overflowReadings", "overflowCount",
                                        "samplesMeasured", "cyclesAsked",      "cyclesDone",
                                        "intervalAsked",   "intervalAchieved"};
    for (const char* k : kKeys)
        if (host::IEquals(key, k)) return true;
    return false;
}

}  // namespace

json RunInfoToJson(const std::map<std::string, std::string>& info) {
    json out = json::object();
    for (const auto& [key, value] : info) {
        if (IsStructured(key)) {
            // Text that is no JSON stays text rather than being lost.
            json parsed = json::parse(value, nullptr, false);
            if (!parsed.is_discarded()) {
                out[key] = std::move(parsed);
                continue;
            }
        }
        out[key] = value;
    }
    return out;
}

void RunInfoFromJson(const JsonField& f, host::AcqData& data) {
    if (!f.Json().is_object()) f.Fail("expected an object");
    for (const auto& [key, value] : f.Json().items()) {
        const JsonField entry = f.Member(key);
        for (const auto& [held, v] : data.RunInfo()) {
            if (host::IEquals(held, key)) entry.Fail(fmt::format("repeats the key '{}'", held));
        }
        std::string text;
        if (!value.is_string()) {
            // Only the structured keys hold other JSON; anything else is text.
            text = IsStructured(key) ? value.dump() : entry.Text();
        } else if (host::IEquals(key, "sampleIds")) {
            // An older file: the IDs joined with ";".
            json ids = json::array();
            const std::string joined = value.get<std::string>();
            std::size_t from = 0;
            while (!joined.empty()) {
                const auto semi = joined.find(';', from);
                ids.push_back(joined.substr(from, semi - from));
                if (semi == std::string::npos) break;
                from = semi + 1;
            }
            text = ids.dump();
        } else {
            text = value.get<std::string>();
        }
        entry.Guard([&, &k = key] { data.SetRunInfo(k, text); });
    }
}

std::vector<std::string> RunSampleIds(const std::map<std::string, std::string>& info) {
    std::vector<std::string> ids;
    for (const auto& [key, value] : info) {
        if (!host::IEquals(key, "sampleIds")) continue;
        json parsed = json::parse(value, nullptr, false);
        if (parsed.is_array()) {
            for (const auto& id : parsed)
                if (id.is_string()) ids.push_back(id.get<std::string>());
        }
    }
    return ids;
}

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
