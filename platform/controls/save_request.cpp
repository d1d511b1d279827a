#include "platform/controls/save_request.h"

#include <algorithm>
#include <limits>

namespace controls::request {
namespace {

// Reads a NUL-terminated text from pos; nullopt when it runs off the end.
std::optional<std::string> ReadText(const std::string& data, std::size_t& pos) {
    const std::size_t end = data.find('\0', pos);
    if (end == std::string::npos) return std::nullopt;
    std::string text = data.substr(pos, end - pos);
    pos = end + 1;
    return text;
}

}  // namespace

std::string UpToNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

std::optional<std::vector<std::pair<std::string, std::string>>> FilterPairs(
    const std::string& filter) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::size_t pos = 0;
    while (!filter.empty()) {
        const auto description = ReadText(filter, pos);
        if (!description) return std::nullopt;
        if (description->empty()) break;
        const auto pattern = ReadText(filter, pos);
        if (!pattern) return std::nullopt;
        pairs.emplace_back(*description, *pattern);
        if (pattern->empty()) break;
    }
    return pairs;
}

std::uint16_t Offset16(std::size_t v) {
    return static_cast<std::uint16_t>(
        std::min<std::size_t>(v, std::numeric_limits<std::uint16_t>::max()));
}

}  // namespace controls::request
