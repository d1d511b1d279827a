#include "module/app_name.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>

namespace module {

std::string AppName() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&AppName), &info) != 0 && info.dli_fname) {
        std::filesystem::path p(info.dli_fname);
        if (p.extension() == ".so") return p.stem().string();
    }
    return "ORVEVIZari";
}

}  // namespace module
