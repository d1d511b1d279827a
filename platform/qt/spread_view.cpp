#include "platform/qt/spread_view.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/controls/kv_spread.h"
#include "platform/qt/catalogue_texts.h"
#include "platform/qt/spread_table_model.h"
#include "platform/qt/view_support.h"

namespace qtview {

SpreadView::SpreadView(std::shared_ptr<host::KVSpread> model, ViewContext context, QWidget* parent)
    : ControlView(model, context, parent),
      spread_(std::move(model)),
      tableModel_(new SpreadTableModel(spread_, context, this)),
      table_(new QTableView(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table_);
    table_->setModel(tableModel_);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    table_->verticalHeader()->setDefaultSectionSize(Px(255));
    table_->verticalHeader()->setMinimumSectionSize(Px(195));
    table_->horizontalHeader()->setHighlightSections(false);
    connect(
        table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current, const QModelIndex&) { OnCurrentRowChanged(current); });
    connect(tableModel_, &QAbstractItemModel::modelReset, this, [this] { ShowActiveRow(); });
    connect(tableModel_, &QAbstractItemModel::dataChanged, this, [this] { FitColumnsSoon(); });
    connect(tableModel_, &QAbstractItemModel::modelReset, this, [this] {
        // Fewer rows than were fitted: the grid was emptied, and whatever it
        // holds when the fit runs is new (stored data come back with as many
        // rows as before).
        if (tableModel_->rowCount() < fitRows_) ForgetFit();
        FitColumnsSoon();
    });
    connect(table_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { ShowPopup(position); });
    Attach();
}

void SpreadView::RepaintContent() {
    const host::KVSpread& m = *spread_;
    table_->verticalHeader()->setVisible(BoolProperty(m, "displayrowcaption", false));
    table_->setSelectionBehavior(BoolProperty(m, "allowselectrows", false)
                                     ? QAbstractItemView::SelectRows
                                     : QAbstractItemView::SelectItems);
    table_->setSelectionMode(BoolProperty(m, "allowselectmultirows", false)
                                 ? QAbstractItemView::ExtendedSelection
                                 : QAbstractItemView::SingleSelection);
    table_->setContextMenuPolicy(BoolProperty(m, "enablepopup", false) ? Qt::CustomContextMenu
                                                                       : Qt::NoContextMenu);
    const int columns = m.ColumnCount();
    for (int c = 0; c < columns; ++c) {
        const std::string key = "col(" + std::to_string(c + 1) + ")";
        table_->setColumnHidden(c, !BoolProperty(m, key + ".visible", true));
        const int width = m.ColumnWidth(c + 1);
        const auto applied = appliedWidths_.find(c);
        if (applied == appliedWidths_.end() || applied->second != width) {
            table_->setColumnWidth(c, Px(width));
            appliedWidths_[c] = width;
        }
    }
    for (auto it = appliedWidths_.begin(); it != appliedWidths_.end();)
        it = it->first >= columns ? appliedWidths_.erase(it) : std::next(it);
    ShowActiveRow();
    FitColumnsSoon();
}

// Once the model's operation is over: a run fills a row reading by reading,
// stored data arrive row count first, cells after.
void SpreadView::FitColumnsSoon() {
    if (fitPending_) return;
    fitPending_ = true;
    QTimer::singleShot(0, this, [this] { FitColumns(); });
}

void SpreadView::FitColumns() noexcept {
    fitPending_ = false;
    try {
        const int rows = tableModel_->rowCount();
        const int columns = tableModel_->columnCount();
        if (static_cast<int>(fitChars_.size()) != columns || rows < fitRows_) ForgetFit();
        fitChars_.resize(static_cast<std::size_t>(columns), 0);
        fitWidth_.resize(static_cast<std::size_t>(columns), 0);
        // A small grid is looked at whole: a person may edit any cell of it.
        const int from = rows * columns <= 4096 ? 0 : std::max(0, fitRows_ - 1);
        const QFontMetrics cells(table_->font());
        const QFontMetrics header(table_->horizontalHeader()->font());
        // Cell padding and grid line, as the style draws them.
        const int pad = 2 * table_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
        for (int c = 0; c < columns; ++c) {
            auto& chars = fitChars_[static_cast<std::size_t>(c)];
            auto& width = fitWidth_[static_cast<std::size_t>(c)];
            if (from == 0) {
                const QString caption = tableModel_->headerData(c, Qt::Horizontal).toString();
                width = std::max(width, header.horizontalAdvance(caption) + pad + 8);
            }
            for (int r = from; r < rows; ++r) {
                const QString text = tableModel_->index(r, c).data().toString();
                // Only a text at least as long as the longest yet can be wider.
                if (text.size() < chars) continue;
                chars = static_cast<int>(text.size());
                width = std::max(width, cells.horizontalAdvance(text) + pad);
            }
            if (!table_->isColumnHidden(c) && table_->columnWidth(c) < width)
                table_->setColumnWidth(c, width);
        }
        fitRows_ = rows;
    } catch (...) {
        // Columns keep their widths; the next change fits them again.
    }
}

void SpreadView::ForgetFit() noexcept {
    fitChars_.clear();
    fitWidth_.clear();
    fitRows_ = 0;
}

void SpreadView::ShowActiveRow() noexcept {
    int active = 0;
    try {
        active = spread_->ActiveRow();
    } catch (...) {
        return;  // the selection shown stays as it is
    }
    const QModelIndex current = table_->currentIndex();
    if ((active > 0 ? active - 1 : -1) == (current.isValid() ? current.row() : -1)) return;
    showingActiveRow_ = true;
    if (active > 0 && active <= tableModel_->rowCount()) {
        const int column = current.isValid() ? current.column() : 0;
        table_->selectionModel()->setCurrentIndex(
            tableModel_->index(active - 1, column),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        table_->selectionModel()->clear();
    }
    showingActiveRow_ = false;
}

void SpreadView::OnCurrentRowChanged(const QModelIndex& current) {
    if (showingActiveRow_) return;
    const int row = current.isValid() ? current.row() + 1 : 0;
    Guard(Context(), [&] {
        if (row != spread_->ActiveRow()) spread_->UserSelectRow(row);
    });
}

std::unique_ptr<QMenu> SpreadView::MakePopupMenu(QWidget* parent) {
    const auto grid = std::dynamic_pointer_cast<controls::KVSpread>(spread_);
    if (!grid || !grid->OffersSave()) return nullptr;
    auto menu = std::make_unique<QMenu>(parent);
    QAction* save = menu->addAction(Q(Text(Context().texts, "Save...")));
    save->setObjectName(QStringLiteral("save"));
    connect(save, &QAction::triggered, this,
            [this] { Guard(Context(), [this] { spread_->UserSaveRequest(); }); });
    return menu;
}

void SpreadView::ShowPopup(const QPoint& position) {
    if (!BoolProperty(*spread_, "enablepopup", false)) return;
    if (auto menu = MakePopupMenu(this)) menu->exec(table_->viewport()->mapToGlobal(position));
}

}  // namespace qtview
