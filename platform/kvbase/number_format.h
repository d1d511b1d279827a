#pragma once
// Number and value texts of the host, the same whatever the process locale.
//
// Patterns: "" (shortest text that reads back), "0", "0.0", "0.00", ... up to
// 15 decimals; any other pattern raises. Rounding and the spellings of NaN and
// the infinities are those of decimal_text.h.
//
// Data types and their texts:
//   1 boolean  "True" / "False"; read back also ignoring case, and -1, 0, 1
//   2 number   by the pattern; read back strictly (whatever the pattern)
//   4 text     the value's own text; the pattern is not applied
//   5 date     "YYYY-MM-DDTHH:MM:SS" (iso_date.h); read back also "YYYY-MM-DD"
// Any other data type raises host::Error (kErrNumberText), as does an option
// other than 0 (no option is defined). Texts that do not read as the data type
// raise host::Error (kErrConversion).
#include <cstdint>
#include <string>

#include "host/services.h"

namespace kvbase {

class Numbers : public host::NumberFormat {
  public:
    std::string IntToText(std::int32_t v, const std::string& pattern) const override;
    std::string DoubleToText(double v, const std::string& pattern,
                             std::int32_t option) const override;
    std::string ValueToText(const host::Variant& v, std::int32_t dataType,
                            const std::string& pattern, std::int32_t option) const override;
    host::Variant TextToValue(const std::string& text, std::int32_t dataType,
                              const std::string& pattern, std::int32_t option) const override;
    // The descriptor's data type and pattern; the flag changes nothing.
    std::string FormatByDef(const host::Variant& v, const host::FormatDescriptor& fmt,
                            bool flag) const override;
    double TextToDouble(const std::string& text, std::int32_t option) const override;
    // false, 0.0, "" and Date{0} (1899-12-30T00:00:00).
    host::Variant DefaultValue(std::int32_t valueType) const override;

    // True for the patterns listed above.
    static bool IsSupportedPattern(const std::string& pattern);
    // True for the data types 1, 2, 4 and 5.
    static bool IsKnownDataType(std::int32_t dataType);
};

}  // namespace kvbase
