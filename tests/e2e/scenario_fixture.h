#pragma once
// A control on the reference host with the simulated instrument set and the
// configuration refreshed, as a host leaves it before it measures.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/context.h"
#include "method_document.h"
#include "module/class_factory.h"
#include "module/ucvizari.h"
#include "platform/kvbase/progress.h"
#include "platform/kvdova/documents.h"
#include "platform/loader/host_session.h"
#include "platform/loader/reference_host.h"
#include "platform/qnserver/server_factory.h"

class ScenarioTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host_ = std::make_shared<loader::ReferenceHost>(loader::HostOptions{});
        host_->Simulator().GetInstrument().GetTranscript().SetStream(&transcript_);
        control_ = module::TheClassFactory().CreateInstance(host_);
        uc_ = static_cast<module::UCVIZari*>(control_.get());
        control_->Advise(&sink_);
        auto cfg = kvdova::NewUserConfig();
        host::ParamDef d;
        d.id = "AutoClearResults";
        d.dataType = host::kTypeBoolean;
        cfg->Settings()->Add(d, host::Variant(!noAutoClear_));
        ASSERT_EQ(control_->SetupModule(cfg, kvdova::NewUserRights({{"CProcess", "Create"}})), 0);
        ASSERT_EQ(control_->SetInstrument(1, loader::SimulatedInstrumentInfo(*host_)), 0);
        ASSERT_EQ(control_->UpdateConfigDisplay(), 0);
        control_->ClearMethod();
    }
    void TearDown() override {
        control_->Advise(nullptr);
        control_.reset();
        host::SetCurrentHost(nullptr);
    }

    // A method as the page would store it, with its setup values and positions.
    std::shared_ptr<host::MethodObject> Method(const std::vector<Position>& positions,
                                               const std::string& lumMode = "Fluor",
                                               bool autoLamp = true) {
        MethodSetup setup;
        setup.lumMode = lumMode;
        setup.autoLamp = autoLamp;
        return MethodDocument(*host_, positions, setup);
    }

    std::shared_ptr<host::ParamSet> Sample(const std::string& id) {
        auto s = host_->NewParamSet();
        host::ParamDef d;
        d.id = host_->Environment().SampleIdKey();
        s->Add(d, host::Variant(id));
        return s;
    }

    // Transcript lines sent ("> ...") since the last call.
    std::vector<std::string> Sent() {
        std::vector<std::string> lines;
        std::istringstream in(transcript_.str().substr(consumed_));
        consumed_ = transcript_.str().size();
        for (std::string l; std::getline(in, l);)
            if (l.rfind("> ", 0) == 0) lines.push_back(l.substr(2));
        return lines;
    }
    void Fault(const std::string& rule) { host_->Simulator().GetInstrument().AddFaultRule(rule); }

    struct Sink : host::IUCVIZariEvents {
        int newData = 0;
        void GraphSelected(std::int32_t) override {}
        void SpreadSelected(std::int32_t) override {}
        void NewDataAvail() override { ++newData; }
    } sink_;

    bool noAutoClear_ = false;
    std::ostringstream transcript_;
    std::size_t consumed_ = 0;
    std::shared_ptr<loader::ReferenceHost> host_;
    std::shared_ptr<host::IUCVIZari> control_;
    module::UCVIZari* uc_ = nullptr;
};

inline bool Contains(const std::vector<std::string>& v, const std::string& s) {
    for (const auto& x : v)
        if (x == s) return true;
    return false;
}
