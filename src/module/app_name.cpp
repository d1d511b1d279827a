#include "module/app_name.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>

namespace module {

std::string AppName() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&AppName), &info) != 0 && info.dli_fname) {
        // A versioned file (ORVEVIZari.so.1.0.0) has the name of its unversioned link.
        std::filesystem::path p(info.dli_fname);
        while (!p.extension().empty() &&
               p.extension().string().find_first_not_of(".0123456789") == std::string::npos)
            p = p.stem();
        if (p.extension() == ".so") return p.stem().string();
    }
    return "ORVEVIZari";
}

}  // namespace module
