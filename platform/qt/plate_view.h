#pragma once
// The plate beside the result table: a heat map of one sample row of the
// result grid (the person's row, else the newest), with the wells at the
// positions of the position grid. It follows both grids after every change,
// so during a run each reading shows as it arrives. Hovering a well tells its
// name, position and value; clicking it reports the well's position, which
// the host uses to select the position's column in the table.
//
// The grids are the source of truth; the view only caches the picture it
// derives from them and rebuilds it when they change.
#include <functional>
#include <memory>
#include <vector>

#include <QImage>
#include <QWidget>

#include "host/acq_data.h"
#include "host/control.h"
#include "platform/plates/plate_map.h"

namespace qtview {

class SpreadView;

class PlateView final : public QWidget {
    Q_OBJECT

  public:
    PlateView(std::shared_ptr<host::KVSpread> results, std::shared_ptr<host::KVSpread> positions,
              QWidget* parent = nullptr);

    // Where over-range flags come from: the acquisition data the table shows
    // (read again when it changes); none known without it.
    void SetDataSource(std::function<std::shared_ptr<host::AcqData>()> source);

    // The map as the grids hold it now, and the result-table row it shows (0: none).
    const plates::PlateMap& Map();
    int ShownRow();
    // What hovering at pixel tells; empty off every well.
    QString TextAt(QPoint pixel);
    // The centre of the spot that shows position (from 1); (-1, -1) when none does.
    QPoint PixelOf(int position);

    QSize sizeHint() const override { return {420, 320}; }

  signals:
    void WellClicked(int position);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void Rebuild();
    std::vector<bool> OverflowOfRow(int row, std::size_t positions);

    std::shared_ptr<host::KVSpread> results_, positions_;
    std::function<std::shared_ptr<host::AcqData>()> dataSource_;
    // Over-range readings of the data last read: (table row, position).
    std::vector<std::pair<std::int32_t, std::int32_t>> flagged_;
    std::weak_ptr<host::AcqData> flaggedData_;
    std::int32_t flaggedCount_ = -1;
    plates::PlateMap map_;
    // The picture's frame as last painted, and what it was painted for.
    struct FrameKey {
        QSize size;
        const plates::PlateFormat* format = nullptr;
        std::string unit;
        std::size_t stageSpots = 0;
        bool operator==(const FrameKey&) const = default;
    };
    QImage frame_;
    FrameKey frameKey_;
    QImage wells_;            // the frame with the wells as last painted
    std::vector<int> looks_;  // how each well looked then
    int shownRow_ = 0;
    bool stale_ = true;
};

class FormView;

// Clicking a well selects its position's column in the table and scrolls it into view.
void SelectColumnOnClick(PlateView* plate, SpreadView* table);

// The page's area with a plate view of its result table beside it (nullptr
// for plate when the page has no result or position grid); the view reads
// over-range flags from data.
QWidget* BesidePlateView(QWidget* pageArea, FormView& page,
                         std::function<std::shared_ptr<host::AcqData>()> data, PlateView** plate);

}  // namespace qtview
