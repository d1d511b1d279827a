#include "platform/kvbase/iso_date.h"

#include <cmath>
#include <cstdint>

#include <fmt/format.h>

#include "host/error.h"

namespace kvbase {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date (the well-known
// era-based conversion, exact for every year).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
    std::int64_t y;
    unsigned m, d;
};

Civil CivilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

const std::int64_t kEpochOffset = -DaysFromCivil(1899, 12, 30);  // 1970-01-01 in host days
const std::int64_t kFirstDay = DaysFromCivil(1, 1, 1) + kEpochOffset;
const std::int64_t kEndDay = DaysFromCivil(10000, 1, 1) + kEpochOffset;

unsigned DaysInMonth(std::int64_t y, unsigned m) {
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

[[noreturn]] void NotADate(const std::string& text, const char* why) {
    throw host::Error(host::kErrConversion, fmt::format("'{}' is not a date: {}", text, why));
}

unsigned Field(const std::string& text, std::size_t pos, std::size_t len) {
    unsigned v = 0;
    for (std::size_t i = pos; i < pos + len; ++i) {
        char c = text[i];
        if (c < '0' || c > '9') NotADate(text, "expected YYYY-MM-DDTHH:MM:SS");
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    return v;
}

}  // namespace

std::string DateToIso(host::Date date) {
    double days = date.days;
    if (!std::isfinite(days) || days < static_cast<double>(kFirstDay) ||
        days >= static_cast<double>(kEndDay)) {
        throw host::Error(
            host::kErrConversion,
            fmt::format("{} days since 1899-12-30 is no date between the years 1 and 9999", days));
    }
    auto seconds =
        static_cast<std::int64_t>(std::llround(days * static_cast<double>(kSecondsPerDay)));
    std::int64_t day = seconds / kSecondsPerDay;
    std::int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --day;
    }
    if (day >= kEndDay) {  // 9999-12-31T23:59:59.6 rounds into the year 10000
        day = kEndDay - 1;
        rest = kSecondsPerDay - 1;
    }
    Civil c = CivilFromDays(day - kEpochOffset);
    return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}", c.y, c.m, c.d, rest / 3600,
                       rest / 60 % 60, rest % 60);
}

host::Date IsoToDate(const std::string& text) {
    if (text.size() != 10 && text.size() != 19) NotADate(text, "expected YYYY-MM-DDTHH:MM:SS");
    if (text[4] != '-' || text[7] != '-') NotADate(text, "expected YYYY-MM-DDTHH:MM:SS");
    unsigned y = Field(text, 0, 4), m = Field(text, 5, 2), d = Field(text, 8, 2);
    unsigned hh = 0, mm = 0, ss = 0;
    if (text.size() == 19) {
        if (text[10] != 'T' || text[13] != ':' || text[16] != ':') {
            NotADate(text, "expected YYYY-MM-DDTHH:MM:SS");
        }
        hh = Field(text, 11, 2);
        mm = Field(text, 14, 2);
        ss = Field(text, 17, 2);
    }
    if (y < 1) NotADate(text, "years start at 0001");
    if (m < 1 || m > 12) NotADate(text, "no such month");
    if (d < 1 || d > DaysInMonth(y, m)) NotADate(text, "no such day in that month");
    if (hh > 23 || mm > 59 || ss > 59) NotADate(text, "no such time of day");
    double day = static_cast<double>(DaysFromCivil(y, m, d) + kEpochOffset);
    return host::Date{day + static_cast<double>(hh * 3600 + mm * 60 + ss) / kSecondsPerDay};
}

}  // namespace kvbase
