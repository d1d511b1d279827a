#include "platform/qnserver/plate_model.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/error.h"

namespace {

qnserver::PlateModel Parse(const std::string& text) {
    std::istringstream in(text);
    return qnserver::PlateModel::Parse(in, "plate.txt");
}

std::string ErrorOf(const std::string& text) {
    try {
        Parse(text);
    } catch (const host::Error& e) {
        return e.what();
    }
    return "";
}

TEST(PlateModel, FileSetsFormatFillAndWells) {
    auto plate = Parse("# test plate\nwells 384\nfill 2.5\nA1 100  # first\nP24 7\nb3 0\n");
    EXPECT_EQ(plate.Rows(), 16);
    EXPECT_EQ(plate.Columns(), 24);
    EXPECT_EQ(plate.Concentration(0, 0), 100.0);
    EXPECT_EQ(plate.Concentration(15, 23), 7.0);
    EXPECT_EQ(plate.Concentration(1, 2), 0.0);
    EXPECT_EQ(plate.Concentration(5, 5), 2.5);
    EXPECT_DOUBLE_EQ(plate.WellX(23), 12.13 + 23 * 4.5);

    auto big = Parse("wells 1536\nAF48 3\n");
    EXPECT_EQ(big.Concentration(31, 47), 3.0);
}

TEST(PlateModel, MalformedLinesNameFileAndLine) {
    EXPECT_EQ(ErrorOf("wells 100\n"),
              "plate.txt, line 1: a plate has 96, 384 or 1536 wells, not 100");
    EXPECT_NE(ErrorOf("A1 1\nwells 96\n").find("line 2"), std::string::npos);
    EXPECT_NE(ErrorOf("\nA13 1\n").find("line 2: A13 is not a well"), std::string::npos);
    EXPECT_NE(ErrorOf("I1 1\n").find("I1 is not a well"), std::string::npos);
    EXPECT_NE(ErrorOf("A1 lots\n").find("'lots' is not a number"), std::string::npos);
    EXPECT_NE(ErrorOf("A1 -1\n").find("at least 0"), std::string::npos);
    EXPECT_NE(ErrorOf("1A 1\n").find("not a well name"), std::string::npos);
    EXPECT_THROW(qnserver::PlateModel::Load("/nonexistent/plate.txt"), host::Error);
}

TEST(PlateModel, ConcentrationOnlyInsideAWell) {
    auto plate = qnserver::PlateModel::Default();
    EXPECT_EQ(plate.ConcentrationAt(14.38, 11.24), 1000.0);
    EXPECT_EQ(plate.ConcentrationAt(14.38 + 9 * 11, 11.24 + 9), 1000.0 / 2048);
    EXPECT_EQ(plate.ConcentrationAt(14.38, 11.24 + 9 * 7), 0.0);  // H1: blank
    EXPECT_EQ(plate.ConcentrationAt(18.88, 11.24), 0.0);          // between wells
    EXPECT_EQ(plate.ConcentrationAt(0.0, 0.0), 0.0);              // off the plate
    EXPECT_EQ(plate.ConcentrationAt(127.0, 85.0), 0.0);
}

}  // namespace
