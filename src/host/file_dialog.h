#pragma once
// The platform's save-file dialog functions, taking the dialog request as the
// module fills it.
#include <cstdint>
#include <string>

#include "host/forms.h"

namespace host {

struct WinRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

using HookProc = std::intptr_t (*)(WindowHandle window, std::uint32_t message,
                                   std::uintptr_t wParam, std::intptr_t lParam);

inline constexpr std::uint32_t kWmInitDialog = 272;

// The dialog request in its 76-byte form: texts are NUL-separated and end in NULs.
struct OpenFileNameA {
    std::uint32_t structSize = 0;
    WindowHandle owner = 0;
    std::intptr_t instance = 0;
    std::string filter;  // pairs of description and pattern, NUL-separated, ending in two NULs
    std::string customFilter;
    std::uint32_t maxCustomFilter = 0;
    std::uint32_t filterIndex = 0;
    std::string file;  // buffer of maxFile characters
    std::uint32_t maxFile = 0;
    std::string fileTitle;
    std::uint32_t maxFileTitle = 0;
    std::string initialDir;
    std::string title;
    std::uint32_t flags = 0;
    std::uint16_t fileOffset = 0;
    std::uint16_t fileExtension = 0;
    std::string defExt;
    std::intptr_t custData = 0;
    HookProc hook = nullptr;
    std::string templateName;
};

class ORVE_API FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // 1 when a file was chosen (request.file then holds it), 0 on cancel or failure.
    virtual std::int32_t GetSaveFileNameA(OpenFileNameA& request) = 0;
    virtual bool GetWindowRect(WindowHandle window, WinRect& rect) = 0;
    virtual WindowHandle GetParent(WindowHandle window) = 0;
    virtual bool MoveWindow(WindowHandle window, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, bool repaint) = 0;
};

}  // namespace host
