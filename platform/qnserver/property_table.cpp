#include "platform/qnserver/property_table.h"

#include <fmt/format.h>
#include <charconv>
#include <cmath>

#include "host/error.h"
#include "platform/kvbase/range_syntax.h"
#include "platform/qnserver/error_table.h"

namespace qnserver {
namespace {

constexpr host::Status kErrProperty = 0x7FFF0B02;

host::ParamDef Def(const char* id, std::int32_t type, const char* caption, const char* unit,
                   const char* format, const char* range, const char* def) {
    host::ParamDef d;
    d.id = id;
    d.dataType = type;
    d.name = id;  // the host localises the name with it as the text key
    d.caption = caption;
    d.unit = unit;
    d.ctrlType = range[0] == '{' ? host::kCtrlList : host::kCtrlEdit;
    d.format = format;
    d.range = range;
    d.text1 = def;
    return d;
}

std::vector<Property> MakeProperties() {
    using host::kTypeNumber;
    using host::kTypeText;
    std::vector<Property> s = {
        {Def("ExWl", kTypeNumber, "Excitation wavelength", "nm", "0.0", "200..900", "400"), true},
        {Def("EmWl", kTypeNumber, "Emission wavelength", "nm", "0.0", "250..900", "500"), true},
        {Def("ExSlit", kTypeNumber, "Excitation slit", "nm", "0.0", "1..20", "10"), true},
        {Def("EmSlit", kTypeNumber, "Emission slit", "nm", "0.0", "1..20", "10"), true},
        {Def("IntTime", kTypeNumber, "Integration time", "s", "0.000", "0.001..10", "1"), true},
        {Def("Voltage", kTypeNumber, "Detector voltage", "V", "0", "250..1000", "775"), true},
        {Def("Lamp", kTypeText, "Lamp", "", "", "{On;Off}", "On"), true},
        {Def("EmMirror", kTypeText, "Emission mirror", "", "", "{In;Out}", "In"), true},
        {Def("LumMode", kTypeText, "Luminescence mode", "", "", "{Fluor;Phos;Lum}", "Fluor"), true},
        {Def("SimFactor", kTypeNumber, "Simulation factor", "", "", "0..1000", "1"), false},
        {Def("SubDC", kTypeText, "Dark current subtraction", "", "", "{On;Off}", "Off"), false},
        {Def("Scan.Type", kTypeNumber, "Scan type", "", "0", "1..4", "1"), false},
        {Def("Scan.Start", kTypeNumber, "Scan start", "nm", "0.0", "200..900", "400"), false},
        {Def("Scan.End", kTypeNumber, "Scan end", "nm", "0.0", "200..900", "600"), false},
        {Def("Scan.Interval", kTypeNumber, "Scan interval", "nm", "0.0", "0.1..100", "1"), false},
        {Def("Scan.Speed", kTypeNumber, "Scan speed", "nm/min", "0", "1..30000", "1200"), false},
        {Def("TD.Type", kTypeText, "Time drive type", "", "", "{FixWave;ShortPhos}", "FixWave"),
         false},
        {Def("TD.Start", kTypeNumber, "Time drive start", "s", "0.0", "0..", "0"), false},
        {Def("TD.End", kTypeNumber, "Time drive end", "s", "0.0", "0..", "60"), false},
        {Def("TD.Interval", kTypeNumber, "Time drive interval", "s", "0.00", "0.01..3600", "1"),
         false},
        {Def("TD.Resp", kTypeNumber, "Time drive response", "s", "0.0", "0..100", "1"), false},
    };
    return s;
}

}  // namespace

std::string FormatNumber(double v, const std::string& pattern) {
    if (pattern.empty()) return fmt::format("{}", v);
    auto dot = pattern.find('.');
    int decimals = dot == std::string::npos ? 0 : static_cast<int>(pattern.size() - dot - 1);
    return fmt::format("{:.{}f}", v, decimals);
}

bool ParseNumber(const std::string& text, double& v) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    // One sign only: from_chars alone would read "+-1" as -1.
    if (first == last || (first != text.data() && *first == '-')) return false;
    auto [ptr, ec] = std::from_chars(first, last, v);
    return ec == std::errc() && ptr == last && std::isfinite(v);
}

const std::vector<Property>& PropertyTable::All() {
    static const std::vector<Property> all = MakeProperties();
    return all;
}

std::vector<host::ParamDef> PropertyTable::SetupDescription() {
    std::vector<host::ParamDef> defs;
    for (const auto& s : All())
        if (s.inSetupDesc) defs.push_back(s.def);
    return defs;
}

const Property* PropertyTable::Find(const std::string& key) {
    for (const auto& s : All())
        if (host::IEquals(s.def.id, key)) return &s;
    return nullptr;
}

std::string PropertyTable::Validate(const Property& property, const std::string& value,
                                    std::string& canonical) {
    const auto& def = property.def;
    if (value.empty()) return ErrorReply(key::kMissingArg, fmt::format("{} needs a value", def.id));
    kvbase::Range range = kvbase::ParseRange(def.range);
    if (range.kind == kvbase::Range::Kind::List) {
        for (const auto& item : range.items) {
            if (host::IEquals(item, value)) {
                canonical = item;
                return "";
            }
        }
        return ErrorReply(key::kOutOfRange,
                          fmt::format("{}={} is not one of {}", def.id, value, def.range));
    }
    double v = 0.0;
    if (!ParseNumber(value, v)) {
        return ErrorReply(key::kBadNumber, fmt::format("{}={}", def.id, value));
    }
    // Excitation at 0 nm is the grating's zero order: white light on the
    // sample, which a person uses to see where the reader stands.
    const bool zeroOrder = host::IEquals(def.id, "ExWl") && v == 0.0;
    if (!zeroOrder && !kvbase::InRange(range, host::Variant(v))) {
        return ErrorReply(key::kOutOfRange,
                          fmt::format("{}={} is outside {}", def.id, value, def.range));
    }
    canonical = FormatNumber(v, def.format);
    return "";
}

PropertyTable::PropertyTable() {
    ResetDefaults();
}

void PropertyTable::ResetDefaults() {
    values_.clear();
    for (const auto& s : All()) {
        std::string canonical;
        std::string reply = Validate(s, s.def.text1, canonical);
        values_[s.def.id] = reply.empty() ? canonical : s.def.text1;
    }
}

const std::string& PropertyTable::Get(const std::string& key) const {
    const Property* property = Find(key);
    if (!property)
        throw host::Error(kErrProperty, fmt::format("'{}' is not an instrument property", key));
    return values_.at(property->def.id);
}

double PropertyTable::Number(const std::string& key) const {
    double v = 0.0;
    if (!ParseNumber(Get(key), v)) {
        throw host::Error(kErrProperty, fmt::format("property '{}' is not a number", key));
    }
    return v;
}

void PropertyTable::Set(const std::string& key, const std::string& canonical) {
    const Property* property = Find(key);
    if (!property)
        throw host::Error(kErrProperty, fmt::format("'{}' is not an instrument property", key));
    values_[property->def.id] = canonical;
}

}  // namespace qnserver
