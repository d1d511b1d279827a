// Plate geometry: names, centres, the well a position falls in, the format of
// a set of positions.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/plates/plate_format.h"
#include "platform/plates/plate_map.h"

namespace {

using plates::Point;

std::vector<Point> Wells(const plates::PlateFormat& f) {
    std::vector<Point> out;
    for (const auto& cells : plates::PlatePositions(f, 485, 520))
        out.push_back({std::stod(cells[0]), std::stod(cells[1])});
    return out;
}

TEST(PlateFormat, EveryWellNameAndCentreReadsBackToItsWell) {
    for (const auto& f : plates::Formats()) {
        const auto centres = Wells(f);
        ASSERT_EQ(static_cast<int>(centres.size()), f.wells);
        for (int r = 0; r < f.rows; ++r) {
            for (int c = 0; c < f.columns; ++c) {
                const plates::Well w{r, c};
                const std::string name = plates::WellName(w);
                EXPECT_EQ(plates::ParseWellName(f, name), w) << name;
                // The generated position lies in its own well, not merely near it.
                const Point p = centres[static_cast<std::size_t>(r * f.columns + c)];
                EXPECT_EQ(plates::WellAt(f, p.x, p.y), w) << name;
            }
        }
        EXPECT_EQ(plates::FormatOf(centres), &f) << f.wells;
    }
    EXPECT_EQ(plates::WellName({31, 47}), "AF48");
    EXPECT_EQ(plates::WellName({7, 11}), "H12");
    const auto& f96 = *plates::FindFormat(96);
    EXPECT_EQ(plates::ParseWellName(f96, "h12"), (plates::Well{7, 11}));
    for (const char* bad : {"I1", "A13", "A0", "A", "12", "AAA1", "A1x", ""})
        EXPECT_FALSE(plates::ParseWellName(f96, bad)) << bad;
    EXPECT_FALSE(plates::ParseWellName(*plates::FindFormat(1536), "AG1"));
    EXPECT_EQ(plates::FindFormat(100), nullptr);
}

TEST(PlateFormat, APositionBelongsToAWellWithinAQuarterPitch) {
    const auto& f = *plates::FindFormat(96);
    const Point h12 = plates::Centre(f, {7, 11});
    EXPECT_DOUBLE_EQ(h12.x, 113.38);
    EXPECT_DOUBLE_EQ(h12.y, 74.24);
    EXPECT_EQ(plates::WellAt(f, h12.x + 2.25, h12.y), (plates::Well{7, 11}));
    EXPECT_EQ(plates::WellAt(f, h12.x + 1.5, h12.y - 1.5), (plates::Well{7, 11}));
    EXPECT_FALSE(plates::WellAt(f, h12.x + 2.26, h12.y));
    EXPECT_FALSE(plates::WellAt(f, h12.x + 1.6, h12.y + 1.6));  // 2.26 mm off diagonally
    EXPECT_FALSE(plates::WellAt(f, h12.x + 9, h12.y));          // off the plate
    EXPECT_FALSE(plates::WellAt(f, NAN, h12.y));
}

TEST(PlateFormat, TheFormatIsTheSmallestThatHoldsEveryPosition) {
    // A1 and A2 of a 96-well plate lie between the wells of the others.
    EXPECT_EQ(plates::FormatOf({{14.38, 11.24}, {23.38, 11.24}}), plates::FindFormat(96));
    // A 384-well position: only that format and no smaller one.
    EXPECT_EQ(plates::FormatOf({{12.13, 8.99}}), plates::FindFormat(384));
    // 1536 holds a 1536-only position; the 96-well one with it fits none then.
    EXPECT_EQ(plates::FormatOf({{11.005, 7.865}}), plates::FindFormat(1536));
    EXPECT_EQ(plates::FormatOf({{11.005, 7.865}, {14.38, 11.24}}), nullptr);
    EXPECT_EQ(plates::FormatOf({{14.38, 11.24}, {12.5, 4}}), nullptr);
    EXPECT_EQ(plates::FormatOf({}), nullptr);
}

TEST(PlateMap, WellsHollowUntilMeasuredAndTheScaleLeavesOutOverRange) {
    // B2 and A1 measured (A1 over range), the rest of the plate not.
    const auto map =
        plates::BuildMap({{23.38, 20.24}, {14.38, 11.24}, {32.38, 11.24}}, {10.0, 1e6, 30.0},
                         {false, true, false}, plates::Scale::Linear);
    ASSERT_EQ(map.format, plates::FindFormat(96));
    ASSERT_EQ(map.spots.size(), 96u);
    EXPECT_EQ(map.spots[0].label, "A1");
    EXPECT_TRUE(map.spots[0].overflow);
    EXPECT_EQ(map.spots[13].position, 1);  // B2
    EXPECT_FALSE(map.spots[1].value);      // A2
    EXPECT_EQ(map.low, 10.0);
    EXPECT_EQ(map.high, 30.0);
    EXPECT_DOUBLE_EQ(map.Fraction(20.0), 0.5);
    EXPECT_EQ(map.SpotAt(23.38 + 3.5, 20.24), 13);  // inside B2's circle, outside its quarter pitch
    EXPECT_EQ(map.SpotAt(23.38 + 4.5, 20.24), -1);  // between B2 and B3

    auto log = plates::BuildMap({{14.38, 11.24}, {23.38, 11.24}, {32.38, 11.24}},
                                {0.0, 10.0, 1000.0}, {false, false, false}, plates::Scale::Log);
    EXPECT_EQ(log.low, 10.0);  // a reading of 0 has no place on a log scale
    EXPECT_DOUBLE_EQ(log.Fraction(100.0), 0.5);
    EXPECT_EQ(log.Fraction(0.0), 0.0);

    // Off every plate: the positions themselves, numbered.
    const auto stage =
        plates::BuildMap({{12.5, 4}, {21.5, 4}}, {1.0, std::nullopt}, {}, plates::Scale::Linear);
    EXPECT_EQ(stage.format, nullptr);
    ASSERT_EQ(stage.spots.size(), 2u);
    EXPECT_EQ(stage.spots[1].label, "2");
    EXPECT_FALSE(stage.spots[1].value);
    EXPECT_EQ(stage.Fraction(1.0), 0.5);  // one reading: no range
}

}  // namespace
