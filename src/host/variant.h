#pragma once
// The variant value of parameters, entries and grid cells.
//
// Conversions are strict: a text that is empty or not a whole number raises,
// while the empty variant converts to 0, "" and false as an unset value should.
#include <cstdint>
#include <string>
#include <variant>

#include "host/types.h"

namespace host {

// A date/time as days since 1899-12-30 (fractional part = time of day).
struct Date {
    double days = 0.0;
    bool operator==(const Date&) const = default;
};

class ORVE_API Variant {
  public:
    enum class Kind { Empty, Bool, Int16, Int32, Double, Date, Text };

    Variant() = default;
    Variant(bool v) : v_(v) {}
    Variant(std::int16_t v) : v_(v) {}
    Variant(std::int32_t v) : v_(v) {}
    Variant(double v) : v_(v) {}
    Variant(Date v) : v_(v) {}
    Variant(std::string v) : v_(std::move(v)) {}
    Variant(const char* v) : v_(std::string(v)) {}

    Kind GetKind() const { return static_cast<Kind>(v_.index()); }
    bool IsEmpty() const { return v_.index() == 0; }
    bool IsNumeric() const;  // Int16, Int32 or Double

    // Each raises host::Error (kErrConversion) when the value does not convert.
    double ToDouble() const;
    std::int32_t ToInt32() const;  // rounds half to even, like the host's integer conversion
    bool ToBool() const;           // "True"/"False" any case, -1/0, any non-zero number
    std::string ToString() const;  // numbers in the shortest text that reads back
    Date ToDate() const;

    bool operator==(const Variant&) const = default;

  private:
    std::variant<std::monostate, bool, std::int16_t, std::int32_t, double, Date, std::string> v_;
};

// Error number raised by failed Variant conversions.
inline constexpr Status kErrConversion = 0x7FFF0002;

}  // namespace host
