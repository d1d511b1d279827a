#include "platform/kvbase/number_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>

#include "host/error.h"

namespace {

const kvbase::Numbers kNum;
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string D(double v, const char* pattern) {
    return kNum.DoubleToText(v, pattern, 0);
}

}  // namespace

TEST(NumberFormat, PatternsGiveThatManyDecimals) {
    EXPECT_EQ(D(12.5, "0.0"), "12.5");
    EXPECT_EQ(D(4, "0.0"), "4.0");
    EXPECT_EQ(D(485, "0.0"), "485.0");
    EXPECT_EQ(D(0.125, "0.00"), "0.13");
    EXPECT_EQ(D(1234.5, "0.000"), "1234.500");
    EXPECT_EQ(D(10.4, "0.000000"), "10.400000");
    EXPECT_EQ(D(12.5, "0"), "13");
    EXPECT_EQ(D(0.0, "0.00"), "0.00");
    EXPECT_EQ(kNum.IntToText(2, ""), "2");
    EXPECT_EQ(kNum.IntToText(-17, "0"), "-17");
    EXPECT_EQ(kNum.IntToText(3, "0.00"), "3.00");
}

TEST(NumberFormat, RoundsHalfAwayFromZeroOnTheWrittenDecimal) {
    // Binary values just below the half still round as the decimal text reads.
    EXPECT_EQ(D(2.675, "0.00"), "2.68");
    EXPECT_EQ(D(1.005, "0.00"), "1.01");
    EXPECT_EQ(D(0.05, "0.0"), "0.1");
    EXPECT_EQ(D(0.15, "0.0"), "0.2");
    EXPECT_EQ(D(0.5, "0"), "1");
    EXPECT_EQ(D(2.5, "0"), "3");
    EXPECT_EQ(D(9.96, "0.0"), "10.0");
    EXPECT_EQ(D(999.9996, "0.000"), "1000.000");
    EXPECT_EQ(D(0.0004, "0.000"), "0.000");
    EXPECT_EQ(D(0.00049, "0.000"), "0.000");
    EXPECT_EQ(D(1e-20, "0.0"), "0.0");
    // 10 + 0.2 + 0.2 is 10.399999999999999: one decimal shows the position.
    EXPECT_EQ(D(10.0 + 0.2 + 0.2, "0.0"), "10.4");
}

TEST(NumberFormat, NegativeNumbersMirrorPositiveOnesAndZeroHasNoSign) {
    EXPECT_EQ(D(-2.675, "0.00"), "-2.68");
    EXPECT_EQ(D(-0.05, "0.0"), "-0.1");
    EXPECT_EQ(D(-2.5, "0"), "-3");
    EXPECT_EQ(D(-2.0, "0.0"), "-2.0");
    EXPECT_EQ(D(-0.04, "0.0"), "0.0");
    EXPECT_EQ(D(-0.0, "0.00"), "0.00");
    EXPECT_EQ(D(-0.0, ""), "0");
}

TEST(NumberFormat, BigValuesAreWrittenInFull) {
    EXPECT_EQ(D(1e20, "0.0"), "100000000000000000000.0");
    EXPECT_EQ(D(123456789012.345, "0.00"), "123456789012.35");
    std::string max = D(std::numeric_limits<double>::max(), "0");
    EXPECT_EQ(max.size(), 309u);
    EXPECT_EQ(max.substr(0, 17), "17976931348623157");
    EXPECT_EQ(D(-1e300, "0.0").size(), 304u);
}

TEST(NumberFormat, EmptyPatternIsShortestAndReadsBack) {
    EXPECT_EQ(D(12, ""), "12");
    EXPECT_EQ(D(0.5, ""), "0.5");
    EXPECT_EQ(D(5, ""), "5");
    EXPECT_EQ(D(0.1 + 0.2, ""), "0.30000000000000004");
    EXPECT_EQ(D(100000, ""), "100000");
    EXPECT_EQ(D(1e21, ""), "1e+21");
    EXPECT_EQ(D(1.5e-8, ""), "1.5e-08");
    EXPECT_EQ(D(1e-7, ""), "0.0000001");
    for (double v : {0.1, 1.0 / 3.0, -2.675, 6.02214076e23, 5e-324, 1.7976931348623157e308, 1e-7,
                     123456.789, -0.0}) {
        std::string text = D(v, "");
        double back = kNum.TextToDouble(text, 0);
        EXPECT_EQ(back, v) << text;
        EXPECT_EQ(std::signbit(back), std::signbit(v) && v != 0.0) << text;
    }
}

