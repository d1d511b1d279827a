#include "platform/qt/arrow_icons.h"

#include <QPainter>
#include <QPolygonF>
#include <QTransform>

#include "host/types.h"

namespace qtview {
namespace {

const QColor kBlue(30, 90, 200);
const QColor kRed(200, 40, 40);
const QColor kList(90, 90, 90);

enum class Direction { Up, Down, Left, Right };

// An arrow pointing right within a box of width w and height h at (x, y).
QPolygonF RightArrow(double x, double y, double w, double h) {
    const double shaft = h * 0.36;
    const double head = w * 0.45;
    const double midY = y + h / 2;
    return QPolygonF({QPointF(x, midY - shaft / 2), QPointF(x + w - head, midY - shaft / 2),
                      QPointF(x + w - head, y), QPointF(x + w, midY), QPointF(x + w - head, y + h),
                      QPointF(x + w - head, midY + shaft / 2), QPointF(x, midY + shaft / 2)});
}

QPolygonF Arrow(Direction direction, const QRectF& box) {
    const QPointF c = box.center();
    QTransform turn;
    turn.translate(c.x(), c.y());
    switch (direction) {
        case Direction::Right:
            break;
        case Direction::Down:
            turn.rotate(90);
            break;
        case Direction::Left:
            turn.rotate(180);
            break;
        case Direction::Up:
            turn.rotate(270);
            break;
    }
    turn.translate(-c.x(), -c.y());
    return turn.map(RightArrow(box.left(), box.top(), box.width(), box.height()));
}

void DrawArrow(QPainter& p, Direction direction, const QRectF& box, const QColor& color) {
    p.setPen(QPen(color.darker(140), 1));
    p.setBrush(color);
    p.drawPolygon(Arrow(direction, box));
}

// Four lines of a list on the left part of the icon.
void DrawList(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kList);
    for (int i = 0; i < 4; ++i) p.drawRect(QRectF(1, 3 + i * 5, 9, 2.5));
}

}  // namespace

bool IsKnownPicture(const std::string& name) {
    for (const char* known : {"arrow-up", "arrow-down", "arrow-left", "arrow-right",
                              "arrow-left-into-list", "arrow-right-out-of-list"})
        if (host::IEquals(name, known)) return true;
    return false;
}

QPixmap ArrowPixmap(const std::string& name) {
    if (!IsKnownPicture(name)) return {};
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF whole(2, 3, kIconSize - 4, kIconSize - 6);
    if (host::IEquals(name, "arrow-up")) {
        DrawArrow(p, Direction::Up, QRectF(3, 2, kIconSize - 6, kIconSize - 4), kBlue);
    } else if (host::IEquals(name, "arrow-down")) {
        DrawArrow(p, Direction::Down, QRectF(3, 2, kIconSize - 6, kIconSize - 4), kBlue);
    } else if (host::IEquals(name, "arrow-left")) {
        DrawArrow(p, Direction::Left, whole, kBlue);
    } else if (host::IEquals(name, "arrow-right")) {
        DrawArrow(p, Direction::Right, whole, kBlue);
    } else if (host::IEquals(name, "arrow-left-into-list")) {
        DrawList(p);
        DrawArrow(p, Direction::Left, QRectF(11, 5, 12, 14), kBlue);
    } else {
        DrawList(p);
        DrawArrow(p, Direction::Right, QRectF(11, 5, 12, 14), kRed);
    }
    return pixmap;
}

QIcon ArrowIcon(const std::string& name) {
    const QPixmap pixmap = ArrowPixmap(name);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

}  // namespace qtview
