// The "Adjust Pos" button of the setup page: steers the reader with DlgAdjust.
#include "module/ucvizari.h"
#include "proxy/corve_proxy.h"
#include "ui/dlg_adjust.h"

namespace module {

namespace {

constexpr std::int32_t kXColumn = 1;
constexpr std::int32_t kYColumn = 2;

}  // namespace

// Failure policy: no trap of its own; a failure reaches whoever clicked, and
// the dialog is unloaded on the way out. The row is written only on "OK",
// and only its X and Y cells.
void UCVIZari::AdjustPosition() {
    auto& grid = *page_->kvsScan;
    const std::int32_t row = grid.ActiveRow();
    if (row <= 0) return;
    // Empty cells (a row inserted at the top) read as 0.
    const double x = grid.Cell(kXColumn, row).ToDouble();
    const double y = grid.Cell(kYColumn, row).ToDouble();
    ui::DlgAdjust dialog;
    dialog.Setup(proxy_.get(), x, y);
    dialog.Show(form_->Handle());
    if (dialog.Accepted()) {
        grid.SetCell(kXColumn, row, dialog.XPos());
        grid.SetCell(kYColumn, row, dialog.YPos());
    }
}

}  // namespace module
