// The component library's exports. None of them throws: a failure is the result code.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/acq_module.h"
#include "module/class_factory.h"
#include "module/version.h"

namespace {

namespace fs = std::filesystem;

// The registry: one class per line, class name, tab, library path, tab,
// version. Its folder comes from ORVE_REGISTRY_DIR, else the user's data directory.
fs::path RegistryFile() {
    if (const char* dir = std::getenv("ORVE_REGISTRY_DIR"); dir && *dir)
        return fs::path(dir) / "registry.txt";
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return fs::path(data) / "orvevizari" / "registry.txt";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "orvevizari" /
           "registry.txt";
}

// The path the library was loaded by, made absolute. Only its folder is
// resolved: the name stays the one the host opened (ORVEVIZari.so, not the
// versioned file it links to), so the entry survives an update of the library.
std::string LibraryPath() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&LibraryPath), &info) == 0 || !info.dli_fname) return {};
    fs::path loaded(info.dli_fname);
    std::error_code ec;
    auto folder = fs::canonical(fs::absolute(loaded).parent_path(), ec);
    return ec ? loaded.string() : (folder / loaded.filename()).string();
}

// Keeps every line that does not register our class, then adds ours when asked.
std::int32_t RewriteRegistry(bool add) {
    fs::path file = RegistryFile();
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    std::vector<std::string> lines;
    if (std::ifstream in(file); in) {
        for (std::string line; std::getline(in, line);) {
            auto tab = line.find('\t');
            if (tab != std::string::npos && host::IEquals(line.substr(0, tab), module::kClassName))
                continue;
            if (!line.empty()) lines.push_back(line);
        }
    }
    if (add) {
        std::string path = LibraryPath();
        if (path.empty()) return host::kEFail;
        lines.push_back(std::string(module::kClassName) + "\t" + path + "\t" +
                        module::VersionText());
    }
    std::ostringstream out;
    for (const auto& l : lines) out << l << '\n';
    // Temporary file beside the registry, then rename: never a torn registry.
    fs::path tmp = file;
    tmp += ".tmp";
    {
        std::ofstream o(tmp, std::ios::trunc);
        o << out.str();
        o.flush();
        if (!o) return host::kRegistryWriteFailed;
    }
    fs::rename(tmp, file, ec);
    if (ec) {
        fs::remove(tmp, ec);
        return host::kRegistryWriteFailed;
    }
    return host::kSOk;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) std::int32_t DllRegisterServer() {
    try {
        return RewriteRegistry(true);
    } catch (...) {
        return host::kEFail;
    }
}

__attribute__((visibility("default"))) std::int32_t DllUnregisterServer() {
    try {
        return RewriteRegistry(false);
    } catch (...) {
        return host::kEFail;
    }
}

__attribute__((visibility("default"))) std::int32_t DllGetClassObject(
    const char* className, host::ClassFactory** factory) {
    try {
        if (!factory) return host::kEPointer;
        *factory = nullptr;
        if (!className || !host::IEquals(className, module::kClassName))
            return host::kClassNotAvailable;
        *factory = &module::TheClassFactory();
        return host::kSOk;
    } catch (...) {
        return host::kEFail;
    }
}

// Not one of the four exports every host relies on: a host that finds it can
// tell which build of the module it loaded.
__attribute__((visibility("default"))) std::int32_t DllGetVersion(const char** version,
                                                                  const char** commit) {
    if (!version || !commit) return host::kEPointer;
    *version = module::Version();
    *commit = module::Commit();
    return host::kSOk;
}

__attribute__((visibility("default"))) std::int32_t DllCanUnloadNow() {
    try {
        return module::CanUnloadNow() ? host::kSOk : host::kSFalse;
    } catch (...) {
        return host::kSFalse;
    }
}

}  // extern "C"
