#pragma once
// Finds and loads component libraries. The registry is a plain text file, one
// class per line: class name, a tab, the library path, and from libraries that
// tell it a tab and their version. Its folder is
// ORVE_REGISTRY_DIR, else $XDG_DATA_HOME/orvevizari, else ~/.local/share/orvevizari.
#include <cstdint>
#include <memory>
#include <string>

#include <vector>
#include "host/services.h"

#include "host/acq_module.h"

namespace loader {

struct RegistryEntry {
    std::string className;
    std::string libraryPath;
    std::string version;  // "" in entries written by libraries that do not tell it
};

// The program's data folder: ORVE_REGISTRY_DIR, else $XDG_DATA_HOME/orvevizari,
// else ~/.local/share/orvevizari. The registry and stored runs live there.
std::string DataFolder();
std::string RegistryFilePath();
// Raises host::Error naming the file and line for a line that does not parse;
// a missing registry file is an empty registry.
std::vector<RegistryEntry> ReadRegistry(const std::string& path);
// Path of the library registered for a class; raises when none is.
std::string FindRegisteredLibrary(const std::string& className, const std::string& registryPath);

// One loaded component library and its four exports.
class ComponentLibrary {
  public:
    // Loads the library; raises host::Error for a missing file, a library that
    // does not load, or one without the exports, said in the language of texts
    // when given (English without).
    static std::shared_ptr<ComponentLibrary> Open(const std::string& path,
                                                  const host::TextCatalog* texts = nullptr);
    ~ComponentLibrary();
    ComponentLibrary(const ComponentLibrary&) = delete;
    ComponentLibrary& operator=(const ComponentLibrary&) = delete;

    // The class factory for a class; raises for an unknown class.
    host::ClassFactory& Factory(const std::string& className);
    // Creates a control with the host's services.
    std::shared_ptr<host::IUCVIZari> CreateControl(std::shared_ptr<host::Host> host,
                                                   const std::string& className = "UCVIZari");
    std::int32_t Register();
    std::int32_t Unregister();
    // The library's own answer: 0 when it may be unloaded.
    std::int32_t CanUnloadNow();
    const std::string& Path() const { return path_; }
    // "1.0.0 (commit 0123456789ab)" from the library's optional version export;
    // "unknown" for a library without it.
    std::string Version() const;
    // True when the destructor unloaded the library (it does so only when allowed).
    static bool LastCloseUnloaded();

  private:
    explicit ComponentLibrary(std::string path) : path_(std::move(path)) {}
    std::string path_;
    void* handle_ = nullptr;
    OrveDllRegisterServer register_ = nullptr;
    OrveDllUnregisterServer unregister_ = nullptr;
    OrveDllGetClassObject getClassObject_ = nullptr;
    OrveDllCanUnloadNow canUnloadNow_ = nullptr;
    OrveDllGetVersion getVersion_ = nullptr;
};

}  // namespace loader
