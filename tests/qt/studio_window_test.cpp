// The desktop host as a person uses it: a method in the page, a language
// switch, a run with a close or a second start in the middle of it.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include "platform/kvdova/acq_data_file.h"
#include "platform/qnserver/server_factory.h"
#include "platform/qt/stall_meter.h"
#include "platform/qt/stop_signals.h"
#include "platform/qt/studio_window.h"
#include "qt/qt_support.h"

namespace {

namespace fs = std::filesystem;

const std::string kExamples = std::string(ORVE_SOURCE_DIR) + "/examples/";

class StudioWindowTest : public qttest::QtTest {
  protected:
    void SetUp() override {
        runs_ = fs::temp_directory_path() /
                ("studio-runs-" + std::to_string(QCoreApplication::applicationPid()));
        fs::remove_all(runs_);
        qtview::StudioOptions options;
        options.virtualClock = true;
        options.runsFolder = runs_.string();
        window_ = std::make_unique<qtview::StudioWindow>(options);
        window_->SetReportSink([this](const std::string& t) { reports_.push_back(t); });
        window_->Session().Host().Simulator().GetInstrument().GetTranscript().SetStream(
            &transcript_);
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        fs::remove_all(runs_);
    }

    host::KVSpread& Grid(const char* name) {
        auto grid = host::As<host::KVSpread>(window_->Session().Page().Find(name));
        EXPECT_NE(grid, nullptr) << name;
        return *grid;
    }
    // The positions of the page's method, as the module hands them out.
    std::vector<std::vector<std::string>> Positions() {
        auto method = window_->Session().Host().NewMethodObject();
        window_->Session().Control().UpdateMethod(method);
        std::vector<std::vector<std::string>> rows;
        for (std::int32_t i = 1; i <= method->RowCount(1); ++i) {
            std::vector<std::string> row;
            for (std::int32_t c = 1; c <= 4; ++c) row.push_back(method->Cell(1, c, i).ToString());
            rows.push_back(row);
        }
        return rows;
    }
    bool ButtonShows(const QString& text) {
        for (auto* b : window_->findChildren<QAbstractButton*>())
            if (b->text() == text && b->isVisible()) return true;
        return false;
    }
    // A cell of some item view of the window that begins with text (units follow names).
    bool SomeModelShows(const QString& text) {
        for (auto* m : window_->findChildren<QAbstractItemModel*>())
            for (int r = 0; r < m->rowCount(); ++r)
                for (int c = 0; c < m->columnCount(); ++c)
                    if (m->index(r, c).data().toString().startsWith(text)) return true;
        return false;
    }

