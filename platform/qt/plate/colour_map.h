#pragma once
// The viridis colour map: perceptually uniform, and readable with the common
// colour-vision deficiencies. 256 steps from dark violet (0) to yellow (1).
#include <QColor>

namespace plateplot {

// The step nearest to fraction; fractions outside 0..1 are clamped, NaN is 0.
QColor Viridis(double fraction);

}  // namespace plateplot
