#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "host/error.h"
#include "platform/kvbase/clock.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_progress.h"
#include "qt/qt_support.h"

namespace {

using qtview::QtProgress;

// A clock that moves only when the test moves it.
class HandClock : public host::Clock {
  public:
    double now = 0.0;
    double Now() const override { return now; }
    void Sleep(double seconds) override { now += seconds; }
};

constexpr std::int32_t kAbortCode = 77;

class QtProgressTest : public qttest::QtTest {
  protected:
    HandClock clock_;
    QtProgress progress_{clock_, kAbortCode};
};

TEST_F(QtProgressTest, Wait_RunsTheEventLoopUntilTheClockHasAdvanced) {
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    QTimer::singleShot(0, [&] { clock_.now = 5.0; });
    progress_.Wait(5.0);
    EXPECT_TRUE(ran);
    EXPECT_GE(clock_.now, 5.0);
    EXPECT_FALSE(progress_.AbortRequested());

    progress_.Wait(0.0);  // nothing to wait for
}

TEST_F(QtProgressTest, Wait_EndsAtOnceOnStopOrEscAndTheAbortStaysUntilCleared) {
    QStatusBar bar;
    progress_.AttachStatusBar(&bar);
    ASSERT_NE(progress_.StopButton(), nullptr);
    QTimer::singleShot(0, [&] { QTest::mouseClick(progress_.StopButton(), Qt::LeftButton); });
    progress_.Wait(3600.0);
    EXPECT_TRUE(progress_.AbortRequested());
    EXPECT_EQ(progress_.AbortErrorCode(), kAbortCode);
    EXPECT_EQ(clock_.now, 0.0);

    progress_.ClearAbort();
    QLineEdit somewhere;
    QTimer::singleShot(0, [&] { QTest::keyClick(&somewhere, Qt::Key_Escape); });
    progress_.Wait(3600.0);
    EXPECT_TRUE(progress_.AbortRequested());

    // Outside a wait Esc belongs to the window again.
    progress_.ClearAbort();
    QTest::keyClick(&somewhere, Qt::Key_Escape);
    EXPECT_FALSE(progress_.AbortRequested());
}

// A pending abort ends only the wait it arrived in: a later wait still runs the
// event loop for its time, so a caller polling on does not spin. Stop and Esc
// can be turned off, and Esc in a dialog opened during a wait is the dialog's.
TEST_F(QtProgressTest, Wait_AnAbortEndsOnlyTheWaitItArrivedIn) {
    progress_.RequestAbort();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        clock_.now += 0.5;
    });
    ticker.start(0);
    progress_.Wait(2.0);
    ticker.stop();
    EXPECT_GE(clock_.now, 2.0);
    EXPECT_GE(ticks, 4);
    EXPECT_TRUE(progress_.AbortRequested());
}

TEST_F(QtProgressTest, Abort_StopAndEscCanBeTurnedOffAndEscInADialogIsTheDialogs) {
    QStatusBar bar;
    progress_.AttachStatusBar(&bar);
    progress_.EnableAbort(false);
    EXPECT_FALSE(progress_.StopButton()->isEnabled());
    QLineEdit somewhere;
    QTimer::singleShot(0, [&] { QTest::keyClick(&somewhere, Qt::Key_Escape); });
    QTimer::singleShot(5, [&] { clock_.now = 1.0; });
    progress_.Wait(1.0);
    EXPECT_FALSE(progress_.AbortRequested());

    progress_.EnableAbort(true);
    EXPECT_TRUE(progress_.StopButton()->isEnabled());
    QDialog dialog;
    bool dialogClosed = false;
    QTimer::singleShot(0, [&] {
        qttest::WhenModal([&](QWidget* open) {
            QTest::keyClick(open, Qt::Key_Escape);
            dialogClosed = !open->isVisible();
            clock_.now = 2.0;
        });
        dialog.exec();
    });
    progress_.Wait(1.0);
    EXPECT_TRUE(dialogClosed);
    EXPECT_FALSE(progress_.AbortRequested());
}

TEST_F(QtProgressTest, Wait_RefusesTimesThatCannotBeWaited) {
    EXPECT_THROW(progress_.Wait(-1.0), host::Error);
    EXPECT_THROW(progress_.Wait(std::nan("")), host::Error);
    EXPECT_THROW(progress_.Wait(std::numeric_limits<double>::infinity()), host::Error);
}

TEST_F(QtProgressTest, ClockMode_WaitsOnTheClockAlone) {
    kvbase::VirtualClock clock;
    QtProgress progress(clock, kAbortCode, QtProgress::WaitMode::Clock);
    progress.Wait(2.5);
    EXPECT_DOUBLE_EQ(clock.Now(), 2.5);
}

TEST_F(QtProgressTest, Texts_GoToTheStatusBarAndMessagesToTheirSink) {
    QStatusBar bar;
    progress_.AttachStatusBar(&bar);
    progress_.ShowProgress("Measure sample: A1");
    EXPECT_EQ(bar.currentMessage(), "Measure sample: A1");
    progress_.ShowStatusText("Instrument reply: out of range");
    EXPECT_EQ(bar.currentMessage(), "Instrument reply: out of range");

    std::vector<std::string> shown;
    progress_.SetMessageSink([&](const std::string& text) { shown.push_back(text); });
    progress_.ShowMessage("The table was not saved.");
    EXPECT_EQ(shown, std::vector<std::string>{"The table was not saved."});
    EXPECT_EQ(progress_.LastMessage(), "The table was not saved.");
}

TEST_F(QtProgressTest, Clipboard_HoldsPlainTextAsWritten) {
    qtview::QtClipboard clipboard;
    clipboard.SetText("ExSlit\t5 nm\nLamp\tOn µ\n");
    EXPECT_EQ(clipboard.Text(), "ExSlit\t5 nm\nLamp\tOn µ\n");
    clipboard.Clear();
    EXPECT_EQ(clipboard.Text(), "");
}

}  // namespace