TEST(NumberFormat, SpecialValuesHaveOneSpellingThatReadsBack) {
    for (const char* pattern : {"", "0", "0.00"}) {
        EXPECT_EQ(D(std::nan(""), pattern), "NaN");
        EXPECT_EQ(D(kInf, pattern), "Infinity");
        EXPECT_EQ(D(-kInf, pattern), "-Infinity");
    }
    EXPECT_TRUE(std::isnan(kNum.TextToDouble("NaN", 0)));
    EXPECT_EQ(kNum.TextToDouble("Infinity", 0), kInf);
    EXPECT_EQ(kNum.TextToDouble("-infinity", 0), -kInf);
    EXPECT_EQ(kNum.TextToValue("-Infinity", 2, "0.0", 0), host::Variant(-kInf));
}

TEST(NumberFormat, TextToNumberIsStrict) {
    EXPECT_EQ(kNum.TextToDouble("12.5", 0), 12.5);
    EXPECT_EQ(kNum.TextToDouble("-3", 0), -3.0);
    EXPECT_EQ(kNum.TextToDouble("+3", 0), 3.0);
    EXPECT_EQ(kNum.TextToDouble(".5", 0), 0.5);
    EXPECT_EQ(kNum.TextToDouble("1e3", 0), 1000.0);
    for (const char* bad : {"12.5x", "", " 1", "1 ", "12,5", "-", "+", "--1", "+-1", "1e", "e5",
                            "0x10", "inf", "nan(1)", "1.2.3", "1e400", "abc", "\t2"}) {
        EXPECT_THROW(kNum.TextToDouble(bad, 0), host::Error) << '"' << bad << '"';
        EXPECT_THROW(kNum.TextToValue(bad, 2, "", 0), host::Error) << '"' << bad << '"';
    }
    try {
        kNum.TextToDouble("12.5x", 0);
    } catch (const host::Error& e) {
        EXPECT_EQ(e.Number(), host::kErrConversion);
        EXPECT_NE(e.Text().find("12.5x"), std::string::npos);
    }
}

TEST(NumberFormat, PointIsTheSeparatorWhateverTheLocale) {
    // A comma locale, C++ and (where installed) C, must not leak into the texts.
    struct CommaPunct : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    std::locale savedCpp = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    std::string savedC = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) std::setlocale(LC_ALL, "de_DE.utf8");
    EXPECT_EQ(D(12345.5, "0.00"), "12345.50");
    EXPECT_EQ(D(0.5, ""), "0.5");
    EXPECT_EQ(kNum.IntToText(12345, ""), "12345");
    EXPECT_EQ(kNum.TextToDouble("12.5", 0), 12.5);
    EXPECT_THROW(kNum.TextToDouble("12,5", 0), host::Error);
    std::setlocale(LC_ALL, savedC.c_str());
    std::locale::global(savedCpp);
}

TEST(NumberFormat, UnknownPatternsTypesAndOptionsRaise) {
    for (const char* bad :
         {"#", "0.", "00", "0.0#", "#,##0.00", "0.0000000000000000", " 0", "0,0"}) {
        EXPECT_THROW(D(1.0, bad), host::Error) << bad;
        EXPECT_THROW(kNum.IntToText(1, bad), host::Error) << bad;
        EXPECT_FALSE(kvbase::Numbers::IsSupportedPattern(bad)) << bad;
    }
    EXPECT_EQ(D(1.0, "0.000000000000000"), "1.000000000000000");
    EXPECT_THROW(kNum.DoubleToText(1.0, "0.0", 1), host::Error);
    EXPECT_THROW(kNum.ValueToText(1.0, 3, "", 0), host::Error);
    EXPECT_THROW(kNum.TextToValue("1", 0, "", 0), host::Error);
    EXPECT_THROW(kNum.DefaultValue(7), host::Error);
    EXPECT_THROW(kNum.ValueToText("x", 4, "bad", 0), host::Error);
}

