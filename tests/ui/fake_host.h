#pragma once
// The host of the ui and method tests: the real base services (silent
// progress display on a virtual clock, empty text catalogue unless a test
// loads one) and the headless save dialog. Anything else raises.
#include <memory>
#include <sstream>
#include <string>

#include "host/context.h"
#include "host/error.h"
#include "host/host.h"
#include "platform/controls/file_dialogs.h"
#include "platform/kvbase/acq_environment.h"
#include "platform/kvbase/catalog.h"
#include "platform/kvbase/clock.h"
#include "platform/kvbase/error_registry.h"
#include "platform/kvbase/number_format.h"
#include "platform/kvbase/progress.h"
#include "platform/kvbase/string_tools.h"
#include "platform/kvbase/tools.h"

namespace testhost {

[[noreturn]] inline void Missing(const char* what) {
    throw host::Error(host::kErrUnexpected, std::string(what) + " is not part of this test host");
}

class TestHost : public host::Host {
  public:
    TestHost() { progress.SetVerbose(false); }

    host::ErrorService& Errors() override { return errors; }
    host::TextCatalog& Texts() override { return texts; }
    host::NumberFormat& Numbers() override { return numbers; }
    host::ProgressDisplay& Progress() override { return progress; }
    host::StringTools& Strings() override { return strings; }
    host::AcqEnvironment& Environment() override { return environment; }
    host::MathTools& Math() override { return math; }
    host::PathTools& Paths() override { return paths; }
    host::Clock& GetClock() override { return clock; }
    host::ControlFactory& Controls() override { Missing("ControlFactory"); }
    host::Clipboard& GetClipboard() override { Missing("Clipboard"); }
    host::FileDialogs& Dialogs() override { return dialogs; }
    host::InstrumentServerFactory& Instruments() override { Missing("InstrumentServerFactory"); }

    std::shared_ptr<host::PageList> NewPageList() override { Missing("PageList"); }
    std::shared_ptr<host::ParamSet> NewParamSet() override { Missing("ParamSet"); }
    std::shared_ptr<host::ParamDefList> NewParamDefList() override { Missing("ParamDefList"); }
    std::shared_ptr<host::ResultDefList> NewResultDefList() override { Missing("ResultDefList"); }
    std::shared_ptr<host::MethodObject> NewMethodObject() override { Missing("MethodObject"); }
    std::shared_ptr<host::ResultRecord> NewResultRecord() override { Missing("ResultRecord"); }
    std::shared_ptr<host::InstrumentInfo> NewInstrumentInfo() override {
        Missing("InstrumentInfo");
    }
    std::shared_ptr<host::AcqData> NewAcqData() override { Missing("AcqData"); }

    kvbase::ErrorRegistry errors;
    kvbase::Catalog texts;
    kvbase::Numbers numbers;
    kvbase::VirtualClock clock;
    std::ostringstream printed;
    kvbase::ConsoleProgress progress{clock, printed, errors};
    kvbase::Strings strings;
    kvbase::Environment environment;
    kvbase::Math math;
    kvbase::Paths paths;
    controls::HeadlessFileDialogs dialogs;
};

// Hands a fresh TestHost to the module for the test's thread and takes it back at the end.
class ScopedHost {
  public:
    ScopedHost() : host_(std::make_shared<TestHost>()) { host::SetCurrentHost(host_); }
    ~ScopedHost() { host::SetCurrentHost(nullptr); }
    ScopedHost(const ScopedHost&) = delete;
    ScopedHost& operator=(const ScopedHost&) = delete;
    TestHost& operator*() const { return *host_; }
    TestHost* operator->() const { return host_.get(); }

  private:
    std::shared_ptr<TestHost> host_;
};

}  // namespace testhost
