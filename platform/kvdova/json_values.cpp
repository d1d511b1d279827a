#include "platform/kvdova/json_values.h"

#include <cmath>
#include <limits>

#include <fmt/format.h>

namespace kvdova {
namespace {

using nlohmann::json;

constexpr std::int32_t kFormatVersion = 1;

}  // namespace

json DoubleToJson(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
    return v;
}

double DoubleFromJson(const JsonField& f) {
    if (f.Json().is_string()) {
        const auto& s = f.Json().get_ref<const std::string&>();
        if (s == "NaN") return std::numeric_limits<double>::quiet_NaN();
        if (s == "Infinity") return std::numeric_limits<double>::infinity();
        if (s == "-Infinity") return -std::numeric_limits<double>::infinity();
        f.Fail("expected a number, \"NaN\", \"Infinity\" or \"-Infinity\"");
    }
    return f.Number();
}

json VariantToJson(const host::Variant& v) {
    using K = host::Variant::Kind;
    switch (v.GetKind()) {
        case K::Empty:
            return {{"type", "empty"}};
        case K::Bool:
            return {{"type", "bool"}, {"value", v.ToBool()}};
        case K::Int16:
            return {{"type", "int16"}, {"value", v.ToInt32()}};
        case K::Int32:
            return {{"type", "int32"}, {"value", v.ToInt32()}};
        case K::Double:
            return {{"type", "double"}, {"value", DoubleToJson(v.ToDouble())}};
        case K::Date:
            return {{"type", "date"}, {"value", DoubleToJson(v.ToDate().days)}};
        case K::Text:
            return {{"type", "text"}, {"value", v.ToString()}};
    }
    return {{"type", "empty"}};
}

host::Variant VariantFromJson(const JsonField& f) {
    const std::string type = f.Member("type").Text();
    if (type == "empty") {
        f.ExpectObject({"type"});
        return {};
    }
    f.ExpectObject({"type", "value"});
    const JsonField value = f.Member("value");
    if (type == "bool") return host::Variant(value.Bool());
    if (type == "int16") return host::Variant(value.Int16());
    if (type == "int32") return host::Variant(value.Int32());
    if (type == "double") return host::Variant(DoubleFromJson(value));
    if (type == "date") return host::Variant(host::Date{DoubleFromJson(value)});
    if (type == "text") return host::Variant(value.Text());
    f.Member("type").Fail(fmt::format("unknown value type '{}'", type));
}

json ParamDefToJson(const host::ParamDef& d) {
    return {{"id", d.id},           {"dataType", d.dataType}, {"name", d.name},
            {"caption", d.caption}, {"unit", d.unit},         {"ctrlType", d.ctrlType},
            {"format", d.format},   {"text1", d.text1},       {"text2", d.text2},
            {"locked", d.locked},   {"flag1", d.flag1},       {"flag2", d.flag2},
            {"range", d.range},     {"flag", d.flag}};
}

host::ParamDef ParamDefFromJson(const JsonField& f) {
    f.ExpectObject({"id", "dataType", "name", "caption", "unit", "ctrlType", "format", "text1",
                    "text2", "locked", "flag1", "flag2", "range", "flag"});
    host::ParamDef d;
    d.id = f.Member("id").Text();
    d.dataType = f.Member("dataType").Int32();
    d.name = f.Member("name").Text();
    d.caption = f.Member("caption").Text();
    d.unit = f.Member("unit").Text();
    d.ctrlType = f.Member("ctrlType").Int32();
    d.format = f.Member("format").Text();
    d.text1 = f.Member("text1").Text();
    d.text2 = f.Member("text2").Text();
    d.locked = f.Member("locked").Bool();
    d.flag1 = f.Member("flag1").Bool();
    d.flag2 = f.Member("flag2").Bool();
    d.range = f.Member("range").Text();
    d.flag = f.Member("flag").Bool();
    return d;
}

json ParamSetToJson(const host::ParamSet& set) {
    json entries = json::array();
    for (std::int32_t i = 1; i <= set.Count(); ++i) {
        entries.push_back(
            {{"def", ParamDefToJson(*set.Def(i))}, {"value", VariantToJson(set.Value(i))}});
    }
    return entries;
}

void ReadParamEntries(const JsonField& f, host::ParamSet& set) {
    const std::size_t n = f.ArraySize();
    for (std::size_t i = 0; i < n; ++i) {
        const JsonField entry = f.Element(i);
        entry.ExpectObject({"def", "value"});
        set.Add(ParamDefFromJson(entry.Member("def")), VariantFromJson(entry.Member("value")));
    }
}

std::shared_ptr<ParamSet> ParamSetFromJson(const JsonField& f) {
    auto set = std::make_shared<ParamSet>();
    ReadParamEntries(f, *set);
    return set;
}

json ResultDefToJson(const host::ResultDef& d) {
    return {{"id", d.id},     {"valueType", d.valueType}, {"caption", d.caption},
            {"unit", d.unit}, {"format", d.format},       {"flag", d.flag},
            {"text", d.text}};
}

host::ResultDef ResultDefFromJson(const JsonField& f) {
    f.ExpectObject({"id", "valueType", "caption", "unit", "format", "flag", "text"});
    host::ResultDef d;
    d.id = f.Member("id").Text();
    d.valueType = f.Member("valueType").Int32();
    d.caption = f.Member("caption").Text();
    d.unit = f.Member("unit").Text();
    d.format = f.Member("format").Text();
    d.flag = f.Member("flag").Int32();
    d.text = f.Member("text").Text();
    return d;
}

json ResultViewToJson(const host::ResultView& v) {
    json columns = json::array();
    for (const auto& c : v.layout.columns) columns.push_back(ParamDefToJson(c));
    const auto& s = v.selection;
    return {
        {"caption", v.caption},
        {"selection", {{"name", s.name}, {"source", s.source}, {"kind", s.kind}, {"ids", s.ids}}},
        {"layout", {{"columns", columns}}},
        {"text", v.text}};
}

host::ResultView ResultViewFromJson(const JsonField& f) {
    f.ExpectObject({"caption", "selection", "layout", "text"});
    host::ResultView v;
    v.caption = f.Member("caption").Text();
    const JsonField s = f.Member("selection");
    s.ExpectObject({"name", "source", "kind", "ids"});
    v.selection = {s.Member("name").Text(), s.Member("source").Text(), s.Member("kind").Text(),
                   s.Member("ids").Text()};
    const JsonField layout = f.Member("layout");
    layout.ExpectObject({"columns"});
    const JsonField columns = layout.Member("columns");
    for (std::size_t i = 0, n = columns.ArraySize(); i < n; ++i) {
        v.layout.columns.push_back(ParamDefFromJson(columns.Element(i)));
    }
    v.text = f.Member("text").Text();
    return v;
}

void WriteHeader(json& doc, const char* format) {
    doc["format"] = format;
    doc["formatVersion"] = kFormatVersion;
}

void CheckHeader(const JsonField& root, const char* format) {
    if (!root.Json().is_object()) root.Fail("expected an object");
    const std::string found = root.Member("format").Text();
    if (found != format) {
        root.Member("format").Fail(fmt::format("expected \"{}\", found \"{}\"", format, found));
    }
    const std::int32_t version = root.Member("formatVersion").Int32();
    if (version != kFormatVersion) {
        root.Member("formatVersion")
            .Fail(fmt::format("version {} is not supported (this program reads version {})",
                              version, kFormatVersion));
    }
}

}  // namespace kvdova
