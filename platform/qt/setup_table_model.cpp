#include "platform/qt/setup_table_model.h"

#include <QPointer>

#include "platform/qt/catalogue_texts.h"
#include "platform/qt/view_support.h"

namespace qtview {
namespace {

std::shared_ptr<host::ParamSet> Snapshot(const host::UCORVE& display) {
    try {
        return display.CurrentSetup();
    } catch (...) {
        return nullptr;
    }
}

int CountOf(const std::shared_ptr<host::ParamSet>& set) {
    try {
        return set ? set->Count() : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace

SetupTableModel::SetupTableModel(std::shared_ptr<host::UCORVE> display, ViewContext context,
                                 QObject* parent)
    : QAbstractTableModel(parent),
      display_(std::move(display)),
      context_(std::move(context)),
      shown_(Snapshot(*display_)) {
    display_->OnStateChanged([model = QPointer<SetupTableModel>(this)] {
        if (model) model->Sync();
    });
}

void SetupTableModel::Sync() noexcept {
    auto next = Snapshot(*display_);
    if (CountOf(next) != CountOf(shown_)) {
        beginResetModel();
        shown_ = std::move(next);
        endResetModel();
        return;
    }
    shown_ = std::move(next);
    const int rows = CountOf(shown_);
    if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, 1));
}

int SetupTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : CountOf(shown_);
}

int SetupTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

bool SetupTableModel::Holds(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && index.row() < CountOf(shown_) &&
           index.column() < 2;
}

QVariant SetupTableModel::data(const QModelIndex& index, int role) const {
    if (!Holds(index)) return {};
    try {
        const auto def = shown_->Def(index.row() + 1);
        if (role == kKeyRole) return Q(def->id);
        if (index.column() == 0) {
            if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
            std::string name = !def->name.empty()      ? def->name
                               : !def->caption.empty() ? def->caption
                                                       : def->id;
            if (!def->unit.empty()) name += " [" + def->unit + "]";
            return Q(name);
        }
        const host::Variant value = shown_->Value(index.row() + 1);
        switch (role) {
            case Qt::DisplayRole: {
                const std::string text = ValueText(value, def->dataType, def->format);
                // A list item reads in the catalogue's language; the value stays the item.
                return Q(ListItems(def->range).empty() ? text : Text(context_.texts, text));
            }
            case kChoiceTextsRole: {
                QStringList shown;
                for (const auto& item : ListItems(def->range))
                    shown << Q(Text(context_.texts, item));
                return shown;
            }
            case Qt::EditRole:
                return Q(EditText(value));
            case Qt::ToolTipRole:
                return Q(def->range);
            case kRangeRole:
                return Q(def->range);
            case kDataTypeRole:
                return static_cast<int>(def->dataType);
            default:
                return {};
        }
    } catch (...) {
        return {};
    }
}

QVariant SetupTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == 0) return Q(Text(context_.texts, "Property"));
    if (section == 1) return Q(Text(context_.texts, "Value"));
    return {};
}

Qt::ItemFlags SetupTableModel::flags(const QModelIndex& index) const {
    if (!Holds(index)) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    try {
        if (index.column() == 1 && !shown_->Def(index.row() + 1)->locked) f |= Qt::ItemIsEditable;
    } catch (...) {
    }
    return f;
}

bool SetupTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !Holds(index) || index.column() != 1) return false;
    if (value.typeId() == QMetaType::QString &&
        value.toString() == data(index, Qt::EditRole).toString())
        return true;
    const std::string key = S(data(index, kKeyRole).toString());
    const host::Variant typed = FromQVariant(value);
    const bool taken = Guard(context_, [&] { display_->UserEditValue(key, typed); });
    if (!taken) emit dataChanged(index, index);
    return taken;
}

}  // namespace qtview
