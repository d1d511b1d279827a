#pragma once
// Makes instrument server calls on a thread of its own while the event loop
// keeps running, so that the window repaints and Stop can be pressed while
// the instrument moves (a synchronous command of the embedded simulator, or
// any call to a server program). Input that could call into the module again
// meanwhile (mouse buttons and wheel, keys, a window closing) is held back and
// delivered in its order once the call has returned, as a blocked window's
// input would be; mouse moves without a button are dropped. Only the Stop
// button, and Esc while aborting is enabled, act at once.
#include <QObject>
#include <QPointer>

#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QEvent;

namespace qtview {

class QtProgress;

class EventLoopCalls final : public QObject {
    Q_OBJECT
  public:
    EventLoopCalls();
    ~EventLoopCalls() override;

    // The progress display whose Stop button and Esc act during a call; null: none.
    void SetProgress(QtProgress* progress) { progress_ = progress; }
    // Makes call and returns when it has returned, raising what it raised.
    // Called from the event loop's thread; a call made while one runs (from
    // a timer, say) is made at once on the caller's thread.
    void Run(const std::function<void()>& call);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Work();
    bool ForStop(QObject* watched, QEvent* event) const;

    QPointer<QtProgress> progress_;
    int depth_ = 0;
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    std::vector<Held> held_;

    std::mutex lock_;
    std::condition_variable wake_;
    const std::function<void()>* task_ = nullptr;  // the call to make; under lock_
    bool done_ = false, quit_ = false;
    std::exception_ptr raised_;
    std::thread worker_;
};

}  // namespace qtview
