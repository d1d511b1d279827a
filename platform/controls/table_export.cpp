#include "platform/controls/table_export.h"

namespace controls {

std::string EscapeCell(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string ExportTable(const std::vector<SpreadColumn>& columns,
                        const std::vector<SpreadRow>& rows, const host::NumberFormat& numbers) {
    std::string out;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (c > 0) out += '\t';
        out += EscapeCell(columns[c].def.caption);
    }
    out += '\n';
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0) out += '\t';
            const auto& v = row.cells[c];
            const auto& pattern = columns[c].def.format;
            if (v.IsNumeric() && !pattern.empty()) {
                out += EscapeCell(numbers.DoubleToText(v.ToDouble(), pattern, 0));
            } else {
                out += EscapeCell(v.ToString());
            }
        }
        out += '\n';
    }
    return out;
}

}  // namespace controls
