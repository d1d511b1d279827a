#pragma once
// The grid: a table view over the grid's table model, with row captions when
// "displayrowcaption" is set, the designed column widths and hidden columns.
// A column shown narrower than its caption or a value it holds grows to show
// it whole; the model's widths stay as designed.
// The person's current row is the grid's active row (UserSelectRow; 0 when
// none), and the grid's active row set by code is shown without a report.
// With "enablepopup" the right button opens the grid's own popup menu. It
// offers only what has an effect: "Save..." (the save request) when the grid's
// owner answers it; a grid with nothing to offer opens no menu. The grid's
// command has no effect a person could see, so the menu has no item for it.
#include <map>
#include <memory>
#include <vector>

#include "platform/qt/control_view.h"

class QMenu;
class QModelIndex;
class QTableView;

namespace qtview {

class SpreadTableModel;

class SpreadView final : public ControlView {
    Q_OBJECT

  public:
    SpreadView(std::shared_ptr<host::KVSpread> model, ViewContext context, QWidget* parent);

    QTableView* Table() const { return table_; }
    SpreadTableModel* TableModel() const { return tableModel_; }
    // The popup menu with what it offers; nullptr when it offers nothing. The
    // caller owns it.
    std::unique_ptr<QMenu> MakePopupMenu(QWidget* parent);

  private:
    void RepaintContent() override;
    void ShowActiveRow() noexcept;
    void OnCurrentRowChanged(const QModelIndex& current);
    void ShowPopup(const QPoint& position);
    void FitColumnsSoon();
    void FitColumns() noexcept;
    void ForgetFit() noexcept;  // the next fit looks at every row

    std::shared_ptr<host::KVSpread> spread_;
    SpreadTableModel* tableModel_;
    QTableView* table_;
    std::map<int, int> appliedWidths_;  // twips last applied per column, so a person's widths stay
    bool showingActiveRow_ = false;
    // What the columns were fitted to: the longest text (in characters) and its
    // width per column, and the rows looked at. Rows above the last one looked
    // at are complete (readings fill a new row), so later fits look from there;
    // once the grid has been emptied, the next fit looks at every row again.
    std::vector<int> fitChars_, fitWidth_;
    int fitRows_ = 0;
    bool fitPending_ = false;
};

}  // namespace qtview
