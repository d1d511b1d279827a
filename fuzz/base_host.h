#pragma once
// A host made of the base services only, new for every input so that no
// registration or state of one input leaks into the next. Documents, controls
// and dialogs are not offered; an instrument factory can be plugged in.
#include <memory>
#include <sstream>

#include "host/host.h"
#include "platform/kvbase/acq_environment.h"
#include "platform/kvbase/catalog.h"
#include "platform/kvbase/clock.h"
#include "platform/kvbase/error_registry.h"
#include "platform/kvbase/number_format.h"
#include "platform/kvbase/progress.h"
#include "platform/kvbase/string_tools.h"
#include "platform/kvbase/tools.h"

namespace fuzz {

class BaseHost : public host::Host {
  public:
    BaseHost();

    host::ErrorService& Errors() override { return errors_; }
    host::TextCatalog& Texts() override { return texts_; }
    host::NumberFormat& Numbers() override { return numbers_; }
    host::ProgressDisplay& Progress() override { return progress_; }
    host::StringTools& Strings() override { return strings_; }
    host::AcqEnvironment& Environment() override { return environment_; }
    host::MathTools& Math() override { return math_; }
    host::PathTools& Paths() override { return paths_; }
    host::Clock& GetClock() override { return clock_; }
    host::ControlFactory& Controls() override;
    host::Clipboard& GetClipboard() override;
    host::FileDialogs& Dialogs() override;
    // Raises unless a factory was plugged in.
    host::InstrumentServerFactory& Instruments() override;
    void SetInstruments(host::InstrumentServerFactory* factory) { instruments_ = factory; }

    std::shared_ptr<host::PageList> NewPageList() override;
    std::shared_ptr<host::ParamSet> NewParamSet() override;
    std::shared_ptr<host::ParamDefList> NewParamDefList() override;
    std::shared_ptr<host::ResultDefList> NewResultDefList() override;
    std::shared_ptr<host::MethodObject> NewMethodObject() override;
    std::shared_ptr<host::ResultRecord> NewResultRecord() override;
    std::shared_ptr<host::InstrumentInfo> NewInstrumentInfo() override;
    std::shared_ptr<host::AcqData> NewAcqData() override;

  private:
    kvbase::VirtualClock clock_;
    kvbase::ErrorRegistry errors_;
    kvbase::Catalog texts_;
    kvbase::Numbers numbers_;
    std::ostringstream progressOut_;
    kvbase::ConsoleProgress progress_;
    kvbase::Strings strings_;
    kvbase::Environment environment_;
    kvbase::Math math_;
    kvbase::Paths paths_;
    host::InstrumentServerFactory* instruments_ = nullptr;
};

// Hands a fresh BaseHost to the thread for one input and takes it back after.
class HostScope {
  public:
    HostScope();
    ~HostScope();
    HostScope(const HostScope&) = delete;
    HostScope& operator=(const HostScope&) = delete;

    BaseHost& Host() { return *host_; }

  private:
    std::shared_ptr<BaseHost> host_;
};

}  // namespace fuzz
