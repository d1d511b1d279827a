#include "platform/qt/control_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>

#include "platform/qt/form_view.h"
#include "platform/qt/view_support.h"

namespace qtview {

ControlView::ControlView(std::shared_ptr<host::Control> model, ViewContext context, QWidget* parent)
    : QWidget(parent), model_(std::move(model)), context_(std::move(context)) {
    setObjectName(Q(model_->InArray()
                        ? model_->Name() + "(" + std::to_string(model_->ArrayIndex()) + ")"
                        : model_->Name()));
}

void ControlView::Attach() {
    // The model may outlive the view: a listener of a destroyed view does nothing.
    model_->OnStateChanged([view = QPointer<ControlView>(this)] {
        if (view) view->Refresh();
    });
    Refresh();
}

void ControlView::Refresh() noexcept {
    try {
        const host::Control& m = *model_;
        setGeometry(PxRect(m.Geometry(), Room()));
        setEnabled(m.Enabled());
        setFont(FontOf(PropertyOr(m, "font"), QApplication::font()));
        setToolTip(Q(TextProperty(m, "tooltiptext")));
        if (const auto color = ColorOf(PropertyOr(m, "backcolor"))) {
            QPalette p = palette();
            p.setColor(QPalette::Window, *color);
            setPalette(p);
            setAutoFillBackground(true);
        }
        RepaintContent();
        setVisible(m.Visible());
        if (TextWidthNeed() > 0) {
            if (auto* form = FormView::Of(this)) form->RoomMayHaveChanged();
        }
    } catch (...) {
        // A repaint that fails leaves the view as it was; the model is unharmed.
    }
}

double ControlView::Room() const {
    const FormView* form = FormView::Of(this);
    return form != nullptr ? form->Room() : 1.0;
}

void ControlView::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

}  // namespace qtview
