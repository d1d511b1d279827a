#pragma once
#include <string>

namespace module {

// The library's application name: its file name without extension
// ("ORVEVIZari" for ORVEVIZari.so and ORVEVIZari.so.1.0.0). When the module is linked into a
// program instead of loaded as a library, the name is still "ORVEVIZari".
std::string AppName();

}  // namespace module
