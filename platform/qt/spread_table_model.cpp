#include "platform/qt/spread_table_model.h"

#include <QFont>
#include <QPointer>

#include "platform/qt/view_support.h"

namespace qtview {

SpreadTableModel::SpreadTableModel(std::shared_ptr<host::KVSpread> spread, ViewContext context,
                                   QObject* parent)
    : QAbstractTableModel(parent), spread_(std::move(spread)), context_(std::move(context)) {
    rows_ = spread_->RowCount();
    columns_ = spread_->ColumnCount();
    spread_->OnStateChanged([model = QPointer<SpreadTableModel>(this)] {
        if (model) model->Sync();
    });
}

void SpreadTableModel::Sync() noexcept {
    try {
        const int rows = spread_->RowCount();
        const int columns = spread_->ColumnCount();
        if (rows != rows_ || columns != columns_) {
            beginResetModel();
            rows_ = rows;
            columns_ = columns;
            endResetModel();
            return;
        }
        if (rows_ > 0 && columns_ > 0)
            emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
        if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
        if (rows_ > 0) emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
    } catch (...) {
        // The views keep what they show; the next change brings them up to date.
    }
}

int SpreadTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int SpreadTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

bool SpreadTableModel::Holds(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && index.row() < rows_ &&
           index.column() < columns_ && index.row() < spread_->RowCount() &&
           index.column() < spread_->ColumnCount();
}

QVariant SpreadTableModel::data(const QModelIndex& index, int role) const {
    if (!Holds(index)) return {};
    try {
        const std::int32_t col = index.column() + 1;
        const std::int32_t row = index.row() + 1;
        switch (role) {
            case Qt::DisplayRole: {
                const host::ParamDef def = spread_->ColumnDef(col);
                return Q(ValueText(spread_->Cell(col, row), def.dataType, def.format));
            }
            case Qt::EditRole:
                return Q(EditText(spread_->Cell(col, row)));
            case kValueRole:
                return ToQVariant(spread_->Cell(col, row));
            case Qt::TextAlignmentRole:
                if (spread_->ColumnDef(col).dataType == host::kTypeNumber)
                    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
                return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
            default:
                return {};
        }
    } catch (...) {
        return {};
    }
}

QVariant SpreadTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section < 0) return {};
    try {
        if (orientation == Qt::Horizontal) {
            if (section >= columns_ || section >= spread_->ColumnCount()) return {};
            const host::ParamDef def = spread_->ColumnDef(section + 1);
            if (role == Qt::DisplayRole) return Q(def.caption);
            if (role == Qt::ToolTipRole) {
                std::string tip = def.caption;
                if (!def.unit.empty()) tip += " [" + def.unit + "]";
                if (!def.range.empty()) tip += "\n" + def.range;
                return Q(tip);
            }
        } else {
            if (section >= rows_ || section >= spread_->RowCount()) return {};
            if (role == Qt::DisplayRole) return Q(spread_->RowCaption(section + 1));
        }
        if (role == Qt::FontRole && BoolProperty(*spread_, "captionbold", false)) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
    } catch (...) {
    }
    return {};
}

Qt::ItemFlags SpreadTableModel::flags(const QModelIndex& index) const {
    if (!Holds(index)) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    try {
        if (!spread_->ColumnDef(index.column() + 1).locked) f |= Qt::ItemIsEditable;
    } catch (...) {
    }
    return f;
}

bool SpreadTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !Holds(index)) return false;
    const std::int32_t col = index.column() + 1;
    const std::int32_t row = index.row() + 1;
    const host::Variant typed = FromQVariant(value);
    // Committing the text that is already there changes nothing and tells nobody.
    if (value.typeId() == QMetaType::QString &&
        value.toString() == data(index, Qt::EditRole).toString())
        return true;
    const bool taken = Guard(context_, [&] { spread_->UserEditCell(col, row, typed); });
    if (!taken) emit dataChanged(index, index);
    return taken;
}

}  // namespace qtview
