#include "platform/qt/plate/plate_painter.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <fmt/format.h>

#include "platform/qt/plate/colour_map.h"

namespace plateplot {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string Tick(double v) {
    return fmt::format("{:.6g}", v);
}

// A round step (1, 2 or 5 times a power of ten) giving about four intervals.
double NiceStep(double range) {
    const double raw = range / 4;
    const double magnitude = std::pow(10, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (raw <= m * magnitude) return m * magnitude;
    return 10 * magnitude;
}

// Ticks at the multiples of step inside [low, high], at most a dozen: a wider
// span takes a rounder step. Counted by index, so that a step below the
// values' rounding unit cannot stall and a far-off span cannot run long.
std::vector<double> Ticks(double low, double high, double step) {
    constexpr int kMostTicks = 12;
    std::vector<double> ticks;
    if (!std::isfinite(low) || !std::isfinite(high) || !(high >= low)) return ticks;
    if (!std::isfinite(step) || step <= 0 || (high - low) / step > kMostTicks)
        step = NiceStep((high - low) * 4 / kMostTicks);
    if (!std::isfinite(step) || step <= 0) return ticks;
    const double first = std::ceil(low / step) * step;
    for (int i = 0; i <= kMostTicks; ++i) {
        const double t = first + i * step;
        if (t > high) break;
        if (ticks.empty() || t > ticks.back()) ticks.push_back(t);
    }
    return ticks;
}

QString Caption(const plates::PlateMap& map) {
    return QString::fromStdString(map.unit.empty() ? "Intensity" : "Intensity [" + map.unit + "]");
}

// Label every n-th of count items spaced `spacing` pixels apart so that labels
// `width` wide do not run into each other.
int LabelStep(double spacing, double width) {
    int step = 1;
    while (step < 64 && spacing * step < width * 1.2) step *= 2;
    return step;
}

}  // namespace

PlatePainter::PlatePainter(const plates::PlateMap& map, QSize size, QFont font)
    : map_(map), size_(size), font_(std::move(font)) {
    const double h = size.height();
    font_.setPixelSize(std::clamp(static_cast<int>(h / 40), 9, 16));
    small_ = font_;
    small_.setPixelSize(std::max(8, font_.pixelSize() - 2));
    bold_ = font_;
    bold_.setBold(true);
    bold_.setPixelSize(font_.pixelSize() + 2);

    if (map_.format) {
        area_ = QRectF(0, 0, plates::kFootprintWidth, plates::kFootprintHeight);
    } else {
        // The stage around the positions, at least a plate's footprint.
        double right = plates::kFootprintWidth, bottom = plates::kFootprintHeight;
        double left = 0, top = 0;
        for (const auto& s : map_.spots) {
            left = std::min(left, s.centre.x - 5);
            top = std::min(top, s.centre.y - 5);
            right = std::max(right, s.centre.x + 5);
            bottom = std::max(bottom, s.centre.y + 5);
        }
        area_ = QRectF(left, top, right - left, bottom - top);
    }

    const QFontMetricsF fm(font_), sm(small_), bm(bold_);
    titleHeight_ = bm.height() * 1.8;
    const double labelWidth = sm.horizontalAdvance(QStringLiteral("AF")) + 8;
    const double legend = fm.height() + 6 + fm.horizontalAdvance(QStringLiteral("not measured"));
    const double barArea = 16 +
                           std::max({18 + 10 + fm.horizontalAdvance(QStringLiteral("8.88888e+88")),
                                     legend, fm.horizontalAdvance(Caption(map_)) - 12}) +
                           8;
    const QRectF room(labelWidth + 8, titleHeight_ + sm.height() + 6,
                      std::max(10.0, size.width() - labelWidth - 16 - barArea),
                      std::max(10.0, h - titleHeight_ - sm.height() - 6 - 10));
    scale_ = std::min(room.width() / area_.width(), room.height() / area_.height());
    picture_ = QRectF(room.left(), room.top(), area_.width() * scale_, area_.height() * scale_);
    radius_ = map_.Radius() * scale_;
    const double barLeft = picture_.right() + 24;
    // Below the bar: the legend, two lines. A wide, flat plate in a tall
    // picture leaves room below it, which the bar may take.
    const double barTop = picture_.top() + fm.height() * 1.5;
    const double legendHeight = fm.height() * 3;
    const double barHeight = std::max(picture_.height() - fm.height() * 4.5,
                                      std::min(12 * fm.height(), h - 8 - legendHeight - barTop));
    bar_ = QRectF(barLeft, barTop, 18, std::max(10.0, barHeight));
}

QPointF PlatePainter::ToPixel(const plates::Point& mm) const {
    return {picture_.left() + (mm.x - area_.left()) * scale_,
            picture_.top() + (mm.y - area_.top()) * scale_};
}

int PlatePainter::SpotAt(QPointF pixel) const {
    const double x = area_.left() + (pixel.x() - picture_.left()) / scale_;
    const double y = area_.top() + (pixel.y() - picture_.top()) / scale_;
    return map_.SpotAt(x, y);
}

void PlatePainter::Paint(QPainter& p) const {
    PaintFrame(p);
    PaintContent(p);
}

void PlatePainter::PaintFrame(QPainter& p) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(QRectF(QPointF(0, 0), QSizeF(size_)), QColor::fromRgb(kBackground));
    // The plate (or the stage) as the reader sees it from above.
    if (map_.format) {
        const QRectF outline(ToPixel({0, 0}),
                             ToPixel({plates::kFootprintWidth, plates::kFootprintHeight}));
        p.setPen(QPen(QColor::fromRgb(kOutline), 1.5));
        p.setBrush(QColor::fromRgb(kPlateFill));
        QPainterPath path;
        const double corner = 3.0 * scale_;
        path.addRoundedRect(outline, corner, corner);
        p.drawPath(path);
    } else {
        p.setPen(QPen(QColor::fromRgb(kOutline), 1.0));
        p.setBrush(QColor::fromRgb(kPlateFill));
        p.drawRect(picture_);
        p.setPen(QPen(QColor::fromRgb(kOutline), 1.0, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(
            QRectF(ToPixel({0, 0}), ToPixel({plates::kFootprintWidth, plates::kFootprintHeight})));
    }
    PaintAxes(p);
    PaintBar(p);
    p.restore();
}

void PlatePainter::PaintContent(QPainter& p) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    PaintSpots(p);
    p.restore();
    PaintLabels(p);
}

void PlatePainter::PaintLabels(QPainter& p) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setFont(bold_);
    p.setPen(Qt::black);
    p.drawText(QRectF(8, 0, size_.width() - 16, titleHeight_),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               QFontMetricsF(bold_).elidedText(Q(map_.title), Qt::ElideRight, size_.width() - 16));
    PaintTicks(p);
    p.restore();
}

