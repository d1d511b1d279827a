#pragma once
// A small host for the proxy's tests: the real base services and documents,
// a progress display that records its waits, and an instrument factory the
// test chooses (a recording fake or the simulator).
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

#include "host/context.h"
#include "host/error.h"
#include "host/host.h"
#include "platform/kvbase/acq_environment.h"
#include "platform/kvbase/catalog.h"
#include "platform/kvbase/clock.h"
#include "platform/kvbase/error_registry.h"
#include "platform/kvbase/number_format.h"
#include "platform/kvbase/progress.h"
#include "platform/kvbase/string_tools.h"
#include "platform/kvbase/tools.h"
#include "platform/kvdova/documents.h"

namespace proxytest {

// Waits through the console progress on the virtual clock and records each
// one; it can raise the user's abort after a number of waits.
class RecordingProgress : public host::ProgressDisplay {
  public:
    RecordingProgress(host::Clock& clock, host::ErrorService& errors)
        : inner_(clock, sink_, errors) {
        inner_.SetVerbose(false);
    }
    void Wait(double seconds) override {
        waits.push_back(seconds);
        inner_.Wait(seconds);
        if (abortAfterWaits >= 0 && static_cast<int>(waits.size()) >= abortAfterWaits)
            inner_.RequestAbort();
    }
    bool AbortRequested() const override { return inner_.AbortRequested(); }
    std::int32_t AbortErrorCode() const override { return inner_.AbortErrorCode(); }
    void ClearAbort() override { inner_.ClearAbort(); }
    void RequestAbort() { inner_.RequestAbort(); }
    void ShowProgress(const std::string& text) override { inner_.ShowProgress(text); }
    void ShowMessage(const std::string& text) override { inner_.ShowMessage(text); }
    void ShowStatusText(const std::string& text) override { inner_.ShowStatusText(text); }
    std::shared_ptr<host::ParamDef> CreateParamDef(const std::string& id, std::int32_t valueType,
                                                   const std::string& caption,
                                                   const std::string& unit, std::int32_t ctrlType,
                                                   const std::string& format,
                                                   const std::string& text1,
                                                   const std::string& text2, bool locked,
                                                   bool flag1, bool flag2) override {
        return inner_.CreateParamDef(id, valueType, caption, unit, ctrlType, format, text1, text2,
                                     locked, flag1, flag2);
    }
    std::shared_ptr<host::ResultDef> CreateResultDef(const std::string& id, std::int32_t valueType,
                                                     const std::string& caption,
                                                     const std::string& unit,
                                                     const std::string& format) override {
        return inner_.CreateResultDef(id, valueType, caption, unit, format);
    }

    std::vector<double> waits;
    int abortAfterWaits = -1;

  private:
    std::ostringstream sink_;
    kvbase::ConsoleProgress inner_;
};

class TestHost : public host::Host {
  public:
    kvbase::VirtualClock clock;
    kvbase::ErrorRegistry errors;
    kvbase::Catalog texts = kvbase::Catalog::FromJson(
        R"({"texts": {"ExWl": "Excitation wavelength", "Lamp": "Lampe"}})", "test catalogue");
    kvbase::Numbers numbers;
    RecordingProgress progress{clock, errors};
    kvbase::Strings strings;
    kvbase::Environment environment;
    kvbase::Math math;
    kvbase::Paths paths;
    host::InstrumentServerFactory* instruments = nullptr;

    host::ErrorService& Errors() override { return errors; }
    host::TextCatalog& Texts() override { return texts; }
    host::NumberFormat& Numbers() override { return numbers; }
    host::ProgressDisplay& Progress() override { return progress; }
    host::StringTools& Strings() override { return strings; }
    host::AcqEnvironment& Environment() override { return environment; }
    host::MathTools& Math() override { return math; }
    host::PathTools& Paths() override { return paths; }
    host::Clock& GetClock() override { return clock; }
    host::ControlFactory& Controls() override { throw Unused("controls"); }
    host::Clipboard& GetClipboard() override { throw Unused("clipboard"); }
    host::FileDialogs& Dialogs() override { throw Unused("file dialogs"); }
    host::InstrumentServerFactory& Instruments() override {
        if (!instruments) throw Unused("instrument factory");
        return *instruments;
    }
    std::shared_ptr<host::PageList> NewPageList() override { return kvdova::NewPageList(); }
    std::shared_ptr<host::ParamSet> NewParamSet() override { return kvdova::NewParamSet(); }
    std::shared_ptr<host::ParamDefList> NewParamDefList() override {
        return kvdova::NewParamDefList();
    }
    std::shared_ptr<host::ResultDefList> NewResultDefList() override {
        return kvdova::NewResultDefList();
    }
    std::shared_ptr<host::MethodObject> NewMethodObject() override {
        return kvdova::NewMethodObject();
    }
    std::shared_ptr<host::ResultRecord> NewResultRecord() override {
        return kvdova::NewResultRecord();
    }
    std::shared_ptr<host::InstrumentInfo> NewInstrumentInfo() override {
        return kvdova::NewInstrumentInfo();
    }
    std::shared_ptr<host::AcqData> NewAcqData() override { return kvdova::NewAcqData(); }

  private:
    static host::Error Unused(const char* what) {
        return host::Error(host::kErrUnexpected,
                           std::string("the proxy's test host has no ") + what);
    }
};

// Hands the host to the thread for one test, with the module's offline error registered.
class HostFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        host::SetCurrentHost(host);
        host::CurrentModuleErrors().instOffline =
            host->errors.RegisterError("AcqModule", "InstOffline", "Instrument is offline", false);
    }
    void TearDown() override { host::SetCurrentHost(nullptr); }

    host::Status StatusOfKey(const std::string& key) {
        for (const auto& e : host->errors.Entries())
            if (host::IEquals(e.key, key)) return e.status;
        return 0;
    }

    // The status must be taken before the key is looked up: the reply registers it.
    void ExpectStatusOfKey(host::Status status, const std::string& key) {
        EXPECT_NE(status, 0) << key;
        EXPECT_EQ(status, StatusOfKey(key)) << key;
    }

    std::shared_ptr<TestHost> host = std::make_shared<TestHost>();
};

}  // namespace proxytest
