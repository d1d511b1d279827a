#include "platform/plates/plate_results.h"

#include <map>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvdova/acq_data_file.h"
#include "platform/kvdova/method_file.h"

namespace plates {
namespace {

[[noreturn]] void Refuse(const std::string& text) {
    throw host::Error(kErrResults, text);
}

const std::string* RunInfoValue(const std::map<std::string, std::string>& info, const char* key) {
    for (const auto& [k, v] : info)
        if (host::IEquals(k, key)) return &v;
    return nullptr;
}

std::vector<MethodPosition> PositionsOf(const host::MethodObject& method,
                                        const std::string& source) {
    static const char* kNames[4] = {"x", "y", "excitation", "emission"};
    std::vector<MethodPosition> out;
    if (method.TableCount() < 1) return out;
    if (method.RowCount(1) > 0 && method.ColumnCount(1) < 4)
        Refuse(fmt::format("{}: the method's position table has {} columns, not 4", source,
                           method.ColumnCount(1)));
    for (std::int32_t i = 1; i <= method.RowCount(1); ++i) {
        double v[4];
        for (std::int32_t c = 1; c <= 4; ++c) {
            const host::Variant cell = method.Cell(1, c, i);
            if (!cell.IsNumeric())
                Refuse(fmt::format("{}: position {} of the method: {} '{}' is not a number", source,
                                   i, kNames[c - 1], cell.ToString()));
            v[c - 1] = cell.ToDouble();
        }
        out.push_back({v[0], v[1], v[2], v[3], std::nullopt, 1});
    }
    return out;
}

void PlaceInWells(PlateResults& r) {
    std::vector<Point> points;
    for (const auto& p : r.positions) points.push_back({p.x, p.y});
    r.format = FormatOf(points);
    if (!r.format) return;
    std::map<std::pair<int, int>, int> seen;
    for (auto& p : r.positions) {
        p.well = WellAt(*r.format, p.x, p.y);
        p.read = ++seen[{p.well->row, p.well->column}];
        r.reads = std::max(r.reads, p.read);
    }
}

}  // namespace

bool PlateResults::HasTimes() const {
    for (const auto& s : samples)
        for (const auto& reading : s.at)
            if (reading && reading->time) return true;
    return false;
}

std::vector<std::size_t> PlateResults::SamplesWithId(const std::string& id) const {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (samples[i].id == id) out.push_back(i);
    return out;
}

std::size_t PlateResults::ChooseSample(const std::optional<std::string>& id) const {
    if (samples.empty()) Refuse(fmt::format("{}: the data holds no samples", source));
    if (!id) return 0;
    const auto found = SamplesWithId(*id);
    if (found.size() == 1) return found.front();
    if (found.empty()) {
        std::string ids;
        for (std::size_t i = 0; i < samples.size() && i < 10; ++i)
            ids += (i ? ", " : "") + samples[i].id;
        if (samples.size() > 10) ids += ", ...";
        Refuse(fmt::format("{}: there is no sample '{}' (the samples are {})", source, *id, ids));
    }
    Refuse(
        fmt::format("{}: {} samples have the ID '{}' (rows {} and {}); the picture would not "
                    "say which it shows",
                    source, found.size(), *id, samples[found[0]].row, samples[found[1]].row));
}

PlateResults ResultsOf(const host::AcqData& data, const std::string& source) {
    PlateResults r;
    r.source = source;
    const auto info = data.RunInfo();
    const std::string* methodText = RunInfoValue(info, "method");
    if (!methodText)
        Refuse(fmt::format("{}: the data holds no method, so its positions are unknown", source));
    const auto method = kvdova::MethodFromJson(*methodText, source + " (method)");
    r.methodName = method->Name();
    if (const std::string* start = RunInfoValue(info, "startTime")) r.runTime = *start;
    for (std::int32_t i = 1; i <= method->ResultDefCount(); ++i) {
        const host::ResultDef def = method->GetResultDef(i);
        if (host::IEquals(def.id, "Int")) r.unit = def.unit;
    }
    r.positions = PositionsOf(*method, source);
    PlaceInWells(r);

    const std::int32_t n1 = data.ItemCount(host::ItemGroup::Type1);
    const std::int32_t n2 = data.ItemCount(host::ItemGroup::Other);
    r.samples.resize(static_cast<std::size_t>(n1 + n2));
    for (std::int32_t s = 1; s <= n1 + n2; ++s) {
        auto& sample = r.samples[static_cast<std::size_t>(s - 1)];
        sample.row = s;
        sample.id = s <= n1 ? data.ItemId(host::ItemGroup::Type1, s)
                            : data.ItemId(host::ItemGroup::Other, s - n1);
        sample.at.resize(r.positions.size());
    }
    const auto positions = static_cast<std::int32_t>(r.positions.size());
    for (std::int32_t k = 1; k <= data.ResultCount(); ++k) {
        const host::StoredResult stored = data.Result(k);
        if (stored.item <= 0) continue;  // belongs to no sample, as in the result table
        const bool type1 = stored.type == 1;
        if (stored.item > (type1 ? n1 : n2))
            Refuse(
                fmt::format("{}: result {} belongs to sample {} of result type {}, which the "
                            "data does not list",
                            source, k, stored.item, stored.type));
        if (stored.position < 1 || stored.position > positions)
            Refuse(fmt::format("{}: result {} is of position {}, but the method has {} position{}",
                               source, k, stored.position, positions, positions == 1 ? "" : "s"));
        const std::int32_t row = type1 ? stored.item : n1 + stored.item;
        // A result without a value is no reading; as a 0 it would be a wrong one.
        if (!stored.record || stored.record->Count() < 1)
            Refuse(fmt::format("{}: result {} (sample '{}', position {}) holds no reading", source,
                               k, r.samples[static_cast<std::size_t>(row - 1)].id,
                               stored.position));
        const auto& rec = *stored.record;
        Reading reading;
        reading.intensity = rec.Value(1);
        reading.overflow = rec.Count() >= 3 && rec.Value(3) == -1.0;
        if (rec.Count() >= 4) reading.time = rec.Value(4);
        // Written again, the later reading counts, as in the result table.
        r.samples[static_cast<std::size_t>(row - 1)]
            .at[static_cast<std::size_t>(stored.position - 1)] = reading;
    }
    return r;
}

PlateResults LoadResults(const std::string& path) {
    return ResultsOf(*kvdova::LoadAcqData(path), path);
}

}  // namespace plates