    fs::path runs_;
    std::unique_ptr<qtview::StudioWindow> window_;
    std::vector<std::string> reports_;
    std::ostringstream transcript_;
};

TEST_F(StudioWindowTest, ALanguageSwitchReloadsThePageAndKeepsTheMethod) {
    ASSERT_TRUE(window_->OpenMethod(QString::fromStdString(kExamples + "method-3pos.json")));
    const auto before = Positions();
    ASSERT_EQ(before.size(), 3u);
    EXPECT_TRUE(ButtonShows("Insert Pos"));
    EXPECT_FALSE(SomeModelShows(QString::fromUtf8("Anregungswellenlänge")));

    ASSERT_TRUE(window_->SwitchLanguage(QString::fromStdString(kExamples + "catalogue-de.json")))
        << (reports_.empty() ? "" : reports_.back());
    QApplication::processEvents();
    EXPECT_TRUE(ButtonShows(QString::fromUtf8("Pos. einfügen")));
    EXPECT_FALSE(ButtonShows("Insert Pos"));
    // The instrument's setup names come from the new catalogue too.
    EXPECT_TRUE(SomeModelShows(QString::fromUtf8("Anregungswellenlänge")));
    EXPECT_EQ(Positions(), before);
    EXPECT_TRUE(reports_.empty());
}

TEST_F(StudioWindowTest, ALanguageSwitchAfterARunKeepsItsResultsInTheTable) {
    ASSERT_TRUE(window_->OpenMethod(QString::fromStdString(kExamples + "method-3pos.json")));
    ASSERT_TRUE(window_->Measure(2).completed);
    auto table = [&] {
        std::vector<std::string> cells;
        auto& grid = Grid("KVSResult");
        for (std::int32_t r = 1; r <= grid.RowCount(); ++r)
            for (std::int32_t c = 1; c <= grid.ColumnCount(); ++c)
                cells.push_back(grid.Cell(c, r).ToString());
        return cells;
    };
    const auto before = table();
    ASSERT_EQ(Grid("KVSResult").RowCount(), 2);
    ASSERT_TRUE(window_->SwitchLanguage(QString::fromStdString(kExamples + "catalogue-de.json")))
        << (reports_.empty() ? "" : reports_.back());
    EXPECT_EQ(table(), before);
    // An edit of the positions empties the table; a switch does not bring the old results back.
    Grid("KVSScan").UserEditCell(3, 1, host::Variant(490.0));
    ASSERT_EQ(Grid("KVSResult").RowCount(), 0);
    ASSERT_TRUE(window_->SwitchLanguage(QString::fromStdString(kExamples + "catalogue-en.json")));
    EXPECT_EQ(Grid("KVSResult").RowCount(), 0);
    // A new method starts an empty table, which a later switch keeps empty.
    ASSERT_TRUE(window_->OpenMethod(QString::fromStdString(kExamples + "method-3pos.json")));
    ASSERT_TRUE(window_->SwitchLanguage(QString::fromStdString(kExamples + "catalogue-en.json")));
    EXPECT_EQ(Grid("KVSResult").RowCount(), 0);
}

TEST_F(StudioWindowTest, AnUnreadableCatalogueLeavesThePageAndItsMethod) {
    ASSERT_TRUE(window_->OpenMethod(QString::fromStdString(kExamples + "method-3pos.json")));
    const auto before = Positions();
    QWidget* page = window_->Page();
    const fs::path bad =
        runs_.parent_path() /
        ("studio-bad-catalogue-" + std::to_string(QCoreApplication::applicationPid()) + ".json");
    std::ofstream(bad) << "{\"version\": 1, \"texts\": [";

    EXPECT_FALSE(window_->SwitchLanguage(QString::fromStdString(bad.string())));
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_NE(reports_[0].find(bad.filename().string()), std::string::npos) << reports_[0];
    EXPECT_EQ(window_->Page(), page);
    EXPECT_TRUE(ButtonShows("Insert Pos"));
    EXPECT_EQ(Positions(), before);
    fs::remove(bad);
}

TEST_F(StudioWindowTest, ASecondStartDuringARunIsRefusedAndTheFirstGoesOn) {
    ASSERT_TRUE(window_->OpenMethod(QString::fromStdString(kExamples + "method-3pos.json")));
    qtview::StudioRun second;
    bool tried = false;
    auto startAction = [&]() -> QAction* {
        for (auto* a : window_->findChildren<QAction*>())
            if (a->text() == "&Start...") return a;
        return nullptr;
    };
    ASSERT_NE(startAction(), nullptr);
    EXPECT_TRUE(startAction()->isEnabled());
    EXPECT_FALSE(window_->Progress().AbortEnabled()) << "Stop and Esc abort only a run";
    window_->Progress().SetStatusSink([&](const std::string& text) {
        if (tried || text.find("S1") == std::string::npos) return;
        tried = true;
        EXPECT_TRUE(window_->Running());
        // Only Stop and Quit are offered: a dialog would hold the run.
        EXPECT_FALSE(startAction()->isEnabled());
        EXPECT_TRUE(window_->Progress().AbortEnabled());
        EXPECT_FALSE(
            window_->SwitchLanguage(QString::fromStdString(kExamples + "catalogue-de.json")));
        second = window_->Measure(1);
    });
    const auto first = window_->Measure(2);
    ASSERT_TRUE(tried);
    EXPECT_FALSE(second.completed);
    EXPECT_EQ(second.text, "A measurement is running already.");
    EXPECT_TRUE(first.completed) << first.text;
    EXPECT_EQ(first.samplesMeasured, 2);
    EXPECT_EQ(Grid("KVSResult").RowCount(), 2);
    EXPECT_FALSE(window_->Running());
    EXPECT_TRUE(startAction()->isEnabled());
    EXPECT_FALSE(window_->Progress().AbortEnabled());
}

TEST_F(StudioWindowTest, ClosingDuringARunAsksThenStopsItKeepsWhatWasMeasuredAndCloses) {
    ASSERT_TRUE(window_->OpenMethod(QString::fromStdString(kExamples + "method-3pos.json")));
    bool asked = false;
    window_->Progress().SetStatusSink([&](const std::string& text) {
        if (asked || text.find("S2") == std::string::npos) return;
        asked = true;
        EXPECT_FALSE(window_->close());
        // The question does not hold the run; the person answers it.
        auto* question = window_->findChild<QMessageBox*>("stopAndClose");
        ASSERT_NE(question, nullptr);
        EXPECT_TRUE(question->isVisible());
        EXPECT_EQ(question->text(),
                  QString::fromUtf8("A measurement is running \u2014 stop it and close?"));
        QTest::mouseClick(question->button(QMessageBox::Yes), Qt::LeftButton);
    });
    const auto run = window_->Measure(3);
    ASSERT_TRUE(asked);
    EXPECT_FALSE(run.completed);
    EXPECT_EQ(run.samplesMeasured, 1) << run.text;
    EXPECT_NE(run.text.find("Stopped by the user"), std::string::npos) << run.text;
    EXPECT_EQ(run.text.find("emergency"), std::string::npos) << run.text;
    // What was measured outlives the window: the run's data are in the runs folder.
    ASSERT_FALSE(run.dataPath.empty()) << run.text;
    EXPECT_EQ(fs::path(run.dataPath).parent_path(), runs_);
    EXPECT_NE(run.text.find("data saved to " + run.dataPath), std::string::npos) << run.text;
    // The method it used is kept where the data files' filter does not list it.
    const fs::path method =
        runs_ / "methods" / fs::path(run.dataPath).filename().replace_extension(".method.json");
    EXPECT_TRUE(fs::exists(method));
    auto stored = kvdova::LoadAcqData(run.dataPath);
    EXPECT_EQ(stored->RunInfo().at("methodFile"), method.string());
    EXPECT_EQ(stored->RunInfo().at("outcome"), "aborted by the user");
    EXPECT_EQ(kvdova::RunSampleIds(stored->RunInfo()),
              (std::vector<std::string>{"S1", "S2", "S3"}));
    EXPECT_TRUE(window_->isVisible()) << "closes only once the run has returned";
    // The reader was parked and the page given back.
    EXPECT_NE(transcript_.str().find("> Park WPR"), std::string::npos);
    EXPECT_TRUE(host::As<host::Control>(window_->Session().Page().Find("KVSResult"))->Enabled());
    EXPECT_GE(Grid("KVSResult").RowCount(), 1);
    QApplication::processEvents();
    EXPECT_FALSE(window_->isVisible());
}

// A stop signal (SIGTERM from a shutdown, SIGHUP from a closed terminal)
// closes the window without a question: the run stops, what it measured is
// saved, the reader parked, and only then the window goes.
TEST_F(StudioWindowTest, AStopSignalClosesTheWindowLikeThePerson) {
    ASSERT_TRUE(window_->OpenMethod(QString::fromStdString(kExamples + "method-3pos.json")));
    qtview::StopSignalNotifier stopSignals;
    QObject::connect(&stopSignals, &qtview::StopSignalNotifier::StopRequested, window_.get(),
                     [this](int signal) { window_->StopAndClose(signal); });
    bool raised = false;
    window_->Progress().SetStatusSink([&](const std::string& text) {
        if (!raised && text.find("S2") != std::string::npos) {
            raised = true;
            std::raise(SIGTERM);
            // What a wait on the real clock does: the event loop runs.
            QCoreApplication::processEvents();
        }
    });
    const auto run = window_->Measure(3);
    ASSERT_TRUE(raised);
    EXPECT_EQ(stopSignals.Received(), SIGTERM);
    EXPECT_FALSE(run.completed);
    EXPECT_GE(run.samplesMeasured, 1) << run.text;
    ASSERT_FALSE(run.dataPath.empty()) << run.text;
    EXPECT_EQ(kvdova::LoadAcqData(run.dataPath)->RunInfo().at("outcome"), "aborted by the user");
    EXPECT_NE(transcript_.str().find("> Park WPR"), std::string::npos);
    QApplication::processEvents();
    EXPECT_FALSE(window_->isVisible());
}

// The stall arithmetic on made-up times: blocked calls come out of the gap
// they fell in, and only the rest counts as a stall.
TEST(StallLedger, TakesBlockedCallsOutOfTheGapTheyFellIn) {
    qtview::StallLedger ledger;
    ledger.Tick(1.0);  // before Start: ignored
    ledger.Start(10.0);
    ledger.Tick(10.005);
    ledger.Blocked(10.010, 10.810, "SetM WPR.POS=10.0;10.0");
    ledger.Tick(10.830);  // 0.825 s gap, 0.8 s blocked: 25 ms stall
    ledger.Tick(10.900);  // 70 ms with nothing blocked
    ledger.Blocked(10.905, 11.105, "Run SubDC");
    ledger.Tick(11.110);
    ledger.Tick(11.0);  // earlier than the last: ignored
    const auto& r = ledger.Report();
    EXPECT_NEAR(r.longestStall, 0.070, 1e-9);
    EXPECT_DOUBLE_EQ(r.longestStallAt, 10.900);
    EXPECT_NEAR(r.longestBlocked, 0.8, 1e-9);
    EXPECT_EQ(r.longestBlockedWhat, "SetM WPR.POS=10.0;10.0");
    EXPECT_EQ(r.blockedCount, 2);
    EXPECT_NEAR(r.blockedTotal, 1.0, 1e-9);
    EXPECT_EQ(r.ticks, 4);
    EXPECT_NEAR(r.span, 1.110, 1e-9);
}

TEST(StallLedger, CountsOnlyThePartOfABlockedCallInsideTheGap) {
    qtview::StallLedger ledger;
    ledger.Start(0.0);
    ledger.Blocked(0.05, 0.30, "long");  // reaches past the next tick
    ledger.Tick(0.10);                   // 0.05 of it here: 50 ms stall
    ledger.Tick(0.32);                   // 0.20 of it here: 20 ms stall
    ledger.Blocked(0.4, 0.4, "empty");   // no time: not a call
    EXPECT_NEAR(ledger.Report().longestStall, 0.05, 1e-9);
    EXPECT_EQ(ledger.Report().blockedCount, 1);
}

}  // namespace
