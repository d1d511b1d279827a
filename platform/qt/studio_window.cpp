#include "platform/qt/studio_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QStatusBar>
#include <QTemporaryFile>

#include <filesystem>
#include <sstream>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/controls/context_menu.h"
#include "platform/controls/control_factory.h"
#include "platform/kvbase/catalog.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/measurement_run.h"
#include "platform/loader/method_check.h"
#include "platform/qt/form_dialog.h"
#include "platform/qt/form_view.h"
#include "platform/qt/menu_presenter.h"
#include "platform/qt/view_support.h"

namespace qtview {

StudioWindow::StudioWindow(StudioOptions options) : options_(std::move(options)) {
    // On the real clock the instrument's commands take their time: the window
    // goes on meanwhile.
    if (!options_.virtualClock) calls_ = std::make_unique<EventLoopCalls>();
    setWindowTitle("ORVEVIZari Studio");
    statusLabel_ = new QLabel(this);
    statusBar()->addPermanentWidget(statusLabel_);
    BuildMenus();
    StartSession();
}

StudioWindow::~StudioWindow() {
    StopSession();
}

void StudioWindow::Report(const std::string& text) {
    if (sink_) {
        sink_(text);
    } else if (running_) {
        statusBar()->showMessage(Q(text));
    } else {
        QMessageBox::warning(this, windowTitle(), Q(text));
    }
}

bool StudioWindow::Attempt(const std::function<void()>& action, std::string* failure) {
    std::string text;
    try {
        action();
        return true;
    } catch (const host::Error& e) {
        text = e.Text();
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
        text = "An unexpected error occurred.";
    }
    if (failure != nullptr) *failure = text;
    Report(text);
    return false;
}

void StudioWindow::SetRunning(bool running) {
    running_ = running;
    for (auto* action : idleActions_) action->setEnabled(!running);
    if (progress_) progress_->EnableAbort(running);
}

// After a language switch whose restart failed twice there is no module; every
// action says so instead of reaching for it.
bool StudioWindow::Ready() {
    if (session_) return true;
    Report("The module is not running: restart the program.");
    return false;
}

void StudioWindow::StartSession() {
    loader::SessionOptions o;
    o.library = options_.library;
    o.host.cataloguePath = options_.catalogue;
    o.host.realtime = !options_.virtualClock;
    o.host.serverCalls = options_.serverCalls;
    o.host.server = options_.server;
    if (calls_) o.host.instrumentCalls = [this](const std::function<void()>& c) { calls_->Run(c); };
    session_ = std::make_unique<loader::HostSession>(o);
    auto& h = session_->Host();
    progress_ = std::make_unique<QtProgress>(
        h.GetClock(), h.Errors(),
        options_.virtualClock ? QtProgress::WaitMode::Clock : QtProgress::WaitMode::EventLoop);
    progress_->AttachStatusBar(statusBar());
    progress_->EnableAbort(running_);
    if (calls_) calls_->SetProgress(progress_.get());
    dialogs_ = std::make_unique<QtFileDialogs>(windows_);
    clipboard_ = std::make_unique<QtClipboard>();
    h.UseProgress(progress_.get());
    h.UseDialogs(dialogs_.get());
    h.UseClipboard(clipboard_.get());

    ViewContext context;
    context.windows = &windows_;
    context.report = [this](const std::string& text) { Report(text); };
    h.Factory().SetModalRunner(ModalDialogRunner(context));
    h.Factory().SetMenuPresenter(QtMenuPresenter());
    if (auto menu = host::As<controls::ContextMenu>(session_->Page().Find("mnuPopUp"))) {
        menu->SetPresenter(QtMenuPresenter());
    }
    auto* view = new FormView(session_->Page(), context);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(view);
    scroll->setWidgetResizable(true);
    PlateView* plate = nullptr;
    setCentralWidget(BesidePlateView(
        scroll, *view, [this] { return shownData_; }, &plate));
    plateView_ = plate;
    page_ = view;
    session_->Control().ClearMethod();
    const std::string& server = options_.server.address;
    if (auto results = host::As<host::KVSpread>(session_->Page().Find("KVSResult")))
        runProgress_ = new RunProgress(statusLabel_, results, h.GetClock(),
                                       "Instrument: " + session_->Info()->Type() + " " +
                                           session_->Info()->Serial() +
                                           (server.empty() ? " (simulated)" : " at " + server),
                                       centralWidget());
}

void StudioWindow::StopSession() {
    if (!session_) return;
    auto& h = session_->Host();
    // The views hold the page; they go before the control and its library.
    delete takeCentralWidget();
    h.UseProgress(nullptr);
    h.UseDialogs(nullptr);
    h.UseClipboard(nullptr);
    session_.reset();
    progress_.reset();
    dialogs_.reset();
    clipboard_.reset();
}

void StudioWindow::BuildMenus() {
    auto idle = [this](QAction* action) { idleActions_.push_back(action); };
    auto* file = menuBar()->addMenu("&File");
    idle(file->addAction("&New method", this, [this] { NewMethod(); }));
    idle(file->addAction("&Open method...", this, [this] { OpenMethodDialog(); }));
    idle(file->addAction("&Save method...", this, [this] { SaveMethodDialog(); }));
    file->addSeparator();
    file->addAction("&Quit", this, [this] { close(); });
    auto* inst = menuBar()->addMenu("&Instrument");
    idle(inst->addAction("&Status", this, [this] { ShowInstrumentStatus(); }));
    idle(inst->addAction("&Connect to server...", this, [this] { ConnectServerDialog(); }));
    auto* measure = menuBar()->addMenu("&Measure");
    idle(measure->addAction("&Start...", this, [this] { MeasureDialog(); }));
    measure->addAction("S&top", this, [this] { StopRun(); });
    auto* results = menuBar()->addMenu("&Results");
    idle(results->addAction("&Save table...", this, [this] { SaveTable(); }));
    idle(results->addAction("&Load stored data...", this, [this] { LoadStoredDataDialog(); }));
    auto* language = menuBar()->addMenu("&Language");
    idle(language->addAction("&Load catalogue...", this, [this] { SwitchLanguageDialog(); }));
}

void StudioWindow::NewMethod() {
    if (running_ || !Ready()) return;
    Attempt([&] {
        session_->Control().ClearMethod();
        shownData_.reset();
    });
}

bool StudioWindow::OpenMethod(const QString& path) {
    if (running_ || !Ready()) return false;
    return Attempt([&] {
        auto method = kvdova::LoadMethod(S(path));
        loader::CheckMethodDocument(*method, S(path));
        session_->Require(session_->Control().LoadMethod(method), "LoadMethod");
        shownData_.reset();
    });
}

void StudioWindow::OpenMethodDialog() {
    if (running_) return;
    auto path =
        QFileDialog::getOpenFileName(this, "Open method", {}, "Methods (*.json);;All files (*)");
    if (!path.isEmpty()) OpenMethod(path);
}

bool StudioWindow::SaveMethod(const QString& path) {
    if (!Ready()) return false;
    return Attempt([&] {
        auto method = session_->Host().NewMethodObject();
        session_->Require(session_->Control().UpdateMethod(method), "UpdateMethod");
        kvdova::SaveMethod(*method, S(path));
    });
}

void StudioWindow::SaveMethodDialog() {
    auto path = QFileDialog::getSaveFileName(this, "Save method", {}, "Methods (*.json)");
    if (!path.isEmpty()) SaveMethod(path);
}

StudioRun StudioWindow::Measure(int samples) {
    StudioRun run;
    if (running_) {
        run.text = "A measurement is running already.";
        Report(run.text);
        return run;
    }
    if (!Ready()) return run;
    SetRunning(true);
    // Whatever happens, the window leaves the run state (and closes when asked to).
    struct Done {
        StudioWindow& w;
        ~Done() {
            if (w.runProgress_) w.runProgress_->Stop();
            w.SetRunning(false);
            if (w.closeWhenDone_) QMetaObject::invokeMethod(&w, "close", Qt::QueuedConnection);
        }
    } done{*this};
    // The run reads its method from a file: next to the run's data, which keeps
    // it, or a temporary one. A data file reserved but never written goes again.
    struct Files {
        std::string data, method;
        bool keepMethod = false;
        ~Files() {
            std::error_code ec;
            if (!method.empty() && !keepMethod) std::filesystem::remove(method, ec);
            if (!data.empty() && std::filesystem::file_size(data, ec) == 0 && !ec)
                std::filesystem::remove(data, ec);
        }
    } files;
    Attempt(
        [&] {
            auto method = session_->Host().NewMethodObject();
            session_->Require(session_->Control().UpdateMethod(method), "UpdateMethod");
            loader::RunOptions options;
            if (!options_.runsFolder.empty()) {
                files.data = loader::NewRunDataPath(options_.runsFolder);
                const QFileInfo data(Q(files.data));
                files.method = S(data.path() + "/" + data.completeBaseName() + ".method.json");
                files.keepMethod = true;
                options.dataPath = files.data;
                options.dataId = S(data.completeBaseName());
                options.overwrite = true;  // the reservation
            } else {
                QTemporaryFile temporary(QDir::tempPath() + "/orvevizari-method-XXXXXX.json");
                if (!temporary.open())
                    throw host::Error(host::kErrUnexpected,
                                      "cannot make a temporary file for the run's method: " +
                                          S(temporary.errorString()));
                files.method = S(temporary.fileName());
                temporary.setAutoRemove(false);
            }
            kvdova::SaveMethod(*method, files.method);
            options.methodPath = files.method;
            for (int i = 1; i <= samples; ++i) options.sampleIds.push_back(fmt::format("S{}", i));
            options.progress = false;
            std::ostringstream log;
            shownData_.reset();  // the table's rows are this run's from now on
            if (runProgress_) runProgress_->Start(samples, method->RowCount(1));
            auto report = loader::RunMeasurement(*session_, options, log);
            shownData_ = report.data;
            run.completed = report.outcome == loader::RunReport::Outcome::Completed;
            run.samplesMeasured = report.samplesMeasured;
            if (report.dataSaved) run.dataPath = options.dataPath;
            std::string why = log.str();
            while (!why.empty() && why.back() == '\n') why.pop_back();
            run.text = fmt::format(
                "{} of {} samples measured, instrument time {:.1f} s{}{}", report.samplesMeasured,
                samples, report.instrumentSeconds, run.completed ? "" : "; " + report.errorText,
                options.dataPath.empty() ? ""
                : report.dataSaved
                    ? "; data saved to " + options.dataPath
                    : "; the data could NOT be saved to " + options.dataPath + ": " + why);
            statusBar()->showMessage(Q(run.text));
        },
        &run.text);
    return run;
}

void StudioWindow::MeasureDialog() {
    if (running_) return;
    bool ok = false;
    int n = QInputDialog::getInt(this, "Measure", "Number of samples:", 3, 1, 10000, 1, &ok);
    if (ok) Measure(n);
}

void StudioWindow::StopRun() {
    if (running_ && progress_) progress_->RequestAbort();
}

void StudioWindow::SaveTable() {
    if (!Ready()) return;
    auto grid = host::As<host::KVSpread>(session_->Page().Find("KVSResult"));
    if (grid)
        Guard({[this](const std::string& t) { Report(t); }, &windows_},
              [&] { grid->UserSaveRequest(); });
}

bool StudioWindow::LoadStoredData(const QString& path) {
    if (running_ || !Ready()) return false;
    return Attempt([&] { shownData_ = loader::ShowStoredResults(*session_, S(path)); });
}

void StudioWindow::LoadStoredDataDialog() {
    if (running_) return;
    auto path =
        QFileDialog::getOpenFileName(this, "Load stored data", {}, "Acquisition data (*.json)");
    if (!path.isEmpty()) LoadStoredData(path);
}

bool StudioWindow::SwitchLanguage(const QString& path) {
    if (running_) {
        Report("The language cannot change while a measurement is running.");
        return false;
    }
    if (!Ready()) return false;
    return Attempt([&] {
        // A catalogue that cannot be read leaves the page as it is.
        (void)kvbase::Catalog::Load(S(path));
        const std::string previous = options_.catalogue;
        Restart([&] { options_.catalogue = S(path); }, [&] { options_.catalogue = previous; });
    });
}

bool StudioWindow::ConnectServer(const QString& address) {
    if (running_) {
        Report("The instrument cannot change while a measurement is running.");
        return false;
    }
    if (!Ready()) return false;
    return Attempt([&] {
        const std::string previous = options_.server.address;
        Restart([&] { options_.server.address = S(address); },
                [&] { options_.server.address = previous; });
    });
}

void StudioWindow::Restart(const std::function<void()>& apply,
                           const std::function<void()>& revert) {
    auto method = session_->Host().NewMethodObject();
    session_->Require(session_->Control().UpdateMethod(method), "UpdateMethod");
    // The new page gets the method and the results the old one showed. An
    // edit of the positions empties the table: those results are gone then.
    auto results = host::As<host::KVSpread>(session_->Page().Find("KVSResult"));
    if (!results || results->RowCount() == 0) shownData_.reset();
    auto restore = [&] {
        session_->Require(session_->Control().LoadMethod(method), "LoadMethod");
        if (shownData_)
            session_->Require(session_->Control().LoadAcqData(shownData_), "LoadAcqData");
    };
    apply();
    StopSession();
    try {
        StartSession();
    } catch (...) {
        revert();
        StartSession();
        restore();
        throw;
    }
    restore();
}

void StudioWindow::SwitchLanguageDialog() {
    if (running_) return;
    auto path =
        QFileDialog::getOpenFileName(this, "Load text catalogue", {}, "Catalogues (*.json)");
    if (!path.isEmpty()) SwitchLanguage(path);
}

void StudioWindow::ConnectServerDialog() {
    if (running_) return;
    bool ok = false;
    const QString address = QInputDialog::getText(
        this, "Connect to server",
        "Instrument server (unix:PATH or HOST:PORT; empty: the simulator in this program):",
        QLineEdit::Normal, Q(options_.server.address), &ok);
    if (ok) ConnectServer(address.trimmed());
}

void StudioWindow::ShowInstrumentStatus() {
    if (!Ready()) return;
    auto info = session_->Info();
    QMessageBox::information(
        this, "Instrument",
        Q("Type: " + info->Type() + "\nSerial: " + info->Serial() +
          (options_.server.address.empty() ? "\nSimulated instrument in this program"
                                           : "\nInstrument server " + options_.server.address) +
          ", ready" + (running_ ? "\nA measurement is running." : "")));
}

// Closing during a run asks the running call to abort and closes once it returned.
void StudioWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        closeWhenDone_ = true;
        StopRun();
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace qtview
