#include "host/variant.h"

#include <fmt/format.h>
#include <charconv>
#include <cmath>

#include "host/error.h"

namespace host {
namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw Error(kErrConversion, what);
}

double ParseNumber(const std::string& s) {
    if (s.empty()) Fail("an empty text is not a number");
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (*first == '+') {
        ++first;
        // One sign only: from_chars alone would read "+-1" as -1.
        if (first != last && *first == '-') Fail(fmt::format("'{}' is not a number", s));
    }
    double v = 0.0;
    auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last) Fail(fmt::format("'{}' is not a number", s));
    return v;
}

}  // namespace

bool Variant::IsNumeric() const {
    auto k = GetKind();
    return k == Kind::Int16 || k == Kind::Int32 || k == Kind::Double;
}

double Variant::ToDouble() const {
    switch (GetKind()) {
        case Kind::Empty:
            return 0.0;
        case Kind::Bool:
            return std::get<bool>(v_) ? -1.0 : 0.0;
        case Kind::Int16:
            return std::get<std::int16_t>(v_);
        case Kind::Int32:
            return std::get<std::int32_t>(v_);
        case Kind::Double:
            return std::get<double>(v_);
        case Kind::Date:
            return std::get<Date>(v_).days;
        case Kind::Text:
            return ParseNumber(std::get<std::string>(v_));
    }
    Fail("unknown value kind");
}

std::int32_t Variant::ToInt32() const {
    double d = ToDouble();
    if (!std::isfinite(d)) Fail("not a finite number");
    double r = std::nearbyint(d);  // default rounding mode: half to even
    if (r < -2147483648.0 || r > 2147483647.0)
        Fail(fmt::format("{} is out of the 32-bit range", d));
    return static_cast<std::int32_t>(r);
}

bool Variant::ToBool() const {
    if (GetKind() == Kind::Text) {
        const auto& s = std::get<std::string>(v_);
        if (IEquals(s, "true")) return true;
        if (IEquals(s, "false")) return false;
        return ParseNumber(s) != 0.0;
    }
    return ToDouble() != 0.0;
}

std::string Variant::ToString() const {
    switch (GetKind()) {
        case Kind::Empty:
            return "";
        case Kind::Bool:
            return std::get<bool>(v_) ? "True" : "False";
        case Kind::Int16:
            return std::to_string(std::get<std::int16_t>(v_));
        case Kind::Int32:
            return std::to_string(std::get<std::int32_t>(v_));
        case Kind::Double: {
            double d = std::get<double>(v_);
            if (std::isnan(d)) return "NaN";
            if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
            return fmt::format("{}", d);
        }
        case Kind::Date:
            return fmt::format("{}", std::get<Date>(v_).days);
        case Kind::Text:
            return std::get<std::string>(v_);
    }
    return "";
}

Date Variant::ToDate() const {
    if (GetKind() == Kind::Date) return std::get<Date>(v_);
    return Date{ToDouble()};
}

}  // namespace host
