#pragma once
// Paints a plate map: the plate's outline with its wells as circles at their
// positions (or, for a method that fits no plate, the positions on the
// stage), each filled with the colour of its reading, hollow when not
// measured and crossed when over range; row letters and column numbers; the
// title; a colour bar with its unit and a legend. The same layout answers
// which spot lies under a pixel.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <vector>

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
    // The layers of Paint: what stays while readings arrive (background,
    // outline, labels, colour bar, legend); the wells; the title and scale.
    void PaintFrame(QPainter& painter) const;
    void PaintContent(QPainter& painter) const;  // wells, then PaintLabels
    void PaintSpots(QPainter& painter) const;
    void PaintLabels(QPainter& painter) const;

    // How each spot looks (a colour step, hollow or over range), to tell which
    // changed since a picture was painted.
    std::vector<int> Looks() const;
    // Repaints the changed spots of a raster picture of the same layout whose
    // bare frame is frame; false (nothing done) when that cannot be done
    // spot by spot.
    bool PaintChangedSpots(QPainter& painter, const QImage& frame,
                           const std::vector<std::size_t>& changed) const;

    QPointF ToPixel(const plates::Point& mm) const;
    double SpotRadius() const { return radius_; }  // pixels
    // The spot whose circle holds pixel; -1 for none.
    int SpotAt(QPointF pixel) const;

  private:
    void PaintAxes(QPainter& p) const;
    void DrawSpot(QPainter& p, QPointF centre, int look) const;
    int LookOf(const plates::Spot& spot) const;
    int SpriteSide() const;
    QRect SpriteBox(std::size_t spot) const;
    const QImage& Sprite(int look) const;
    void PaintBar(QPainter& p) const;
    void PaintTicks(QPainter& p) const;

    const plates::PlateMap& map_;
    QSize size_;
    QFont font_, small_, bold_;
    QRectF area_;       // the stage area drawn, in mm
    QRectF picture_;    // where area_ lands, in pixels
    QRectF bar_;        // the colour bar
    double scale_ = 1;  // pixels per mm
    double radius_ = 1;
    double titleHeight_ = 0;
    mutable std::vector<QImage> sprites_ = std::vector<QImage>(258);  // per look, made when needed
};

}  // namespace plateplot
