#pragma once
// Dates as ISO 8601 texts "YYYY-MM-DDTHH:MM:SS" and as host::Date, the days
// since 1899-12-30 with the time of day as the fraction.
//
// The day count is continuous: the time of day is days - floor(days), also
// before 1899-12-30. Years 1 to 9999 are supported; texts are written to the
// nearest second.
#include <string>

#include "host/variant.h"

namespace kvbase {

// Raises host::Error for NaN, infinities and dates outside years 1 to 9999.
std::string DateToIso(host::Date date);

// Reads "YYYY-MM-DDTHH:MM:SS" or "YYYY-MM-DD" (midnight); raises host::Error
// (kErrConversion) for any other text and for days or times that do not exist.
host::Date IsoToDate(const std::string& text);

}  // namespace kvbase
