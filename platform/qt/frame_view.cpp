#include "platform/qt/frame_view.h"

#include <QPainter>
#include <QStyleOptionGroupBox>
#include <QStylePainter>

#include "platform/qt/view_support.h"

namespace qtview {

FrameView::FrameView(std::shared_ptr<host::Control> model, ViewContext context, QWidget* parent)
    : ControlView(std::move(model), std::move(context), parent) {
    Attach();
}

void FrameView::paintEvent(QPaintEvent* event) {
    ControlView::paintEvent(event);
    const QString caption = Q(TextProperty(*Model(), "caption"));
    if (caption.isEmpty()) return;
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    option.initFrom(this);
    option.text = caption;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.textAlignment = Qt::AlignLeft;
    option.lineWidth = 1;
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
}

}  // namespace qtview
