#pragma once
// A host's start of the module, in the host's order: load the library, create
// the control with the reference host, SetupModule, bring the simulated
// instrument to ready, SetInstrument(1, its information), UpdateConfigDisplay.
// The end (Terminate, ReleaseExtender, release) runs in the destructor.
#include <memory>
#include <string>

#include "host/acq_module.h"
#include "platform/loader/component_loader.h"
#include "platform/loader/reference_host.h"

namespace loader {

struct SessionOptions {
    HostOptions host;
    std::string library = DefaultLibraryPath();
    bool autoClearResults = true;  // the user's "AutoClearResults" setting
    bool createRight = true;       // the user's "Create" right on "CProcess"
};

// The instrument information a host hands over for the simulated instrument:
// type and serial from the server, parameters under the environment's
// instrument keys plus "InstFirmRev".
std::shared_ptr<host::InstrumentInfo> SimulatedInstrumentInfo(ReferenceHost& host);

class HostSession {
  public:
    // Raises host::Error naming the step that failed, with its error number and text.
    explicit HostSession(const SessionOptions& options);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    ReferenceHost& Host() { return *host_; }
    std::shared_ptr<ReferenceHost> SharedHost() { return host_; }
    host::IUCVIZari& Control() { return *control_; }
    host::Form& Page() { return control_->Surface(); }
    std::shared_ptr<host::InstrumentInfo> Info() { return info_; }
    // The loaded module's version, as ComponentLibrary::Version tells it.
    std::string ModuleVersion() const { return library_->Version(); }

    // Raises host::Error("<step> failed: <message> (error N)") for a non-zero status.
    void Require(host::Status status, const std::string& step);

  private:
    std::shared_ptr<ComponentLibrary> library_;
    std::shared_ptr<ReferenceHost> host_;
    std::shared_ptr<host::IUCVIZari> control_;
    std::shared_ptr<host::InstrumentInfo> info_;
};

}  // namespace loader
