#pragma once
// The progress display of the desktop host. The progress and status texts go
// to a status bar (or a sink), messages to a message box (or a sink: a test
// records them instead of showing them modally). The parameter and result
// definitions are made as the terminal host makes them.
//
// Waiting: in EventLoop mode Wait runs a QEventLoop until the clock has
// advanced by the time asked, waking on a timer (never a busy loop), so the
// window stays responsive and the Stop button works; an abort request ends the
// wait at once. In Clock mode Wait is the clock's own Sleep (a virtual clock
// advances instantly). A negative, infinite or NaN time raises host::Error.
//
// Abort: the Stop button in the status bar, Esc pressed during a wait, or
// RequestAbort; ClearAbort clears it. Only the wait running when the abort
// arrives ends early: a wait begun with an abort pending still runs the event
// loop for its time, so a caller that polls on does not spin. A host that
// aborts only its runs turns the Stop button and Esc off outside them
// (EnableAbort). Esc stops only on a window itself (the escape window, when
// one is set): Esc in a menu, a drop-down or a dialog closes that and nothing
// else.
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>

#include "host/services.h"
#include "platform/kvbase/progress.h"
#include "platform/qt/view_context.h"

class QEventLoop;

namespace qtview {

class QtProgress final : public QObject, public host::ProgressDisplay {
    Q_OBJECT

  public:
    enum class WaitMode { EventLoop, Clock };

    // Registers "Aborted by user" (section "Progress", key "Aborted") in errors.
    QtProgress(host::Clock& clock, host::ErrorService& errors, WaitMode mode = WaitMode::EventLoop);
    QtProgress(host::Clock& clock, std::int32_t abortErrorCode,
               WaitMode mode = WaitMode::EventLoop);
    ~QtProgress() override;

    // Shows the texts in bar and adds the Stop button to it; bar may be null.
    void AttachStatusBar(QStatusBar* bar);
    QPushButton* StopButton() const { return stop_; }
    void SetMessageSink(TextSink sink) { messageSink_ = std::move(sink); }
    // Progress and status texts; without a sink they go to the status bar.
    void SetStatusSink(TextSink sink) { statusSink_ = std::move(sink); }

    void RequestAbort();
    // Whether the Stop button and Esc abort (they do unless turned off).
    void EnableAbort(bool on);
    bool AbortEnabled() const { return abortEnabled_; }
    // The window whose Esc stops; null: any window.
    void SetEscapeWindow(QWidget* window) { escapeWindow_ = window; }
    // Whether event is an Esc that stops (see above), for any filter of input.
    bool EscapeStops(QObject* watched, QEvent* event) const;
    const std::string& LastProgress() const { return progress_; }
    const std::string& LastMessage() const { return message_; }
    const std::string& LastStatusText() const { return status_; }

    void Wait(double seconds) override;
    bool AbortRequested() const override { return abort_; }
    std::int32_t AbortErrorCode() const override { return console_.AbortErrorCode(); }
    void ClearAbort() override { abort_ = false; }
    void ShowProgress(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void ShowStatusText(const std::string& text) override;
    std::shared_ptr<host::ParamDef> CreateParamDef(const std::string& id, std::int32_t valueType,
                                                   const std::string& caption,
                                                   const std::string& unit, std::int32_t ctrlType,
                                                   const std::string& format,
                                                   const std::string& text1,
                                                   const std::string& text2, bool locked,
                                                   bool flag1, bool flag2) override;
    std::shared_ptr<host::ResultDef> CreateResultDef(const std::string& id, std::int32_t valueType,
                                                     const std::string& caption,
                                                     const std::string& unit,
                                                     const std::string& format) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowInBar(const std::string& text);

    host::Clock& clock_;
    WaitMode mode_;
    std::ostringstream silent_;
    kvbase::ConsoleProgress console_;  // definitions and the abort code
    QPointer<QStatusBar> bar_;
    QPointer<QPushButton> stop_;
    QPointer<QWidget> escapeWindow_;
    QEventLoop* waitLoop_ = nullptr;
    bool abort_ = false;
    bool abortEnabled_ = true;
    TextSink messageSink_;
    TextSink statusSink_;
    std::string progress_, message_, status_;
};

}  // namespace qtview
