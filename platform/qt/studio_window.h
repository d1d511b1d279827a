#pragma once
// The desktop host: the module's page in a window, with the host's menus.
// Every menu action that asks a person for a file has a form that takes the
// file, for scripted use and tests; only the person's actions ask questions.
// Failures are reported as messages (a message box, during a run the status
// bar, or the report sink when one is set), never raised. During a run only
// Stop and Quit are offered: a dialog opened then would hold the run until it
// closed.
//
// What a person can rely on:
// - Edits are never lost without asking: New, Open, Load stored data and
//   closing the window ask Save / Discard / Cancel while the page's method
//   differs from what was last opened or saved. The title names the method
//   and its file, with a mark while it has unsaved changes.
// - Save method and Start refuse while an entry is not valid, naming each;
//   Start also refuses positions outside the stage travel the instrument
//   describes, before anything moves, and warns of an emission wavelength not
//   longer than its excitation.
// - A run stops by Stop, Measure > Stop, or Esc on the window itself (Esc in a
//   menu or a dialog closes that only); closing the window during a run asks
//   first. A stop the person asked for reads "Stopped by the user".
// - The run log keeps each run's full outcome, its data file (click: open its
//   folder) and its warnings.
// - Every run's data go to the runs folder, the method it used to the folder's
//   "methods" subfolder; a run refused at its start leaves no file.
// - Every text comes from the text catalogue; Language offers the shipped
//   catalogues by their language's name.
// - Size, position, splitters and the last folders are kept between starts.
// - On start it offers to recover each run whose program ended before the
//   run's data were saved (a journal in the runs folder).
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/loader/host_session.h"
#include "platform/qt/catalogue_texts.h"
#include "platform/qt/event_loop_calls.h"
#include "platform/qt/page_checks.h"
#include "platform/qt/plate_view.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_progress.h"
#include "platform/qt/run_log.h"
#include "platform/qt/run_progress.h"
#include "platform/qt/window_registry.h"

class QAction;
class QLabel;
class QMenu;
class QSettings;
class QSplitter;
class QTableView;

namespace qtview {

inline constexpr const char* kProductName = "ORVEVIZari Studio";

struct StudioOptions {
    std::string library = ORVE_DEFAULT_LIBRARY;
    std::string catalogue = ORVE_DEFAULT_CATALOGUE;
    // The shipped catalogues (catalogue-*.json) that Language offers by name;
    // empty: the folder of the default catalogue.
    std::string catalogueFolder;
    bool virtualClock = false;               // screenshots and tests: the run takes no machine time
    loader::ServerCallObserver serverCalls;  // told of every instrument server call
    std::string runsFolder;        // every run's acquisition data is saved here; empty: not saved
    remote::ClientOptions server;  // an instrument server program; no address: the simulator
    // Where the window keeps its size, position, splitters and folders: an INI
    // file, or empty for the user's settings. With rememberWindow false the
    // window reads and keeps nothing (screenshots).
    std::string settingsFile;
    bool rememberWindow = true;
    // On start, offer to recover the runs the runs folder holds journals of
    // (runs whose program ended before their data were saved).
    bool offerRecovery = true;
};

struct StudioRun {
    bool completed = false;
    std::int32_t samplesMeasured = 0;
    std::string text;      // the full outcome, or why nothing ran
    std::string dataPath;  // where the run's acquisition data were saved; empty: not saved
    std::vector<std::string> warnings;
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
    // A path without an extension gets ".json".
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
    // Kinetics: the samples are measured cycles times, cycle k starting
    // interval seconds after cycle k - 1 started.
    StudioRun Measure(int samples, int cycles = 1, double interval = 0.0);
    // The person's stop.
    void StopRun();
    // Closes without asking anything, for a stop signal: a run is stopped
    // first and what it measured kept.
    void StopAndClose(int signal);
    bool Running() const { return running_; }

    // The journals in the runs folder of runs whose data were never saved.
    QStringList InterruptedRuns() const;
    // Rebuilds an interrupted run's data from its journal, saves them beside
    // it as the command line's recovery does, and shows them. The journal
    // stays. False (and reported) when it cannot be recovered.
    bool RecoverRun(const QString& journal);

