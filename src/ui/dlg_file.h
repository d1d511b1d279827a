#pragma once
// DlgFile: asks the user for the name of a file to save with the platform's
// save dialog, built from a short extension list and centred over its owner.
//
// Extension list: items separated by ","; an item is "description;extension"
// or an extension alone, with or without its leading "." ("txt" = ".txt").
// The extension "*.*" stands for all files and always becomes the last filter
// entry. An empty item ends the list, so items after ",," are not offered.
#include <cstdint>
#include <string>

#include "host/file_dialog.h"

namespace ui {

inline constexpr std::uint32_t kOfnOverwritePrompt = 0x2;
inline constexpr std::uint32_t kOfnHideReadOnly = 0x4;
inline constexpr std::uint32_t kOfnNoChangeDir = 0x8;
inline constexpr std::uint32_t kOfnEnableHook = 0x20;
inline constexpr std::uint32_t kOfnPathMustExist = 0x800;
inline constexpr std::uint32_t kOfnExplorer = 0x80000;
inline constexpr std::uint32_t kOfnEnableSizing = 0x800000;

// The request in its 76-byte form, with the flags every save dialog of the module uses.
inline constexpr std::uint32_t kSaveRequestSize = 76;
inline constexpr std::uint32_t kSaveRequestFlags = kOfnEnableSizing | kOfnPathMustExist |
                                                   kOfnHideReadOnly | kOfnOverwritePrompt |
                                                   kOfnExplorer | kOfnEnableHook | kOfnNoChangeDir;
// Characters of the file-name buffer, its terminating NUL included.
inline constexpr std::uint32_t kFileBufferSize = 512;

// Shows the save dialog. 0 when the user chose a file (fileName then holds its
// full path); -1 when the user cancelled or anything failed (fileName keeps its
// input). A proposed name that leaves no room for the buffer's NUL fails.
// An empty extension list becomes "." + defExt + ",*.*" ("*.*" without defExt).
// Failure policy: traps every failure and returns -1.
std::int32_t SaveFileDialog(host::WindowHandle owner, const std::string& title,
                            const std::string& extList, const std::string& initDir,
                            const std::string& defExt, std::string& fileName);

// The dialog's filter: description/pattern pairs, each text ending in a NUL,
// then two more NULs. A ":" in the list acts like a separator, as "|" does.
// Failure policy: lets a failing host service pass.
std::string BuildFilter(const std::string& extList);

// The 1-based filter entry that BuildFilter builds for the last item whose
// text contains ";" + defExt (ignoring case); 1 when none does.
// Failure policy: lets a failing host service pass.
std::int32_t FilterIndexOf(const std::string& extList, const std::string& defExt);

// The text up to its first NUL (all of it when it has none).
std::string TrimAtNul(const std::string& text);

// The dialog's hook: on WM_INITDIALOG centres the dialog over the owner of the
// dialog being shown, unless the owner lies wholly left of or above the screen
// origin. Always 0; it has no failure path (nothing moves when the host
// cannot answer).
std::intptr_t CenterDialogHook(host::WindowHandle window, std::uint32_t message,
                               std::uintptr_t wParam, std::intptr_t lParam) noexcept;

// The owner of the last dialog shown on this thread (the hook centres over it).
host::WindowHandle DialogOwner();

}  // namespace ui
