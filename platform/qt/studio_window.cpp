#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QStatusBar>

#include <sstream>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/controls/context_menu.h"
#include "platform/controls/control_factory.h"
#include "platform/kvdova/acq_data_file.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/measurement_run.h"
#include "platform/loader/method_check.h"
#include "platform/qt/form_dialog.h"
#include "platform/qt/form_view.h"
#include "platform/qt/menu_presenter.h"

namespace studio {

MainWindow::MainWindow(StudioOptions options) : options_(std::move(options)) {
    setWindowTitle("ORVEVIZari Studio");
    statusLabel_ = new QLabel(this);
    statusBar()->addPermanentWidget(statusLabel_);
    BuildMenus();
    StartSession();
}

MainWindow::~MainWindow() {
    StopSession();
}

void MainWindow::Report(const std::string& text) {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(text));
}

void MainWindow::StartSession() {
    loader::SessionOptions o;
    o.library = options_.library;
    o.host.cataloguePath = options_.catalogue;
    o.host.realtime = !options_.virtualClock;
    session_ = std::make_unique<loader::HostSession>(o);
    auto& h = session_->Host();
    progress_ = std::make_unique<qtview::QtProgress>(h.GetClock(), h.Errors(),
                                                     options_.virtualClock
                                                         ? qtview::QtProgress::WaitMode::Clock
                                                         : qtview::QtProgress::WaitMode::EventLoop);
    progress_->AttachStatusBar(statusBar());
    dialogs_ = std::make_unique<qtview::QtFileDialogs>(windows_);
    clipboard_ = std::make_unique<qtview::QtClipboard>();
    h.UseProgress(progress_.get());
    h.UseDialogs(dialogs_.get());
    h.UseClipboard(clipboard_.get());

    qtview::ViewContext context;
    context.windows = &windows_;
    context.report = [this](const std::string& text) { Report(text); };
    h.Factory().SetModalRunner(qtview::ModalDialogRunner(context));
    h.Factory().SetMenuPresenter(qtview::QtMenuPresenter());
    if (auto menu = host::As<controls::ContextMenu>(session_->Page().Find("mnuPopUp"))) {
        menu->SetPresenter(qtview::QtMenuPresenter());
    }
    auto* view = new qtview::FormView(session_->Page(), context);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(view);
    scroll->setWidgetResizable(true);
    setCentralWidget(scroll);
    page_ = view;
    session_->Control().ClearMethod();
    statusLabel_->setText(QString::fromStdString("Instrument: " + session_->Info()->Type() + " " +
                                                 session_->Info()->Serial() +
                                                 " (simulated), ready"));
}

