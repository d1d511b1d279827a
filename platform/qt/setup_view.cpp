#include "platform/qt/setup_view.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

#include "platform/qt/setup_table_model.h"
#include "platform/qt/setup_value_delegate.h"

namespace qtview {

SetupView::SetupView(std::shared_ptr<host::UCORVE> model, ViewContext context, QWidget* parent)
    : ControlView(model, context, parent),
      tableModel_(new SetupTableModel(std::move(model), context, this)),
      table_(new QTableView(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table_);
    table_->setModel(tableModel_);
    table_->setItemDelegateForColumn(1, new SetupValueDelegate(table_));
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    Attach();
}

}  // namespace qtview
