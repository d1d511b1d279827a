#include "platform/qt/event_loop_calls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include "platform/qt/qt_progress.h"

namespace qtview {
namespace {

bool IsInput(const QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::InputMethod:
            return true;
        case QEvent::Close:
            return event->spontaneous();  // the window's close button, not the program's close()
        default:
            return false;
    }
}

}  // namespace

EventLoopCalls::EventLoopCalls() : worker_([this] { Work(); }) {}

EventLoopCalls::~EventLoopCalls() {
    {
        std::lock_guard<std::mutex> held(lock_);
        quit_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void EventLoopCalls::Work() {
    std::unique_lock<std::mutex> held(lock_);
    while (true) {
        wake_.wait(held, [this] { return quit_ || task_ != nullptr; });
        if (task_ == nullptr) return;
        const std::function<void()>& call = *task_;
        held.unlock();
        std::exception_ptr raised;
        try {
            call();
        } catch (...) {
            raised = std::current_exception();
        }
        held.lock();
        raised_ = raised;
        task_ = nullptr;
        done_ = true;
        // Wakes the event loop, which waits for events.
        QMetaObject::invokeMethod(
            this, [] {}, Qt::QueuedConnection);
    }
}

void EventLoopCalls::Run(const std::function<void()>& call) {
    if (depth_ > 0 || QCoreApplication::instance() == nullptr ||
        QThread::currentThread() != thread()) {
        call();
        return;
    }
    ++depth_;
    qApp->installEventFilter(this);
    {
        std::lock_guard<std::mutex> held(lock_);
        done_ = false;
        raised_ = nullptr;
        task_ = &call;
    }
    wake_.notify_all();
    std::exception_ptr raised;
    while (true) {
        {
            std::lock_guard<std::mutex> held(lock_);
            if (done_) {
                raised = raised_;
                break;
            }
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    qApp->removeEventFilter(this);
    --depth_;
    for (auto& h : held_) {
        if (h.receiver) QCoreApplication::postEvent(h.receiver, h.event.release());
    }
    held_.clear();
    if (raised) std::rethrow_exception(raised);
}

// Whether the event is for the Stop button: a click on it goes through.
bool EventLoopCalls::ForStop(QObject* watched, QEvent* event) const {
    if (!progress_ || progress_->StopButton() == nullptr) return false;
    QWidget* stop = progress_->StopButton();
    QWidget* target = qobject_cast<QWidget*>(watched);
    if (qobject_cast<QWindow*>(watched) != nullptr) {
        auto* mouse = dynamic_cast<QMouseEvent*>(event);
        target = mouse ? QApplication::widgetAt(mouse->globalPosition().toPoint()) : nullptr;
    }
    return target != nullptr && (target == stop || stop->isAncestorOf(target));
}

bool EventLoopCalls::eventFilter(QObject* watched, QEvent* event) {
    if (depth_ == 0 || !IsInput(event) ||
        (qobject_cast<QWindow*>(watched) == nullptr && !watched->isWidgetType())) {
        return QObject::eventFilter(watched, event);
    }
    if (ForStop(watched, event)) return QObject::eventFilter(watched, event);
    if (progress_ && progress_->EscapeStops(watched, event)) {
        progress_->RequestAbort();
        return true;
    }
    if (event->type() == QEvent::MouseMove &&
        static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) {
        return true;
    }
    held_.push_back({watched, std::unique_ptr<QEvent>(event->clone())});
    return true;
}

}  // namespace qtview
