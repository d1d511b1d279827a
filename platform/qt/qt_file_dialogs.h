#pragma once
// The save dialog and window functions over Qt. The dialog honours the
// request as the platform's dialog does:
//
// - the request must be the 76-byte form (or the later 88-byte one);
// - the filter's description/pattern pairs become the dialog's name filters,
//   the filter index picks the one shown (0 or beyond the last: the first),
//   and the one the person ends with is written back to the request;
// - the proposed file name, the initial directory and the title are shown;
// - a name typed without an extension gets the default extension;
// - with the path-must-exist flag a path in a folder that does not exist is
//   refused with a warning naming the folder, and the person chooses again;
// - with the overwrite-prompt flag an existing file asks before it is chosen;
// - with the hook flag the hook is called with WM_INITDIALOG on a child of
//   the dialog window once the dialog is placed, so it can centre the dialog
//   over its owner through GetWindowRect, GetParent and MoveWindow;
// - the dialog belongs to the window registered for the owner handle;
// - the chosen path must leave room for its NUL in the file buffer.
//
// Window rectangles are in screen pixels, as the platform's are. A request
// the dialog cannot honour makes it fail like a cancel (0), and nothing
// raises out of any of these functions; the reason is kept in LastFailure().
#include <cstdint>
#include <string>
#include <utility>

#include "host/file_dialog.h"

class QWidget;

namespace qtview {

class WindowRegistry;

class QtFileDialogs final : public host::FileDialogs {
  public:
    // windows must outlive this object.
    explicit QtFileDialogs(WindowRegistry& windows) : windows_(windows) {}

    std::int32_t GetSaveFileNameA(host::OpenFileNameA& request) override;
    bool GetWindowRect(host::WindowHandle window, host::WinRect& rect) override;
    host::WindowHandle GetParent(host::WindowHandle window) override;
    bool MoveWindow(host::WindowHandle window, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, bool repaint) override;

    // Why the last dialog failed; empty after a choice or a cancel.
    const std::string& LastFailure() const { return lastFailure_; }
    // The path the person chose last, for a host that confirms the save;
    // empty after ForgetLastChoice until the next choice.
    const std::string& LastChoice() const { return lastChoice_; }
    void ForgetLastChoice() { lastChoice_.clear(); }
    // Where a dialog whose request names no folder starts; empty: Qt's choice.
    void SetStartFolder(std::string folder) { startFolder_ = std::move(folder); }

  private:
    std::int32_t Show(host::OpenFileNameA& request);
    std::int32_t Fail(const std::string& reason);

    WindowRegistry& windows_;
    std::string lastFailure_;
    std::string lastChoice_;
    std::string startFolder_;
};

}  // namespace qtview
