#pragma once
// The grid's text export: tab-separated, one header line of column captions,
// then one line per row, each line ended by "\n". A number in a column with an
// output format is written by the host's NumberFormat with that pattern; any
// other value as its shortest text. Tab, CR, LF and backslash inside a text
// are written as \t, \r, \n and \\, so a row always stays one line and a
// reader splits on tabs and newlines alone.
#include <string>
#include <vector>

#include "host/services.h"
#include "platform/controls/spread_column.h"

namespace controls {

std::string EscapeCell(const std::string& text);

// Raises host::Error when NumberFormat refuses a value (let pass).
std::string ExportTable(const std::vector<SpreadColumn>& columns,
                        const std::vector<SpreadRow>& rows, const host::NumberFormat& numbers);

}  // namespace controls
