#pragma once
// Reading the save dialog's request as the platform's dialog reads it; shared
// by the headless dialog and the Qt one.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/file_dialog.h"

namespace controls::request {

inline constexpr std::uint32_t kOverwritePrompt = 0x2;
inline constexpr std::uint32_t kPathMustExist = 0x800;
inline constexpr std::uint32_t kEnableHook = 0x20;
inline constexpr std::uint32_t kShortRequestSize = 76;
inline constexpr std::uint32_t kLongRequestSize = 88;

inline bool KnownSize(std::uint32_t size) {
    return size == kShortRequestSize || size == kLongRequestSize;
}

// The text up to its first NUL.
std::string UpToNul(const std::string& text);
// The description/pattern pairs; nullopt when the filter does not end in two
// NULs. A description left without a pattern takes the closing NUL as its
// empty pattern.
std::optional<std::vector<std::pair<std::string, std::string>>> FilterPairs(
    const std::string& filter);
// An offset as the request's 16-bit field holds it (clamped).
std::uint16_t Offset16(std::size_t v);

// A request as a dialog shows it.
struct Request {
    std::vector<std::pair<std::string, std::string>> filters;
    std::uint32_t shownFilter = 0;  // entry preselected, from 1 (0: no filter)
    std::string proposedName;
    std::string title;
    std::string initialDir;
    std::string defaultExtension;  // as given, perhaps with its leading '.'
    bool hooked = false;
};

// Reads the request as the platform's dialog does. A request it cannot show
// (unknown size, unterminated filter or name, a buffer shorter than stated,
// the hook flag without a hook) gives nullopt and the reason in failure.
std::optional<Request> ReadRequest(const host::OpenFileNameA& request, std::string& failure);

// The extension a name without one gets: the default one without its '.'.
std::string BareExtension(const std::string& defaultExtension);

// Writes the chosen path into the request's file buffer, with the offsets of
// its name (the last nameLength characters) and its extension. Returns why it
// cannot (the path does not fit the buffer), else an empty text.
std::string WriteChoice(host::OpenFileNameA& request, const std::string& path,
                        std::size_t nameLength);

}  // namespace controls::request
