// Instrument calls made off the event loop: the loop goes on during a call,
// a person's input waits until the call has returned, Stop acts at once, and
// what the call raises reaches the caller.
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

#include "host/error.h"
#include "platform/kvbase/clock.h"
#include "platform/qt/event_loop_calls.h"
#include "qt_support.h"

namespace {

using EventLoopCallsTest = qttest::QtTest;

TEST_F(EventLoopCallsTest, TheLoopRunsInputWaitsForTheCallAndStopActsAtOnce) {
    QMainWindow window;
    auto* act = new QPushButton("Act", &window);
    window.setCentralWidget(act);
    kvbase::RealClock clock;
    qtview::QtProgress progress(clock, 0x7FFF0999);
    progress.AttachStatusBar(window.statusBar());
    window.show();
    int clicks = 0;
    QObject::connect(act, &QPushButton::clicked, [&] { ++clicks; });
    qtview::EventLoopCalls calls;
    calls.SetProgress(&progress);

    std::atomic<bool> release{false};
    int ticks = 0;
    bool clickedDuring = true, abortedDuring = false;
    QTimer::singleShot(0, [&] {
        ++ticks;
        QTest::mouseClick(act, Qt::LeftButton);
        QTest::mouseClick(progress.StopButton(), Qt::LeftButton);
        clickedDuring = clicks > 0;
        abortedDuring = progress.AbortRequested();
        release = true;
    });
    std::thread::id madeOn;
    calls.Run([&] {
        madeOn = std::this_thread::get_id();
        for (int i = 0; i < 30000 && !release; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    EXPECT_TRUE(release) << "the event loop did not run during the call";
    EXPECT_EQ(ticks, 1);
    EXPECT_NE(madeOn, std::this_thread::get_id());
    EXPECT_FALSE(clickedDuring) << "a click reached the page during the call";
    EXPECT_TRUE(abortedDuring) << "Stop waited for the call";
    EXPECT_EQ(clicks, 0);
    QApplication::processEvents();
    EXPECT_EQ(clicks, 1) << "the held click was lost";

    try {
        calls.Run([] { throw host::Error(0x7FFF0B01, "the server call failed"); });
        ADD_FAILURE() << "the raised error was lost";
    } catch (const host::Error& e) {
        EXPECT_EQ(e.Number(), 0x7FFF0B01);
        EXPECT_EQ(e.Text(), "the server call failed");
    }
}

}  // namespace
