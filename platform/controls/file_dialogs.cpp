#include "platform/controls/file_dialogs.h"

#include <filesystem>
#include <limits>
#include <system_error>

#include "host/error.h"
#include "platform/controls/save_request.h"

namespace controls {
using namespace request;

void HeadlessFileDialogs::AnswerPath(const std::string& path, std::uint32_t filterIndex) {
    answer_ = path;
    answerFilter_ = filterIndex;
}

void HeadlessFileDialogs::AnswerCancel() {
    answer_.reset();
    answerFilter_ = 0;
}

void HeadlessFileDialogs::RegisterWindow(host::WindowHandle window, const host::WinRect& rect,
                                         host::WindowHandle parent) {
    windows_[window] = Window{rect, parent};
}

void HeadlessFileDialogs::UnregisterWindow(host::WindowHandle window) {
    windows_.erase(window);
}

const HeadlessFileDialogs::Shown& HeadlessFileDialogs::LastDialog() const {
    if (!last_) throw host::Error(host::kErrUnexpected, "no save dialog has been shown yet");
    return *last_;
}

bool HeadlessFileDialogs::GetWindowRect(host::WindowHandle window, host::WinRect& rect) {
    const auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    rect = it->second.rect;
    return true;
}

host::WindowHandle HeadlessFileDialogs::GetParent(host::WindowHandle window) {
    const auto it = windows_.find(window);
    return it == windows_.end() ? 0 : it->second.parent;
}

bool HeadlessFileDialogs::MoveWindow(host::WindowHandle window, std::int32_t x, std::int32_t y,
                                     std::int32_t width, std::int32_t height, bool) {
    const auto it = windows_.find(window);
    if (it == windows_.end() || width < 0 || height < 0) return false;
    const auto right = static_cast<std::int64_t>(x) + width;
    const auto bottom = static_cast<std::int64_t>(y) + height;
    if (right > std::numeric_limits<std::int32_t>::max() ||
        bottom > std::numeric_limits<std::int32_t>::max())
        return false;
    it->second.rect =
        host::WinRect{x, y, static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom)};
    return true;
}

std::int32_t HeadlessFileDialogs::Fail(const std::string& reason) {
    lastFailure_ = reason;
    return 0;
}

host::WindowHandle HeadlessFileDialogs::FreeHandle() {
    while (windows_.count(nextHandle_) != 0) ++nextHandle_;
    return nextHandle_++;
}

std::int32_t HeadlessFileDialogs::GetSaveFileNameA(host::OpenFileNameA& request) {
    ++dialogCount_;
    lastFailure_.clear();
    // A platform function: every failure is an answer of 0, never an exception.
    try {
        return Show(request);
    } catch (const std::exception& e) {
        return Fail(e.what());
    } catch (...) {
        return Fail("the dialog failed");
    }
}

std::int32_t HeadlessFileDialogs::Show(host::OpenFileNameA& request) {
    last_ = Shown{};
    Shown& shown = *last_;
    shown.request = request;
    std::string failure;
    const auto read = ReadRequest(request, failure);
    if (!read) return Fail(failure);
    shown.filters = read->filters;
    shown.shownFilter = read->shownFilter;
    const auto filterCount = static_cast<std::uint32_t>(shown.filters.size());
    shown.proposedName = read->proposedName;
    shown.title = read->title;
    shown.initialDir = read->initialDir;
    shown.defaultExtension = read->defaultExtension;

    if (read->hooked) {
        const host::WindowHandle dialog = FreeHandle();
        RegisterWindow(dialog, placement_, request.owner);
        const host::WindowHandle child = FreeHandle();
        RegisterWindow(child, placement_, dialog);
        shown.hookCalled = true;
        try {
            request.hook(child, host::kWmInitDialog, 0, reinterpret_cast<std::intptr_t>(&request));
        } catch (...) {
            UnregisterWindow(child);
            UnregisterWindow(dialog);
            return Fail("the dialog's hook raised an error");
        }
        shown.finalRect = windows_[dialog].rect;
        UnregisterWindow(child);
        UnregisterWindow(dialog);
    }

    if (!answer_) return 0;  // the person cancels
    if (answer_->empty()) return Fail("the answer names no file");
    std::uint32_t chosenFilter = shown.shownFilter;
    if (answerFilter_ != 0) {
        if (answerFilter_ > filterCount)
            return Fail("filter entry " + std::to_string(answerFilter_) + " is not offered (" +
                        std::to_string(filterCount) + " entries)");
        chosenFilter = answerFilter_;
    }

    std::filesystem::path path(*answer_);
    if (path.is_relative()) {
        std::error_code ec;
        const std::filesystem::path base = shown.initialDir.empty()
                                               ? std::filesystem::current_path(ec)
                                               : std::filesystem::path(shown.initialDir);
        path = (base / path).lexically_normal();
    }
    if (!path.has_filename()) return Fail("the answer names a directory, not a file");
    const std::string defExt = BareExtension(shown.defaultExtension);
    if (path.filename().string().find('.') == std::string::npos && !defExt.empty())
        path += "." + defExt;

    std::error_code ec;
    if ((request.flags & kPathMustExist) != 0) {
        const std::filesystem::path folder =
            path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
        if (!std::filesystem::is_directory(folder, ec))
            return Fail("the folder '" + folder.string() + "' does not exist");
    }
    if ((request.flags & kOverwritePrompt) != 0 && std::filesystem::exists(path, ec)) {
        shown.askedToReplace = true;
        if (!replaceExisting_) return 0;  // the person keeps the file: cancel
    }

    failure = WriteChoice(request, path.string(), path.filename().string().size());
    if (!failure.empty()) return Fail(failure);
    if (chosenFilter != 0) request.filterIndex = chosenFilter;
    return 1;
}

}  // namespace controls
