#include "platform/kvbase/error_registry.h"

#include <gtest/gtest.h>

#include "host/error.h"

using kvbase::ErrorRegistry;

TEST(ErrorRegistry, SameSectionAndKeyGiveTheSameCodeIgnoringCase) {
    ErrorRegistry reg;
    auto a = reg.RegisterError("AcqModule", "InstOffline", "Instrument is offline", false);
    auto b = reg.RegisterError("AcqModule", "InvMode", "no parallel", false);
    EXPECT_NE(a, b);
    EXPECT_EQ(reg.RegisterError("acqmodule", "INSTOFFLINE", "other text", true), a);
    // The same key in another section is another error.
    EXPECT_NE(reg.RegisterError("Method", "InstOffline", "x", false), a);
    ASSERT_EQ(reg.Entries().size(), 3u);
    EXPECT_EQ(reg.Entries()[0].message, "Instrument is offline");
    EXPECT_FALSE(reg.Entries()[0].flag);
    EXPECT_EQ(reg.Entries()[0].status, reg.StatusOf(a));
}

TEST(ErrorRegistry, StatusesAreStableNonZeroAndCarryTheMessage) {
    ErrorRegistry reg;
    auto code = reg.RegisterError("Method", "DupID", "Duplicate ID detected", true);
    auto status = reg.StatusOf(code);
    EXPECT_NE(status, 0);
    EXPECT_EQ(status, reg.StatusOf(code));
    EXPECT_EQ(status, kvbase::kRegisteredStatusBase + code);
    EXPECT_EQ(reg.MessageText(status), "Duplicate ID detected");
    try {
        reg.Check(status, "*");
        FAIL() << "Check returned for an error status";
    } catch (const host::Error& e) {
        EXPECT_EQ(e.Number(), status);
        EXPECT_EQ(e.Text(), "Duplicate ID detected");
    }
    EXPECT_NO_THROW(reg.Check(0, "*"));
}

TEST(ErrorRegistry, UnknownNumbersAndCodesAreHandledClearly) {
    ErrorRegistry reg;
    EXPECT_EQ(reg.MessageText(0), "No error");
    EXPECT_EQ(reg.MessageText(-2147467259), "Error -2147467259 (0x80004005)");
    EXPECT_EQ(reg.MessageText(kvbase::kRegisteredStatusBase + 1), "Error 536870913 (0x20000001)");
    EXPECT_EQ(reg.MessageText(host::kErrConversion), "A value could not be converted");
    // An unregistered code (the module's "not yet registered" 0 included) must
    // never become the success status.
    EXPECT_THROW(reg.StatusOf(0), host::Error);
    EXPECT_THROW(reg.StatusOf(1), host::Error);
    EXPECT_THROW(reg.RegisterError("AcqModule", "", "m", false), host::Error);
    try {
        reg.Check(42, "*");
        FAIL();
    } catch (const host::Error& e) {
        EXPECT_EQ(e.Number(), 42);
        EXPECT_EQ(e.Text(), "Error 42 (0x0000002A)");
    }
}

TEST(ErrorRegistry, RepliesFindServerKeysAndRegisterNewOnes) {
    ErrorRegistry reg;
    auto busy = reg.RegisterError("QNServer", "ErrBusy", "Instrument busy", false);
    EXPECT_EQ(reg.CodeOfReply("errbusy", "whatever the server says"), busy);
    auto fresh = reg.CodeOfReply("ErrWl", "Wavelength out of range");
    EXPECT_EQ(reg.CodeOfReply("ERRWL", "another text"), fresh);
    auto entries = reg.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].section, "Instrument");
    EXPECT_EQ(entries[1].message, "Wavelength out of range");
    // Each reply's own message is what its status reads as, also for a key
    // of the server's registered table; a reply without one falls back.
    EXPECT_EQ(reg.MessageText(reg.StatusOf(fresh)), "another text");
    reg.CodeOfReply("ErrBusy", "stage position 130;4 is outside 0 to 127.8");
    EXPECT_EQ(reg.MessageText(reg.StatusOf(busy)), "stage position 130;4 is outside 0 to 127.8");
    reg.CodeOfReply("ErrBusy", "voltage 5000 is outside 200 to 1000");
    EXPECT_EQ(reg.MessageText(reg.StatusOf(busy)), "voltage 5000 is outside 200 to 1000");
    reg.CodeOfReply("ErrBusy", "");
    EXPECT_EQ(reg.MessageText(reg.StatusOf(busy)), "Instrument busy");

    // Once a failure was raised (and trapped), its text is what the status
    // reads as; a later reply of the same key whose status nobody checked
    // does not change it, a raised one does.
    reg.CodeOfReply("ErrBusy", "stage stuck");
    const auto status = reg.StatusOf(busy);
    try {
        reg.Check(status, "*");
    } catch (const host::Error& e) {
        EXPECT_EQ(e.Text(), "stage stuck");
        reg.NoteRaised(e.Number(), e.Text());
    }
    reg.CodeOfReply("ErrBusy", "lamp refused");  // ignored by its caller
    EXPECT_EQ(reg.MessageText(status), "stage stuck");
    EXPECT_THROW(reg.Check(status, "*"), host::Error);
    try {
        reg.Check(status, "*");
    } catch (const host::Error& e) {
        EXPECT_EQ(e.Text(), "lamp refused");
    }
    // A reply without key or message still reads as an error.
    auto bare = reg.CodeOfReply("", "");
    EXPECT_EQ(reg.MessageText(reg.StatusOf(bare)), "Instrument error ''");
}

TEST(ErrorRegistry, FailedCommandsAreKeptInOrderUpToTheLimit) {
    ErrorRegistry reg;
    reg.ReportFailedCommand("Set Lamp=On");
    reg.ReportFailedCommand("Run SubDC");
    EXPECT_EQ(reg.FailedCommands(), (std::vector<std::string>{"Set Lamp=On", "Run SubDC"}));
    for (std::size_t i = 0; i < ErrorRegistry::kFailedCommandLimit; ++i)
        reg.ReportFailedCommand("x");
    EXPECT_EQ(reg.FailedCommands().size(), ErrorRegistry::kFailedCommandLimit);
    EXPECT_EQ(reg.FailedCommands().front(), "x");
}
