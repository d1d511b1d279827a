#include "method/result_table.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>

#include "host/error.h"
#include "proxy/trap.h"
#include "ui/dlg_file.h"

namespace method {
namespace {

constexpr std::int32_t kSampleIdWidth = 2000;
constexpr std::int32_t kIntensityWidth = 1000;

std::shared_ptr<host::ParamDef> NewDef(host::Host& h, const std::string& id, std::int32_t valueType,
                                       const std::string& caption, const std::string& unit,
                                       const std::string& format) {
    auto def = h.Progress().CreateParamDef(id, valueType, caption, unit, host::kCtrlEdit, format,
                                           "", "", true, false, false);
    if (!def) throw host::Error(host::kErrUnexpected, "the host created no definition for " + id);
    return def;
}

[[noreturn]] void BadResult(const std::string& text) {
    throw host::Error(kErrStoredResult, text);
}

}  // namespace

ResultTable::ResultTable(host::Host& host, host::KVSpread& KVSResult, host::KVSpread& KVSScan,
                         ControlState state)
    : host_(host),
      KVSResult_(KVSResult),
      KVSScan_(KVSScan),
      state_(state),
      self_(std::make_shared<ResultTable*>(this)) {}

void ResultTable::Connect() {
    if (connected_) return;
    connected_ = true;
    const std::weak_ptr<ResultTable*> self = self_;
    KVSResult_.OnCommand([self] {
        if (const auto table = self.lock()) (*table)->OnGridCommand();
    });
    KVSResult_.OnSaveRequest([self] {
        if (const auto table = self.lock()) (*table)->OnGridSaveRequest();
    });
}

void ResultTable::InitResultTable() {
    built_ = 0;
    KVSResult_.Reset();
    KVSResult_.SetColumnCount(0);
    KVSResult_.SetRowCount(0);
    const auto def = NewDef(host_, host_.Environment().SampleIdKey(), host::kTypeText,
                            host_.Texts().Text("Sample ID", "Sample ID"), "", "");
    KVSResult_.AddColumn(*def, kSampleIdWidth);
}

host::ParamDef ResultTable::IntensityColumn(const host::ParamDef& base, std::int32_t i) const {
    host::ParamDef def = base;
    const std::string number = host_.Numbers().IntToText(i, "");
    def.id = base.id + "[" + number + "]";
    def.caption = base.caption + "(" + number + ")";
    return def;
}

void ResultTable::SetResultColumns() {
    KVSResult_.SetRowCount(0);
    const auto def =
        NewDef(host_, "Int", host::kTypeNumber, host_.Texts().Text("CapFLIntens", "Int"),
               host_.Texts().Text("UnitFLIntens", "#"), "0.000");
    const std::int32_t positions = KVSScan_.RowCount();
    // The intensity columns the last call built stay when they are still
    // what this call would build: only the columns that changed go or come.
    // Typing a plate's positions one cell at a time would otherwise rebuild
    // every column for every cell.
    std::int32_t keep = 0;
    if (built_ > 0 && *def == builtFrom_ && KVSResult_.ColumnCount() == 1 + built_) {
        keep = std::min(built_, positions);
        const auto last = KVSResult_.ColumnDef(1 + built_);
        if (last.id != IntensityColumn(*def, built_).id) keep = 0;
    }
    built_ = 0;
    KVSResult_.SetColumnCount(1 + keep);
    // One definition serves every position: the grid keeps its own copy of each.
    for (std::int32_t i = keep + 1; i <= positions; ++i)
        KVSResult_.AddColumn(IntensityColumn(*def, i), kIntensityWidth);
    builtFrom_ = *def;
    built_ = positions;
}

void ResultTable::ClearAcqData() {
    KVSResult_.SetRowCount(0);
}

host::Status ResultTable::LoadAcqData(std::shared_ptr<host::AcqData> pData) {
    // Trap and return: only keeping the data can fail here; the fill's status is not examined.
    return proxy::Trap([&] {
        state_.acqData = std::move(pData);
        FillResultTable(state_.acqData);
    });
}

host::Status ResultTable::FillResultTable(const std::shared_ptr<host::AcqData>& pData) {
    // Trap and return: the first failure ends the fill; rows filled so far stay.
    return proxy::Trap([&] { Fill(pData); });
}

void ResultTable::Fill(const std::shared_ptr<host::AcqData>& pData) {
    // Empty first, so no reading of earlier data stays beside this data's.
    KVSResult_.SetRowCount(0);
    if (!pData) BadResult("there is no acquisition data to show");
    const host::AcqData& data = *pData;
    const std::int32_t n1 = data.ItemCount(host::ItemGroup::Type1);
    const std::int32_t n2 = data.ItemCount(host::ItemGroup::Other);
    if (n1 < 0 || n2 < 0 ||
        static_cast<std::int64_t>(n1) + n2 > std::numeric_limits<std::int32_t>::max())
        BadResult(fmt::format("the data's item counts {} and {} do not make a table", n1, n2));
    KVSResult_.SetRowCount(n1 + n2);

    const std::int32_t positions = KVSResult_.ColumnCount() - 1;
    const std::string prefix = state_.noAutoClear ? data.Text() + "." : "";
    const std::int32_t results = data.ResultCount();
    for (std::int32_t k = 1; k <= results; ++k) {
        const host::StoredResult result = data.Result(k);
        if (result.item <= 0) continue;
        std::string id;
        std::int32_t row = 0;
        if (result.type == 1) {
            if (result.item > n1)
                BadResult(fmt::format("stored result {} names type-1 item {}, but the data has {}",
                                      k, result.item, n1));
            id = data.ItemId(host::ItemGroup::Type1, result.item);
            row = result.item;
        } else {
            if (result.item > n2)
                BadResult(
                    fmt::format("stored result {} names item {} of result type {}, but the "
                                "data has {} such items",
                                k, result.item, result.type, n2));
            id = data.ItemId(host::ItemGroup::Other, result.item);
            row = data.ItemCount(host::ItemGroup::Type1) + result.item;
        }
        if (result.position < 1 || result.position > positions)
            BadResult(fmt::format("stored result {} names position {}, but the table has {}", k,
                                  result.position, positions));
        if (!result.record || result.record->Count() < 1)
            BadResult(fmt::format("stored result {} holds no reading", k));
        KVSResult_.SetCell(1, row, prefix + id);
        KVSResult_.SetCell(result.position + 1, row, result.record->Value(1));
    }
}

void ResultTable::GetSelectedCurves(const std::shared_ptr<host::CurveInfo>&,
                                    const std::shared_ptr<host::CurveInfo>&) {}

void ResultTable::HandleMenuCommand(const std::string& pType, const std::string& pCommand) {
    if (host::IEquals(pType, "Table")) KVSResult_.MenuCommand(pCommand);
}

void ResultTable::OnGridCommand() {
    KVSResult_.Command();
}

void ResultTable::OnGridSaveRequest() {
    // Trap: every failure is shown by its message text; a cancelled dialog does nothing.
    const host::Status status = proxy::Trap([&] {
        std::string path;
        const std::string title = host_.Texts().Text("Save File", "Save File");
        if (ui::SaveFileDialog(state_.owner, title, "", "", "txt", path) != 0) return;
        host_.Errors().Check(KVSResult_.SaveToFile(path), "*");
    });
    if (status == 0) return;
    try {
        host_.Progress().ShowMessage(host_.Errors().MessageText(status));
    } catch (...) {
        // Nothing is left to report a failing message display with.
    }
}

}  // namespace method
