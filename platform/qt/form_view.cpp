#include "platform/qt/form_view.h"

#include <algorithm>
#include <cmath>

#include <QPalette>
#include <QResizeEvent>
#include <QTimer>

#include "platform/controls/form.h"
#include "platform/qt/view_factory.h"
#include "platform/qt/view_support.h"
#include "platform/qt/window_registry.h"

namespace qtview {
namespace {

std::shared_ptr<host::Form> Hold(host::Form& form) {
    if (auto* own = dynamic_cast<controls::Form*>(&form)) {
        try {
            return own->shared_from_this();
        } catch (const std::bad_weak_ptr&) {
            // Not held by a shared pointer: borrowed like any other form.
        }
    }
    return std::shared_ptr<host::Form>(&form, [](host::Form*) {});
}

constexpr double kMostRoom = 2.0;

}  // namespace

FormView::FormView(host::Form& form, ViewContext context, QWidget* parent)
    : QWidget(parent), form_(Hold(form)), context_(std::move(context)) {
    setObjectName(Q(form_->Name()));
    const auto controls = form_->Controls();
    for (const auto& control : controls)
        views_.emplace_back(CreateControlView(control, context_, this));

    auto containerOf = [&](const std::string& parentName) -> QWidget* {
        if (parentName.empty() || host::IEquals(parentName, form_->Name())) return this;
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (views_[i] && views_[i]->IsContainer() &&
                host::IEquals(controls[i]->Name(), parentName))
                return views_[i];
        return this;
    };
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (!views_[i]) continue;
        QWidget* container = containerOf(controls[i]->ParentName());
        if (container != views_[i] && container != views_[i]->parentWidget()) {
            views_[i]->setParent(container);
            views_[i]->Refresh();  // a new parent hides the widget; the model says otherwise
        }
    }
    for (const auto& view : views_)
        if (view && !view->IsContainer()) view->raise();

    if (auto* model = dynamic_cast<controls::Form*>(form_.get())) {
        model->OnStateChanged([view = QPointer<FormView>(this)] {
            if (view) view->FollowForm();
        });
    }
    UpdateRoom();
    FollowForm();
    if (context_.windows != nullptr) context_.windows->Register(form_->Handle(), this);
}

FormView* FormView::Of(const QWidget* widget) {
    for (QWidget* w = widget != nullptr ? widget->parentWidget() : nullptr; w != nullptr;
         w = w->parentWidget()) {
        if (auto* form = qobject_cast<FormView*>(w)) return form;
    }
    return nullptr;
}

void FormView::RoomMayHaveChanged() {
    if (roomPending_) return;
    roomPending_ = true;
    QTimer::singleShot(0, this, [this] { UpdateRoom(); });
}

void FormView::UpdateRoom() noexcept {
    roomPending_ = false;
    double room = 1.0;
    for (const auto& view : views_) {
        if (!view) continue;
        try {
            const int need = view->TextWidthNeed();
            const int have = Px(view->Model()->Geometry().width);
            if (need > 0 && have > 0) room = std::max(room, static_cast<double>(need) / have);
        } catch (...) {
            // A control that cannot say what it needs keeps the room as it is.
        }
    }
    room = std::min(room, kMostRoom);
    if (std::abs(room - room_) < 0.005) return;
    room_ = room;
    FollowForm();
    for (const auto& view : views_)
        if (view) view->Refresh();
}

QSize FormView::ShownSize() const {
    return QSize(static_cast<int>(std::lround(form_->Width() * room_ / host::kTwipsPerPixel)),
                 Px(form_->Height()));
}

FormView::~FormView() {
    try {
        if (context_.windows != nullptr && context_.windows->Widget(form_->Handle()) == this)
            context_.windows->Unregister(form_->Handle());
    } catch (...) {
        // A handle that cannot be read was never registered by this view.
    }
}

ControlView* FormView::ViewOf(const std::string& name, std::int32_t index) const {
    const std::int32_t wanted = index < 0 ? -1 : index;
    for (const auto& view : views_) {
        if (!view) continue;
        const auto& model = view->Model();
        const std::int32_t own = model->InArray() ? model->ArrayIndex() : -1;
        if (own == wanted && host::IEquals(model->Name(), name)) return view;
    }
    return nullptr;
}

QSize FormView::sizeHint() const {
    try {
        return ShownSize();
    } catch (...) {
        return QWidget::sizeHint();
    }
}

void FormView::FollowForm() noexcept {
    try {
        const QSize size = ShownSize();
        if (size != this->size()) {
            sizing_ = true;
            resize(size);
            sizing_ = false;
            updateGeometry();
        }
        setWindowTitle(Q(form_->Caption()));
        FollowColor();
    } catch (...) {
        sizing_ = false;
    }
}

void FormView::FollowColor() {
    if (const auto color = ColorOf(form_->BackColor())) {
        QPalette p = palette();
        p.setColor(QPalette::Window, *color);
        setPalette(p);
        setAutoFillBackground(true);
    } else if (autoFillBackground()) {
        // The colour was taken away: back to the palette the widget inherits.
        setPalette(QPalette());
        setAutoFillBackground(false);
    }
}

void FormView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (sizing_) return;
    const QSize now = event->size();
    // The form's own size, shown to the nearest pixel, is no resize by a person.
    if (now == ShownSize()) return;
    const auto width =
        static_cast<std::int32_t>(std::lround(now.width() * host::kTwipsPerPixel / room_));
    Guard(context_, [&] { form_->UserResize(width, Twips(now.height())); });
}

}  // namespace qtview
