#pragma once
// The grid as a Qt table model: cells (column, row) from 1 become indexes
// from 0, the column captions and row captions become the headers. Cells show
// by their column's data type and output pattern and edit as the shortest text
// that reads back, so an unchanged edit keeps the exact value. An edit goes to
// UserEditCell; a refused value is reported and the cell keeps its value.
//
// The shape Qt sees changes only through a model reset: the adapter keeps the
// row and column counts it last announced and resets when the grid's differ.
#include <memory>

#include <QAbstractTableModel>

#include "host/control.h"
#include "platform/qt/view_context.h"

namespace qtview {

class SpreadTableModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    // The cell's own value (bool, int, double or text).
    static constexpr int kValueRole = Qt::UserRole + 1;

    SpreadTableModel(std::shared_ptr<host::KVSpread> spread, ViewContext context,
                     QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    host::KVSpread& Spread() const { return *spread_; }
    // Follows the grid after any change of its state.
    void Sync() noexcept;

  private:
    bool Holds(const QModelIndex& index) const;

    std::shared_ptr<host::KVSpread> spread_;
    ViewContext context_;
    int rows_ = 0;
    int columns_ = 0;
};

}  // namespace qtview