TEST(NumberFormat, ValuesByDataType) {
    EXPECT_EQ(kNum.ValueToText(true, 1, "", 0), "True");
    EXPECT_EQ(kNum.ValueToText(std::int16_t{0}, 1, "", 0), "False");
    EXPECT_EQ(kNum.ValueToText(std::int16_t{-1}, 1, "", 0), "True");
    EXPECT_EQ(kNum.ValueToText(std::int16_t{10}, 2, "0.0", 0), "10.0");
    EXPECT_EQ(kNum.ValueToText("2.675", 2, "0.00", 0), "2.68");
    EXPECT_THROW(kNum.ValueToText(" 2", 2, "0.00", 0), host::Error);
    EXPECT_EQ(kNum.ValueToText(host::Variant(), 2, "0.0", 0), "0.0");
    EXPECT_EQ(kNum.ValueToText("On", 4, "", 0), "On");
    EXPECT_EQ(kNum.ValueToText(1.5, 4, "", 0), "1.5");
    EXPECT_EQ(kNum.FormatByDef(775.0, host::FormatDescriptor{2, "0.000"}, true), "775.000");
    EXPECT_EQ(kNum.FormatByDef("Medium", host::FormatDescriptor{4, ""}, true), "Medium");

    EXPECT_EQ(kNum.TextToValue("true", 1, "", 0), host::Variant(true));
    EXPECT_EQ(kNum.TextToValue("FALSE", 1, "", 0), host::Variant(false));
    EXPECT_EQ(kNum.TextToValue("-1", 1, "", 0), host::Variant(true));
    EXPECT_THROW(kNum.TextToValue("yes", 1, "", 0), host::Error);
    EXPECT_EQ(kNum.TextToValue("12.345", 2, "0.0", 0), host::Variant(12.345));
    EXPECT_EQ(kNum.TextToValue(" a b ", 4, "", 0), host::Variant(" a b "));

    EXPECT_EQ(kNum.DefaultValue(1), host::Variant(false));
    EXPECT_EQ(kNum.DefaultValue(2), host::Variant(0.0));
    EXPECT_EQ(kNum.DefaultValue(4), host::Variant(std::string()));
    EXPECT_EQ(kNum.DefaultValue(5), host::Variant(host::Date{0.0}));
}

TEST(NumberFormat, DatesAreIsoTextsOfHostDays) {
    EXPECT_EQ(kNum.ValueToText(host::Date{0.0}, 5, "", 0), "1899-12-30T00:00:00");
    EXPECT_EQ(kNum.ValueToText(host::Date{1.5}, 5, "", 0), "1899-12-31T12:00:00");
    EXPECT_EQ(kNum.ValueToText(host::Date{45658.25}, 5, "", 0), "2025-01-01T06:00:00");
    EXPECT_EQ(kNum.ValueToText(host::Date{-1.25}, 5, "", 0), "1899-12-28T18:00:00");
    EXPECT_EQ(kNum.ValueToText("2024-02-29T23:59:59", 5, "", 0), "2024-02-29T23:59:59");
    EXPECT_EQ(kNum.TextToValue("1900-03-01", 5, "", 0), host::Variant(host::Date{61.0}));
    for (const char* text : {"2025-01-01T06:00:00", "0001-01-01T00:00:00", "9999-12-31T23:59:59",
                             "1899-12-29T07:30:15", "2000-02-29T12:00:01"}) {
        host::Variant v = kNum.TextToValue(text, 5, "", 0);
        EXPECT_EQ(kNum.ValueToText(v, 5, "", 0), text);
    }
    for (const char* bad : {"2025-13-01", "2023-02-29", "2025-01-01 06:00:00", "2025-1-1",
                            "0000-01-01", "2025-01-01T24:00:00", "2025-01-01T06:00", "", "45658"}) {
        EXPECT_THROW(kNum.TextToValue(bad, 5, "", 0), host::Error) << bad;
    }
    EXPECT_THROW(kNum.ValueToText(host::Date{std::nan("")}, 5, "", 0), host::Error);
    EXPECT_THROW(kNum.ValueToText(host::Date{1e9}, 5, "", 0), host::Error);
}
