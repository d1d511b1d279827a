// Tokens, splitting, list texts "{a;b}" and the range syntax.
//
// Input: line 1 the separator, line 2 an item (also read as a position and
// as a value for the range), the rest the text.
//
// Checked: a token and the rest put back together give the text, split pieces
// joined give the text, every listed item is found at (or, ignoring case,
// before) its own position, a closed list reads as a list, and an accepted
// range has ordered numeric bounds, written as numbers, that survive being
// written again.
#include <cmath>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/kvbase/range_syntax.h"
#include "platform/kvbase/string_tools.h"

namespace {

using fuzz::Expect;
using fuzz::MustSucceed;

void CheckToken(const kvbase::Strings& strings, const std::string& text,
                const std::string& separator) {
    std::string rest = text;
    const std::string token = strings.NextToken(rest, separator);
    if (text.find(separator) == std::string::npos) {
        Expect(token == text && rest.empty(), "a text without separator is not one token");
    } else {
        Expect(token + separator + rest == text, "token and rest do not make up the text");
        Expect(token.find(separator) == std::string::npos, "the token holds the separator");
    }
}

void CheckSplit(const kvbase::Strings& strings, const std::string& text,
                const std::string& separator) {
    const std::vector<std::string> pieces = strings.Split(text, separator);
    Expect(text.empty() == pieces.empty(), "split gives no pieces for a text, or some for none");
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) joined += separator;
        joined += pieces[i];
    }
    Expect(joined == text, "split pieces joined do not give the text");
}

void CheckList(const kvbase::Strings& strings, const std::string& list, const std::string& item) {
    const std::vector<std::string> items = kvbase::Strings::ListItems(list);
    for (std::size_t k = 1; k <= items.size() && k <= 64; ++k) {
        const auto position = static_cast<std::int32_t>(k);
        Expect(strings.ItemAt(position, list) == items[k - 1], "item at a position differs");
        const std::int32_t found = strings.ItemIndex(items[k - 1], list);
        Expect(found >= 1 && found <= position,
               "a listed item is not found at or before its place");
        Expect(host::IEquals(items[static_cast<std::size_t>(found - 1)], items[k - 1]),
               "an item is found where another stands");
    }
    const std::int32_t index = strings.ItemIndex(item, list);
    Expect(index >= 0 && static_cast<std::size_t>(index) <= items.size(), "index beyond the list");
    Expect(strings.ItemAt(0, list).empty() && strings.ItemAt(-1, list).empty(),
           "an item before the first");
    Expect(strings.ItemAt(static_cast<std::int32_t>(items.size()) + 1, list).empty(),
           "an item after the last");
}

void CheckCloseList(const kvbase::Strings& strings, const std::string& text) {
    const std::string closed = strings.CloseList(text);
    MustSucceed("reading a closed list", [&] { return kvbase::Strings::ListItems(closed); });
}

// A bound as a person writes one: one optional sign, then a decimal number or
// an infinity.
bool IsBoundText(const std::string& text) {
    const std::string magnitude =
        !text.empty() && (text[0] == '+' || text[0] == '-') ? text.substr(1) : text;
    if (!magnitude.empty() && (magnitude[0] == '+' || magnitude[0] == '-')) return false;
    return fuzz::IsDecimalNumber(magnitude) || host::IEquals(magnitude, "inf") ||
           host::IEquals(magnitude, "infinity");
}

void CheckRange(const std::string& text, const std::string& value) {
    const kvbase::Range range = kvbase::ParseRange(text);
    (void)kvbase::InRange(range, host::Variant(value));
    if (range.kind != kvbase::Range::Kind::Numeric) return;
    const auto dots = text.find("..");
    for (const std::string& bound : {text.substr(0, dots), text.substr(dots + 2)}) {
        Expect(bound.empty() || IsBoundText(bound),
               "range '" + text + "' accepted with the bound '" + bound + "'");
    }
    Expect(!(range.lo && std::isnan(*range.lo)) && !(range.hi && std::isnan(*range.hi)),
           "range '" + text + "' has a bound that is not a number");
    if (range.lo && range.hi) {
        Expect(*range.lo <= *range.hi, "range '" + text + "' accepted with its bounds reversed");
        if (!std::isfinite(*range.lo) || !std::isfinite(*range.hi)) return;
        const std::string written = kvbase::FormatNumericRange(*range.lo, *range.hi);
        const kvbase::Range again =
            MustSucceed("reading a written range", [&] { return kvbase::ParseRange(written); });
        Expect(again.lo == range.lo && again.hi == range.hi,
               "range '" + text + "' written as '" + written + "' reads back differently");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::Run([&] {
        fuzz::Input input(data, size);
        const std::string separator = input.Line();
        const std::string item = input.Line();
        const std::string text = input.Rest();
        const kvbase::Strings strings;
        fuzz::Run([&] { CheckToken(strings, text, separator); });
        fuzz::Run([&] { CheckSplit(strings, text, separator); });
        fuzz::Run([&] { CheckList(strings, text, item); });
        fuzz::Run([&] { CheckCloseList(strings, text); });
        fuzz::Run([&] { CheckRange(text, item); });
        fuzz::Run([&] { (void)strings.ItemAt(fuzz::ToInt(item, 1), text); });
    });
}
