#include "ui/dlg_file.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "host/context.h"
#include "host/error.h"
#include "proxy/trap.h"

namespace ui {
namespace {

// Kept for the hook, which only learns its own window (one dialog at a time).
thread_local host::WindowHandle tDialogOwner = 0;

constexpr host::Status kErrFileNameTooLong = 0x7FFF0D01;

struct ListItem {
    std::string text;  // as written in the list
    std::string description;
    std::string extension;
    bool hasDescription = false;
    bool allFiles = false;
};

// Items in the order BuildFilter writes them; the walk ends at the first empty item.
std::vector<ListItem> ReadList(const std::string& extList) {
    const auto& strings = host::CurrentHost().Strings();
    std::vector<ListItem> items;
    std::string rest = extList;
    for (;;) {
        ListItem item;
        item.text = strings.NextToken(rest, ",");
        if (item.text.empty()) break;
        item.hasDescription = item.text.find(';') != std::string::npos;
        if (item.hasDescription) {
            std::string afterSemicolon = item.text;
            item.description = strings.NextToken(afterSemicolon, ";");
            item.extension = afterSemicolon;
        } else {
            item.extension = item.text;
        }
        item.allFiles = item.extension == "*.*";
        items.push_back(std::move(item));
    }
    return items;
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::int32_t Clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::int32_t SaveFileDialog(host::WindowHandle owner, const std::string& title,
                            const std::string& extList, const std::string& initDir,
                            const std::string& defExt, std::string& fileName) {
    std::int32_t status = -1;
    tDialogOwner = owner;
    // Failure policy: trap; every failure leaves status -1 and fileName as it came.
    proxy::Trap([&] {
        host::Host& h = host::CurrentHost();
        std::string list = extList;
        if (list.empty()) list = defExt.empty() ? "*.*" : "." + defExt + ",*.*";
        if (fileName.size() >= kFileBufferSize)
            throw host::Error(kErrFileNameTooLong,
                              "the file name of " + std::to_string(fileName.size()) +
                                  " characters does not fit the dialog's buffer of " +
                                  std::to_string(kFileBufferSize) + " characters");

        host::OpenFileNameA request;
        request.structSize = kSaveRequestSize;
        request.owner = owner;
        request.instance = 0;
        request.filter = BuildFilter(list);
        request.maxCustomFilter = 0;
        request.filterIndex = static_cast<std::uint32_t>(FilterIndexOf(list, defExt));
        request.file = fileName + std::string(kFileBufferSize - fileName.size(), '\0');
        request.maxFile = kFileBufferSize;
        request.maxFileTitle = 0;
        request.initialDir = h.Paths().InitialDirectory(initDir) + '\0';
        request.title = title + '\0';
        request.flags = kSaveRequestFlags;
        request.defExt = defExt + '\0';
        request.custData = 0;
        request.hook = &CenterDialogHook;

        if (h.Dialogs().GetSaveFileNameA(request) != 1) return;
        std::string chosen = TrimAtNul(request.file);
        // A dialog that says "chosen" without a name has not chosen anything.
        if (chosen.empty()) return;
        fileName = std::move(chosen);
        status = 0;
    });
    return status;
}

std::string BuildFilter(const std::string& extList) {
    bool all = false;
    std::string result;
    for (const ListItem& item : ReadList(extList)) {
        if (item.allFiles) {
            all = true;
            continue;
        }
        std::string extension = item.extension;
        if (extension.empty() || extension.front() != '.') extension.insert(0, ".");
        const std::string description = item.hasDescription ? item.description + " " : "";
        result += description + "(*" + extension + ")|*" + extension + "|";
    }
    if (all) result += "All Files (*.*)|*.*|";
    std::replace(result.begin(), result.end(), '|', '\0');
    std::replace(result.begin(), result.end(), ':', '\0');
    result.append(2, '\0');
    return result;
}

std::int32_t FilterIndexOf(const std::string& extList, const std::string& defExt) {
    // Counted against the filter as built: the "*.*" entry stands last, and
    // items after an empty one are not offered at all.
    const std::string wanted = Upper(";" + defExt);
    std::int32_t entries = 0;
    std::int32_t matchedEntry = 0;
    bool matchedAll = false;
    for (const ListItem& item : ReadList(extList)) {
        const bool matches = Upper(item.text).find(wanted) != std::string::npos;
        if (!item.allFiles) ++entries;
        if (!matches) continue;
        matchedAll = item.allFiles;
        if (!item.allFiles) matchedEntry = entries;
    }
    if (matchedAll) return entries + 1;
    return matchedEntry > 0 ? matchedEntry : 1;
}

std::string TrimAtNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

std::intptr_t CenterDialogHook(host::WindowHandle window, std::uint32_t message, std::uintptr_t,
                               std::intptr_t) noexcept {
    if (message != host::kWmInitDialog) return 0;
    try {
        host::FileDialogs& dialogs = host::CurrentHost().Dialogs();
        host::WinRect ownerRect{};
        dialogs.GetWindowRect(tDialogOwner, ownerRect);
        const host::WindowHandle dialog = dialogs.GetParent(window);
        host::WinRect dialogRect{};
        dialogs.GetWindowRect(dialog, dialogRect);
        // An owner wholly off the screen's top or left: leave the dialog where the system put it.
        if (ownerRect.right <= 0 || ownerRect.bottom <= 0) return 0;

        auto extent = [](std::int32_t a, std::int32_t b) {
            const std::int64_t d = static_cast<std::int64_t>(b) - a;
            return d < 0 ? -d : d;
        };
        const std::int64_t ownerWidth = extent(ownerRect.left, ownerRect.right);
        const std::int64_t ownerHeight = extent(ownerRect.top, ownerRect.bottom);
        const std::int64_t dialogWidth = extent(dialogRect.left, dialogRect.right);
        const std::int64_t dialogHeight = extent(dialogRect.top, dialogRect.bottom);
        const std::int64_t x = ownerRect.left + (ownerWidth - dialogWidth) / 2;
        const std::int64_t y = ownerRect.top + (ownerHeight - dialogHeight) / 2;
        dialogs.MoveWindow(dialog, Clamp32(x), Clamp32(y), Clamp32(dialogWidth),
                           Clamp32(dialogHeight), true);
    } catch (...) {
        // The hook has no failure path: the dialog simply stays where it is.
    }
    return 0;
}

host::WindowHandle DialogOwner() {
    return tDialogOwner;
}

}  // namespace ui
