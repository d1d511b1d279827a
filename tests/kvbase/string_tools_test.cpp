#include "platform/kvbase/string_tools.h"

#include <gtest/gtest.h>

#include "host/error.h"

namespace {
const kvbase::Strings kStr;
using Items = std::vector<std::string>;
}  // namespace

TEST(StringTools, NextTokenTakesTheTextBeforeTheSeparator) {
    std::string answer = "1234.5,567.8,1";
    EXPECT_EQ(kStr.NextToken(answer, ","), "1234.5");
    EXPECT_EQ(answer, "567.8,1");
    EXPECT_EQ(kStr.NextToken(answer, ","), "567.8");
    EXPECT_EQ(answer, "1");
    EXPECT_EQ(kStr.NextToken(answer, ","), "1");
    EXPECT_EQ(answer, "");
    EXPECT_EQ(kStr.NextToken(answer, ","), "");

    std::string reply = "ErrWl:Wavelength: out of range";
    EXPECT_EQ(kStr.NextToken(reply, ":"), "ErrWl");
    EXPECT_EQ(reply, "Wavelength: out of range");
    std::string lead = "::x";
    EXPECT_EQ(kStr.NextToken(lead, "::"), "");
    EXPECT_EQ(lead, "x");
    EXPECT_THROW(kStr.NextToken(lead, ""), host::Error);
}

TEST(StringTools, ListItemsByPositionAndByText) {
    EXPECT_EQ(kStr.ItemIndex("On", "{On;Off}"), 1);
    EXPECT_EQ(kStr.ItemIndex("Off", "{On;Off}"), 2);
    EXPECT_EQ(kStr.ItemIndex("off", "{On;Off}"), 2);
    EXPECT_EQ(kStr.ItemIndex("Of", "{On;Off}"), 0);
    EXPECT_EQ(kStr.ItemIndex("Auto", "{On;Off}"), 0);
    EXPECT_EQ(kStr.ItemIndex("", "{On;Off}"), 0);
    EXPECT_EQ(kStr.ItemIndex(" Low", "{Medium; Low}"), 2);
    EXPECT_EQ(kStr.ItemIndex("Low", "{Medium; Low}"), 0);
    EXPECT_EQ(kStr.ItemIndex("Custom", "{Medium;Low;High;Custom}"), 4);
    EXPECT_EQ(kStr.ItemIndex("", "{a;;b}"), 2);
    EXPECT_EQ(kStr.ItemIndex("a", "{}"), 0);
    EXPECT_EQ(kStr.ItemIndex("x", "{x}"), 1);

    EXPECT_EQ(kStr.ItemAt(2, "{FixWave;ShortPhos}"), "ShortPhos");
    EXPECT_EQ(kStr.ItemAt(1, "{On;Off}"), "On");
    EXPECT_EQ(kStr.ItemAt(0, "{On;Off}"), "");
    EXPECT_EQ(kStr.ItemAt(3, "{On;Off}"), "");
    EXPECT_EQ(kStr.ItemAt(-1, "{On;Off}"), "");
    EXPECT_EQ(kStr.ItemAt(1, "{}"), "");
    EXPECT_EQ(kStr.ItemAt(3, "{a;b;}"), "");
    EXPECT_EQ(kvbase::Strings::ListItems("{a;b;}"), (Items{"a", "b", ""}));
}

TEST(StringTools, ListTextsWithoutBracesRaise) {
    for (const char* bad : {"On;Off", "{On;Off", "On;Off}", "", "{", "}", "[a;b]"}) {
        EXPECT_THROW(kStr.ItemIndex("On", bad), host::Error) << bad;
        EXPECT_THROW(kStr.ItemAt(1, bad), host::Error) << bad;
    }
}

TEST(StringTools, ListsBuiltFromTheOpeningCloseAndReadBack) {
    std::string ids = kStr.ListOpening();
    EXPECT_EQ(kStr.CloseList(ids), "{}");
    for (const char* id : {"SampleID", "Int[1]", "Int[2]"}) ids += std::string(id) + ";";
    std::string list = kStr.CloseList(ids);
    EXPECT_EQ(list, "{SampleID;Int[1];Int[2]}");
    EXPECT_EQ(kStr.ItemAt(3, list), "Int[2]");
    EXPECT_EQ(kStr.CloseList("{a"), "{a}");
    EXPECT_THROW(kStr.CloseList("a;"), host::Error);
    EXPECT_THROW(kStr.CloseList(""), host::Error);
}

TEST(StringTools, SplitKeepsEmptyPieces) {
    EXPECT_EQ(kStr.Split("Data;dat,Text;txt", ","), (Items{"Data;dat", "Text;txt"}));
    EXPECT_EQ(kStr.Split("a,,b,", ","), (Items{"a", "", "b", ""}));
    EXPECT_EQ(kStr.Split("abc", ","), (Items{"abc"}));
    EXPECT_EQ(kStr.Split("a<>b", "<>"), (Items{"a", "b"}));
    EXPECT_TRUE(kStr.Split("", ",").empty());
    EXPECT_THROW(kStr.Split("a", ""), host::Error);
}
