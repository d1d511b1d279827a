#pragma once
// Headless save dialog and window functions. The host decides in advance what
// the person answers (a path, or cancel) and registers the rectangles of its
// windows; the dialog honours the request as the platform's dialog does:
//
// - the request must be the 76-byte form (or the later 88-byte one);
// - the filter is read as description/pattern pairs ending in two NULs; the
//   filter index picks the entry shown (0 or beyond the last: the first);
//   an answer may pick another entry, which is written back to the request;
// - a relative answer is taken inside the request's initial directory;
// - a name without an extension gets the default extension;
// - with the path-must-exist flag an answer in a folder that does not exist
//   is refused (a failure naming the folder);
// - with the overwrite-prompt flag an existing file asks the person, whose
//   answer is configurable (default: refuse, which cancels the dialog);
// - with the hook flag the hook is called with WM_INITDIALOG on a child of the
//   dialog window, which is registered for the time of the call;
// - the chosen path must leave room for its NUL in the file buffer.
//
// A request the dialog cannot honour makes it fail like a cancel (0); the
// reason is kept in LastFailure().
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/file_dialog.h"

namespace controls {

class HeadlessFileDialogs : public host::FileDialogs {
  public:
    // What the next dialogs answer: a path (optionally choosing filter entry
    // filterIndex, from 1; 0 keeps the preselected one), or cancel (the default).
    void AnswerPath(const std::string& path, std::uint32_t filterIndex = 0);
    void AnswerCancel();
    // The person's answer when asked whether to replace an existing file.
    void SetReplaceExisting(bool replace) { replaceExisting_ = replace; }
    // Where the system first places a dialog (its size included).
    void SetDialogPlacement(const host::WinRect& rect) { placement_ = rect; }

    void RegisterWindow(host::WindowHandle window, const host::WinRect& rect,
                        host::WindowHandle parent = 0);
    void UnregisterWindow(host::WindowHandle window);

    // What the last dialog was asked and did.
    struct Shown {
        host::OpenFileNameA request;  // as it arrived
        std::vector<std::pair<std::string, std::string>> filters;
        std::uint32_t shownFilter = 0;  // entry preselected, from 1 (0: no filter)
        std::string proposedName;
        std::string title;
        std::string initialDir;
        std::string defaultExtension;
        bool hookCalled = false;
        host::WinRect finalRect;  // the dialog window after its hook ran
        bool askedToReplace = false;
    };
    std::int32_t DialogCount() const { return dialogCount_; }
    // Raises host::Error before the first dialog.
    const Shown& LastDialog() const;
    // Why the last dialog failed; empty after a choice or a cancel.
    const std::string& LastFailure() const { return lastFailure_; }

    std::int32_t GetSaveFileNameA(host::OpenFileNameA& request) override;
    bool GetWindowRect(host::WindowHandle window, host::WinRect& rect) override;
    host::WindowHandle GetParent(host::WindowHandle window) override;
    bool MoveWindow(host::WindowHandle window, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, bool repaint) override;

  private:
    struct Window {
        host::WinRect rect;
        host::WindowHandle parent = 0;
    };
    std::int32_t Fail(const std::string& reason);
    host::WindowHandle FreeHandle();
    std::int32_t Show(host::OpenFileNameA& request);

    std::optional<std::string> answer_;
    std::uint32_t answerFilter_ = 0;
    bool replaceExisting_ = false;
    host::WinRect placement_{0, 0, 600, 400};
    std::map<host::WindowHandle, Window> windows_;
    host::WindowHandle nextHandle_ = 0x7D000000;
    std::int32_t dialogCount_ = 0;
    std::optional<Shown> last_;
    std::string lastFailure_;
};

}  // namespace controls
