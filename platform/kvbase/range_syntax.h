#pragma once
// The one range syntax of entries, grid columns and the instrument's setup
// description.
//
//   ""          no restriction
//   "{a;b;c}"   list: the value must be one of the items (ignoring case)
//   "lo..hi"    numeric, both bounds inclusive, a point as decimal separator;
//               either bound may be left out ("0..", "..100")
//
// Anything else is malformed and raises host::Error.
#include <optional>
#include <string>
#include <vector>

#include "host/variant.h"

namespace kvbase {

struct Range {
    enum class Kind { None, List, Numeric } kind = Kind::None;
    std::vector<std::string> items;  // List
    std::optional<double> lo, hi;    // Numeric
};

Range ParseRange(const std::string& text);
std::string FormatNumericRange(double lo, double hi);
// True when v satisfies the range; a numeric range needs a value that reads as a number.
bool InRange(const Range& range, const host::Variant& v);
bool InRange(const std::string& rangeText, const host::Variant& v);

}  // namespace kvbase