void PlatePainter::PaintAxes(QPainter& p) const {
    p.setFont(small_);
    p.setPen(QColor(60, 60, 60));
    const QFontMetricsF sm(small_);
    const double above = picture_.top() - 3;
    if (map_.format) {
        const auto& f = *map_.format;
        const double pitch = f.pitch * scale_;
        const int colStep = LabelStep(pitch, sm.horizontalAdvance(QStringLiteral("48")));
        for (int c = 0; c < f.columns; ++c) {
            if ((c + 1) % colStep != 0 && c != 0) continue;
            const QPointF at = ToPixel(plates::Centre(f, {0, c}));
            p.drawText(QRectF(at.x() - pitch * colStep, above - sm.height(), 2 * pitch * colStep,
                              sm.height()),
                       Qt::AlignHCenter | Qt::AlignBottom, QString::number(c + 1));
        }
        const int rowStep = LabelStep(pitch, sm.height());
        for (int r = 0; r < f.rows; ++r) {
            if (r % rowStep != 0) continue;
            const QPointF at = ToPixel(plates::Centre(f, {r, 0}));
            p.drawText(QRectF(0, at.y() - sm.height(), picture_.left() - 6, 2 * sm.height()),
                       Qt::AlignRight | Qt::AlignVCenter, Q(plates::RowName(r)));
        }
        return;
    }
    // The stage in mm: every 20 mm on a plate-sized stage, a rounder step on a
    // wider one.
    for (double x : Ticks(area_.left(), area_.right(), 20)) {
        const QPointF at = ToPixel({x, area_.top()});
        p.drawText(QRectF(at.x() - 30, above - sm.height(), 60, sm.height()),
                   Qt::AlignHCenter | Qt::AlignBottom, QString::number(x) + " mm");
    }
    for (double y : Ticks(area_.top(), area_.bottom(), 20)) {
        const QPointF at = ToPixel({area_.left(), y});
        p.drawText(QRectF(0, at.y() - sm.height(), picture_.left() - 6, 2 * sm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(y));
    }
}

// A spot's look: a colour step of the map (0..255), hollow, or over range.
constexpr int kHollow = 256;
constexpr int kOver = 257;

void PlatePainter::DrawSpot(QPainter& p, QPointF c, int look) const {
    const double width = std::max(0.6, radius_ * 0.08);
    if (look == kHollow) {
        p.setPen(QPen(QColor::fromRgb(kOutline), width));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, radius_, radius_);
        return;
    }
    const QColor fill = look == kOver ? Viridis(1.0) : Viridis(look / 255.0);
    p.setPen(QPen(fill.darker(130), width));
    p.setBrush(fill);
    p.drawEllipse(c, radius_, radius_);
    if (look == kOver) {
        // Over range: a cross the colour cannot be mistaken for.
        const double d = radius_ * 0.6;
        p.setPen(QPen(Qt::red, std::max(1.0, radius_ * 0.22)));
        p.drawLine(QPointF(c.x() - d, c.y() - d), QPointF(c.x() + d, c.y() + d));
        p.drawLine(QPointF(c.x() - d, c.y() + d), QPointF(c.x() + d, c.y() - d));
    }
}

