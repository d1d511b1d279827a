// The desktop host on the server program: connecting keeps the page's method,
// names the server in the status bar and measures through it; a server that
// cannot be reached keeps the instrument as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include <QLabel>

#include "platform/qt/studio_window.h"
#include "qt/qt_support.h"
#include "remote/process.h"

namespace {

namespace fs = std::filesystem;

class StudioServerTest : public qttest::QtTest {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("orve-studio-server-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        address_ = "unix:" + (dir_ / "s.sock").string();
        server_ = std::make_unique<testproc::Process>(
            std::vector<std::string>{std::string(ORVE_BINARY_DIR) + "/bin/orvevizari-server",
                                     "--listen", address_, "--speed", "1000"},
            (dir_ / "server.log").string());
        ASSERT_TRUE(server_->WaitForOutput("listening on", 20.0)) << server_->Output();
        qtview::StudioOptions options;
        options.virtualClock = true;
        window_ = std::make_unique<qtview::StudioWindow>(options);
        window_->SetReportSink([this](const std::string& t) { reports_.push_back(t); });
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        server_.reset();
        fs::remove_all(dir_);
    }
    bool StatusShows(const std::string& text) {
        for (auto* label : window_->findChildren<QLabel*>())
            if (label->text().toStdString().find(text) != std::string::npos) return true;
        return false;
    }

    fs::path dir_;
    std::string address_;
    std::unique_ptr<testproc::Process> server_;
    std::unique_ptr<qtview::StudioWindow> window_;
    std::vector<std::string> reports_;
};

TEST_F(StudioServerTest, ConnectingKeepsTheMethodNamesTheServerAndMeasuresThroughIt) {
    ASSERT_TRUE(window_->OpenMethod(QString(ORVE_SOURCE_DIR) + "/examples/method-3pos.json"));
    ASSERT_TRUE(StatusShows("(simulated)"));

    ASSERT_TRUE(window_->ConnectServer(QString::fromStdString(address_))) << reports_.back();
    EXPECT_TRUE(StatusShows("at " + address_));
    auto method = window_->Session().Host().NewMethodObject();
    window_->Session().Control().UpdateMethod(method);
    EXPECT_EQ(method->RowCount(1), 3);
    const auto run = window_->Measure(1);
    EXPECT_TRUE(run.completed) << run.text;
    EXPECT_TRUE(server_->WaitForOutput("lock released", 10.0)) << server_->Output();

    const std::string missing = "unix:" + (dir_ / "none.sock").string();
    EXPECT_FALSE(window_->ConnectServer(QString::fromStdString(missing)));
    ASSERT_FALSE(reports_.empty());
    EXPECT_NE(reports_.back().find("instrument server " + missing), std::string::npos)
        << reports_.back();
    EXPECT_TRUE(StatusShows("at " + address_));

    ASSERT_TRUE(window_->ConnectServer(""));
    EXPECT_TRUE(StatusShows("(simulated)"));
}

}  // namespace
