#include "platform/qt/qt_progress.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/error_numbers.h"
#include "platform/qt/view_support.h"

namespace qtview {
namespace {

// The longest the wait sleeps before it reads the clock again, in ms.
constexpr double kLongestSlice = 100.0;

}  // namespace

QtProgress::QtProgress(host::Clock& clock, host::ErrorService& errors, WaitMode mode)
    : clock_(clock), mode_(mode), console_(clock, silent_, errors) {
    console_.SetVerbose(false);
}

QtProgress::QtProgress(host::Clock& clock, std::int32_t abortErrorCode, WaitMode mode)
    : clock_(clock), mode_(mode), console_(clock, silent_, abortErrorCode) {
    console_.SetVerbose(false);
}

QtProgress::~QtProgress() {
    if (waitLoop_ != nullptr) waitLoop_->quit();
    if (stop_) delete stop_.data();
}

void QtProgress::AttachStatusBar(QStatusBar* bar) {
    if (stop_) delete stop_.data();
    bar_ = bar;
    if (bar == nullptr) return;
    stop_ = new QPushButton(QStringLiteral("Stop"), bar);
    stop_->setObjectName(QStringLiteral("stop"));
    stop_->setToolTip(QStringLiteral("Stop the running measurement (Esc)"));
    connect(stop_, &QPushButton::clicked, this, [this] { RequestAbort(); });
    stop_->setEnabled(abortEnabled_);
    bar->addPermanentWidget(stop_);
}

void QtProgress::EnableAbort(bool on) {
    abortEnabled_ = on;
    if (stop_) stop_->setEnabled(on);
}

void QtProgress::RequestAbort() {
    abort_ = true;
    if (waitLoop_ != nullptr) waitLoop_->quit();
}

void QtProgress::Wait(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) {
        throw host::Error(kvbase::kErrArgument,
                          fmt::format("a wait of {} seconds is not possible", seconds));
    }
    if (mode_ == WaitMode::Clock) {
        clock_.Sleep(seconds);
        return;
    }
    const double end = clock_.Now() + seconds;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // Waits nest when a person's action waits too; the inner one ends first.
    struct Nesting {
        QtProgress& self;
        QEventLoop* outer;
        Nesting(QtProgress& progress, QEventLoop& loop)
            : self(progress), outer(progress.waitLoop_) {
            self.waitLoop_ = &loop;
            if (outer == nullptr) qApp->installEventFilter(&self);
        }
        ~Nesting() {
            if (outer == nullptr) qApp->removeEventFilter(&self);
            self.waitLoop_ = outer;
        }
    } nesting(*this, loop);
    // An abort pending from before does not cut this wait short.
    const bool pending = abort_;
    while (pending || !abort_) {
        const double remaining = end - clock_.Now();
        if (remaining <= 0) break;
        timer.start(static_cast<int>(std::ceil(std::min(remaining * 1000.0, kLongestSlice))));
        loop.exec();
    }
}

bool QtProgress::EscapeStops(QObject* watched, QEvent* event) const {
    if (!abortEnabled_ || event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return false;
    if (QApplication::activeModalWidget() != nullptr ||
        QApplication::activePopupWidget() != nullptr)
        return false;
    // The key reaches the window first and its widget next; the widget it is
    // for decides.
    const QWidget* widget = qobject_cast<const QWidget*>(watched);
    if (widget == nullptr && qobject_cast<const QWindow*>(watched) != nullptr) {
        widget = QApplication::focusWidget();
        if (widget == nullptr) widget = QApplication::activeWindow();
    }
    if (widget == nullptr || qobject_cast<const QMenuBar*>(widget) != nullptr ||
        qobject_cast<const QMenu*>(widget) != nullptr)
        return false;
    return !escapeWindow_ || widget->window() == escapeWindow_.data();
}

bool QtProgress::eventFilter(QObject* watched, QEvent* event) {
    if (waitLoop_ != nullptr && EscapeStops(watched, event)) {
        RequestAbort();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void QtProgress::ShowInBar(const std::string& text) {
    if (statusSink_) {
        statusSink_(text);
    } else if (bar_) {
        bar_->showMessage(Q(text));
    }
}

void QtProgress::ShowProgress(const std::string& text) {
    progress_ = text;
    ShowInBar(text);
}

void QtProgress::ShowStatusText(const std::string& text) {
    status_ = text;
    ShowInBar(text);
}

void QtProgress::ShowMessage(const std::string& text) {
    message_ = text;
    if (messageSink_) {
        messageSink_(text);
        return;
    }
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr) parent = QApplication::activeWindow();
    QMessageBox::information(parent, QStringLiteral("ORVEVIZari"), Q(text));
}

std::shared_ptr<host::ParamDef> QtProgress::CreateParamDef(
    const std::string& id, std::int32_t valueType, const std::string& caption,
    const std::string& unit, std::int32_t ctrlType, const std::string& format,
    const std::string& text1, const std::string& text2, bool locked, bool flag1, bool flag2) {
    return console_.CreateParamDef(id, valueType, caption, unit, ctrlType, format, text1, text2,
                                   locked, flag1, flag2);
}

std::shared_ptr<host::ResultDef> QtProgress::CreateResultDef(const std::string& id,
                                                             std::int32_t valueType,
                                                             const std::string& caption,
                                                             const std::string& unit,
                                                             const std::string& format) {
    return console_.CreateResultDef(id, valueType, caption, unit, format);
}

}  // namespace qtview
