#include "platform/qt/plate_view.h"

#include <cmath>

#include <QHelpEvent>
#include <QImage>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSplitter>
#include <QTableView>
#include <QToolTip>

#include <fmt/format.h>

#include "platform/qt/form_view.h"
#include "platform/qt/plate/plate_painter.h"
#include "platform/qt/spread_table_model.h"
#include "platform/qt/spread_view.h"
#include "platform/qt/view_support.h"

namespace qtview {

PlateView::PlateView(std::shared_ptr<host::KVSpread> results,
                     std::shared_ptr<host::KVSpread> positions, QWidget* parent)
    : QWidget(parent), results_(std::move(results)), positions_(std::move(positions)) {
    setObjectName(QStringLiteral("PlateView"));
    setMouseTracking(true);
    setMinimumSize(240, 180);
    // The grids may outlive the view: a listener of a destroyed view does nothing.
    auto follow = [view = QPointer<PlateView>(this)](bool positions) {
        if (!view) return;
        view->stale_ = true;
        if (positions) view->frame_ = QImage();  // positions set the layout
        view->update();
    };
    results_->OnStateChanged([follow] { follow(false); });
    positions_->OnStateChanged([follow] { follow(true); });
}

void PlateView::SetDataSource(std::function<std::shared_ptr<host::AcqData>()> source) {
    dataSource_ = std::move(source);
    stale_ = true;
    update();
}

std::vector<bool> PlateView::OverflowOfRow(int row, std::size_t positions) {
    std::vector<bool> over(positions, false);
    const auto data = dataSource_ ? dataSource_() : nullptr;
    if (!data) return over;
    const std::int32_t n1 = data->ItemCount(host::ItemGroup::Type1);
    // Only data that is what the table shows: one row per item.
    if (n1 + data->ItemCount(host::ItemGroup::Other) != results_->RowCount()) return over;
    if (data != flaggedData_.lock() || data->ResultCount() != flaggedCount_) {
        flagged_.clear();
        for (std::int32_t k = 1; k <= data->ResultCount(); ++k) {
            const host::StoredResult r = data->Result(k);
            if (r.item > 0 && r.record->Count() >= 3 && r.record->Value(3) == -1.0)
                flagged_.push_back({r.type == 1 ? r.item : n1 + r.item, r.position});
        }
        flaggedData_ = data;
        flaggedCount_ = data->ResultCount();
    }
    for (const auto& [at, position] : flagged_)
        if (at == row && position >= 1 && position <= static_cast<std::int32_t>(positions))
            over[static_cast<std::size_t>(position - 1)] = true;
    return over;
}

void PlateView::Rebuild() {
    stale_ = false;
    try {
        std::vector<plates::Point> points;
        const std::int32_t n = positions_->RowCount();
        for (std::int32_t i = 1; i <= n; ++i) {
            const host::Variant x = positions_->Cell(1, i), y = positions_->Cell(2, i);
            points.push_back(
                {x.IsNumeric() ? x.ToDouble() : NAN, y.IsNumeric() ? y.ToDouble() : NAN});
        }
        const std::int32_t rows = results_->RowCount();
        const std::int32_t active = results_->ActiveRow();
        shownRow_ = active > 0 && active <= rows ? active : rows;
        std::vector<std::optional<double>> values(points.size());
        std::string title;
        if (shownRow_ > 0) {
            const std::int32_t columns = results_->ColumnCount();
            for (std::int32_t i = 1; i <= n && i + 1 <= columns; ++i) {
                const host::Variant v = results_->Cell(i + 1, shownRow_);
                if (v.IsNumeric()) values[static_cast<std::size_t>(i - 1)] = v.ToDouble();
            }
            title = results_->Cell(1, shownRow_).ToString();
        }
        map_ = plates::BuildMap(
            points, values,
            shownRow_ > 0 ? OverflowOfRow(shownRow_, points.size()) : std::vector<bool>(),
            plates::Scale::Linear);
        map_.title = shownRow_ > 0 ? title : "No results";
        if (map_.reads > 1) map_.title += fmt::format(" (read 1 of {})", map_.reads);
        if (results_->ColumnCount() > 1) map_.unit = results_->ColumnDef(2).unit;
    } catch (...) {
        // The grids changed under a half-read picture: show none rather than a wrong one.
        map_ = plates::PlateMap();
        map_.title = "No results";
        shownRow_ = 0;
    }
}

const plates::PlateMap& PlateView::Map() {
    if (stale_) Rebuild();
    return map_;
}

int PlateView::ShownRow() {
    Map();
    return shownRow_;
}

QString PlateView::TextAt(QPoint pixel) {
    const plates::PlateMap& map = Map();
    const plateplot::PlatePainter layout(map, size(), font());
    const int i = layout.SpotAt(pixel);
    if (i < 0) return {};
    const plates::Spot& s = map.spots[static_cast<std::size_t>(i)];
    if (s.position == 0) return Q(s.label + ": not in the method");
    std::string text = map.format ? fmt::format("{} (position {})", s.label, s.position)
                                  : fmt::format("Position {}", s.position);
    text += fmt::format("\nx {} mm, y {} mm", s.at.x, s.at.y);
    if (!s.value) {
        text += "\nnot measured";
    } else {
        text += fmt::format("\n{}{}{}", *s.value, map.unit.empty() ? "" : " " + map.unit,
                            s.overflow ? " (over range)" : "");
    }
    return Q(text);
}

QPoint PlateView::PixelOf(int position) {
    const plates::PlateMap& map = Map();
    const plateplot::PlatePainter layout(map, size(), font());
    for (const auto& s : map.spots)
        if (s.position == position) return layout.ToPixel(s.centre).toPoint();
    return {-1, -1};
}

void PlateView::paintEvent(QPaintEvent*) {
    const plates::PlateMap& map = Map();
    const plateplot::PlatePainter painter(map, size(), font());
    // The frame stays while readings arrive, and a reading changes one well
    // unless it widens the scale: only what changed is painted again.
    const FrameKey key{size(), map.format, map.unit, map.format ? 0 : map.spots.size()};
    std::vector<int> looks = painter.Looks();
    if (frame_.isNull() || !(key == frameKey_)) {
        frame_ = QImage(size(), QImage::Format_RGB32);
        QPainter fp(&frame_);
        painter.PaintFrame(fp);
        frameKey_ = key;
        looks_.clear();
    }
    std::vector<std::size_t> changed;
    if (looks.size() == looks_.size()) {
        for (std::size_t i = 0; i < looks.size() && changed.size() <= looks.size() / 8; ++i)
            if (looks[i] != looks_[i]) changed.push_back(i);
    }
    bool spotBySpot = false;
    if (!wells_.isNull() && looks.size() == looks_.size() && changed.size() <= looks.size() / 8) {
        QPainter wp(&wells_);
        spotBySpot = painter.PaintChangedSpots(wp, frame_, changed);
    }
    if (!spotBySpot) {
        wells_ = frame_.copy();
        QPainter full(&wells_);
        painter.PaintSpots(full);
    }
    looks_ = std::move(looks);
    QPainter p(this);
    p.drawImage(0, 0, wells_);
    painter.PaintLabels(p);
}

void PlateView::mouseMoveEvent(QMouseEvent* event) {
    const QString text = TextAt(event->position().toPoint());
    setToolTip(text);
    if (text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
    }
}

bool PlateView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = TextAt(help->pos());
        if (text.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), text, this);
        }
        return true;
    }
    return QWidget::event(event);
}

