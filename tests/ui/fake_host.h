#pragma once
// A host for the ui and method tests: the real string tools, number texts and
// acquisition environment, small recording services where a test must see
// exact calls, and the headless save dialog. Anything else raises.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/context.h"
#include "host/error.h"
#include "host/host.h"
#include "platform/controls/file_dialogs.h"
#include "platform/kvbase/acq_environment.h"
#include "platform/kvbase/number_format.h"
#include "platform/kvbase/string_tools.h"

namespace testhost {

[[noreturn]] inline void Missing(const char* what) {
    throw host::Error(host::kErrUnexpected, std::string(what) + " is not part of this test host");
}

class FakePaths : public host::PathTools {
  public:
    std::string InitialDirectory(const std::string& dir) const override {
        asked.push_back(dir);
        return dir.empty() ? home : dir;
    }
    std::string home = "/home/operator";
    mutable std::vector<std::string> asked;
};

class FakeTexts : public host::TextCatalog {
  public:
    std::string Text(const std::string& key, const std::string& def) const override {
        const auto it = texts.find(key);
        return it == texts.end() ? def : it->second;
    }
    std::shared_ptr<host::LocaleNode> LocaleCatalog() const override { Missing("LocaleCatalog"); }
    void ApplyText(host::Control&, const std::string&, const std::string&) const override {
        Missing("ApplyText");
    }
    std::map<std::string, std::string> texts;
};

class FakeProgress : public host::ProgressDisplay {
  public:
    void Wait(double) override { Missing("Wait"); }
    bool AbortRequested() const override { return false; }
    std::int32_t AbortErrorCode() const override { return 0; }
    void ClearAbort() override {}
    void ShowProgress(const std::string&) override {}
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ShowStatusText(const std::string&) override {}
    std::shared_ptr<host::ParamDef> CreateParamDef(const std::string& id, std::int32_t valueType,
                                                   const std::string& caption,
                                                   const std::string& unit, std::int32_t ctrlType,
                                                   const std::string& format,
                                                   const std::string& text1,
                                                   const std::string& text2, bool locked,
                                                   bool flag1, bool flag2) override {
        auto def = std::make_shared<host::ParamDef>();
        def->id = id;
        def->dataType = valueType;
        def->caption = caption;
        def->unit = unit;
        def->ctrlType = ctrlType;
        def->format = format;
        def->text1 = text1;
        def->text2 = text2;
        def->locked = locked;
        def->flag1 = flag1;
        def->flag2 = flag2;
        ++createdDefs;
        return def;
    }
    std::shared_ptr<host::ResultDef> CreateResultDef(const std::string&, std::int32_t,
                                                     const std::string&, const std::string&,
                                                     const std::string&) override {
        Missing("CreateResultDef");
    }
    std::vector<std::string> messages;
    int createdDefs = 0;
};

class FakeErrors : public host::ErrorService {
  public:
    std::int32_t RegisterError(const std::string&, const std::string&, const std::string&,
                               bool) override {
        Missing("RegisterError");
    }
    host::Status StatusOf(std::int32_t code) const override { return code; }
    std::int32_t CodeOfReply(const std::string&, const std::string&) override {
        Missing("CodeOfReply");
    }
    void Check(host::Status status, const std::string& filter) const override {
        checks.emplace_back(status, filter);
        if (status != 0) throw host::Error(status, MessageText(status));
    }
    std::string MessageText(host::Status number) const override {
        return "error " + std::to_string(number);
    }
    void ReportFailedCommand(const std::string&) override {}
    std::vector<std::string> FailedCommands() const override { return {}; }
    std::vector<Entry> Entries() const override { return {}; }
    mutable std::vector<std::pair<host::Status, std::string>> checks;
};

class FakeHost : public host::Host {
  public:
    host::ErrorService& Errors() override { return errors; }
    host::TextCatalog& Texts() override { return texts; }
    host::NumberFormat& Numbers() override { return numbers; }
    host::ProgressDisplay& Progress() override { return progress; }
    host::StringTools& Strings() override { return strings; }
    host::AcqEnvironment& Environment() override { return environment; }
    host::MathTools& Math() override { Missing("MathTools"); }
    host::PathTools& Paths() override { return paths; }
    host::Clock& GetClock() override { Missing("Clock"); }
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

    FakeErrors errors;
    FakeTexts texts;
    kvbase::Numbers numbers;
    FakeProgress progress;
    kvbase::Strings strings;
    kvbase::Environment environment;
    FakePaths paths;
    controls::HeadlessFileDialogs dialogs;
};

// Hands a fresh FakeHost to the module for the test's thread and takes it back at the end.
class ScopedHost {
  public:
    ScopedHost() : host_(std::make_shared<FakeHost>()) { host::SetCurrentHost(host_); }
    ~ScopedHost() { host::SetCurrentHost(nullptr); }
    ScopedHost(const ScopedHost&) = delete;
    ScopedHost& operator=(const ScopedHost&) = delete;
    FakeHost& operator*() const { return *host_; }
    FakeHost* operator->() const { return host_.get(); }

  private:
    std::shared_ptr<FakeHost> host_;
};

}  // namespace testhost
