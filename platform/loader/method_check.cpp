#include "platform/loader/method_check.h"

#include <cmath>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/host_texts.h"
#include "platform/kvdova/param_set.h"
#include "platform/plates/plate_format.h"
#include "platform/qnserver/plate_model.h"

namespace loader {
namespace {

using kvbase::Say;

constexpr const char* kMethodType = "FLVIZari";
constexpr std::int32_t kPositionColumns = 4;
constexpr const char* kColumnNames[kPositionColumns] = {"X-Pos", "Y-Pos", "Ex.Wl", "Em.Wl"};

// A position's cell as the page shows it: "Ex.Wl of position 1".
std::string CellName(const host::MethodObject& method, std::int32_t col, std::int32_t row,
                     const host::TextCatalog* texts) {
    const std::string caption = method.ColumnDef(1, col).caption;
    return Say(texts, "{} of position {}",
               caption.empty() ? std::string(kColumnNames[col - 1]) : caption, row);
}

[[noreturn]] void Refuse(const std::string& file, const std::string& what,
                         const host::TextCatalog* texts) {
    throw host::Error(kErrMethodDocument, Say(texts, "method '{}' cannot be used: {}", file, what));
}

}  // namespace

void CheckMethodDocument(const host::MethodObject& method, const std::string& file,
                         const host::TextCatalog* texts) {
    const std::string type = method.MethodType();
    if (!host::IEquals(type, kMethodType)) {
        Refuse(file, Say(texts, "its method type is '{}', not '{}'", type, kMethodType), texts);
    }
    if (method.TableCount() < 1)
        Refuse(file, Say(texts, "it has no position table (table 1)"), texts);
    const std::int32_t columns = method.ColumnCount(1);
    if (columns != kPositionColumns) {
        Refuse(file,
               Say(texts,
                   "its position table (table 1) has {} columns, not {} (X, Y, excitation, "
                   "emission)",
                   columns, kPositionColumns),
               texts);
    }
    const std::int32_t rows = method.RowCount(1);
    for (std::int32_t r = 1; r <= rows; ++r) {
        for (std::int32_t c = 1; c <= kPositionColumns; ++c) {
            const host::Variant cell = method.Cell(1, c, r);
            if (!cell.IsNumeric() || !std::isfinite(cell.ToDouble())) {
                const std::string held =
                    cell.IsEmpty() ? Say(texts, "nothing") : fmt::format("'{}'", cell.ToString());
                Refuse(file,
                       Say(texts, "{} holds {}, which is no number", CellName(method, c, r, texts),
                           held),
                       texts);
            }
        }
    }
    if (method.Params()->IndexOf("LumMode") < 1) {
        Refuse(file,
               Say(texts, "it has no \"LumMode\" parameter (the instrument setup is missing)"),
               texts);
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

std::string UnreachablePosition(const host::MethodObject& method, const StageTravel& travel,
                                const host::TextCatalog* texts) {
    const std::int32_t rows = method.RowCount(1);
    if (rows < 1) return Say(texts, "it has no positions to measure");
    if (!travel.known) return {};
    const kvbase::Range* ranges[] = {&travel.x, &travel.y};
    for (std::int32_t r = 1; r <= rows; ++r) {
        for (std::int32_t axis = 1; axis <= 2; ++axis) {
            const host::Variant cell = method.Cell(1, axis, r);
            const auto& range = *ranges[axis - 1];
            if (kvbase::InRange(range, cell)) continue;
            return Say(texts, "{}: {} mm lies outside the stage travel {} to {} mm",
                       CellName(method, axis, r, texts), cell.ToString(), range.lo.value_or(0.0),
                       range.hi.value_or(0.0));
        }
    }
    return {};
}

void CheckPositionsReachable(const host::MethodObject& method, const StageTravel& travel,
                             const std::string& file, const host::TextCatalog* texts) {
    const std::string problem = UnreachablePosition(method, travel, texts);
    if (!problem.empty()) Refuse(file, problem, texts);
}

void CheckPlateFits(const host::MethodObject& method, const std::string& methodFile,
                    const std::string& plateFile, const host::TextCatalog* texts) {
    const auto plate = qnserver::PlateModel::Load(plateFile);
    std::vector<plates::Point> points;
    for (std::int32_t r = 1; r <= method.RowCount(1); ++r)
        points.push_back({method.Cell(1, 1, r).ToDouble(), method.Cell(1, 2, r).ToDouble()});
    const plates::PlateFormat* format = plates::FormatOf(points);
    if (!format || format->wells == plate.Wells()) return;
    const std::string where = plate.FormatLine() > 0
                                  ? Say(texts, "{}, line {}: a {}-well plate", plateFile,
                                        plate.FormatLine(), plate.Wells())
                                  : Say(texts, "{}: a {}-well plate (it has no \"wells\" line)",
                                        plateFile, plate.Wells());
    throw host::Error(kErrMethodDocument,
                      Say(texts, "{}, but the method '{}' reads the wells of a {}-well plate",
                          where, methodFile, format->wells));
}

}  // namespace loader