int PlatePainter::LookOf(const plates::Spot& s) const {
    if (!s.value) return kHollow;
    if (s.overflow) return kOver;
    return static_cast<int>(std::lround(map_.Fraction(*s.value) * 255));
}

std::vector<int> PlatePainter::Looks() const {
    std::vector<int> looks;
    looks.reserve(map_.spots.size());
    for (const auto& s : map_.spots) looks.push_back(LookOf(s));
    return looks;
}

int PlatePainter::SpriteSide() const {
    return 2 * static_cast<int>(std::ceil(radius_ * 1.1 + 1.0)) + 1;
}

QRect PlatePainter::SpriteBox(std::size_t spot) const {
    const QPointF c = ToPixel(map_.spots[spot].centre);
    const int side = SpriteSide();
    return {static_cast<int>(std::floor(c.x())) - side / 2,
            static_cast<int>(std::floor(c.y())) - side / 2, side, side};
}

const QImage& PlatePainter::Sprite(int look) const {
    QImage& image = sprites_[static_cast<std::size_t>(look)];
    if (image.isNull()) {
        const int side = SpriteSide();
        image = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter sp(&image);
        sp.setRenderHint(QPainter::Antialiasing, true);
        DrawSpot(sp, QPointF(side / 2.0, side / 2.0), look);
    }
    return image;
}

void PlatePainter::PaintSpots(QPainter& p) const {
    const bool numbered = !map_.format;
    const QFontMetricsF sm(small_);
    // On a raster each look is painted once and copied to its spots: a
    // 1536-well plate repaints after every reading. A vector picture keeps
    // its circles.
    const bool raster =
        p.paintEngine() != nullptr && p.paintEngine()->type() == QPaintEngine::Raster;
    for (std::size_t i = 0; i < map_.spots.size(); ++i) {
        const auto& s = map_.spots[i];
        const QPointF c = ToPixel(s.centre);
        if (raster) {
            p.drawImage(SpriteBox(i).topLeft(), Sprite(LookOf(s)));
        } else {
            DrawSpot(p, c, LookOf(s));
        }
        if (numbered && sm.horizontalAdvance(Q(s.label)) < radius_ * 3) {
            p.setFont(small_);
            p.setPen(QColor(40, 40, 40));
            p.drawText(QRectF(c.x() - 40, c.y() + radius_, 80, sm.height()), Qt::AlignHCenter,
                       Q(s.label));
        }
    }
}

bool PlatePainter::PaintChangedSpots(QPainter& p, const QImage& frame,
                                     const std::vector<std::size_t>& changed) const {
    if (!map_.format) return false;  // numbered positions: their labels lie about
    const auto& f = *map_.format;
    std::vector<bool> redraw(map_.spots.size(), false);
    for (std::size_t i : changed) {
        // Back to the bare plate, then the spot and its neighbours, whose rims
        // may reach into its box.
        const QRect box = SpriteBox(i);
        p.drawImage(box.topLeft(), frame, box);
        const int row = static_cast<int>(i) / f.columns, column = static_cast<int>(i) % f.columns;
        for (int r = std::max(0, row - 1); r <= std::min(f.rows - 1, row + 1); ++r)
            for (int c = std::max(0, column - 1); c <= std::min(f.columns - 1, column + 1); ++c)
                redraw[static_cast<std::size_t>(r * f.columns + c)] = true;
    }
    for (std::size_t j = 0; j < redraw.size(); ++j)
        if (redraw[j]) p.drawImage(SpriteBox(j).topLeft(), Sprite(LookOf(map_.spots[j])));
    return true;
}

