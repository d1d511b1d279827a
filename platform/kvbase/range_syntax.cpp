#include "platform/kvbase/range_syntax.h"

#include <cmath>

#include <fmt/format.h>

#include "host/error.h"

namespace kvbase {
namespace {

constexpr host::Status kErrRange = 0x7FFF0101;

std::optional<double> Bound(const std::string& text, const std::string& whole) {
    if (text.empty()) return std::nullopt;
    double v = std::nan("");
    try {
        v = host::Variant(text).ToDouble();
    } catch (const host::Error&) {
    }
    // A NaN bound compares false with everything, so it would restrict nothing.
    if (std::isnan(v))
        throw host::Error(kErrRange,
                          fmt::format("malformed range '{}': '{}' is not a number", whole, text));
    return v;
}

}  // namespace

Range ParseRange(const std::string& text) {
    Range r;
    if (text.empty()) return r;
    if (text.front() == '{') {
        if (text.back() != '}')
            throw host::Error(kErrRange,
                              fmt::format("malformed range '{}': no closing '}}'", text));
        r.kind = Range::Kind::List;
        std::string body = text.substr(1, text.size() - 2);
        std::size_t start = 0;
        while (true) {
            auto pos = body.find(';', start);
            r.items.push_back(
                body.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
            if (pos == std::string::npos) break;
            start = pos + 1;
        }
        return r;
    }
    auto dots = text.find("..");
    if (dots == std::string::npos || text.find("..", dots + 2) != std::string::npos) {
        throw host::Error(
            kErrRange, fmt::format("malformed range '{}': expected 'lo..hi' or '{{a;b}}'", text));
    }
    r.kind = Range::Kind::Numeric;
    r.lo = Bound(text.substr(0, dots), text);
    r.hi = Bound(text.substr(dots + 2), text);
    if (r.lo && r.hi && *r.lo > *r.hi) {
        throw host::Error(kErrRange,
                          fmt::format("malformed range '{}': lower bound above upper bound", text));
    }
    return r;
}

std::string FormatNumericRange(double lo, double hi) {
    return fmt::format("{}..{}", lo, hi);
}

bool InRange(const Range& range, const host::Variant& v) {
    switch (range.kind) {
        case Range::Kind::None:
            return true;
        case Range::Kind::List: {
            std::string s = v.ToString();
            for (const auto& item : range.items)
                if (host::IEquals(item, s)) return true;
            return false;
        }
        case Range::Kind::Numeric: {
            double d;
            try {
                d = v.ToDouble();
            } catch (const host::Error&) {
                return false;
            }
            if (d != d) return false;  // NaN is in no range
            if (range.lo && d < *range.lo) return false;
            if (range.hi && d > *range.hi) return false;
            return true;
        }
    }
    return false;
}

bool InRange(const std::string& rangeText, const host::Variant& v) {
    return InRange(ParseRange(rangeText), v);
}

}  // namespace kvbase
