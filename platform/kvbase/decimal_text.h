#pragma once
// Decimal texts of doubles, independent of the process locale: a point as the
// decimal separator, no grouping, no blanks.
//
// Rounding works on the shortest decimal text that reads back to the double
// (what a person sees and typed), not on its binary value: 2.675 is stored as
// 2.67499999..., yet "0.00" gives "2.68", as 0.125 gives "0.13". Halves round
// away from zero. A result that rounds to zero carries no minus sign.
//
// NaN and the infinities are written "NaN", "Infinity" and "-Infinity" under
// every pattern, and ParseNumberStrict reads exactly these back (ignoring case).
#include <string>

namespace kvbase {

// Decimals of a format pattern: -1 for "" (shortest text), 0 for "0", n for
// "0." followed by n zeros (n from 1 to 15). Raises host::Error for any other pattern.
int PatternDecimals(const std::string& pattern);

// Fixed-point text with that many decimals (0 to 15).
std::string FormatFixed(double v, int decimals);

// The shortest text that reads back to the same double: plain digits for
// 1e-7 <= |v| < 1e21 ("12", "0.5", "100000"), otherwise exponent form ("1e+21", "5e-324").
std::string FormatShortest(double v);

// Whole text as a number: optional sign, digits with an optional point, an
// optional exponent; or one of the three special spellings. Raises host::Error
// (kErrConversion) for anything else: empty text, blanks, a comma, trailing
// characters, values beyond the range of a double.
double ParseNumberStrict(const std::string& text);

}  // namespace kvbase
