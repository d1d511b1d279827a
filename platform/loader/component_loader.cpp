#include "platform/loader/component_loader.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/host_texts.h"

namespace loader {
namespace {

namespace fs = std::filesystem;
constexpr host::Status kErrLoader = 0x7FFF0A01;
bool gLastCloseUnloaded = false;

[[noreturn]] void Fail(const std::string& text) {
    throw host::Error(kErrLoader, text);
}

template <class T>
T Symbol(void* handle, const char* name, const std::string& path, const host::TextCatalog* texts) {
    void* sym = ::dlsym(handle, name);
    if (!sym)
        Fail(kvbase::Say(texts, "'{}' is not a component library: it does not export {}", path,
                         name));
    return reinterpret_cast<T>(sym);
}

}  // namespace

std::string DataFolder() {
    if (const char* dir = std::getenv("ORVE_REGISTRY_DIR"); dir && *dir) return dir;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return (fs::path(data) / "orvevizari").string();
    const char* home = std::getenv("HOME");
    return (fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "orvevizari").string();
}

std::string RegistryFilePath() {
    return (fs::path(DataFolder()) / "registry.txt").string();
}

std::vector<RegistryEntry> ReadRegistry(const std::string& path) {
    std::vector<RegistryEntry> entries;
    std::ifstream in(path);
    if (!in) return entries;
    int lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        if (line.empty()) continue;
        const auto tab = line.find('\t');
        const auto tab2 = tab == std::string::npos ? tab : line.find('\t', tab + 1);
        const auto pathEnd = tab2 == std::string::npos ? line.size() : tab2;
        if (tab == std::string::npos || tab == 0 || tab + 1 >= pathEnd ||
            (tab2 != std::string::npos && line.find('\t', tab2 + 1) != std::string::npos)) {
            Fail(fmt::format(
                "{}:{}: expected 'class name<TAB>library path[<TAB>version]', found '{}'", path,
                lineNo, line));
        }
        entries.push_back({line.substr(0, tab), line.substr(tab + 1, pathEnd - tab - 1),
                           tab2 == std::string::npos ? std::string() : line.substr(tab2 + 1)});
    }
    return entries;
}

std::string FindRegisteredLibrary(const std::string& className, const std::string& registryPath) {
    for (const auto& e : ReadRegistry(registryPath))
        if (host::IEquals(e.className, className)) return e.libraryPath;
    Fail(fmt::format("class '{}' is not registered in {}", className, registryPath));
}

std::shared_ptr<ComponentLibrary> ComponentLibrary::Open(const std::string& path,
                                                         const host::TextCatalog* texts) {
    std::error_code ec;
    if (!fs::exists(path, ec))
        Fail(kvbase::Say(texts, "component library '{}' does not exist", path));
    std::shared_ptr<ComponentLibrary> lib(new ComponentLibrary(path));
    lib->handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib->handle_) {
        const char* err = ::dlerror();
        Fail(kvbase::Say(texts, "cannot load '{}': {}", path,
                         err ? std::string(err) : kvbase::Say(texts, "unknown error")));
    }
    lib->register_ = Symbol<OrveDllRegisterServer>(lib->handle_, "DllRegisterServer", path, texts);
    lib->unregister_ =
        Symbol<OrveDllUnregisterServer>(lib->handle_, "DllUnregisterServer", path, texts);
    lib->getClassObject_ =
        Symbol<OrveDllGetClassObject>(lib->handle_, "DllGetClassObject", path, texts);
    lib->canUnloadNow_ = Symbol<OrveDllCanUnloadNow>(lib->handle_, "DllCanUnloadNow", path, texts);
    lib->getVersion_ = reinterpret_cast<OrveDllGetVersion>(::dlsym(lib->handle_, "DllGetVersion"));
    return lib;
}

ComponentLibrary::~ComponentLibrary() {
    gLastCloseUnloaded = false;
    if (!handle_) return;
    // Unload only when the library says no control or lock is alive.
    if (canUnloadNow_ && canUnloadNow_() == host::kSOk) {
#if defined(__SANITIZE_ADDRESS__)
        // Under the address sanitizer the library stays mapped: the leak
        // checker reads it at exit, and an unloaded library with thread-local
        // state crashes its tracer.
        gLastCloseUnloaded = false;
#else
        ::dlclose(handle_);
        gLastCloseUnloaded = true;
#endif
    }
}

bool ComponentLibrary::LastCloseUnloaded() {
    return gLastCloseUnloaded;
}

host::ClassFactory& ComponentLibrary::Factory(const std::string& className) {
    host::ClassFactory* factory = nullptr;
    std::int32_t rc = getClassObject_(className.c_str(), &factory);
    if (rc != host::kSOk || !factory)
        Fail(fmt::format("'{}' provides no class '{}' (result {:#x})", path_, className,
                         static_cast<std::uint32_t>(rc)));
    return *factory;
}

std::shared_ptr<host::IUCVIZari> ComponentLibrary::CreateControl(std::shared_ptr<host::Host> host,
                                                                 const std::string& className) {
    return Factory(className).CreateInstance(std::move(host));
}

std::int32_t ComponentLibrary::Register() {
    return register_();
}
std::int32_t ComponentLibrary::Unregister() {
    return unregister_();
}
std::int32_t ComponentLibrary::CanUnloadNow() {
    return canUnloadNow_();
}

std::string ComponentLibrary::Version() const {
    const char* version = nullptr;
    const char* commit = nullptr;
    if (!getVersion_ || getVersion_(&version, &commit) != host::kSOk || !version || !*version)
        return "unknown";
    if (!commit || !*commit) return version;
    return fmt::format("{} (commit {})", version, commit);
}

}  // namespace loader
