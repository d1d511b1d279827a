#pragma once
// Stored results as tables that data tools read untouched.
//
// - plate: per sample (and per read, when a well is read more than once) a
//   block: a line naming the sample ("Sample", ID[, "Read", k]), a header of
//   column numbers led by an empty field, one line per plate row led by its
//   letter; an empty field for a well not measured; a blank line after
//   each block.
// - long: one line per reading: sample_id, sample (its row in the result
//   table), position, well (empty when the method fits no plate), x_mm,
//   y_mm, ex_nm, em_nm, intensity, overflow (1 or 0), and time_s when the
//   data holds times.
// - wide: the result table: sample_id, then one column per position named
//   by its well (a well read again gets "_2", "_3", ...) or, when the method
//   fits no plate, by its number.
#include <string>

#include "platform/plates/plate_results.h"
#include "platform/plates/table_text.h"

namespace plates {

enum class Layout { Plate, Long, Wide };

// Raises host::Error(kErrTableText) for a text that TSV cannot hold, and
// (kErrResults) for the plate layout of a method that fits no plate; nothing
// is returned then.
std::string ExportResults(const PlateResults& results, Layout layout, TextFormat format);

}  // namespace plates
