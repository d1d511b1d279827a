#pragma once
// The module's page and its dialog as data: every control with its kind,
// parent, designed geometry (twips), tab index and designed properties. The
// control creates them through the host's control factory.
#include <vector>

#include "host/control.h"

namespace ui {

// Designed size of the user control.
inline constexpr int kControlWidth = 13215;
inline constexpr int kControlHeight = 9015;
// Client area of the "Adjust Reader Position" dialog.
inline constexpr int kAdjustWidth = 5580;
inline constexpr int kAdjustHeight = 2580;
// Page background: red 216, green 228, blue 248.
inline constexpr int kBackColor = 0xF8E4D8;
// System colour 15, the button face.
inline constexpr int kButtonFaceColor = static_cast<int>(0x8000000Fu);

std::vector<host::ControlDesc> SetupPageDescription();
std::vector<host::ControlDesc> AdjustDialogDescription();

}  // namespace ui
