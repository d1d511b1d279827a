#include "platform/plates/plate_format.h"

#include <cmath>

#include <fmt/format.h>

namespace plates {
namespace {

// A position read back from a method file differs from the computed centre by
// rounding only; this keeps such a position on its quarter-pitch boundary.
constexpr double kSlack = 1e-9;

int Letter(char c) {
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= 'A' && c <= 'Z') return c - 'A';
    return -1;
}

std::string Mm(double v) {
    return fmt::format("{}", std::round(v * 1000.0) / 1000.0);
}

}  // namespace

const std::vector<PlateFormat>& Formats() {
    static const std::vector<PlateFormat> formats = {
        {96, 8, 12, 14.38, 11.24, 9.0},
        {384, 16, 24, 12.13, 8.99, 4.5},
        {1536, 32, 48, 11.005, 7.865, 2.25},
    };
    return formats;
}

const PlateFormat* FindFormat(int wells) {
    for (const auto& f : Formats())
        if (f.wells == wells) return &f;
    return nullptr;
}

std::string RowName(int row) {
    std::string name;
    for (int n = row + 1; n > 0; n = (n - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
    return name;
}

std::string WellName(const Well& well) {
    return RowName(well.row) + std::to_string(well.column + 1);
}

std::optional<Well> ParseWellName(const PlateFormat& format, std::string_view name) {
    std::size_t i = 0;
    int row = 0;
    for (; i < name.size() && Letter(name[i]) >= 0; ++i) {
        if (i == 2) return std::nullopt;
        row = row * 26 + Letter(name[i]) + 1;
    }
    if (i == 0 || i == name.size() || name[i] == '0') return std::nullopt;
    int column = 0;
    for (; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || column > 1000) return std::nullopt;
        column = column * 10 + (name[i] - '0');
    }
    const Well well{row - 1, column - 1};
    if (well.row >= format.rows || well.column >= format.columns) return std::nullopt;
    return well;
}

Point Centre(const PlateFormat& format, const Well& well) {
    return {format.a1x + well.column * format.pitch, format.a1y + well.row * format.pitch};
}

std::optional<Well> WellAt(const PlateFormat& format, double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
    const double c = std::round((x - format.a1x) / format.pitch);
    const double r = std::round((y - format.a1y) / format.pitch);
    if (c < 0 || r < 0 || c >= format.columns || r >= format.rows) return std::nullopt;
    const Well well{static_cast<int>(r), static_cast<int>(c)};
    const Point centre = Centre(format, well);
    const double reach = format.pitch / 4.0 + kSlack;
    if (std::hypot(x - centre.x, y - centre.y) > reach) return std::nullopt;
    return well;
}

const PlateFormat* FormatOf(const std::vector<Point>& positions) {
    if (positions.empty()) return nullptr;
    for (const auto& f : Formats()) {
        bool all = true;
        for (const auto& p : positions) {
            if (!WellAt(f, p.x, p.y)) {
                all = false;
                break;
            }
        }
        if (all) return &f;
    }
    return nullptr;
}

std::vector<std::array<std::string, 4>> PlatePositions(const PlateFormat& format, double ex,
                                                       double em) {
    std::vector<std::array<std::string, 4>> out;
    out.reserve(static_cast<std::size_t>(format.wells));
    const std::string exText = fmt::format("{}", ex), emText = fmt::format("{}", em);
    for (int r = 0; r < format.rows; ++r) {
        for (int c = 0; c < format.columns; ++c) {
            const Point p = Centre(format, {r, c});
            out.push_back({Mm(p.x), Mm(p.y), exText, emText});
        }
    }
    return out;
}

}  // namespace plates
