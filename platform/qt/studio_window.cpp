#include "platform/qt/studio_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <filesystem>

#include "host/error.h"
#include "platform/controls/context_menu.h"
#include "platform/controls/control_factory.h"
#include "platform/kvbase/catalog.h"
#include "platform/qt/form_dialog.h"
#include "platform/qt/form_localizer.h"
#include "platform/qt/form_view.h"
#include "platform/qt/menu_presenter.h"
#include "platform/qt/spread_view.h"
#include "platform/qt/view_support.h"

namespace qtview {
namespace {

// The catalogue section of the module's page; the module's dialogs are localised from it too.
constexpr const char* kPageSection = "ORVEVIZari#UCVIZari";

struct Shipped {
    QString path, name;
};

// The shipped catalogues, named by the language they hold ("English", "Deutsch").
std::vector<Shipped> ShippedCatalogues(const QString& folder) {
    std::vector<Shipped> found;
    const QDir dir(folder);
    for (const QFileInfo& file :
         dir.entryInfoList({QStringLiteral("catalogue-*.json")}, QDir::Files, QDir::Name)) {
        try {
            const auto catalogue = kvbase::Catalog::Load(S(file.absoluteFilePath()));
            found.push_back({file.absoluteFilePath(),
                             Q(catalogue.Text("Language name", catalogue.Language()))});
        } catch (const host::Error&) {
            // A catalogue that cannot be read is not offered.
        }
    }
    return found;
}

bool SameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

}  // namespace

struct StudioWindow::Menus {
    QMenu *file = nullptr, *instrument = nullptr, *measure = nullptr, *results = nullptr,
          *language = nullptr;
    QAction *newMethod = nullptr, *open = nullptr, *save = nullptr, *quit = nullptr;
    QAction *status = nullptr, *connect = nullptr, *start = nullptr, *stop = nullptr;
    QAction *saveTable = nullptr, *loadData = nullptr, *otherCatalogue = nullptr;
    std::vector<std::pair<QAction*, Shipped>> languages;
};

StudioWindow::StudioWindow(StudioOptions options)
    : options_(std::move(options)), menus_(std::make_unique<Menus>()) {
    if (options_.catalogueFolder.empty())
        options_.catalogueFolder =
            S(QFileInfo(Q(std::string(ORVE_DEFAULT_CATALOGUE))).absolutePath());
    if (options_.rememberWindow) {
        settings_ =
            options_.settingsFile.empty()
                ? std::make_unique<QSettings>(QStringLiteral("ORVEVIZari"),
                                              QStringLiteral("Studio"))
                : std::make_unique<QSettings>(Q(options_.settingsFile), QSettings::IniFormat);
    }
    // On the real clock the instrument's commands take their time: the window
    // goes on meanwhile.
    if (!options_.virtualClock) calls_ = std::make_unique<EventLoopCalls>();
    statusLabel_ = new QLabel(this);
    statusBar()->addPermanentWidget(statusLabel_);
    log_ = new RunLog(this);
    BuildMenus();
    StartSession();
    MarkSaved({}, {});  // a new method has nothing to lose yet
    RestoreWindow();
    // Asked once the window shows, so that the question has its window.
    if (options_.offerRecovery && !options_.runsFolder.empty())
        QTimer::singleShot(0, this, [this] { OfferRecovery(); });
}

StudioWindow::~StudioWindow() {
    qApp->removeEventFilter(this);
    StopSession();
}

const host::TextCatalog* StudioWindow::Texts() const {
    return session_ ? &session_->Host().Texts() : nullptr;
}

std::string StudioWindow::T(const std::string& key) const {
    return Text(Texts(), key);
}

QString StudioWindow::Tq(const std::string& key) const {
    return Q(T(key));
}

void StudioWindow::Report(const std::string& text) {
    if (sink_) {
        sink_(text);
    } else if (running_) {
        statusBar()->showMessage(Q(text));
    } else {
        QMessageBox::warning(this, Q(kProductName), Q(text));
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
        text = T("An unexpected error occurred.");
    }
    if (failure != nullptr) *failure = text;
    Report(text);
    return false;
}

std::string StudioWindow::Listed(const std::vector<std::string>& lines) const {
    // A plate of positions outside the travel is named by its first few.
    constexpr std::size_t kShown = 12;
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kShown; ++i) text += "\n" + lines[i];
    if (lines.size() > kShown) text += "\n" + Say("... and {} more", lines.size() - kShown);
    return text;
}