void PlateView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const plates::PlateMap& map = Map();
    const int i = plateplot::PlatePainter(map, size(), font()).SpotAt(event->position());
    if (i >= 0 && map.spots[static_cast<std::size_t>(i)].position > 0)
        emit WellClicked(map.spots[static_cast<std::size_t>(i)].position);
}

void SelectColumnOnClick(PlateView* plate, SpreadView* table) {
    QObject::connect(plate, &PlateView::WellClicked, table, [plate, table](int position) {
        QTableView* view = table->Table();
        auto* model = view->model();
        const int column = position;  // column 0 holds the sample ID
        if (column >= model->columnCount() || model->rowCount() == 0) return;
        const int row = std::max(0, plate->ShownRow() - 1);
        // The row stays the one the plate shows, so the plate keeps its sample.
        view->selectionModel()->setCurrentIndex(model->index(row, column),
                                                QItemSelectionModel::NoUpdate);
        view->selectionModel()->select(
            QItemSelection(model->index(0, column), model->index(model->rowCount() - 1, column)),
            QItemSelectionModel::ClearAndSelect);
        view->scrollTo(model->index(row, column));
    });
}

QWidget* BesidePlateView(QWidget* pageArea, FormView& page,
                         std::function<std::shared_ptr<host::AcqData>()> data, PlateView** plate) {
    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(pageArea);
    *plate = nullptr;
    auto results = host::As<host::KVSpread>(page.Model().Find("KVSResult"));
    auto positions = host::As<host::KVSpread>(page.Model().Find("KVSScan"));
    if (results && positions) {
        *plate = new PlateView(results, positions);
        (*plate)->SetDataSource(std::move(data));
        if (auto* table = page.ViewAs<SpreadView>("KVSResult")) SelectColumnOnClick(*plate, table);
        split->addWidget(*plate);
        split->setStretchFactor(0, 3);
        split->setStretchFactor(1, 2);
        split->setCollapsible(0, false);
    }
    return split;
}

}  // namespace qtview
