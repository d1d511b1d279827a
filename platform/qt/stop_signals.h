#pragma once
// Stop signals for a desktop host: SIGTERM (a shutdown, a session's end),
// SIGHUP (the terminal that started it closed) and SIGINT (Ctrl+C there) are
// turned into a Qt signal on the event loop, so the window closes as when the
// person closes it (a run is stopped, the reader parked, what was measured
// kept) instead of the process ending at once. The handler only writes the
// signal's number to a pipe; everything else happens on the GUI thread.
#include <QObject>

class QSocketNotifier;

namespace qtview {

class StopSignalNotifier final : public QObject {
    Q_OBJECT

  public:
    // Installs the handlers; one notifier per process. Raises host::Error when
    // the pipe cannot be made.
    explicit StopSignalNotifier(QObject* parent = nullptr);
    // Restores the default actions.
    ~StopSignalNotifier() override;
    StopSignalNotifier(const StopSignalNotifier&) = delete;
    StopSignalNotifier& operator=(const StopSignalNotifier&) = delete;

    // The last stop signal received, 0 when none.
    int Received() const { return received_; }

  signals:
    void StopRequested(int signal);

  private:
    void OnReadable();

    QSocketNotifier* notifier_ = nullptr;
    int received_ = 0;
};

}  // namespace qtview
