#include "platform/kvbase/decimal_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include <fmt/format.h>

#include "host/error.h"
#include "host/variant.h"
#include "platform/kvbase/error_numbers.h"

namespace kvbase {
namespace {

constexpr int kMaxDecimals = 15;

// A finite double as sign, significant digits d1 d2 ... and exponent e, meaning
// d1.d2d3... x 10^e, with the fewest digits that read back to the same double.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal Shortest(double v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    std::string text(buf, res.ptr);
    Decimal d;
    std::size_t i = 0;
    if (text[i] == '-') {
        d.negative = true;
        ++i;
    }
    std::size_t e = text.find('e');
    for (; i < e; ++i)
        if (text[i] != '.') d.digits += text[i];
    d.exponent = std::stoi(text.substr(e + 1));
    return d;
}

const char* SpecialText(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
    return nullptr;
}

[[noreturn]] void NotANumber(const std::string& text, const char* why) {
    throw host::Error(host::kErrConversion, fmt::format("'{}' is not a number: {}", text, why));
}

}  // namespace

int PatternDecimals(const std::string& pattern) {
    if (pattern.empty()) return -1;
    if (pattern == "0") return 0;
    if (pattern.size() >= 3 && pattern.size() <= 2 + kMaxDecimals &&
        pattern.compare(0, 2, "0.") == 0 &&
        pattern.find_first_not_of('0', 2) == std::string::npos) {
        return static_cast<int>(pattern.size()) - 2;
    }
    throw host::Error(
        kErrNumberText,
        fmt::format("unknown number format '{}': use \"\", \"0\" or \"0.\" followed by "
                    "1 to {} zeros",
                    pattern, kMaxDecimals));
}

std::string FormatFixed(double v, int decimals) {
    if (decimals < 0 || decimals > kMaxDecimals) {
        throw host::Error(kErrNumberText, fmt::format("cannot write {} decimals", decimals));
    }
    if (const char* special = SpecialText(v)) return special;
    Decimal d = Shortest(v);
    // digits[0 .. point) is the integer part once leading zeros are in place.
    std::string digits = d.digits;
    int point = d.exponent + 1;
    if (point < 0) {
        digits.insert(0, static_cast<std::size_t>(-point), '0');
        point = 0;
    }
    std::size_t keep = static_cast<std::size_t>(point + decimals);
    if (digits.size() < keep + 1) digits.resize(keep + 1, '0');
    bool roundUp = digits[keep] >= '5';
    digits.resize(keep);
    if (roundUp) {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0) {
            digits.insert(digits.begin(), '1');
            ++point;
        } else {
            ++digits[i - 1];
        }
    }
    std::string intPart = digits.substr(0, static_cast<std::size_t>(point));
    std::size_t firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);
    std::string fracPart = digits.substr(static_cast<std::size_t>(point));
    bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string out = (d.negative && !zero) ? "-" : "";
    out += intPart;
    if (decimals > 0) out += "." + fracPart;
    return out;
}

std::string FormatShortest(double v) {
    if (const char* special = SpecialText(v)) return special;
    if (v == 0.0) return "0";
    Decimal d = Shortest(v);
    std::string out = d.negative ? "-" : "";
    const std::string& s = d.digits;
    if (d.exponent < -7 || d.exponent >= 21) {
        out += s.substr(0, 1);
        if (s.size() > 1) out += "." + s.substr(1);
        out += fmt::format("e{}{:02}", d.exponent < 0 ? '-' : '+', std::abs(d.exponent));
        return out;
    }
    int point = d.exponent + 1;
    if (point <= 0) {
        out += "0." + std::string(static_cast<std::size_t>(-point), '0') + s;
    } else if (static_cast<std::size_t>(point) >= s.size()) {
        out += s + std::string(static_cast<std::size_t>(point) - s.size(), '0');
    } else {
        out += s.substr(0, static_cast<std::size_t>(point)) + "." +
               s.substr(static_cast<std::size_t>(point));
    }
    return out;
}

double ParseNumberStrict(const std::string& text) {
    if (text.empty()) NotANumber(text, "the text is empty");
    if (host::IEquals(text, "NaN")) return std::numeric_limits<double>::quiet_NaN();
    if (host::IEquals(text, "Infinity")) return std::numeric_limits<double>::infinity();
    if (host::IEquals(text, "-Infinity")) return -std::numeric_limits<double>::infinity();
    std::size_t start = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (start == text.size()) NotANumber(text, "a sign without digits");
    char first = text[start];
    if (!(first >= '0' && first <= '9') && first != '.')
        NotANumber(text, "it does not start with a digit");
    if (text.find_first_not_of("0123456789.eE+-", start) != std::string::npos) {
        NotANumber(text, "it holds a character that no number has");
    }
    const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
    const char* end = text.data() + text.size();
    double v = 0.0;
    auto [ptr, ec] = std::from_chars(begin, end, v, std::chars_format::general);
    if (ec == std::errc::result_out_of_range)
        NotANumber(text, "it lies beyond the range of a double");
    if (ec != std::errc() || ptr != end) NotANumber(text, "it is not written as a number");
    return v;
}

}  // namespace kvbase