void StudioWindow::SetRunning(bool running) {
    running_ = running;
    for (auto* action : idleActions_) action->setEnabled(!running);
    for (auto* action : runActions_) action->setEnabled(running);
    if (progress_) progress_->EnableAbort(running);
    // Esc on the window stops a run whatever the run is doing; see eventFilter.
    if (running) {
        qApp->installEventFilter(this);
    } else {
        qApp->removeEventFilter(this);
    }
}

bool StudioWindow::eventFilter(QObject* watched, QEvent* event) {
    if (running_ && progress_ && progress_->EscapeStops(watched, event)) {
        StopRun();
        return true;
    }
    // Delete on the position grid deletes the highlighted position, as "Delete Pos" does.
    if (event->type() == QEvent::KeyPress && watched == positionsTable_.data() && session_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            auto button = host::As<host::KVPicButton>(session_->Page().Find("KVPRemovePos"));
            if (button && button->Enabled() && button->Visible())
                Attempt([&] { button->UserClick(); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// After a language switch whose restart failed twice there is no module; every
// action says so instead of reaching for it.
bool StudioWindow::Ready() {
    if (session_) return true;
    Report(T("The module is not running: restart the program."));
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
    progress_->SetEscapeWindow(this);
    progress_->EnableAbort(running_);
    if (calls_) calls_->SetProgress(progress_.get());
    dialogs_ = std::make_unique<QtFileDialogs>(windows_);
    // The grid's own Save... starts where the last table went.
    dialogs_->SetStartFolder(S(StartFolder("folders/tables", Q(options_.runsFolder))));
    clipboard_ = std::make_unique<QtClipboard>();
    h.UseProgress(progress_.get());
    h.UseDialogs(dialogs_.get());
    h.UseClipboard(clipboard_.get());

    ViewContext context;
    context.windows = &windows_;
    context.report = [this](const std::string& text) { Report(text); };
    context.texts = &h.Texts();
    // The module's dialogs speak the page's language.
    h.Factory().SetModalRunner([runner = ModalDialogRunner(context), &h](host::Form& form) {
        LocalizeForm(form, h.Texts(), kPageSection);
        runner(form);
    });
    h.Factory().SetMenuPresenter(QtMenuPresenter());
    if (auto menu = host::As<controls::ContextMenu>(session_->Page().Find("mnuPopUp"))) {
        menu->SetPresenter(QtMenuPresenter());
    }
    auto* view = new FormView(session_->Page(), context);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(view);
    scroll->setWidgetResizable(true);
    PlateView* plate = nullptr;
    auto* split = qobject_cast<QSplitter*>(BesidePlateView(
        scroll, *view, [this] { return shownData_; }, &plate));
    // The run log lies below the plate, where the plate leaves room.
    auto* side = new QSplitter(Qt::Vertical);
    if (plate != nullptr) side->addWidget(plate);
    side->addWidget(log_);
    log_->show();
    side->setStretchFactor(0, 3);
    side->setStretchFactor(1, 1);
    split->addWidget(side);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setCollapsible(0, false);
    setCentralWidget(split);
    split_ = split;
    side_ = side;
    plateView_ = plate;
    page_ = view;
    if (settings_) {
        split->restoreState(settings_->value(QStringLiteral("window/split")).toByteArray());
        side->restoreState(settings_->value(QStringLiteral("window/side")).toByteArray());
    }
    session_->Control().ClearMethod();
    // The stage travel, for the check before a run.
    try {
        auto packet = h.Instruments().CreatePacket();
        h.Instruments().CreateServer()->GetInstInfo(*packet);
        auto info = h.NewParamSet();
        info->LoadFrom(*packet, 0);
        travel_ = TravelFromInstInfo(*info);
    } catch (...) {
        travel_ = {};  // an instrument that does not say: positions go to it unchecked
    }
    const std::string& server = options_.server.address;
    const std::string instrument = server.empty()
                                       ? Say("Instrument: {} {} (simulated)",
                                             session_->Info()->Type(), session_->Info()->Serial())
                                       : Say("Instrument: {} {} at {}", session_->Info()->Type(),
                                             session_->Info()->Serial(), server);
    if (auto results = host::As<host::KVSpread>(session_->Page().Find("KVSResult")))
        runProgress_ = new RunProgress(statusLabel_, results, h.GetClock(), instrument,
                                       centralWidget(), &h.Texts());
    if (auto* grid = view->ViewAs<SpreadView>("KVSScan")) {
        positionsTable_ = grid->Table();
        positionsTable_->installEventFilter(this);
    }
    WatchPage();
    RetitleMenus();
}

void StudioWindow::StopSession() {
    if (!session_) return;
    KeepSplitters();
    auto& h = session_->Host();
    // The log outlives the page; the views hold the page and go before the
    // control and its library.
    if (log_) log_->setParent(this);
    delete takeCentralWidget();
    h.UseProgress(nullptr);
    h.UseDialogs(nullptr);
    h.UseClipboard(nullptr);
    session_.reset();
    progress_.reset();
    dialogs_.reset();
    clipboard_.reset();
}

// The title and the entries the setup display shows follow the page.
void StudioWindow::WatchPage() {
    auto& page = session_->Page();
    const QPointer<StudioWindow> self(this);
    for (const auto& control : page.Controls()) {
        const auto kind = control->Kind();
        if (kind == host::ControlKind::KVEntry) {
            if (auto entry = host::As<host::KVEntry>(control)) {
                entry->OnValueChanged([self] {
                    if (self && self->session_) ShowEntriesInSetup(self->session_->Page());
                });
            }
        } else if (kind == host::ControlKind::UCORVE) {
            // A method load gives the display the entries' items under their keys.
            control->OnStateChanged([self] {
                if (!self) return;
                QTimer::singleShot(0, self, [self] {
                    if (self && self->session_) ShowEntriesInSetup(self->session_->Page());
                });
            });
        } else if (!(kind == host::ControlKind::KVSpread &&
                     host::IEquals(control->Name(), "KVSScan"))) {
            continue;
        }
        control->OnStateChanged([self] {
            if (self) self->UpdateTitleSoon();
        });
    }
    ShowEntriesInSetup(page);
}

void StudioWindow::BuildMenus() {
    auto& m = *menus_;
    auto idle = [this](QAction* action) {
        idleActions_.push_back(action);
        return action;
    };
    auto named = [](QAction* action, const char* name) {
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    m.file = menuBar()->addMenu(QString());
    m.newMethod =
        named(idle(m.file->addAction(QString(), this, [this] { NewMethod(); })), "newMethod");
    m.newMethod->setShortcut(QKeySequence::New);
    m.open = named(idle(m.file->addAction(QString(), this, [this] { OpenMethodDialog(); })),
                   "openMethod");
    m.open->setShortcut(QKeySequence::Open);
    m.save = named(idle(m.file->addAction(QString(), this, [this] { SaveMethodDialog(); })),
                   "saveMethod");
    m.save->setShortcut(QKeySequence::Save);
    m.file->addSeparator();
    m.quit = named(m.file->addAction(QString(), this, [this] { close(); }), "quit");
    m.quit->setShortcut(QKeySequence::Quit);
    m.instrument = menuBar()->addMenu(QString());
    m.status =
        named(idle(m.instrument->addAction(QString(), this, [this] { ShowInstrumentStatus(); })),
              "status");
    m.connect =
        named(idle(m.instrument->addAction(QString(), this, [this] { ConnectServerDialog(); })),
              "connect");
    m.measure = menuBar()->addMenu(QString());
    m.start =
        named(idle(m.measure->addAction(QString(), this, [this] { MeasureDialog(); })), "start");
    m.stop = named(m.measure->addAction(QString(), this, [this] { StopRun(); }), "stop");
    runActions_.push_back(m.stop);
    m.results = menuBar()->addMenu(QString());
    m.saveTable =
        named(idle(m.results->addAction(QString(), this, [this] { SaveTable(); })), "saveTable");
    m.loadData =
        named(idle(m.results->addAction(QString(), this, [this] { LoadStoredDataDialog(); })),
              "loadData");
    m.language = menuBar()->addMenu(QString());
    for (const auto& shipped : ShippedCatalogues(Q(options_.catalogueFolder))) {
        QAction* action = idle(m.language->addAction(
            shipped.name, this, [this, path = shipped.path] { SwitchLanguage(path); }));
        action->setObjectName(QStringLiteral("language:") + shipped.name);
        action->setCheckable(true);
        m.languages.emplace_back(action, shipped);
    }
    if (!m.languages.empty()) m.language->addSeparator();
    m.otherCatalogue =
        named(idle(m.language->addAction(QString(), this, [this] { OtherCatalogueDialog(); })),
              "otherCatalogue");
    SetRunning(running_);
}

void StudioWindow::RetitleMenus() {
    auto& m = *menus_;
    m.file->setTitle(Tq("&File"));
    m.newMethod->setText(Tq("&New method"));
    m.open->setText(Tq("&Open method..."));
    m.save->setText(Tq("&Save method..."));
    m.quit->setText(Tq("&Quit"));
    m.instrument->setTitle(Tq("&Instrument"));
    m.status->setText(Tq("&Status"));
    m.connect->setText(Tq("&Connect to server..."));
    m.measure->setTitle(Tq("&Measure"));
    m.start->setText(Tq("&Start..."));
    m.stop->setText(Tq("S&top"));
    m.results->setTitle(Tq("&Results"));
    m.saveTable->setText(Tq("&Save table..."));
    m.loadData->setText(Tq("&Load stored data..."));
    m.language->setTitle(Tq("&Language"));
    m.otherCatalogue->setText(Tq("&Other catalogue..."));
    for (auto& [action, shipped] : m.languages)
        action->setChecked(SameFile(shipped.path, Q(options_.catalogue)));
    if (progress_ && progress_->StopButton() != nullptr) {
        progress_->StopButton()->setText(Tq("Stop"));
        progress_->StopButton()->setToolTip(Tq("Stop the running measurement (Esc)"));
    }
    if (log_) log_->SetTitle(Tq("Run log"));
    UpdateTitle();
}

std::string StudioWindow::PageMethodName() {
    try {
        auto method = session_->Host().NewMethodObject();
        if (session_->Control().UpdateMethod(method) == 0) return method->Name();
    } catch (...) {
    }
    return {};
}

void StudioWindow::MarkSaved(const QString& file, const QString& source) {
    methodFile_ = file;
    methodSource_ = source;
    const std::string name = PageMethodName();
    if (!name.empty()) methodName_ = name;
    savedPrint_ = session_ ? PageFingerprint(session_->Page()) : std::string();
    UpdateTitle();
}

bool StudioWindow::MethodModified() const {
    return session_ && PageFingerprint(session_->Page()) != savedPrint_;
}

void StudioWindow::UpdateTitleSoon() {
    if (titlePending_) return;
    titlePending_ = true;
    QTimer::singleShot(0, this, [this] { UpdateTitle(); });
}

void StudioWindow::UpdateTitle() {
    titlePending_ = false;
    const std::string where = !methodFile_.isEmpty() ? S(QFileInfo(methodFile_).fileName())
                              : !methodSource_.isEmpty()
                                  ? Say("from {}", S(QFileInfo(methodSource_).fileName()))
                                  : T("not saved");
    // "[*]" is where Qt shows the mark of unsaved changes.
    setWindowTitle(Q(methodName_ + " \u2014 " + where) + QStringLiteral("[*] \u2014 ") +
                   Q(kProductName));
    setWindowModified(MethodModified());
}

bool StudioWindow::ConfirmDiscard() {
    CommitPendingEdits();
    if (!MethodModified()) return true;
    QMessageBox box(QMessageBox::Warning, Q(kProductName),
                    Q(Say("The method '{}' has unsaved changes.", methodName_)),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("unsavedChanges"));
    box.setInformativeText(Tq("Save them before you go on?"));
    box.button(QMessageBox::Save)->setText(Tq("&Save..."));
    box.button(QMessageBox::Discard)->setText(Tq("&Discard"));
    box.button(QMessageBox::Cancel)->setText(Tq("Cancel"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return SaveMethodDialog();
        case QMessageBox::Discard:
            return true;
        default:
            return false;
    }
}

void StudioWindow::CommitPendingEdits() {
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && isAncestorOf(focus)) focus->clearFocus();
}

bool StudioWindow::SwitchLanguage(const QString& path) {
    if (running_) {
        Report(T("The language cannot change while a measurement is running."));
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

void StudioWindow::OtherCatalogueDialog() {
    if (running_) return;
    QFileDialog dialog(this, Tq("Load text catalogue"),
                       StartFolder("folders/catalogues", Q(options_.catalogueFolder)),
                       Tq("Catalogues (*.json)"));
    dialog.setObjectName(QStringLiteral("catalogueDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().constFirst();
    RememberFolder("folders/catalogues", path);
    SwitchLanguage(path);
}

bool StudioWindow::ConnectServer(const QString& address) {
    if (running_) {
        Report(T("The instrument cannot change while a measurement is running."));
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
    CommitPendingEdits();
    const auto problems = EntryProblems(session_->Page(), Texts());
    if (!problems.empty())
        throw host::Error(
            host::kErrUnexpected,
            T("The page cannot move across while entries are not valid:") + Listed(problems));
    auto method = session_->Host().NewMethodObject();
    session_->Require(session_->Control().UpdateMethod(method), "UpdateMethod");
    const bool modified = MethodModified();
    // The new page gets the method and the results the old one showed. An
    // edit of the positions empties the table: those results are gone then.
    auto results = host::As<host::KVSpread>(session_->Page().Find("KVSResult"));
    if (!results || results->RowCount() == 0) shownData_.reset();
    auto restore = [&] {
        session_->Require(session_->Control().LoadMethod(method), "LoadMethod");
        if (shownData_)
            session_->Require(session_->Control().LoadAcqData(shownData_), "LoadAcqData");
        // What was saved stays saved, what was not stays marked.
        if (!modified) savedPrint_ = PageFingerprint(session_->Page());
        UpdateTitle();
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

void StudioWindow::ConnectServerDialog() {
    if (running_) return;
    bool ok = false;
    const QString address = QInputDialog::getText(
        this, Tq("Connect to server"),
        Tq("Instrument server (unix:PATH or HOST:PORT; empty: the simulator in this program):"),
        QLineEdit::Normal, Q(options_.server.address), &ok);
    if (ok) ConnectServer(address.trimmed());
}

void StudioWindow::ShowInstrumentStatus() {
    if (!Ready()) return;
    auto info = session_->Info();
    std::string text =
        Say("Type: {}", info->Type()) + "\n" + Say("Serial: {}", info->Serial()) + "\n" +
        (options_.server.address.empty() ? T("Simulated instrument in this program")
                                         : Say("Instrument server {}", options_.server.address)) +
        ", " + T("ready");
    if (running_) text += "\n" + T("A measurement is running.");
    QMessageBox::information(this, Tq("Instrument"), Q(text));
}

QSize StudioWindow::FirstStartSize(const QSize& available) {
    // Room for the window frame and a panel; beyond that the page needs no more.
    return QSize(std::min(1280, available.width() - 40), std::min(720, available.height() - 48));
}

QString StudioWindow::StartFolder(const char* key, const QString& fallback) const {
    const QString kept =
        settings_ ? settings_->value(QString::fromLatin1(key)).toString() : QString();
    if (!kept.isEmpty() && QFileInfo(kept).isDir()) return kept;
    return fallback;
}

void StudioWindow::RememberFolder(const char* key, const QString& file) {
    if (settings_) settings_->setValue(QString::fromLatin1(key), QFileInfo(file).absolutePath());
}

void StudioWindow::RestoreWindow() {
    if (settings_ &&
        restoreGeometry(settings_->value(QStringLiteral("window/geometry")).toByteArray()))
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    resize(
        FirstStartSize(screen != nullptr ? screen->availableGeometry().size() : QSize(1366, 728)));
}

void StudioWindow::KeepSplitters() {
    if (!settings_) return;
    if (split_) settings_->setValue(QStringLiteral("window/split"), split_->saveState());
    if (side_) settings_->setValue(QStringLiteral("window/side"), side_->saveState());
}

void StudioWindow::KeepWindow() {
    if (!settings_) return;
    settings_->setValue(QStringLiteral("window/geometry"), saveGeometry());
    KeepSplitters();
    settings_->sync();
}

void StudioWindow::AskStopAndClose() {
    if (stopQuestion_) return;  // asked already
    auto* box = new QMessageBox(QMessageBox::Question, Q(kProductName),
                                Tq("A measurement is running \u2014 stop it and close?"),
                                QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QStringLiteral("stopAndClose"));
    box->button(QMessageBox::Yes)->setText(Tq("Stop and close"));
    box->button(QMessageBox::No)->setText(Tq("Go on measuring"));
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    // Asked without holding the run: it goes on while the question is open.
    connect(box, &QMessageBox::finished, this, [this, box](int) {
        if (box->clickedButton() != box->button(QMessageBox::Yes)) return;
        if (running_) {
            closeWhenDone_ = true;
            StopRun();
        } else {
            QMetaObject::invokeMethod(this, "close", Qt::QueuedConnection);
        }
    });
    stopQuestion_ = box;
    box->open();
}

void StudioWindow::StopAndClose(int signal) {
    stopSignal_ = signal;
    closeUnasked_ = true;
    close();
}

void StudioWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        // The run stops first, keeps what it measured, and the window closes once it returned.
        event->ignore();
        if (closeUnasked_) {
            closeWhenDone_ = true;
            if (progress_) progress_->RequestAbort();
        } else {
            AskStopAndClose();
        }
        return;
    }
    if (!closeUnasked_ && !ConfirmDiscard()) {
        event->ignore();
        return;
    }
    KeepWindow();
    event->accept();
}

}  // namespace qtview
