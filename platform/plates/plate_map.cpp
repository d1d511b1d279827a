#include "platform/plates/plate_map.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <fmt/format.h>

namespace plates {

double PlateMap::Fraction(double v) const {
    if (!(high > low)) return 0.5;
    double f = 0.0;
    if (scale == Scale::Log) {
        if (!(v > 0.0)) return 0.0;
        f = (std::log10(v) - std::log10(low)) / (std::log10(high) - std::log10(low));
    } else {
        f = (v - low) / (high - low);
    }
    if (std::isnan(f)) return 0.0;
    return std::clamp(f, 0.0, 1.0);
}

double PlateMap::Radius() const {
    if (format) return format->pitch * 0.4;
    // Positions on the stage: as large as neighbours allow, within reason.
    double nearest = 8.0;
    for (std::size_t i = 0; i < spots.size(); ++i)
        for (std::size_t j = i + 1; j < spots.size() && j < i + 400; ++j)
            nearest = std::min(nearest, std::hypot(spots[i].centre.x - spots[j].centre.x,
                                                   spots[i].centre.y - spots[j].centre.y));
    return std::clamp(nearest * 0.4, 0.5, 3.0);
}

int PlateMap::SpotAt(double x, double y) const {
    const double r = Radius();
    if (format) {
        const double c = std::round((x - format->a1x) / format->pitch);
        const double rr = std::round((y - format->a1y) / format->pitch);
        if (c < 0 || rr < 0 || c >= format->columns || rr >= format->rows) return -1;
        const int i = static_cast<int>(rr) * format->columns + static_cast<int>(c);
        const auto& s = spots[static_cast<std::size_t>(i)];
        return std::hypot(x - s.centre.x, y - s.centre.y) <= r ? i : -1;
    }
    int best = -1;
    double bestDistance = r;
    for (std::size_t i = 0; i < spots.size(); ++i) {
        const double d = std::hypot(x - spots[i].centre.x, y - spots[i].centre.y);
        if (d <= bestDistance) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return best;
}

PlateMap BuildMap(const std::vector<Point>& positions,
                  const std::vector<std::optional<double>>& values,
                  const std::vector<bool>& overflow, Scale scale, int read) {
    PlateMap map;
    map.scale = scale;
    map.read = read;
    map.format = FormatOf(positions);
    auto valueAt = [&](std::size_t i) {
        return i < values.size() ? values[i] : std::optional<double>();
    };
    auto overAt = [&](std::size_t i) { return i < overflow.size() && overflow[i]; };
    if (map.format) {
        const PlateFormat& f = *map.format;
        map.spots.resize(static_cast<std::size_t>(f.wells));
        for (int r = 0; r < f.rows; ++r) {
            for (int c = 0; c < f.columns; ++c) {
                auto& s = map.spots[static_cast<std::size_t>(r * f.columns + c)];
                s.centre = Centre(f, {r, c});
                s.label = WellName({r, c});
            }
        }
        std::vector<int> seen(static_cast<std::size_t>(f.wells), 0);
        for (std::size_t i = 0; i < positions.size(); ++i) {
            const Well w = *WellAt(f, positions[i].x, positions[i].y);
            const auto k = static_cast<std::size_t>(w.row * f.columns + w.column);
            map.reads = std::max(map.reads, ++seen[k]);
            if (seen[k] != read) continue;
            auto& s = map.spots[k];
            s.position = static_cast<int>(i + 1);
            s.at = positions[i];
            s.value = valueAt(i);
            s.overflow = s.value && overAt(i);
        }
    } else {
        for (std::size_t i = 0; i < positions.size(); ++i) {
            // A position that is no number (a person still typing it) has no place.
            if (!std::isfinite(positions[i].x) || !std::isfinite(positions[i].y)) continue;
            Spot s;
            s.centre = s.at = positions[i];
            s.label = std::to_string(i + 1);
            s.position = static_cast<int>(i + 1);
            s.value = valueAt(i);
            s.overflow = s.value && overAt(i);
            map.spots.push_back(std::move(s));
        }
    }
    bool any = false;
    for (const auto& s : map.spots) {
        if (!s.value || s.overflow || !std::isfinite(*s.value)) continue;
        if (scale == Scale::Log && !(*s.value > 0.0)) continue;
        map.low = any ? std::min(map.low, *s.value) : *s.value;
        map.high = any ? std::max(map.high, *s.value) : *s.value;
        any = true;
    }
    return map;
}

PlateMap MapOfSample(const PlateResults& results, std::size_t sample, Scale scale) {
    std::vector<Point> positions;
    for (const auto& p : results.positions) positions.push_back({p.x, p.y});
    std::vector<std::optional<double>> values;
    std::vector<bool> overflow;
    for (const auto& reading : results.samples.at(sample).at) {
        values.push_back(reading ? std::optional<double>(reading->intensity) : std::nullopt);
        overflow.push_back(reading && reading->overflow);
    }
    PlateMap map = BuildMap(positions, values, overflow, scale);
    map.unit = results.unit;
    const auto& s = results.samples[sample];
    map.title = fmt::format("{} — {}{}", s.id, results.methodName,
                            results.runTime.empty() ? "" : " — " + results.runTime);
    if (map.reads > 1) map.title += fmt::format(" (read 1 of {})", map.reads);
    return map;
}

}  // namespace plates
