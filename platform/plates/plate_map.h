#pragma once
// What a picture of one sample shows: a spot per well of the plate (or, for
// a method that fits no plate, per position on the stage), each with its
// reading, and the range of the colour scale. Painting is the views' part.
#include <optional>
#include <string>
#include <vector>

#include "platform/plates/plate_format.h"
#include "platform/plates/plate_results.h"

namespace plates {

enum class Scale { Linear, Log };

struct Spot {
    Point centre;                 // mm on the stage
    std::string label;            // the well's name, or the position's number
    int position = 0;             // the method's position shown here, from 1; 0: none
    Point at;                     // that position's own coordinates
    std::optional<double> value;  // none: not measured
    bool overflow = false;
};

struct PlateMap {
    const PlateFormat* format = nullptr;  // nullptr: spots are positions on the stage
    std::vector<Spot> spots;              // a plate's wells row by row from A1
    Scale scale = Scale::Linear;
    // The colour scale runs over the readings that are not over range (for
    // the log scale, those above 0).
    double low = 0.0, high = 0.0;
    int read = 1, reads = 1;  // which of a well's reads the spots show
    std::string title, unit;

    // Where v lies on the colour scale, 0 to 1: clamped at either end; a value
    // at or below 0 on the log scale at 0; 0.5 when the scale has no range.
    double Fraction(double v) const;
    // The spot at a stage position (within its radius); -1 for none.
    int SpotAt(double x, double y) const;
    // The spots' radius in mm.
    double Radius() const;
};

// A map of readings at positions (values[i] and overflow[i] belong to
// positions[i]; a value may be missing). Wells read more than once show
// their read-th reading.
PlateMap BuildMap(const std::vector<Point>& positions,
                  const std::vector<std::optional<double>>& values,
                  const std::vector<bool>& overflow, Scale scale, int read = 1);

// Sample `sample` of stored results, titled with its ID, the method's name
// and the run's time.
PlateMap MapOfSample(const PlateResults& results, std::size_t sample, Scale scale);

}  // namespace plates