void MainWindow::StopSession() {
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

void MainWindow::BuildMenus() {
    auto* file = menuBar()->addMenu("&File");
    file->addAction("&New method", this, [this] { NewMethod(); });
    file->addAction("&Open method...", this, [this] { OpenMethodDialog(); });
    file->addAction("&Save method...", this, [this] { SaveMethodDialog(); });
    file->addSeparator();
    file->addAction("&Quit", this, [this] { close(); });
    auto* inst = menuBar()->addMenu("&Instrument");
    inst->addAction("&Status", this, [this] { ShowInstrumentStatus(); });
    auto* measure = menuBar()->addMenu("&Measure");
    measure->addAction("&Start...", this, [this] { MeasureDialog(); });
    measure->addAction("S&top", this, [this] { StopRun(); });
    auto* results = menuBar()->addMenu("&Results");
    results->addAction("&Save table...", this, [this] { SaveTable(); });
    results->addAction("&Load stored data...", this, [this] { LoadStoredData(); });
    auto* language = menuBar()->addMenu("&Language");
    language->addAction("&Load catalogue...", this, [this] { SwitchLanguage(); });
}

void MainWindow::NewMethod() {
    if (running_) return;
    session_->Control().ClearMethod();
}

bool MainWindow::OpenMethod(const QString& path) {
    try {
        auto method = kvdova::LoadMethod(path.toStdString());
        loader::CheckMethodDocument(*method, path.toStdString());
        session_->Require(session_->Control().LoadMethod(method), "LoadMethod");
        return true;
    } catch (const host::Error& e) {
        Report(e.Text());
        return false;
    }
}

void MainWindow::OpenMethodDialog() {
    if (running_) return;
    auto path =
        QFileDialog::getOpenFileName(this, "Open method", {}, "Methods (*.json);;All files (*)");
    if (!path.isEmpty()) OpenMethod(path);
}

void MainWindow::SaveMethodDialog() {
    auto path = QFileDialog::getSaveFileName(this, "Save method", {}, "Methods (*.json)");
    if (path.isEmpty()) return;
    try {
        auto method = session_->Host().NewMethodObject();
        session_->Require(session_->Control().UpdateMethod(method), "UpdateMethod");
        kvdova::SaveMethod(*method, path.toStdString());
    } catch (const host::Error& e) {
        Report(e.Text());
    }
}

// A second start while a run is on is refused; the page is locked during the run.
bool MainWindow::Measure(int samples) {
    if (running_) {
        Report("A measurement is running already.");
        return false;
    }
    running_ = true;
    bool ok = false;
    try {
        auto method = session_->Host().NewMethodObject();
        session_->Require(session_->Control().UpdateMethod(method), "UpdateMethod");
        const std::string path =
            (QDir::tempPath() + "/orvevizari-studio-method.json").toStdString();
        kvdova::SaveMethod(*method, path);
        loader::RunOptions run;
        run.methodPath = path;
        for (int i = 1; i <= samples; ++i) run.sampleIds.push_back(fmt::format("S{}", i));
        run.progress = false;
        std::ostringstream log;
        auto report = loader::RunMeasurement(*session_, run, log);
        ok = report.outcome == loader::RunReport::Outcome::Completed;
        statusBar()->showMessage(QString::fromStdString(fmt::format(
            "{} of {} samples measured, instrument time {:.1f} s{}", report.samplesMeasured,
            samples, report.instrumentSeconds, ok ? "" : "; " + report.errorText)));
    } catch (const host::Error& e) {
        Report(e.Text());
    }
    running_ = false;
    if (closeWhenDone_) QMetaObject::invokeMethod(this, "close", Qt::QueuedConnection);
    return ok;
}

void MainWindow::MeasureDialog() {
    bool ok = false;
    int n = QInputDialog::getInt(this, "Measure", "Number of samples:", 3, 1, 10000, 1, &ok);
    if (ok) Measure(n);
}

void MainWindow::StopRun() {
    if (running_ && progress_) progress_->RequestAbort();
}

void MainWindow::SaveTable() {
    auto grid = host::As<host::KVSpread>(session_->Page().Find("KVSResult"));
    if (grid)
        qtview::Guard({[this](const std::string& t) { Report(t); }, &windows_},
                      [&] { grid->UserSaveRequest(); });
}

void MainWindow::LoadStoredData() {
    if (running_) return;
    auto path =
        QFileDialog::getOpenFileName(this, "Load stored data", {}, "Acquisition data (*.json)");
    if (path.isEmpty()) return;
    try {
        loader::ShowStoredResults(*session_, path.toStdString());
    } catch (const host::Error& e) {
        Report(e.Text());
    }
}

// A new catalogue means a new module page: the method moves across.
void MainWindow::SwitchLanguage() {
    if (running_) return;
    auto path =
        QFileDialog::getOpenFileName(this, "Load text catalogue", {}, "Catalogues (*.json)");
    if (path.isEmpty()) return;
    try {
        auto method = session_->Host().NewMethodObject();
        session_->Control().UpdateMethod(method);
        const std::string previous = options_.catalogue;
        options_.catalogue = path.toStdString();
        StopSession();
        try {
            StartSession();
        } catch (const host::Error&) {
            options_.catalogue = previous;
            StartSession();
            throw;
        }
        session_->Control().LoadMethod(method);
    } catch (const host::Error& e) {
        Report(e.Text());
    }
}

void MainWindow::ShowInstrumentStatus() {
    auto info = session_->Info();
    QMessageBox::information(
        this, "Instrument",
        QString::fromStdString("Type: " + info->Type() + "\nSerial: " + info->Serial() +
                               "\nSimulated instrument, ready" +
                               (running_ ? "\nA measurement is running." : "")));
}

// Closing during a run asks the running call to abort and closes once it returned.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        closeWhenDone_ = true;
        StopRun();
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace studio
