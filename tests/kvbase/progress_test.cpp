#include "platform/kvbase/progress.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <sstream>

#include "host/error.h"
#include "platform/kvbase/clock.h"
#include "platform/kvbase/error_registry.h"

namespace {

struct ProgressFixture : ::testing::Test {
    kvbase::VirtualClock clock;
    kvbase::ErrorRegistry errors;
    std::ostringstream out;
    kvbase::ConsoleProgress progress{clock, out, errors};
};

}  // namespace

TEST_F(ProgressFixture, WaitTakesClockTimeAndRefusesBadDurations) {
    progress.Wait(1.0);
    progress.Wait(0.1);
    progress.Wait(0.0);
    EXPECT_DOUBLE_EQ(clock.Now(), 1.1);
    EXPECT_THROW(progress.Wait(-0.2), host::Error);
    EXPECT_THROW(progress.Wait(std::nan("")), host::Error);
    EXPECT_DOUBLE_EQ(clock.Now(), 1.1);
}

TEST_F(ProgressFixture, AbortRequestHasARegisteredErrorAndClears) {
    auto status = errors.StatusOf(progress.AbortErrorCode());
    EXPECT_EQ(errors.MessageText(status), "Aborted by user");
    // A second display on the same registry shares the code.
    kvbase::ConsoleProgress other(clock, out, errors);
    EXPECT_EQ(other.AbortErrorCode(), progress.AbortErrorCode());

    EXPECT_FALSE(progress.AbortRequested());
    progress.RequestAbort();
    EXPECT_TRUE(progress.AbortRequested());
    progress.ClearAbort();
    EXPECT_FALSE(progress.AbortRequested());

    kvbase::ConsoleProgress given(clock, out, 77);
    EXPECT_EQ(given.AbortErrorCode(), 77);
}

TEST_F(ProgressFixture, StopSignalsOnlyRequestAnAbortAndSayWhichOne) {
    kvbase::ConsoleProgress::InstallStopSignalHandlers();
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::raise(signal);
        EXPECT_TRUE(progress.AbortRequested());
        EXPECT_EQ(kvbase::ConsoleProgress::StopSignal(), signal);
        progress.ClearAbort();
        EXPECT_FALSE(progress.AbortRequested());
        EXPECT_EQ(kvbase::ConsoleProgress::StopSignal(), 0);
    }
    kvbase::ConsoleProgress::RemoveStopSignalHandlers();
}

TEST_F(ProgressFixture, TextsAreRecordedAndPrintedWhenVerbose) {
    progress.ShowProgress("Measure sample: A1");
    progress.ShowMessage("Instrument is offline");
    progress.ShowStatusText("Wavelength out of range");
    EXPECT_EQ(
        out.str(),
        "Measure sample: A1\nMessage: Instrument is offline\nStatus: Wavelength out of range\n");
    progress.SetVerbose(false);
    progress.ShowProgress("Measure sample: A2");
    EXPECT_EQ(progress.LastProgress(), "Measure sample: A2");
    EXPECT_EQ(progress.LastMessage(), "Instrument is offline");
    EXPECT_EQ(progress.LastStatusText(), "Wavelength out of range");
    EXPECT_EQ(out.str().find("A2"), std::string::npos);
}

TEST_F(ProgressFixture, DefinitionsTakeTheirArgumentsInOrder) {
    auto def =
        progress.CreateParamDef("InstName", 4, "Name", "u", 1, "", "t1", "t2", true, false, true);
    host::ParamDef expected;
    expected.id = "InstName";
    expected.dataType = 4;
    expected.caption = "Name";
    expected.unit = "u";
    expected.ctrlType = 1;
    expected.text1 = "t1";
    expected.text2 = "t2";
    expected.locked = true;
    expected.flag2 = true;
    EXPECT_EQ(*def, expected);

    auto res = progress.CreateResultDef("Int", 2, "Int", "#", "0.000");
    EXPECT_EQ(*res, (host::ResultDef{"Int", 2, "Int", "#", "0.000", 0, ""}));

    EXPECT_THROW(progress.CreateParamDef("X", 3, "", "", 1, "", "", "", false, false, false),
                 host::Error);
    EXPECT_THROW(progress.CreateParamDef("X", 2, "", "", 2, "", "", "", false, false, false),
                 host::Error);
    EXPECT_THROW(progress.CreateParamDef("X", 2, "", "", 1, "0.0#", "", "", false, false, false),
                 host::Error);
    EXPECT_THROW(progress.CreateResultDef("Int", 0, "", "", ""), host::Error);
}
