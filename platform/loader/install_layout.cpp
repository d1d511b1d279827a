#include "platform/loader/install_layout.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>
#include <initializer_list>

// The install's folders relative to its prefix, as the build configured them.
#ifndef ORVE_INSTALL_BINDIR
#define ORVE_INSTALL_BINDIR "bin"
#endif
#ifndef ORVE_INSTALL_LIBDIR
#define ORVE_INSTALL_LIBDIR "lib"
#endif
#ifndef ORVE_INSTALL_MODULEDIR
#define ORVE_INSTALL_MODULEDIR "lib/orvevizari"
#endif
#ifndef ORVE_INSTALL_DATADIR
#define ORVE_INSTALL_DATADIR "share/orvevizari"
#endif

namespace loader {
namespace {

namespace fs = std::filesystem;

// The file this code was loaded from: a shared library that holds it, else
// the program itself.
fs::path ThisBinary() {
    Dl_info info{};
    link_map* map = nullptr;
    std::error_code ec;
    if (::dladdr1(reinterpret_cast<void*>(&ThisBinary), &info, reinterpret_cast<void**>(&map),
                  RTLD_DL_LINKMAP) != 0 &&
        map && map->l_name && *map->l_name) {
        auto path = fs::canonical(map->l_name, ec);
        if (!ec) return path;
    }
    return fs::read_symlink("/proc/self/exe", ec);
}

// True when the last components of dir are those of rel ("lib/x86_64-linux-gnu").
bool EndsWith(const fs::path& dir, const fs::path& rel) {
    auto d = dir.end();
    auto r = rel.end();
    while (r != rel.begin()) {
        if (d == dir.begin() || *--d != *--r) return false;
    }
    return true;
}

}  // namespace

std::string InstallRoot() {
    const fs::path dir = ThisBinary().parent_path();
    for (const char* relText : {ORVE_INSTALL_BINDIR, ORVE_INSTALL_LIBDIR}) {
        const fs::path rel(relText);
        if (EndsWith(dir, rel)) {
            fs::path root = dir;
            for (auto it = rel.begin(); it != rel.end(); ++it) root = root.parent_path();
            return root.string();
        }
    }
    // A build tree's programs, tests and benchmarks lie one folder deep.
    return dir.parent_path().string();
}

std::string DefaultLibraryPath() {
    const fs::path root = InstallRoot();
    const fs::path installed = root / ORVE_INSTALL_MODULEDIR / "ORVEVIZari.so";
    const fs::path built = root / "lib" / "ORVEVIZari.so";
    std::error_code ec;
    if (!fs::exists(installed, ec) && fs::exists(built, ec)) return built.string();
    return installed.string();
}

std::string DefaultCataloguePath() {
    return (fs::path(InstallRoot()) / ORVE_INSTALL_DATADIR / "catalogue-en.json").string();
}

std::string ExamplesFolder() {
    return (fs::path(InstallRoot()) / ORVE_INSTALL_DATADIR / "examples").string();
}

}  // namespace loader
