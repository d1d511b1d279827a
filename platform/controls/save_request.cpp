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

std::optional<Request> ReadRequest(const host::OpenFileNameA& request, std::string& failure) {
    if (!KnownSize(request.structSize)) {
        failure = "request size " + std::to_string(request.structSize) + " is not 76 or 88";
        return std::nullopt;
    }
    auto pairs = FilterPairs(request.filter);
    if (!pairs) {
        failure = "the filter does not end in two NULs";
        return std::nullopt;
    }
    if (request.maxFile == 0 || request.file.size() < request.maxFile) {
        failure =
            "the file buffer is shorter than its stated size of " + std::to_string(request.maxFile);
        return std::nullopt;
    }
    const std::string buffer = request.file.substr(0, request.maxFile);
    if (buffer.find('\0') == std::string::npos) {
        failure = "the proposed file name is not NUL-terminated within its buffer";
        return std::nullopt;
    }
    Request r;
    r.hooked = (request.flags & kEnableHook) != 0;
    if (r.hooked && request.hook == nullptr) {
        failure = "the hook flag is set without a hook";
        return std::nullopt;
    }
    r.filters = std::move(*pairs);
    const auto count = static_cast<std::uint32_t>(r.filters.size());
    if (count > 0)
        r.shownFilter =
            request.filterIndex >= 1 && request.filterIndex <= count ? request.filterIndex : 1;
    r.proposedName = UpToNul(buffer);
    r.title = UpToNul(request.title);
    r.initialDir = UpToNul(request.initialDir);
    r.defaultExtension = UpToNul(request.defExt);
    return r;
}

std::string BareExtension(const std::string& defaultExtension) {
    if (!defaultExtension.empty() && defaultExtension.front() == '.')
        return defaultExtension.substr(1);
    return defaultExtension;
}

std::string WriteChoice(host::OpenFileNameA& request, const std::string& path,
                        std::size_t nameLength) {
    if (path.size() + 1 > request.maxFile)
        return "the chosen path of " + std::to_string(path.size()) +
               " characters does not fit the file buffer of " + std::to_string(request.maxFile);
    request.file = path + std::string(request.maxFile - path.size(), '\0');
    const std::size_t nameStart = path.size() - std::min(nameLength, path.size());
    request.fileOffset = Offset16(nameStart);
    const std::size_t dot = path.find_last_of('.');
    request.fileExtension =
        Offset16(dot != std::string::npos && dot >= nameStart ? dot + 1 : path.size());
    return {};
}

}  // namespace controls::request
