#include "platform/plates/plate_export.h"

#include <fmt/format.h>

#include "host/error.h"

namespace plates {
namespace {

std::string IdName(const SampleResults& s) {
    return fmt::format("the ID of sample {}", s.row);
}

// The first position that keeps the method off every plate, for the message.
std::string WhyNoPlate(const PlateResults& r) {
    if (r.positions.empty()) return "it has no positions";
    for (std::size_t i = 0; i < r.positions.size(); ++i) {
        const auto& p = r.positions[i];
        bool inSome = false;
        for (const auto& f : Formats()) inSome = inSome || WellAt(f, p.x, p.y).has_value();
        if (!inSome)
            return fmt::format("position {} (x {} mm, y {} mm) lies between wells", i + 1, p.x,
                               p.y);
    }
    return "its positions lie in wells of different plates";
}

std::string Plate(const PlateResults& r, TextFormat format) {
    if (!r.format)
        throw host::Error(kErrResults,
                          fmt::format("{}: the method '{}' fits no plate: {}; use --layout long "
                                      "or wide",
                                      r.source, r.methodName, WhyNoPlate(r)));
    const PlateFormat& f = *r.format;
    TableText t(format);
    std::vector<std::optional<std::size_t>> byWell(static_cast<std::size_t>(f.wells));
    for (const auto& sample : r.samples) {
        for (int read = 1; read <= r.reads; ++read) {
            std::fill(byWell.begin(), byWell.end(), std::nullopt);
            for (std::size_t i = 0; i < r.positions.size(); ++i) {
                const auto& p = r.positions[i];
                if (p.read == read)
                    byWell[static_cast<std::size_t>(p.well->row * f.columns + p.well->column)] = i;
            }
            t.Text("Sample").Id(sample.id, IdName(sample));
            if (r.reads > 1) t.Text("Read").Integer(read);
            t.EndLine();
            t.Empty();
            for (int c = 1; c <= f.columns; ++c) t.Integer(c);
            t.EndLine();
            for (int row = 0; row < f.rows; ++row) {
                t.Text(RowName(row));
                for (int c = 0; c < f.columns; ++c) {
                    const auto& i = byWell[static_cast<std::size_t>(row * f.columns + c)];
                    if (i && sample.at[*i]) {
                        t.Number(sample.at[*i]->intensity);
                    } else {
                        t.Empty();
                    }
                }
                t.EndLine();
            }
            t.EndLine();
        }
    }
    return t.Take();
}

std::string WellOf(const MethodPosition& p) {
    if (!p.well) return {};
    return p.read > 1 ? fmt::format("{}_{}", WellName(*p.well), p.read) : WellName(*p.well);
}

std::string Long(const PlateResults& r, TextFormat format) {
    const bool times = r.HasTimes();
    TableText t(format);
    for (const char* h : {"sample_id", "sample", "position", "well", "x_mm", "y_mm", "ex_nm",
                          "em_nm", "intensity", "overflow"})
        t.Text(h);
    if (times) t.Text("time_s");
    t.EndLine();
    for (const auto& sample : r.samples) {
        for (std::size_t i = 0; i < r.positions.size(); ++i) {
            const auto& reading = sample.at[i];
            if (!reading) continue;
            const auto& p = r.positions[i];
            t.Id(sample.id, IdName(sample))
                .Integer(sample.row)
                .Integer(static_cast<long long>(i + 1));
            if (p.well) {
                t.Text(WellName(*p.well));
            } else {
                t.Empty();
            }
            t.Number(p.x).Number(p.y).Number(p.ex).Number(p.em).Number(reading->intensity);
            t.Integer(reading->overflow ? 1 : 0);
            if (times) {
                if (reading->time) {
                    t.Number(*reading->time);
                } else {
                    t.Empty();
                }
            }
            t.EndLine();
        }
    }
    return t.Take();
}

std::string Wide(const PlateResults& r, TextFormat format) {
    TableText t(format);
    t.Text("sample_id");
    for (std::size_t i = 0; i < r.positions.size(); ++i) {
        if (r.format) {
            t.Text(WellOf(r.positions[i]));
        } else {
            t.Integer(static_cast<long long>(i + 1));
        }
    }
    t.EndLine();
    for (const auto& sample : r.samples) {
        t.Id(sample.id, IdName(sample));
        for (const auto& reading : sample.at) {
            if (reading) {
                t.Number(reading->intensity);
            } else {
                t.Empty();
            }
        }
        t.EndLine();
    }
    return t.Take();
}

}  // namespace

std::string ExportResults(const PlateResults& results, Layout layout, TextFormat format) {
    switch (layout) {
        case Layout::Plate:
            return Plate(results, format);
        case Layout::Long:
            return Long(results, format);
        case Layout::Wide:
            return Wide(results, format);
    }
    return {};
}

}  // namespace plates
