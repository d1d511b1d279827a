// The desktop host's runs: the checks before a run, the run, and its outcome.
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include <filesystem>
#include <sstream>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/measurement_run.h"
#include "platform/qt/studio_window.h"
#include "platform/qt/view_support.h"

namespace qtview {

StudioRun StudioWindow::Measure(int samples, int cycles, double interval) {
    StudioRun run;
    if (running_) {
        run.text = T("A measurement is running already.");
        Report(run.text);
        return run;
    }
    if (!Ready()) return run;
    CommitPendingEdits();
    // Everything a person can put right is checked before anything moves.
    std::vector<std::string> refusals = EntryProblems(session_->Page(), Texts());
    if (auto grid = host::As<host::KVSpread>(session_->Page().Find("KVSScan"))) {
        auto positions = CheckPositions(*grid, travel_, Texts());
        refusals.insert(refusals.end(), positions.refusals.begin(), positions.refusals.end());
        run.warnings = std::move(positions.warnings);
    }
    if (!refusals.empty()) {
        run.text = T("The measurement does not start:") + Listed(refusals);
        Report(run.text);
        return run;
    }
    stopSignal_ = 0;
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
    // The run reads its method from a file: in the runs folder's "methods"
    // folder, where the data file's filter does not list it, or a temporary
    // one. It stays only beside data that were saved; a data file reserved
    // but never written goes again.
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
    std::string failure;
    const bool ran = Attempt(
        [&] {
            auto method = session_->Host().NewMethodObject();
            session_->Require(session_->Control().UpdateMethod(method), "UpdateMethod");
            loader::RunOptions options;
            if (!options_.runsFolder.empty()) {
                files.data = loader::NewRunDataPath(options_.runsFolder);
                const QFileInfo data(Q(files.data));
                const QString methods = data.path() + QStringLiteral("/methods");
                if (!QDir().mkpath(methods))
                    throw host::Error(
                        host::kErrUnexpected,
                        Say("cannot make the folder '{}' for the runs' methods", S(methods)));
                files.method = S(methods + "/" + data.completeBaseName() + ".method.json");
                options.dataPath = files.data;
                options.dataId = S(data.completeBaseName());
                options.overwrite = true;  // the reservation
            } else {
                QTemporaryFile temporary(QDir::tempPath() + "/orvevizari-method-XXXXXX.json");
                if (!temporary.open())
                    throw host::Error(host::kErrUnexpected,
                                      Say("cannot make a temporary file for the run's method: {}",
                                          S(temporary.errorString())));
                files.method = S(temporary.fileName());
                temporary.setAutoRemove(false);
            }
            kvdova::SaveMethod(*method, files.method);
            options.methodPath = files.method;
            for (int i = 1; i <= samples; ++i) options.sampleIds.push_back(fmt::format("S{}", i));
            options.cycles = cycles;
            options.interval = interval;
            options.progress = false;
            std::ostringstream log;
            shownData_.reset();  // the table's rows are this run's from now on
            if (runProgress_) runProgress_->Start(samples, method->RowCount(1), cycles, interval);
            statusBar()->showMessage(run.warnings.empty()
                                         ? Tq("Measuring...")
                                         : Q(Say("Measuring; warning: {}", run.warnings.front())));
            auto report = loader::RunMeasurement(*session_, options, log);
            shownData_ = report.data;
            ShowSampleIds();
            files.keepMethod = report.dataSaved;
            run.warnings.insert(run.warnings.end(), report.warnings.begin(), report.warnings.end());
            run.completed = report.outcome == loader::RunReport::Outcome::Completed;
            run.samplesMeasured = report.samplesMeasured;
            if (report.dataSaved) run.dataPath = options.dataPath;
            std::string why = log.str();
            while (!why.empty() && why.back() == '\n') why.pop_back();
            std::string ending;
            if (report.outcome == loader::RunReport::Outcome::Aborted) {
                // The instrument names its emergency stop; the person asked for a stop.
                ending = stopSignal_ != 0
                             ? Say("Stopped by {}", loader::StopSignalName(stopSignal_))
                             : T("Stopped by the user");
            } else if (!run.completed) {
                ending = report.errorText;
            }
            run.text =
                (cycles > 1 ? Say("{} of {} samples measured in {} of {} cycles, instrument "
                                  "time {:.1f} s",
                                  report.samplesMeasured, samples * cycles, report.cyclesDone,
                                  cycles, report.instrumentSeconds)
                            : Say("{} of {} samples measured, instrument time {:.1f} s",
                                  report.samplesMeasured, samples, report.instrumentSeconds)) +
                (ending.empty() ? "" : "; " + ending);
            std::string dataLine;
            if (!options.dataPath.empty()) {
                dataLine = report.dataSaved
                               ? Say("data saved to {}", options.dataPath)
                               : Say("the data could NOT be saved to {}: {}", options.dataPath,
                                     report.dataError.empty() ? why : report.dataError);
                run.text += "; " + dataLine;
            }
            // The data that could not be saved are not lost: the journal keeps them.
            if (!report.journalPath.empty())
                run.warnings.push_back(
                    Say("the run's journal keeps every reading: {}; the next start offers to "
                        "recover it",
                        report.journalPath));
            statusBar()->showMessage(Q(run.text));
            if (log_) {
                QStringList warnings;
                for (const auto& w : run.warnings) warnings << Q(w);
                log_->AddRun(Q(run.text), run.completed, Q(dataLine),
                             report.dataSaved ? Q(options.dataPath) : QString(), warnings);
            }
        },
        &failure);
    if (!ran) {
        run.text = failure;
        if (log_) log_->AddRun(Q(failure), false, {}, {}, {});
    }
    return run;
}

void StudioWindow::MeasureDialog() {
    if (running_) return;
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("measureDialog"));
    dialog.setWindowTitle(Tq("Measure"));
    auto* samples = new QSpinBox(&dialog);
    samples->setObjectName(QStringLiteral("samples"));
    samples->setRange(1, 10000);
    samples->setValue(lastSamples_);
    auto* cycles = new QSpinBox(&dialog);
    cycles->setObjectName(QStringLiteral("cycles"));
    cycles->setRange(1, 100000);
    cycles->setValue(lastCycles_);
    auto* interval = new QDoubleSpinBox(&dialog);
    interval->setObjectName(QStringLiteral("interval"));
    interval->setRange(0.0, 7 * 24 * 3600.0);
    interval->setDecimals(1);
    interval->setSuffix(QStringLiteral(" s"));
    interval->setValue(lastInterval_);
    // An interval means something only between cycles.
    interval->setEnabled(cycles->value() > 1);
    connect(cycles, &QSpinBox::valueChanged, interval,
            [interval](int n) { interval->setEnabled(n > 1); });
    auto* form = new QFormLayout;
    form->addRow(Tq("Number of samples:"), samples);
    form->addRow(Tq("Cycles (the samples measured again and again):"), cycles);
    form->addRow(Tq("Interval from cycle start to cycle start:"), interval);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(Tq("&Start"));
    buttons->button(QDialogButtonBox::Cancel)->setText(Tq("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    lastSamples_ = samples->value();
    lastCycles_ = cycles->value();
    lastInterval_ = interval->value();
    Measure(lastSamples_, lastCycles_, lastCycles_ > 1 ? lastInterval_ : 0.0);
}

void StudioWindow::StopRun() {
    if (running_ && progress_) progress_->RequestAbort();
}

}  // namespace qtview
