#include "platform/kvbase/string_tools.h"

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/error_numbers.h"

namespace kvbase {
namespace {

void CheckSeparator(const std::string& separator) {
    if (separator.empty()) throw host::Error(kErrListText, "a separator must not be empty");
}

}  // namespace

std::string Strings::NextToken(std::string& text, const std::string& separator) const {
    CheckSeparator(separator);
    std::size_t pos = text.find(separator);
    std::string token;
    if (pos == std::string::npos) {
        token.swap(text);
    } else {
        token = text.substr(0, pos);
        text.erase(0, pos + separator.size());
    }
    return token;
}

std::vector<std::string> Strings::ListItems(const std::string& list) {
    if (list.size() < 2 || list.front() != '{' || list.back() != '}') {
        throw host::Error(
            kErrListText,
            fmt::format("'{}' is not a list text: expected items in braces, as {{On;Off}}", list));
    }
    if (list.size() == 2) return {};
    std::vector<std::string> items;
    std::size_t start = 1;
    const std::size_t end = list.size() - 1;
    while (true) {
        std::size_t pos = list.find(';', start);
        if (pos == std::string::npos || pos > end) {
            items.push_back(list.substr(start, end - start));
            return items;
        }
        items.push_back(list.substr(start, pos - start));
        start = pos + 1;
    }
}

std::int32_t Strings::ItemIndex(const std::string& item, const std::string& list) const {
    auto items = ListItems(list);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (host::IEquals(items[i], item)) return static_cast<std::int32_t>(i + 1);
    return 0;
}

std::string Strings::ItemAt(std::int32_t position, const std::string& list) const {
    auto items = ListItems(list);
    if (position < 1 || static_cast<std::size_t>(position) > items.size()) return "";
    return items[static_cast<std::size_t>(position - 1)];
}

std::vector<std::string> Strings::Split(const std::string& text,
                                        const std::string& separator) const {
    CheckSeparator(separator);
    std::vector<std::string> items;
    if (text.empty()) return items;
    std::size_t start = 0;
    while (true) {
        std::size_t pos = text.find(separator, start);
        if (pos == std::string::npos) {
            items.push_back(text.substr(start));
            return items;
        }
        items.push_back(text.substr(start, pos - start));
        start = pos + separator.size();
    }
}

std::string Strings::CloseList(const std::string& text) const {
    if (text.empty() || text.front() != '{') {
        throw host::Error(
            kErrListText,
            fmt::format("cannot close '{}' as a list text: it does not start with '{{'", text));
    }
    if (text.size() > 1 && text.back() == ';') return text.substr(0, text.size() - 1) + "}";
    return text + "}";
}

}  // namespace kvbase
