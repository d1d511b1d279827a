#pragma once
// The editor of a setup value: a drop-down for a list range or a boolean, a
// line edit for everything else. The chosen text goes to the model as typed.
#include <QStyledItemDelegate>

namespace qtview {

class SetupValueDelegate final : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};

}  // namespace qtview