    // Whether the page's method differs from what was last opened or saved.
    bool MethodModified() const;
    // The file the page's method was last opened from or saved to; empty: none.
    const QString& MethodFile() const { return methodFile_; }

    loader::HostSession& Session() { return *session_; }
    QtProgress& Progress() { return *progress_; }
    QWidget* Page() const { return page_; }
    PlateView* Plate() const { return plateView_; }
    RunLog* Log() const { return log_; }
    const StageTravel& Travel() const { return travel_; }

    // The size of a first start on a screen that offers available pixels:
    // the position grid and the result table both show comfortably.
    static QSize FirstStartSize(const QSize& available);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void StartSession();  // (re)creates the module with the current catalogue
    void StopSession();
    void BuildMenus();
    void RetitleMenus();
    void WatchPage();
    void NewMethod();
    void OpenMethodDialog();
    // True when the method was saved.
    bool SaveMethodDialog();
    void MeasureDialog();
    void OfferRecovery();
    void SaveTable();
    void LoadStoredDataDialog();
    void OtherCatalogueDialog();
    void ConnectServerDialog();
    // Asks Save / Discard / Cancel while the method has unsaved changes; true
    // when the person's action may go on.
    bool ConfirmDiscard();
    void AskStopAndClose();
    // Hands what is being typed to the page, as leaving the field would.
    void CommitPendingEdits();
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
    void ShowSampleIds();

    // Texts of the catalogue in use (catalogue_texts.h).
    std::string T(const std::string& key) const;
    template <class... Args>
    std::string Say(const std::string& key, const Args&... args) const;
    const host::TextCatalog* Texts() const;
    QString Tq(const std::string& key) const;

    // The method's name as the page holds it; empty when it cannot be read.
    std::string PageMethodName();
    // The page as it is now counts as saved.
    void MarkSaved(const QString& file, const QString& source);
    void UpdateTitleSoon();
    void UpdateTitle();
    std::string Listed(const std::vector<std::string>& lines) const;

    QString StartFolder(const char* key, const QString& fallback) const;
    void RememberFolder(const char* key, const QString& file);
    void RestoreWindow();
    void KeepWindow();
    void KeepSplitters();

    StudioOptions options_;
    WindowRegistry windows_;
    std::unique_ptr<QSettings> settings_;
    std::unique_ptr<EventLoopCalls> calls_;  // real time: instrument calls off the event loop
    std::unique_ptr<loader::HostSession> session_;
    std::unique_ptr<QtProgress> progress_;
    std::unique_ptr<QtFileDialogs> dialogs_;
    std::unique_ptr<QtClipboard> clipboard_;
    QPointer<QWidget> page_;
    QPointer<QSplitter> split_, side_;
    QPointer<QTableView> positionsTable_;
    QLabel* statusLabel_ = nullptr;
    QPointer<PlateView> plateView_;
    QPointer<RunProgress> runProgress_;
    QPointer<RunLog> log_;
    std::function<void(const std::string&)> sink_;
    StageTravel travel_;

    struct Menus;
    std::unique_ptr<Menus> menus_;
    std::vector<QAction*> idleActions_;  // offered only while no run is on
    std::vector<QAction*> runActions_;   // offered only during a run

    std::shared_ptr<host::AcqData> shownData_;  // the results in the table, for a language switch
    QString methodFile_;                        // the method's file; empty: none
    QString methodSource_;  // where a method without a file came from (stored data)
    std::string methodName_;
    std::string savedPrint_;  // the page's fingerprint when last opened or saved
    bool titlePending_ = false;
    int lastSamples_ = 3, lastCycles_ = 1;  // what the measure dialog offers next
    double lastInterval_ = 60.0;
    bool running_ = false;
    bool closeWhenDone_ = false;
    bool closeUnasked_ = false;  // a stop signal: nobody to ask
    int stopSignal_ = 0;
    QPointer<QWidget> stopQuestion_;
};

template <class... Args>
std::string StudioWindow::Say(const std::string& key, const Args&... args) const {
    return qtview::Say(Texts(), key, args...);
}

}  // namespace qtview
