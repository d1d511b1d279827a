#include "platform/loader/method_check.h"

#include <cmath>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvdova/param_set.h"
#include "platform/plates/plate_format.h"
#include "platform/qnserver/plate_model.h"

namespace loader {
namespace {

constexpr const char* kMethodType = "FLVIZari";
constexpr std::int32_t kPositionColumns = 4;
constexpr const char* kColumnNames[kPositionColumns] = {"X-Pos", "Y-Pos", "Ex.Wl", "Em.Wl"};

// A position's cell as the page shows it: "Ex.Wl of position 1".
std::string CellName(const host::MethodObject& method, std::int32_t col, std::int32_t row) {
    const std::string caption = method.ColumnDef(1, col).caption;
    return fmt::format("{} of position {}", caption.empty() ? kColumnNames[col - 1] : caption, row);
}

[[noreturn]] void Refuse(const std::string& file, const std::string& what) {
    throw host::Error(kErrMethodDocument,
                      fmt::format("method '{}' cannot be used: {}", file, what));
}

}  // namespace

void CheckMethodDocument(const host::MethodObject& method, const std::string& file) {
    const std::string type = method.MethodType();
    if (!host::IEquals(type, kMethodType)) {
        Refuse(file, fmt::format("its method type is '{}', not '{}'", type, kMethodType));
    }
    if (method.TableCount() < 1) Refuse(file, "it has no position table (table 1)");
    const std::int32_t columns = method.ColumnCount(1);
    if (columns != kPositionColumns) {
        Refuse(file, fmt::format("its position table (table 1) has {} columns, not {} (X, Y, "
                                 "excitation, emission)",
                                 columns, kPositionColumns));
    }
    const std::int32_t rows = method.RowCount(1);
    for (std::int32_t r = 1; r <= rows; ++r) {
        for (std::int32_t c = 1; c <= kPositionColumns; ++c) {
            const host::Variant cell = method.Cell(1, c, r);
            if (!cell.IsNumeric() || !std::isfinite(cell.ToDouble())) {
                const std::string held =
                    cell.IsEmpty() ? std::string("nothing") : fmt::format("'{}'", cell.ToString());
                Refuse(file, fmt::format("{} holds {}, which is no number", CellName(method, c, r),
                                         held));
            }
        }
    }
    if (method.Params()->IndexOf("LumMode") < 1) {
        Refuse(file, "it has no \"LumMode\" parameter (the instrument setup is missing)");
    }
}

StageTravel ReadStageTravel(host::InstrumentServerFactory& instruments) {
    StageTravel travel;
    auto server = instruments.CreateServer();
    auto packet = instruments.CreatePacket();
    if (!server || !packet) return travel;
    server->GetInstInfo(*packet);
    kvdova::ParamSet info;
    info.LoadFrom(*packet, 0);
    if (info.IndexOf("StageX") < 1 || info.IndexOf("StageY") < 1) return travel;
    travel.x = kvbase::ParseRange(info.ValueOf("StageX").ToString());
    travel.y = kvbase::ParseRange(info.ValueOf("StageY").ToString());
    travel.known = true;
    return travel;
}

std::string UnreachablePosition(const host::MethodObject& method, const StageTravel& travel) {
    const std::int32_t rows = method.RowCount(1);
    if (rows < 1) return "it has no positions to measure";
    if (!travel.known) return {};
    const kvbase::Range* ranges[] = {&travel.x, &travel.y};
    for (std::int32_t r = 1; r <= rows; ++r) {
        for (std::int32_t axis = 1; axis <= 2; ++axis) {
            const host::Variant cell = method.Cell(1, axis, r);
            const auto& range = *ranges[axis - 1];
            if (kvbase::InRange(range, cell)) continue;
            return fmt::format("{}: {} mm lies outside the stage travel {} to {} mm",
                               CellName(method, axis, r), cell.ToString(), range.lo.value_or(0.0),
                               range.hi.value_or(0.0));
        }
    }
    return {};
}

void CheckPositionsReachable(const host::MethodObject& method, const StageTravel& travel,
                             const std::string& file) {
    const std::string problem = UnreachablePosition(method, travel);
    if (!problem.empty()) Refuse(file, problem);
}

void CheckPlateFits(const host::MethodObject& method, const std::string& methodFile,
                    const std::string& plateFile) {
    const auto plate = qnserver::PlateModel::Load(plateFile);
    std::vector<plates::Point> points;
    for (std::int32_t r = 1; r <= method.RowCount(1); ++r)
        points.push_back({method.Cell(1, 1, r).ToDouble(), method.Cell(1, 2, r).ToDouble()});
    const plates::PlateFormat* format = plates::FormatOf(points);
    if (!format || format->wells == plate.Wells()) return;
    const std::string where = plate.FormatLine() > 0
                                  ? fmt::format("{}, line {}: a {}-well plate", plateFile,
                                                plate.FormatLine(), plate.Wells())
                                  : fmt::format("{}: a {}-well plate (it has no \"wells\" line)",
                                                plateFile, plate.Wells());
    throw host::Error(kErrMethodDocument,
                      fmt::format("{}, but the method '{}' reads the wells of a {}-well plate",
                                  where, methodFile, format->wells));
}

}  // namespace loader
