#include "platform/qt/page_checks.h"

#include <cmath>
#include <tuple>

#include "platform/controls/uc_orve.h"
#include "platform/controls/value_check.h"
#include "platform/kvbase/range_syntax.h"
#include "platform/qt/catalogue_texts.h"

namespace qtview {
namespace {

constexpr std::int32_t kXColumn = 1;
constexpr std::int32_t kYColumn = 2;
constexpr std::int32_t kExColumn = 3;
constexpr std::int32_t kEmColumn = 4;

std::string TextOf(const host::Variant& v) noexcept {
    try {
        return v.ToString();
    } catch (...) {
        return {};
    }
}

std::string WithUnit(const std::string& text, const std::string& unit) {
    return unit.empty() ? text : text + " " + unit;
}

std::string Caption(const host::Control& control) {
    try {
        const std::string caption = control.Property("caption").ToString();
        if (!caption.empty()) return caption;
    } catch (...) {
    }
    return control.Name();
}

// The number a cell or entry holds, when it reads as one.
bool NumberOf(const host::Variant& v, double& number) noexcept {
    if (v.IsEmpty()) return false;
    try {
        number = v.ToDouble();
        return std::isfinite(number);
    } catch (...) {
        return false;
    }
}

}  // namespace

std::string RangeText(const host::TextCatalog* texts, const std::string& range,
                      const std::string& unit) {
    kvbase::Range parsed;
    try {
        parsed = kvbase::ParseRange(range);
    } catch (...) {
        return {};
    }
    switch (parsed.kind) {
        case kvbase::Range::Kind::None:
            return {};
        case kvbase::Range::Kind::List: {
            std::string items;
            for (const auto& item : parsed.items)
                items += (items.empty() ? "" : ", ") + Text(texts, item);
            return Say(texts, "one of {}", items);
        }
        case kvbase::Range::Kind::Numeric:
            break;
    }
    if (parsed.lo && parsed.hi)
        return WithUnit(Say(texts, "{} to {}", *parsed.lo, *parsed.hi), unit);
    if (parsed.lo) return WithUnit(Say(texts, "at least {}", *parsed.lo), unit);
    if (parsed.hi) return WithUnit(Say(texts, "at most {}", *parsed.hi), unit);
    return {};
}

std::string EntryProblem(const host::KVEntry& entry, const host::Variant& value,
                         const host::TextCatalog* texts) {
    host::ParamDef def;
    std::string caption;
    try {
        def = entry.Definition();
        caption = Caption(entry);
        if (controls::Refusal(def, value).empty()) return {};
    } catch (...) {
        return Say(texts, "{}: its value cannot be read", entry.Name());
    }
    kvbase::Range parsed;
    try {
        parsed = kvbase::ParseRange(def.range);
    } catch (...) {
        return Say(texts, "{}: its range '{}' cannot be read", caption, def.range);
    }
    const std::string range = RangeText(texts, def.range, def.unit);
    const std::string tail = range.empty() ? std::string() : "; " + range;
    const std::string text = TextOf(value);
    if (value.IsEmpty() || text.find_first_not_of(" \t") == std::string::npos)
        return Say(texts, "{}: no value", caption) + tail;
    if (def.dataType == host::kTypeNumber) {
        double number = 0;
        if (!NumberOf(controls::AsType(def, value), number)) {
            // "7,5": a decimal comma, as many keyboards type it.
            std::string pointed = text;
            const auto comma = pointed.find(',');
            if (comma != std::string::npos && pointed.find(',', comma + 1) == std::string::npos) {
                pointed[comma] = '.';
                if (NumberOf(host::Variant(pointed), number))
                    return Say(texts, "{}: '{}' is not a number: write a decimal point, as in {}",
                               caption, text, pointed) +
                           tail;
            }
            return Say(texts, "{}: '{}' is not a number", caption, text) + tail;
        }
        return Say(texts, "{}: {} is out of range", caption, WithUnit(text, def.unit)) + tail;
    }
    if (parsed.kind == kvbase::Range::Kind::List)
        return Say(texts, "{}: '{}' is not in the list", caption, Text(texts, text)) + tail;
    return Say(texts, "{}: '{}' is not valid", caption, text) + tail;
}

std::string EntryHelp(const host::KVEntry& entry, const host::TextCatalog* texts) {
    try {
        const std::string caption = Caption(entry);
        const auto def = entry.Definition();
        const std::string range = RangeText(texts, def.range, def.unit);
        return range.empty() ? caption : caption + ": " + range;
    } catch (...) {
        return entry.Name();
    }
}

std::vector<std::string> EntryProblems(const host::Form& page, const host::TextCatalog* texts) {
    std::vector<std::string> problems;
    for (const auto& control : page.Controls()) {
        const auto entry = host::As<host::KVEntry>(control);
        if (!entry) continue;
        host::Variant value;
        try {
            value = entry->Value();
        } catch (...) {
        }
        std::string problem = EntryProblem(*entry, value, texts);
        if (!problem.empty()) problems.push_back(std::move(problem));
    }
    return problems;
}

StageTravel TravelFromInstInfo(const host::ParamSet& info) noexcept {
    StageTravel travel;
    auto rangeOf = [&](const char* key) -> std::string {
        try {
            const std::int32_t i = info.IndexOf(key);
            if (i < 1) return {};
            const std::string range = info.Def(i)->range;
            // Only a numeric range describes a travel.
            return kvbase::ParseRange(range).kind == kvbase::Range::Kind::Numeric ? range
                                                                                  : std::string();
        } catch (...) {
            return {};
        }
    };
    travel.x = rangeOf("StageX");
    travel.y = rangeOf("StageY");
    return travel;
}

PositionCheck CheckPositions(const host::KVSpread& grid, const StageTravel& travel,
                             const host::TextCatalog* texts) {
    PositionCheck check;
    std::int32_t rows = 0;
    try {
        rows = grid.RowCount();
    } catch (...) {
        check.refusals.push_back(Text(texts, "The positions cannot be read."));
        return check;
    }
    auto cell = [&](std::int32_t col, std::int32_t row) -> host::Variant {
        try {
            return grid.Cell(col, row);
        } catch (...) {
            return {};
        }
    };
    for (std::int32_t r = 1; r <= rows; ++r) {
        for (const auto& [col, axis, range] :
             {std::tuple{kXColumn, "X", &travel.x}, std::tuple{kYColumn, "Y", &travel.y}}) {
            const host::Variant v = cell(col, r);
            double number = 0;
            if (v.IsEmpty() || TextOf(v).empty()) {
                check.refusals.push_back(Say(texts, "Position {}: {} has no value", r, axis));
            } else if (!NumberOf(v, number)) {
                check.refusals.push_back(
                    Say(texts, "Position {}: {} '{}' is not a number", r, axis, TextOf(v)));
            } else if (!range->empty() && !kvbase::InRange(*range, host::Variant(number))) {
                check.refusals.push_back(Say(texts,
                                             "Position {}: {} {} mm is outside the stage travel {}",
                                             r, axis, number, RangeText(texts, *range, "mm")));
            }
        }
        double ex = 0, em = 0;
        if (NumberOf(cell(kExColumn, r), ex) && NumberOf(cell(kEmColumn, r), em) && em <= ex)
            check.warnings.push_back(Say(texts,
                                         "Position {}: the emission wavelength {} nm is not "
                                         "longer than the excitation wavelength {} nm",
                                         r, em, ex));
    }
    return check;
}

std::string PageFingerprint(const host::Form& page) noexcept {
    std::string print;
    try {
        for (const auto& control : page.Controls()) {
            if (const auto entry = host::As<host::KVEntry>(control)) {
                print += control->Name() + '=' + TextOf(entry->Value()) + '\n';
            } else if (const auto grid = host::As<host::KVSpread>(control)) {
                if (!host::IEquals(control->Name(), "KVSScan")) continue;  // results are no method
                const std::int32_t rows = grid->RowCount(), cols = grid->ColumnCount();
                print += control->Name() + '=' + std::to_string(rows) + '\n';
                for (std::int32_t r = 1; r <= rows; ++r) {
                    for (std::int32_t c = 1; c <= cols; ++c)
                        print += TextOf(grid->Cell(c, r)) + '\t';
                    print += '\n';
                }
            } else if (const auto display = host::As<host::UCORVE>(control)) {
                const auto setup = display->CurrentSetup();
                for (std::int32_t i = 1; i <= setup->Count(); ++i)
                    print += setup->Def(i)->id + '=' + TextOf(setup->Value(i)) + '\n';
            }
        }
    } catch (...) {
        print += "\n(unreadable)";  // differs from any readable page
    }
    return print;
}

void ShowEntriesInSetup(host::Form& page) noexcept {
    try {
        const auto display = std::dynamic_pointer_cast<controls::UCORVE>(page.Find("UCORVE"));
        if (!display) return;
        const auto described = display->SetupDescription();
        const auto setup = display->CurrentSetup();
        for (const auto& control : page.Controls()) {
            const auto entry = host::As<host::KVEntry>(control);
            if (!entry || entry->Id().empty()) continue;
            const std::int32_t i = setup->IndexOf(entry->Id());
            if (i < 1 || (described && described->IndexOf(entry->Id()) > 0)) continue;
            const host::Variant value = entry->Value();
            if (!(setup->Value(i) == value)) display->SetSetupValue(entry->Id(), value);
            display->SetItemName(entry->Id(), Caption(*entry));
        }
    } catch (...) {
        // The display keeps what it showed; storing the method still works.
    }
}

}  // namespace qtview
