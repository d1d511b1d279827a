#include "fuzz/fuzz_support.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

Input::Input(const std::uint8_t* data, std::size_t size)
    : text_(reinterpret_cast<const char*>(data), size) {}

std::string Input::Line() {
    if (pos_ >= text_.size()) return {};
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) end = text_.size();
    std::string line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return line;
}

std::string Input::Rest() {
    if (pos_ >= text_.size()) return {};
    std::string rest = text_.substr(pos_);
    pos_ = text_.size();
    return rest;
}

std::int32_t Input::IntLine(std::int32_t fallback) {
    return ToInt(Line(), fallback);
}

std::int32_t ToInt(const std::string& text, std::int32_t fallback) {
    std::int32_t v = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return ec == std::errc() && ptr == text.data() + text.size() ? v : fallback;
}

bool IsDecimalNumber(const std::string& t) {
    auto digit = [&](std::size_t i) { return i < t.size() && t[i] >= '0' && t[i] <= '9'; };
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    for (; digit(i); ++i) ++digits;
    if (i < t.size() && t[i] == '.')
        for (++i; digit(i); ++i) ++digits;
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        if (!digit(i)) return false;
        while (digit(i)) ++i;
    }
    return i == t.size();
}

void Fault(const std::string& what) {
    std::fprintf(stderr, "fuzz fault: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace fuzz
