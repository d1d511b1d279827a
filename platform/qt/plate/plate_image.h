#pragma once
// A plate map as a picture file, painted with QtGui offscreen: no display and
// no window are needed.
#include <string>

#include "platform/plates/plate_map.h"

namespace plateplot {

enum class ImageKind { Png, Svg };

// In pixels; kept free of Qt types so that a command-line host includes no Qt.
struct PictureSize {
    int width = 0, height = 0;
};
inline constexpr PictureSize kPlotSize{1000, 640};

// Whether this build can write SVG.
bool SvgAvailable();

// Creates the offscreen application the painting needs when the process has
// none; an application that exists already is used as it is.
void EnsureGuiApplication();

// The file's bytes; raises host::Error when the picture cannot be encoded.
std::string RenderPlateImage(const plates::PlateMap& map, ImageKind kind,
                             PictureSize picture = kPlotSize);

}  // namespace plateplot