void PlatePainter::PaintBar(QPainter& p) const {
    p.setFont(font_);
    p.setPen(Qt::black);
    const QFontMetricsF fm(font_);
    p.drawText(QRectF(bar_.left() - 12, bar_.top() - fm.height() * 1.4,
                      size_.width() - bar_.left() + 10, fm.height()),
               Qt::AlignLeft | Qt::AlignVCenter, Caption(map_));
    // Top is the high end; one stop per step of the map.
    QLinearGradient gradient(bar_.bottomLeft(), bar_.topLeft());
    for (int i = 0; i <= 255; ++i) gradient.setColorAt(i / 255.0, Viridis(i / 255.0));
    p.fillRect(bar_, gradient);
    p.setPen(QColor::fromRgb(kOutline));
    p.setBrush(Qt::NoBrush);
    p.drawRect(bar_);

    // Legend: what a hollow and a crossed circle mean.
    const double r = std::clamp(radius_, 4.0, fm.height() / 2);
    double y = bar_.bottom() + fm.height() * 1.2;
    const double x = bar_.left() + r;
    p.setPen(QPen(QColor::fromRgb(kOutline), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(x, y), r, r);
    p.setPen(Qt::black);
    p.drawText(QRectF(x + r + 6, y - fm.height() / 2, size_.width(), fm.height()),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("not measured"));
    y += fm.height() * 1.3;
    const QColor top = Viridis(1.0);
    p.setPen(QPen(top.darker(130), 1.0));
    p.setBrush(top);
    p.drawEllipse(QPointF(x, y), r, r);
    p.setPen(QPen(Qt::red, std::max(1.0, r * 0.22)));
    const double d = r * 0.6;
    p.drawLine(QPointF(x - d, y - d), QPointF(x + d, y + d));
    p.drawLine(QPointF(x - d, y + d), QPointF(x + d, y - d));
    p.setPen(Qt::black);
    p.drawText(QRectF(x + r + 6, y - fm.height() / 2, size_.width(), fm.height()),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("over range"));
}

void PlatePainter::PaintTicks(QPainter& p) const {
    p.setFont(font_);
    const QFontMetricsF fm(font_);
    std::vector<double> ticks;
    const bool range = map_.high > map_.low;
    if (!range) {
        if (map_.high != 0.0 || map_.low != 0.0) ticks.push_back(map_.low);
    } else if (map_.scale == plates::Scale::Log) {
        ticks.push_back(map_.low);
        // Decades; a double spans a few hundred, and a low end at or below 0
        // has none below it.
        double d = map_.low > 0 ? std::pow(10, std::ceil(std::log10(map_.low))) : 0.0;
        for (int i = 0; i < 700 && d > 0 && d < map_.high; ++i, d *= 10)
            if (d > map_.low) ticks.push_back(d);
        ticks.push_back(map_.high);
    } else {
        ticks.push_back(map_.low);
        for (double t : Ticks(map_.low, map_.high, NiceStep(map_.high - map_.low)))
            if (t > map_.low && t < map_.high) ticks.push_back(t);
        ticks.push_back(map_.high);
    }
    p.setPen(Qt::black);
    double lastY = -1e9;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const double y = bar_.bottom() - map_.Fraction(ticks[i]) * bar_.height();
        // Log decades near an end would overprint it.
        const bool end = i == 0 || i + 1 == ticks.size();
        if (!end && (std::abs(y - lastY) < fm.height() * 1.2 ||
                     std::abs(y - bar_.top()) < fm.height() * 1.2))
            continue;
        p.drawLine(QPointF(bar_.right(), y), QPointF(bar_.right() + 4, y));
        p.drawText(QRectF(bar_.right() + 6, y - fm.height() / 2, size_.width(), fm.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, Q(Tick(ticks[i])));
        lastY = y;
    }
}

}  // namespace plateplot
