#include "platform/kvbase/number_format.h"

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/decimal_text.h"
#include "platform/kvbase/error_numbers.h"
#include "platform/kvbase/iso_date.h"

namespace kvbase {
namespace {

void CheckOption(std::int32_t option) {
    if (option != 0) {
        throw host::Error(kErrNumberText, fmt::format("unknown number format option {}", option));
    }
}

[[noreturn]] void UnknownType(std::int32_t dataType) {
    throw host::Error(
        kErrNumberText,
        fmt::format("unknown data type {}: use 1 (boolean), 2 (number), 4 (text) or 5 (date)",
                    dataType));
}

std::string WithPattern(double v, const std::string& pattern) {
    int decimals = PatternDecimals(pattern);
    return decimals < 0 ? FormatShortest(v) : FormatFixed(v, decimals);
}

bool ParseBool(const std::string& text) {
    if (host::IEquals(text, "True") || text == "-1" || text == "1") return true;
    if (host::IEquals(text, "False") || text == "0") return false;
    throw host::Error(host::kErrConversion,
                      fmt::format("'{}' is not a boolean: use True or False", text));
}

}  // namespace

bool Numbers::IsSupportedPattern(const std::string& pattern) {
    try {
        PatternDecimals(pattern);
        return true;
    } catch (const host::Error&) {
        return false;
    }
}

bool Numbers::IsKnownDataType(std::int32_t dataType) {
    return dataType == host::kTypeBoolean || dataType == host::kTypeNumber ||
           dataType == host::kTypeText || dataType == host::kTypeDate;
}

std::string Numbers::IntToText(std::int32_t v, const std::string& pattern) const {
    int decimals = PatternDecimals(pattern);
    std::string text = std::to_string(v);
    if (decimals > 0) text += "." + std::string(static_cast<std::size_t>(decimals), '0');
    return text;
}

std::string Numbers::DoubleToText(double v, const std::string& pattern, std::int32_t option) const {
    CheckOption(option);
    return WithPattern(v, pattern);
}

std::string Numbers::ValueToText(const host::Variant& v, std::int32_t dataType,
                                 const std::string& pattern, std::int32_t option) const {
    CheckOption(option);
    PatternDecimals(pattern);  // a wrong pattern is refused for every type
    switch (dataType) {
        case host::kTypeBoolean:
            return v.ToBool() ? "True" : "False";
        case host::kTypeNumber: {
            // Number texts are read as strictly here as everywhere else.
            bool isText = v.GetKind() == host::Variant::Kind::Text;
            return WithPattern(isText ? ParseNumberStrict(v.ToString()) : v.ToDouble(), pattern);
        }
        case host::kTypeText:
            return v.ToString();
        case host::kTypeDate:
            // A date held as text is read as a date text, not as a day count.
            if (v.GetKind() == host::Variant::Kind::Text) return DateToIso(IsoToDate(v.ToString()));
            return DateToIso(v.ToDate());
        default:
            UnknownType(dataType);
    }
}

host::Variant Numbers::TextToValue(const std::string& text, std::int32_t dataType,
                                   const std::string& pattern, std::int32_t option) const {
    CheckOption(option);
    PatternDecimals(pattern);
    switch (dataType) {
        case host::kTypeBoolean:
            return host::Variant(ParseBool(text));
        case host::kTypeNumber:
            return host::Variant(ParseNumberStrict(text));
        case host::kTypeText:
            return host::Variant(text);
        case host::kTypeDate:
            return host::Variant(IsoToDate(text));
        default:
            UnknownType(dataType);
    }
}

std::string Numbers::FormatByDef(const host::Variant& v, const host::FormatDescriptor& fmt,
                                 bool /*flag*/) const {
    return ValueToText(v, fmt.dataType, fmt.pattern, 0);
}

double Numbers::TextToDouble(const std::string& text, std::int32_t option) const {
    CheckOption(option);
    return ParseNumberStrict(text);
}

host::Variant Numbers::DefaultValue(std::int32_t valueType) const {
    switch (valueType) {
        case host::kTypeBoolean:
            return host::Variant(false);
        case host::kTypeNumber:
            return host::Variant(0.0);
        case host::kTypeText:
            return host::Variant(std::string());
        case host::kTypeDate:
            return host::Variant(host::Date{0.0});
        default:
            UnknownType(valueType);
    }
}

}  // namespace kvbase
