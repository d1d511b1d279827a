#pragma once
// The instrument setup display as a property editor: one row per shown setup
// item, its name and its value; a person edits the value column.
#include <memory>

#include "platform/qt/control_view.h"

class QTableView;

namespace qtview {

class SetupTableModel;

class SetupView final : public ControlView {
    Q_OBJECT

  public:
    SetupView(std::shared_ptr<host::UCORVE> model, ViewContext context, QWidget* parent);

    QTableView* Table() const { return table_; }
    SetupTableModel* TableModel() const { return tableModel_; }

  private:
    void RepaintContent() override {}

    SetupTableModel* tableModel_;
    QTableView* table_;
};

}  // namespace qtview
