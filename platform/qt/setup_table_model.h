#pragma once
// The instrument setup display as a two-column table model: each shown setup
// item is a row with its name (and unit) and its value. The value column edits
// through UserEditValue; a refused value is reported and the old one stays.
//
// The rows come from a snapshot of the display's current setup, renewed on
// every change it reports; the row count Qt sees changes through a reset.
#include <memory>

#include <QAbstractTableModel>

#include "host/control.h"
#include "platform/qt/view_context.h"

namespace qtview {

class SetupTableModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    // The value column's range text and data type, for its editor.
    static constexpr int kRangeRole = Qt::UserRole + 1;
    static constexpr int kDataTypeRole = Qt::UserRole + 2;
    // The item's ID, in either column.
    static constexpr int kKeyRole = Qt::UserRole + 3;
    // The texts a person reads for the range's list items, in the catalogue's language.
    static constexpr int kChoiceTextsRole = Qt::UserRole + 4;

    SetupTableModel(std::shared_ptr<host::UCORVE> display, ViewContext context,
                    QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    void Sync() noexcept;

  private:
    bool Holds(const QModelIndex& index) const;

    std::shared_ptr<host::UCORVE> display_;
    ViewContext context_;
    std::shared_ptr<host::ParamSet> shown_;
};

}  // namespace qtview
