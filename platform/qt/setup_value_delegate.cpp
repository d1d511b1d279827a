#include "platform/qt/setup_value_delegate.h"

#include <QComboBox>

#include "platform/qt/setup_table_model.h"
#include "platform/qt/view_support.h"

namespace qtview {
namespace {

QStringList ChoicesOf(const QModelIndex& index) {
    QStringList choices;
    for (const auto& item : ListItems(S(index.data(SetupTableModel::kRangeRole).toString())))
        choices << Q(item);
    if (choices.isEmpty() &&
        index.data(SetupTableModel::kDataTypeRole).toInt() == host::kTypeBoolean)
        choices << QStringLiteral("True") << QStringLiteral("False");
    return choices;
}

}  // namespace

QWidget* SetupValueDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
    const QStringList choices = ChoicesOf(index);
    if (choices.isEmpty()) return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new QComboBox(parent);
    QStringList shown = index.data(SetupTableModel::kChoiceTextsRole).toStringList();
    if (shown.size() != choices.size()) shown = choices;
    for (int i = 0; i < choices.size(); ++i) combo->addItem(shown[i], choices[i]);
    return combo;
}

void SetupValueDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(combo->findData(index.data(Qt::EditRole).toString(), Qt::UserRole,
                                               Qt::MatchFixedString));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void SetupValueDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                      const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (combo->currentIndex() >= 0)
            model->setData(index, combo->currentData().toString(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

}  // namespace qtview
