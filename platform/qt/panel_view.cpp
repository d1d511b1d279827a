#include "platform/qt/panel_view.h"

#include <QMouseEvent>

#include "platform/qt/view_support.h"

namespace qtview {

PanelView::PanelView(std::shared_ptr<host::Panel> model, ViewContext context, QWidget* parent)
    : ControlView(model, std::move(context), parent), panel_(std::move(model)) {
    Attach();
}

void PanelView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    std::int32_t button = 0;
    switch (event->button()) {
        case Qt::LeftButton:
            button = 1;
            break;
        case Qt::RightButton:
            button = 2;
            break;
        case Qt::MiddleButton:
            button = 4;
            break;
        default:
            return;  // the forms runtime knows no other button
    }
    const QPoint at = event->position().toPoint();
    Guard(Context(), [&] { panel_->UserMouseDown(button, Twips(at.x()), Twips(at.y())); });
}

}  // namespace qtview
