#pragma once
// The reference host: every service, document factory, control factory and the
// simulated instrument, assembled from the platform stand-ins. The command-line
// and desktop hosts and the scenario tests run the module against it.
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "host/host.h"
#include "platform/loader/routed_instruments.h"
#include "platform/loader/timed_instruments.h"
#include "platform/remote/remote_factory.h"

namespace kvbase {
class ConsoleProgress;
class ErrorRegistry;
}  // namespace kvbase
namespace controls {
class HeadlessFileDialogs;
class ControlFactory;
}  // namespace controls
namespace qnserver {
class ServerFactory;
}

namespace loader {

struct HostOptions {
    std::string cataloguePath = ORVE_DEFAULT_CATALOGUE;  // empty: no catalogue (defaults only)
    bool realtime = false;                               // real clock instead of the virtual one
    double speed = 1.0;  // the real clock's speed: physical times divided by it (demos, tests)
    std::ostream* progressOut = nullptr;  // progress and messages; nullptr: silent
    std::vector<std::string> simFaults;   // fault rules for the simulator
    std::string transcriptPath;           // simulator transcript file; empty: none
    std::string platePath;                // well concentrations; empty: built-in plate
    std::uint32_t seed = 20261208;        // noise of the simulated detector
    ServerCallObserver serverCalls;       // told of every instrument server call; empty: none
    // An instrument server program to use instead of the embedded simulator
    // (no address: the simulator). Its runs wait on the real clock.
    remote::ClientOptions server;
    CallRunner instrumentCalls;  // makes every instrument server call; empty: the caller
};

class ReferenceHost : public host::Host {
  public:
    // Raises host::Error when the catalogue, plate or fault rules are malformed,
    // when the server's address or TLS files are not usable, and for simulator
    // settings (fault rules, transcript, plate) given with a server.
    explicit ReferenceHost(const HostOptions& options);
    ~ReferenceHost() override;

    host::ErrorService& Errors() override;
    host::TextCatalog& Texts() override;
    host::NumberFormat& Numbers() override;
    host::ProgressDisplay& Progress() override;
    host::StringTools& Strings() override;
    host::AcqEnvironment& Environment() override;
    host::MathTools& Math() override;
    host::PathTools& Paths() override;
    host::Clock& GetClock() override;
    host::ControlFactory& Controls() override;
    host::Clipboard& GetClipboard() override;
    host::FileDialogs& Dialogs() override;
    host::InstrumentServerFactory& Instruments() override;

    std::shared_ptr<host::PageList> NewPageList() override;
    std::shared_ptr<host::ParamSet> NewParamSet() override;
    std::shared_ptr<host::ParamDefList> NewParamDefList() override;
    std::shared_ptr<host::ResultDefList> NewResultDefList() override;
    std::shared_ptr<host::MethodObject> NewMethodObject() override;
    std::shared_ptr<host::ResultRecord> NewResultRecord() override;
    std::shared_ptr<host::InstrumentInfo> NewInstrumentInfo() override;
    std::shared_ptr<host::AcqData> NewAcqData() override;

    // A desktop host replaces the terminal's progress display, save dialog and
    // clipboard with its own (nullptr returns to the stand-in). They must
    // outlive every control created with this host.
    void UseProgress(host::ProgressDisplay* progress) { progress_ = progress; }
    void UseDialogs(host::FileDialogs* dialogs) { dialogs_ = dialogs; }
    void UseClipboard(host::Clipboard* clipboard) { clipboard_ = clipboard; }

    // The concrete stand-ins, for hosts and tests that steer them.
    kvbase::ConsoleProgress& Console();
    controls::HeadlessFileDialogs& HeadlessDialogs();
    controls::ControlFactory& Factory();
    qnserver::ServerFactory& Simulator();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    host::ProgressDisplay* progress_ = nullptr;
    host::FileDialogs* dialogs_ = nullptr;
    host::Clipboard* clipboard_ = nullptr;
};

}  // namespace loader
