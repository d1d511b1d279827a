#pragma once
// Paints a plate map: the plate's outline with its wells as circles at their
// positions (or, for a method that fits no plate, the positions on the
// stage), each filled with the colour of its reading, hollow when not
// measured and crossed when over range; row letters and column numbers; the
// title; a colour bar with its unit and a legend. The same layout answers
// which spot lies under a pixel.
#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSize>

#include "platform/plates/plate_map.h"

class QPainter;

namespace plateplot {

// Plate and well colours that are not the colour map's.
inline constexpr QRgb kBackground = 0xFFFFFFFF;
inline constexpr QRgb kPlateFill = 0xFFF2F2F2;
inline constexpr QRgb kOutline = 0xFF8A8A8A;

class PlatePainter {
  public:
    // Lays out map on a picture of size pixels; map must outlive the painter.
    PlatePainter(const plates::PlateMap& map, QSize size, QFont font = QFont());

    void Paint(QPainter& painter) const;

    QPointF ToPixel(const plates::Point& mm) const;
    double SpotRadius() const { return radius_; }  // pixels
    // The spot whose circle holds pixel; -1 for none.
    int SpotAt(QPointF pixel) const;

  private:
    void PaintAxes(QPainter& p) const;
    void PaintSpots(QPainter& p) const;
    void PaintColourBar(QPainter& p) const;

    const plates::PlateMap& map_;
    QSize size_;
    QFont font_, small_, bold_;
    QRectF area_;       // the stage area drawn, in mm
    QRectF picture_;    // where area_ lands, in pixels
    QRectF bar_;        // the colour bar
    double scale_ = 1;  // pixels per mm
    double radius_ = 1;
    double titleHeight_ = 0;
};

}  // namespace plateplot
