#pragma once
// Standard microplates: the 96, 384 and 1536 formats, well names, where a
// well's centre lies on the stage and which well a stage position falls in.
// Coordinates are mm from the plate's top-left outside corner, X along the
// columns, Y down the rows; rows and columns count from 0 here and are named
// from A and 1.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plates {

inline constexpr double kFootprintWidth = 127.76;  // mm
inline constexpr double kFootprintHeight = 85.48;

struct PlateFormat {
    int wells;
    int rows, columns;
    double a1x, a1y;  // centre of A1
    double pitch;     // well to well, both ways
};

struct Well {
    int row = 0, column = 0;
    friend bool operator==(const Well&, const Well&) = default;
};

struct Point {
    double x = 0.0, y = 0.0;
};

// 96, 384 and 1536 wells, fewest first.
const std::vector<PlateFormat>& Formats();
// nullptr for a count that is no format.
const PlateFormat* FindFormat(int wells);

// A..Z, then AA, AB, ...
std::string RowName(int row);
std::string WellName(const Well& well);
// "B7", "af48" (letters in either case); nullopt for a name that is no well of format.
std::optional<Well> ParseWellName(const PlateFormat& format, std::string_view name);

Point Centre(const PlateFormat& format, const Well& well);
// The well whose centre lies within a quarter of the pitch of (x, y); nullopt
// between wells and off the plate.
std::optional<Well> WellAt(const PlateFormat& format, double x, double y);

// The format with the fewest wells in whose wells every position lies;
// nullptr when some position lies in no well of any format, or there are none.
const PlateFormat* FormatOf(const std::vector<Point>& positions);

// Every well of format, row by row from A1, as method position cells: x and
// y in mm (to a thousandth), excitation and emission in nm, each the shortest
// text that reads back.
std::vector<std::array<std::string, 4>> PlatePositions(const PlateFormat& format, double ex,
                                                       double em);

}  // namespace plates
