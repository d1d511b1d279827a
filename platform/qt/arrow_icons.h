#pragma once
// The picture buttons' icons, drawn in code by their picture names:
// "arrow-up", "arrow-down", "arrow-left", "arrow-right" (a blue arrow),
// "arrow-left-into-list" (a blue arrow pointing left into a list) and
// "arrow-right-out-of-list" (a red arrow pointing right out of a list).
#include <string>

#include <QIcon>
#include <QPixmap>

namespace qtview {

inline constexpr int kIconSize = 24;

// True for the names above, ignoring case.
bool IsKnownPicture(const std::string& name);
// The 24 x 24 picture; a null pixmap for an unknown name.
QPixmap ArrowPixmap(const std::string& name);
QIcon ArrowIcon(const std::string& name);

}  // namespace qtview
