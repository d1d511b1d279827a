#include "ui/setup_page.h"

#include <fmt/format.h>

#include <algorithm>

#include "host/context.h"
#include "host/error.h"
#include "method/fl_utils.h"
#include "method/method_entries.h"

namespace ui {
namespace {

constexpr std::int32_t kRightButton = 2;
constexpr std::int32_t kPositionColumns = 4;
constexpr std::int32_t kExWlColumn = 3;
constexpr std::int32_t kEmWlColumn = 4;
// Grid height: a header and at least four rows of 255 twips.
constexpr std::int32_t kGridHeader = 285;
constexpr std::int32_t kGridRow = 255;
constexpr std::int32_t kGridMinRows = 4;
constexpr std::int32_t kPanelBelowGridAfterInsert = 255;
constexpr std::int32_t kPanelBelowGridAfterDelete = 285;
constexpr std::int32_t kSetupAreaMargin = 30;

template <class T>
std::shared_ptr<T> Get(host::Form& form, const char* name) {
    auto c = host::As<T>(form.Find(name));
    if (!c) {
        throw host::Error(host::kErrUnexpected,
                          fmt::format("page control '{}' is of the wrong kind", name));
    }
    return c;
}

template <class F>
void Step(F&& f) {
    try {
        f();
    } catch (...) {  // a layout step that fails is skipped; the next one runs
    }
}

template <class F>
void EndSilently(F&& f) {
    try {
        f();
    } catch (...) {
    }
}

}  // namespace

SetupPage::SetupPage(host::Form& f)
    : form(f),
      pgSetup(f.Find("PgSetup")),
      pnlResult(f.Find("PnlResult")),
      pnlSetup(f.Find("PnlSetup")),
      pnlInst(f.Find("PnlInst")),
      kvpHideDetails(Get<host::KVPicButton>(f, "KVPHideDetails")),
      kvpShowDetails(Get<host::KVPicButton>(f, "KVPShowDetails")),
      kvpAddPos(Get<host::KVPicButton>(f, "KVPAddPos")),
      kvpRemovePos(Get<host::KVPicButton>(f, "KVPRemovePos")),
      kvpAdjust(Get<host::KVPicButton>(f, "KVPAdjust")),
      kvsResult(Get<host::KVSpread>(f, "KVSResult")),
      kvsScan(Get<host::KVSpread>(f, "KVSScan")),
      kveExSlit(Get<host::KVEntry>(f, "KVEExSlit")),
      kveEmSlit(Get<host::KVEntry>(f, "KVEEmSlit")),
      kveGain(Get<host::KVEntry>(f, "KVEGain")),
      kveAutoLamp(Get<host::KVEntry>(f, "KVEAutoLamp")),
      kveIntTime(Get<host::KVEntry>(f, "KVEIntTime")),
      ucorve(Get<host::UCORVE>(f, "UCORVE")),
      mnuPopUp(Get<host::ContextMenu>(f, "mnuPopUp")),
      mnuCopyMethod(Get<host::MenuItem>(f, "mnuCopyMethod")) {}

void SetupPage::InitSetupEntries(method::MethodEntries& entries) {
    auto& h = host::CurrentHost();
    auto& errors = h.Errors();
    auto& texts = h.Texts();
    errors.Check(entries.AddEntry(kveIntTime, "IntTime", texts.Text("Int.Time", "")), "*");
    errors.Check(entries.AddEntry(kveAutoLamp, "AutoLamp", texts.Text("AutoLampOff", "")), "*");
    const auto def =
        h.Progress().CreateResultDef("Int", host::kTypeNumber, texts.Text("CapFLIntens", "Int"),
                                     texts.Text("UnitFLIntens", "#"), "0.000");
    if (!def) throw host::Error(host::kErrUnexpected, "the host created no result definition");
    entries.AddResultDef(*def, "", 1);
}

void SetupPage::ApplySetupRanges(const host::ParamDefList& description) {
    using method::SetupRangeOf;
    kveIntTime->SetRange(SetupRangeOf(description, "IntTime", ""));
    kveExSlit->SetRange(SetupRangeOf(description, "ExSlit", ""));
    kveEmSlit->SetRange(SetupRangeOf(description, "EmSlit", ""));
    kvsScan->SetColumnRange(kExWlColumn, SetupRangeOf(description, "ExWl", ""));
    kvsScan->SetColumnRange(kEmWlColumn, SetupRangeOf(description, "EmWl", ""));
}

void SetupPage::Connect(std::function<void()> setResultColumns, std::function<void()> adjustPos) {
    setResultColumns_ = std::move(setResultColumns);
    kveExSlit->OnValueChanged([this] { OnSlitOrTimeChanged(*kveExSlit, "ExSlit"); });
    kveEmSlit->OnValueChanged([this] { OnSlitOrTimeChanged(*kveEmSlit, "EmSlit"); });
    kveIntTime->OnValueChanged([this] { OnSlitOrTimeChanged(*kveIntTime, "IntTime"); });
    kveGain->OnValueChanged([this] { OnGainChanged(); });
    kveAutoLamp->OnValueChanged([this] { OnAutoLampChanged(); });
    ucorve->OnSetupChanged([this] { OnSetupChanged(); });
    const auto panel = host::As<host::Panel>(pnlSetup);
    if (!panel) {
        throw host::Error(host::kErrUnexpected, "page control 'PnlSetup' is not a picture box");
    }
    panel->OnMouseDown(
        [this](std::int32_t button, std::int32_t x, std::int32_t y) { OnMouseDown(button, x, y); });
    mnuCopyMethod->OnClick([this] {
        if (copyMethod_) copyMethod_();
    });
    kvpShowDetails->OnClick([this] { ShowDetails(); });
    kvpHideDetails->OnClick([this] { HideDetails(); });
    kvpAddPos->OnClick([this] { InsertPos(); });
    kvpRemovePos->OnClick([this] { DeletePos(); });
    kvsScan->OnRowSelected([this](std::int32_t row) { OnRowSelected(row); });
    kvsScan->OnCellChanged([this](std::int32_t col, std::int32_t row) { OnCellChanged(col, row); });
    if (adjustPos) kvpAdjust->OnClick(std::move(adjustPos));
    form.OnResize([this] { ApplyLayout(); });
}

void SetupPage::SetCopyMethodAction(std::function<void()> action) {
    copyMethod_ = std::move(action);
}

// ---- setup entries and the instrument setup display ----

void SetupPage::OnSlitOrTimeChanged(host::KVEntry& entry, const char* key) {
    EndSilently([&] { ucorve->SetSetupValue(key, entry.Value()); });
}

void SetupPage::ShowPageInDisplay() {
    ucorve->SetSetupValue("ExSlit", kveExSlit->Value());
    ucorve->SetSetupValue("EmSlit", kveEmSlit->Value());
    ucorve->SetSetupValue("IntTime", kveIntTime->Value());
    ShowGainInDisplay();
    if (kvsScan->RowCount() >= 1) {
        ucorve->SetSetupValue("ExWl", kvsScan->Cell(kExWlColumn, 1));
        ucorve->SetSetupValue("EmWl", kvsScan->Cell(kEmWlColumn, 1));
    }
}

void SetupPage::ShowGainInDisplay() {
    auto& strings = host::CurrentHost().Strings();
    const double voltage =
        method::GainToVoltage(strings.ItemIndex(kveGain->Value().ToString(), kveGain->Range()));
    // "Custom" and anything off the list leave the display's voltage alone.
    if (voltage > 0) ucorve->SetSetupValue("Voltage", voltage);
}

void SetupPage::OnGainChanged() {
    EndSilently([&] { ShowGainInDisplay(); });
}

void SetupPage::OnAutoLampChanged() {
    auto& strings = host::CurrentHost().Strings();
    autoLampOn = strings.ItemIndex(kveAutoLamp->Value().ToString(), kveAutoLamp->Range()) == 1;
}

// The lamp and the wavelengths stay the page's own: they are not taken back.
void SetupPage::OnSetupChanged() {
    EndSilently([&] {
        const auto setup = ucorve->CurrentSetup();
        kveIntTime->SetValue(setup->ValueOf("IntTime"));
        kveExSlit->SetValue(setup->ValueOf("ExSlit"));
        kveEmSlit->SetValue(setup->ValueOf("EmSlit"));
        const std::int32_t position = method::VoltageToGain(setup->ValueOf("Voltage").ToDouble());
        kveGain->SetValue(host::CurrentHost().Strings().ItemAt(position, kveGain->Range()));
    });
}

// ---- details and context menu ----

void SetupPage::ShowDetails() {
    detailsShown = true;
    kvpShowDetails->SetVisible(false);
    kvpHideDetails->SetVisible(detailsShown);
    pnlInst->SetVisible(true);
    setupAreaHeight += pnlInst->Geometry().height;
    ApplyLayout();
}

// The instrument panel keeps its visibility: the layout puts it below the
// control's bottom edge.
void SetupPage::HideDetails() {
    detailsShown = false;
    kvpShowDetails->SetVisible(true);
    kvpHideDetails->SetVisible(detailsShown);
    setupAreaHeight = pnlSetup->Geometry().height + kSetupAreaMargin;
    ApplyLayout();
}

void SetupPage::OnMouseDown(std::int32_t button, std::int32_t x, std::int32_t y) {
    if (button == kRightButton) mnuPopUp->Popup(x, y);
}

// ---- position list ----

void SetupPage::InsertPos() {
    auto& grid = *kvsScan;
    const std::int32_t n = grid.RowCount();
    std::int32_t r = grid.ActiveRow();
    if (r > n || r < 1) r = n + 1;
    grid.InsertRow(r);
    // A new row starts as a copy of the row above; one at the top stays empty.
    if (r >= 2) {
        for (std::int32_t c = 1; c <= kPositionColumns; ++c)
            grid.SetCell(c, r, grid.Cell(c, r - 1));
    }
    RewriteRowCaptions();
    SetResultColumns();
    ResizeToRows(kPanelBelowGridAfterInsert);
}

void SetupPage::DeletePos() {
    auto& grid = *kvsScan;
    const std::int32_t r = grid.ActiveRow();
    // A method keeps at least one position, whatever the button's state says.
    if (grid.RowCount() <= 1 && r >= 1) {
        throw host::Error(kErrLastPosition, "the only position of the method cannot be deleted");
    }
    grid.DeleteRow(r);
    SetResultColumns();
    kvpRemovePos->SetEnabled(false);
    RewriteRowCaptions();
    ResizeToRows(kPanelBelowGridAfterDelete);
}

void SetupPage::OnRowSelected(std::int32_t row) {
    kvpRemovePos->SetEnabled(kvsScan->RowCount() > 1 && row > 0);
    kvpAdjust->SetEnabled(row > 0);
}

// The display follows the first position's wavelengths only.
void SetupPage::OnCellChanged(std::int32_t col, std::int32_t row) {
    SetResultColumns();
    if (row != 1) return;
    if (col == kExWlColumn) ucorve->SetSetupValue("ExWl", kvsScan->Cell(kExWlColumn, 1));
    if (col == kEmWlColumn) ucorve->SetSetupValue("EmWl", kvsScan->Cell(kEmWlColumn, 1));
}

// Every caption ends up as its row's number; only those that are not are
// written, and each number is formatted once. An insert or delete then costs
// a comparison per row instead of a formatting and a write per row, which
// typing a plate of 1536 positions row by row would pay 1536 times over.
void SetupPage::RewriteRowCaptions() {
    auto& numbers = host::CurrentHost().Numbers();
    const std::int32_t rows = kvsScan->RowCount();
    while (static_cast<std::int32_t>(rowNumbers_.size()) < rows)
        rowNumbers_.push_back(
            numbers.IntToText(static_cast<std::int32_t>(rowNumbers_.size()) + 1, ""));
    for (std::int32_t i = 1; i <= rows; ++i) {
        const std::string& number = rowNumbers_[static_cast<std::size_t>(i - 1)];
        if (kvsScan->RowCaption(i) != number) kvsScan->SetRowCaption(i, number);
    }
}

void SetupPage::ResizeToRows(std::int32_t panelExtra) {
    auto& grid = *kvsScan;
    const std::int32_t rows = grid.RowCount();
    const std::int32_t gridHeight = kGridHeader + kGridRow * std::max(rows, kGridMinRows);
    grid.SetHeight(gridHeight);
    pnlSetup->SetHeight(gridHeight + panelExtra);
    setupAreaHeight = pnlSetup->Geometry().height + kSetupAreaMargin;
    if (detailsShown) setupAreaHeight += pnlInst->Geometry().height;
    ApplyLayout();
}

void SetupPage::SetResultColumns() {
    if (setResultColumns_) setResultColumns_();
}

void SetupPage::ApplyLayout() {
    const std::int32_t h = form.Height();
    const std::int32_t w = form.Width() + 15;
    Step([&] {
        pgSetup->SetWidth(w);
        pgSetup->SetHeight(h);
    });
    Step([&] {
        pnlResult->SetWidth(w);
        pnlResult->SetHeight(h - setupAreaHeight + 45);
    });
    Step([&] {
        kvsResult->SetWidth(w);
        kvsResult->SetHeight(h - setupAreaHeight);
    });
    Step([&] {
        pnlSetup->SetTop(kvsResult->Geometry().height + 15);
        pnlSetup->SetWidth(w);
    });
    Step([&] {
        auto s = pnlSetup->Geometry();
        pnlInst->SetTop(s.top + s.height + 15);
        pnlInst->SetWidth(w);
    });
    Step([&] { ucorve->SetWidth(w - 180); });
    Step([&] {
        kvpHideDetails->SetTop(h - 450);
        kvpShowDetails->SetTop(h - 450);
    });
}

}  // namespace ui
