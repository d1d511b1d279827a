// The desktop host's files: methods, the result table and stored runs.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include <filesystem>

#include "host/error.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/measurement_run.h"
#include "platform/loader/method_check.h"
#include "platform/loader/run_journal.h"
#include "platform/qt/studio_window.h"
#include "platform/qt/view_support.h"

namespace qtview {
namespace {

// A name typed without an extension is a method file all the same.
QString MethodFileName(const QString& path) {
    const QFileInfo file(path);
    return file.suffix().isEmpty() && !file.fileName().isEmpty() ? path + QStringLiteral(".json")
                                                                 : path;
}

}  // namespace

void StudioWindow::NewMethod() {
    if (running_ || !Ready() || !ConfirmDiscard()) return;
    Attempt([&] {
        session_->Control().ClearMethod();
        shownData_.reset();
        MarkSaved({}, {});
    });
}

bool StudioWindow::OpenMethod(const QString& path) {
    if (running_ || !Ready()) return false;
    return Attempt([&] {
        auto method = kvdova::LoadMethod(S(path));
        loader::CheckMethodDocument(*method, S(path));
        session_->Require(session_->Control().LoadMethod(method), "LoadMethod");
        shownData_.reset();
        methodName_ = method->Name();
        MarkSaved(QFileInfo(path).absoluteFilePath(), {});
        RememberFolder("folders/methods", path);
    });
}

void StudioWindow::OpenMethodDialog() {
    if (running_ || !ConfirmDiscard()) return;
    QFileDialog dialog(this, Tq("Open method"), StartFolder("folders/methods", QString()),
                       Tq("Methods (*.json)") + QStringLiteral(";;") + Tq("All files (*)"));
    dialog.setObjectName(QStringLiteral("openMethodDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        OpenMethod(dialog.selectedFiles().constFirst());
}

bool StudioWindow::SaveMethod(const QString& path) {
    if (running_ || !Ready()) return false;
    CommitPendingEdits();
    const QString file = MethodFileName(path);
    // The module checks only the entries it stores itself: a slit that is no
    // number would reach the file.
    const auto problems = EntryProblems(session_->Page(), Texts());
    if (!problems.empty()) {
        Report(T("The method is not saved; these entries are not valid:") + Listed(problems));
        return false;
    }
    return Attempt([&] {
        auto method = session_->Host().NewMethodObject();
        session_->Require(session_->Control().UpdateMethod(method), "UpdateMethod");
        kvdova::SaveMethod(*method, S(file));
        methodName_ = method->Name();
        MarkSaved(QFileInfo(file).absoluteFilePath(), {});
        RememberFolder("folders/methods", file);
        const std::string said = Say("Method saved to {}", S(methodFile_));
        statusBar()->showMessage(Q(said));
        if (log_) log_->AddNote(Q(said), methodFile_);
    });
}

bool StudioWindow::SaveMethodDialog() {
    if (running_) return false;
    CommitPendingEdits();
    QFileDialog dialog(this, Tq("Save method"), StartFolder("folders/methods", QString()),
                       Tq("Methods (*.json)"));
    dialog.setObjectName(QStringLiteral("saveMethodDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("json"));
    if (!methodFile_.isEmpty()) dialog.selectFile(methodFile_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    return SaveMethod(dialog.selectedFiles().constFirst());
}

void StudioWindow::SaveTable() {
    if (running_ || !Ready()) return;
    auto grid = host::As<host::KVSpread>(session_->Page().Find("KVSResult"));
    if (!grid) return;
    dialogs_->ForgetLastChoice();
    dialogs_->SetStartFolder(S(StartFolder("folders/tables", Q(options_.runsFolder))));
    if (!Attempt([&] { grid->UserSaveRequest(); })) return;
    // The module's own dialog asked for the file; a cancel chose none.
    const std::string chosen = dialogs_->LastChoice();
    std::error_code ec;
    if (chosen.empty() || !std::filesystem::exists(chosen, ec)) return;
    RememberFolder("folders/tables", Q(chosen));
    const std::string said = Say("Table saved to {}", chosen);
    statusBar()->showMessage(Q(said));
    if (log_) log_->AddNote(Q(said), Q(chosen));
}

// Rows whose sample measured nothing (a run stopped as it began the sample)
// carry their sample's ID all the same.
void StudioWindow::ShowSampleIds() {
    if (!session_ || !shownData_) return;
    try {
        auto grid = host::As<host::KVSpread>(session_->Page().Find("KVSResult"));
        if (!grid || grid->ColumnCount() < 1) return;
        const std::int32_t rows =
            std::min(grid->RowCount(), shownData_->ItemCount(host::ItemGroup::Type1));
        for (std::int32_t r = 1; r <= rows; ++r)
            if (grid->Cell(1, r).IsEmpty())
                grid->SetCell(1, r, shownData_->ItemId(host::ItemGroup::Type1, r));
    } catch (...) {
        // The table shows what the module filled in.
    }
}

bool StudioWindow::LoadStoredData(const QString& path) {
    if (running_ || !Ready()) return false;
    return Attempt([&] {
        shownData_ = loader::ShowStoredResults(*session_, S(path));
        ShowSampleIds();
        MarkSaved({}, QFileInfo(path).absoluteFilePath());
        const auto info = shownData_->RunInfo();
        const auto found = info.find("outcome");
        const std::string outcome = found != info.end() ? found->second : std::string();
        const std::string file = S(QFileInfo(path).fileName());
        const std::string said =
            outcome.empty()          ? Say("Loaded {}", file)
            : outcome == "completed" ? Say("Loaded {}: the run completed", file)
            : outcome.rfind("aborted", 0) == 0
                ? Say("Loaded {}: the run was {}; the table holds what it measured", file,
                      T(outcome))
                : Say("Loaded {}: the run {}", file, T(outcome));
        statusBar()->showMessage(Q(said));
        if (log_) log_->AddNote(Q(said), QFileInfo(path).absoluteFilePath());
    });
}

void StudioWindow::LoadStoredDataDialog() {
    if (running_ || !ConfirmDiscard()) return;
    QFileDialog dialog(this, Tq("Load stored data"), Q(options_.runsFolder),
                       Tq("Acquisition data (*.json)"));
    dialog.setObjectName(QStringLiteral("loadDataDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        LoadStoredData(dialog.selectedFiles().constFirst());
}

QStringList StudioWindow::InterruptedRuns() const {
    QStringList found;
    if (options_.runsFolder.empty()) return found;
    const QDir runs(Q(options_.runsFolder));
    for (const QFileInfo& journal :
         runs.entryInfoList({QStringLiteral("*.journal")}, QDir::Files, QDir::Name)) {
        // A data file that holds something is the run's own, or a recovery
        // made already: that journal is only kept for checking.
        const QFileInfo data(Q(loader::DataPathOfJournal(S(journal.absoluteFilePath()))));
        if (!data.exists() || data.size() == 0) found << journal.absoluteFilePath();
    }
    return found;
}

bool StudioWindow::RecoverRun(const QString& journal) {
    if (running_ || !Ready()) return false;
    return Attempt([&] {
        const auto saved = loader::SaveRecoveredRun(S(journal), {}, {}, false);
        const std::string said =
            Say("Recovered {} readings of an interrupted run ({}): data saved to {}; its "
                "journal {} is kept, remove it once the data are checked",
                saved.run.readings, T(saved.run.data->RunInfo().at("outcome")), saved.dataPath,
                S(journal)) +
            (saved.run.tornLastLine
                 ? "; " + T("the journal's last line was cut short when the run was killed; it "
                            "was dropped")
                 : std::string());
        if (log_) log_->AddNote(Q(said), Q(saved.dataPath));
        LoadStoredData(Q(saved.dataPath));
    });
}

void StudioWindow::OfferRecovery() {
    for (const QString& journal : InterruptedRuns()) {
        if (running_) return;
        QMessageBox box(QMessageBox::Question, Q(kProductName),
                        Q(Say("A run ended before its data were saved; its journal keeps what it "
                              "measured: {}",
                              S(journal))),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("recoverRun"));
        box.setInformativeText(Tq("Recover the run's data now?"));
        box.button(QMessageBox::Yes)->setText(Tq("&Recover"));
        box.button(QMessageBox::No)->setText(Tq("&Later"));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        // Recovering replaces the page's method with the run's.
        if (box.exec() == QMessageBox::Yes && ConfirmDiscard()) RecoverRun(journal);
    }
}

}  // namespace qtview
