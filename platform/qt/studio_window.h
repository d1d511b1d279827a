#pragma once
// The desktop host: the module's page in a window, with the host's menus.
// Every menu action that asks a person for a file has a form that takes the
// file, for scripted use and tests. Failures are reported as messages (a
// message box, during a run the status bar, or the report sink when one is
// set), never raised. During a run only Stop and Quit are offered: a dialog
// opened then would hold the run until it closed.
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/loader/host_session.h"
#include "platform/qt/plate_view.h"
#include "platform/qt/event_loop_calls.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_progress.h"
#include "platform/qt/run_progress.h"
#include "platform/qt/window_registry.h"

class QAction;
class QLabel;

namespace qtview {

struct StudioOptions {
    std::string library = ORVE_DEFAULT_LIBRARY;
    std::string catalogue = ORVE_DEFAULT_CATALOGUE;
    bool virtualClock = false;               // screenshots and tests: the run takes no machine time
    loader::ServerCallObserver serverCalls;  // told of every instrument server call
    std::string runsFolder;        // every run's acquisition data is saved here; empty: not saved
    remote::ClientOptions server;  // an instrument server program; no address: the simulator
};

struct StudioRun {
    bool completed = false;
    std::int32_t samplesMeasured = 0;
    std::string text;      // what the status bar showed at the end, or why nothing ran
    std::string dataPath;  // where the run's acquisition data were saved; empty: not saved
};

class StudioWindow final : public QMainWindow {
    Q_OBJECT
  public:
    // Raises host::Error when the module cannot be started.
    explicit StudioWindow(StudioOptions options);
    ~StudioWindow() override;

    // Failures go to sink instead of a message box.
    void SetReportSink(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }

    bool OpenMethod(const QString& path);
    bool SaveMethod(const QString& path);
    bool LoadStoredData(const QString& path);
    // A new catalogue means a new page: the method moves across. A catalogue
    // that cannot be read keeps the page as it was. Refused during a run.
    bool SwitchLanguage(const QString& path);
    // Reaches the instrument through the server program at address (empty:
    // the embedded simulator); the page keeps its method and its results. An
    // address that cannot be reached keeps the instrument as it was. Refused
    // during a run.
    bool ConnectServer(const QString& address);
    // Measures samples S1..Sn with the page's method. A second start while a
    // run is on is refused; the module locks the page during the run. What was
    // measured is saved in the runs folder, also when the run fails or is stopped.
    StudioRun Measure(int samples);
    void StopRun();
    bool Running() const { return running_; }

    loader::HostSession& Session() { return *session_; }
    QtProgress& Progress() { return *progress_; }
    QWidget* Page() const { return page_; }
    PlateView* Plate() const { return plateView_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void StartSession();  // (re)creates the module with the current catalogue
    void StopSession();
    void BuildMenus();
    void NewMethod();
    void OpenMethodDialog();
    void SaveMethodDialog();
    void MeasureDialog();
    void SaveTable();
    void LoadStoredDataDialog();
    void SwitchLanguageDialog();
    void ConnectServerDialog();
    // Starts the module again after apply changed the options, the page
    // keeping its method and results; when that start fails, revert restores
    // the options, the old page comes back and the failure is raised.
    void Restart(const std::function<void()>& apply, const std::function<void()>& revert);
    void ShowInstrumentStatus();
    void Report(const std::string& text);
    bool Ready();
    // Runs action; what it raises is reported (and its text put in failure).
    // False when it raised.
    bool Attempt(const std::function<void()>& action, std::string* failure = nullptr);
    void SetRunning(bool running);

    StudioOptions options_;
    WindowRegistry windows_;
    std::unique_ptr<EventLoopCalls> calls_;  // real time: instrument calls off the event loop
    std::unique_ptr<loader::HostSession> session_;
    std::unique_ptr<QtProgress> progress_;
    std::unique_ptr<QtFileDialogs> dialogs_;
    std::unique_ptr<QtClipboard> clipboard_;
    QPointer<QWidget> page_;
    QLabel* statusLabel_ = nullptr;
    QPointer<PlateView> plateView_;
    QPointer<RunProgress> runProgress_;
    std::function<void(const std::string&)> sink_;
    std::vector<QAction*> idleActions_;         // offered only while no run is on
    std::shared_ptr<host::AcqData> shownData_;  // the results in the table, for a language switch
    bool running_ = false;
    bool closeWhenDone_ = false;
};

}  // namespace qtview
