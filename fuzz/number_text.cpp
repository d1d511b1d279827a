// Number, boolean, text and date texts read back by the number service.
//
// Input: line 1 the data type (a number; anything else is type 0), line 2 the
// format pattern, the rest the text to read.
//
// Besides not crashing, what the service promises is checked: an accepted
// number is written the way the grammar says, the shortest text reads back to
// the same double, a fixed text reads back within half a unit of its last
// decimal and never as "-0", and an accepted date or boolean reads back to itself.
#include <cmath>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/kvbase/decimal_text.h"
#include "platform/kvbase/number_format.h"

namespace {

using fuzz::Expect;
using fuzz::MustSucceed;

// The decimal grammar, or one of the three spellings of the special values.
bool IsNumberText(const std::string& t) {
    return host::IEquals(t, "NaN") || host::IEquals(t, "Infinity") ||
           host::IEquals(t, "-Infinity") || fuzz::IsDecimalNumber(t);
}

bool SameDouble(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

void CheckNumber(const kvbase::Numbers& numbers, const std::string& text,
                 const std::string& pattern) {
    double v = numbers.TextToDouble(text, 0);
    Expect(IsNumberText(text), "'" + text + "' was read as a number");

    const std::string shortest =
        MustSucceed("shortest text", [&] { return numbers.DoubleToText(v, "", 0); });
    const double back = MustSucceed("reading the shortest text '" + shortest + "'",
                                    [&] { return numbers.TextToDouble(shortest, 0); });
    Expect(SameDouble(back, v) || (v == 0.0 && back == 0.0),
           "'" + text + "' does not read back from its shortest text '" + shortest + "'");

    if (!kvbase::Numbers::IsSupportedPattern(pattern) || pattern.empty()) return;
    const std::string fixed =
        MustSucceed("fixed text", [&] { return numbers.DoubleToText(v, pattern, 0); });
    if (!std::isfinite(v)) return;
    const int decimals = kvbase::PatternDecimals(pattern);
    const double approx = MustSucceed("reading the fixed text '" + fixed + "'",
                                      [&] { return numbers.TextToDouble(fixed, 0); });
    const double tolerance = 0.5 * std::pow(10.0, -decimals) + std::fabs(v) * 1e-15;
    Expect(std::fabs(approx - v) <= tolerance,
           "'" + fixed + "' is not '" + text + "' rounded to " + pattern);
    Expect(fixed.find_first_not_of("-0.") != std::string::npos || fixed[0] != '-',
           "zero written with a sign: '" + fixed + "'");
}

void CheckValue(const kvbase::Numbers& numbers, const std::string& text, std::int32_t dataType,
                const std::string& pattern) {
    const host::Variant v = numbers.TextToValue(text, dataType, pattern, 0);
    const std::string written = MustSucceed(
        "writing the value read", [&] { return numbers.ValueToText(v, dataType, pattern, 0); });
    const host::Variant again = MustSucceed("reading '" + written + "' back", [&] {
        return numbers.TextToValue(written, dataType, pattern, 0);
    });
    switch (dataType) {
        case host::kTypeBoolean:
            Expect(written == "True" || written == "False", "boolean written as '" + written + "'");
            Expect(again.ToBool() == v.ToBool(), "boolean '" + text + "' changes on its way back");
            break;
        case host::kTypeText:
            Expect(written == text, "a text value changes when written");
            break;
        case host::kTypeDate: {
            const std::string twice = MustSucceed("writing the date again", [&] {
                return numbers.ValueToText(again, dataType, pattern, 0);
            });
            Expect(twice == written,
                   "date '" + text + "' gives '" + written + "', then '" + twice + "'");
            break;
        }
        default:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::Run([&] {
        fuzz::Input input(data, size);
        const std::int32_t dataType = input.IntLine(0);
        const std::string pattern = input.Line();
        const std::string text = input.Rest();
        const kvbase::Numbers numbers;
        fuzz::Run([&] { CheckNumber(numbers, text, pattern); });
        fuzz::Run([&] { CheckValue(numbers, text, dataType, pattern); });
        fuzz::Run([&] { numbers.FormatByDef(host::Variant(text), {dataType, pattern}, true); });
    });
}
