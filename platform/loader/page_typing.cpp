#include "platform/loader/page_typing.h"

#include <charconv>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/host_texts.h"

namespace loader {
namespace {

template <class T>
std::shared_ptr<T> PageControl(HostSession& s, const char* name) {
    auto control = host::As<T>(s.Page().Find(name));
    if (!control)
        throw host::Error(host::kErrUnexpected,
                          kvbase::Say(&s.Host().Texts(), "the page has no control {}", name));
    return control;
}

bool SameNumber(const host::Variant& cell, const std::string& text) {
    double v = 0;
    const char* end = text.data() + text.size();
    return cell.IsNumeric() && std::from_chars(text.data(), end, v).ptr == end &&
           cell.ToDouble() == v;
}

}  // namespace

void TypePositions(HostSession& s, const std::vector<TypedPosition>& positions) {
    static const char* kNames[4] = {"X-Pos", "Y-Pos", "Ex.Wl", "Em.Wl"};
    const host::TextCatalog* texts = &s.Host().Texts();
    auto grid = PageControl<host::KVSpread>(s, "KVSScan");
    auto insert = PageControl<host::KVPicButton>(s, "KVPAddPos");
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const auto row = static_cast<std::int32_t>(i + 1);
        if (row > grid->RowCount()) {
            grid->UserSelectRow(0);  // no active row: "Insert Pos" appends
            insert->UserClick();
            if (grid->RowCount() != row) {
                throw host::Error(
                    host::kErrUnexpected,
                    kvbase::Say(texts, "\"Insert Pos\" did not add position {}", row));
            }
        }
        for (std::int32_t c = 1; c <= 4; ++c) {
            // A new row starts as a copy of the one above: like a person, type
            // only what differs. Row 1 is typed whole, so the setup display
            // takes its wavelengths.
            const std::string& text = positions[i].cells[static_cast<std::size_t>(c - 1)];
            if (row > 1 && SameNumber(grid->Cell(c, row), text)) continue;
            try {
                grid->UserEditCell(c, row, host::Variant(text));
            } catch (const host::Error&) {
                // Named as the grid shows it, not by the control that refused.
                const host::ParamDef def = grid->ColumnDef(c);
                const std::string cell = kvbase::Say(
                    texts, "{} of position {}",
                    def.caption.empty() ? std::string(kNames[c - 1]) : def.caption, row);
                const std::string value = text + (def.unit.empty() ? "" : " " + def.unit);
                throw host::Error(kErrTypedPosition,
                                  def.range.empty()
                                      ? kvbase::Say(texts, "{} does not take {}", cell, value)
                                      : kvbase::Say(texts, "{} does not take {} (range {})", cell,
                                                    value, def.range));
            }
        }
    }
}

}  // namespace loader
