#pragma once
// A control created through the class factory against the reference host.
#include <gtest/gtest.h>

#include <memory>

#include "host/context.h"
#include "module/class_factory.h"
#include "module/ucvizari.h"
#include "platform/kvdova/documents.h"
#include "platform/loader/reference_host.h"

class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host_ = std::make_shared<loader::ReferenceHost>(Options());
        control_ = module::TheClassFactory().CreateInstance(host_);
        uc_ = static_cast<module::UCVIZari*>(control_.get());
    }
    void TearDown() override {
        control_.reset();
        host::SetCurrentHost(nullptr);
    }
    virtual loader::HostOptions Options() { return {}; }

    std::shared_ptr<host::UserConfig> Config(bool autoClear) {
        auto cfg = kvdova::NewUserConfig();
        host::ParamDef def;
        def.id = "AutoClearResults";
        def.dataType = host::kTypeBoolean;
        cfg->Settings()->Add(def, host::Variant(autoClear));
        return cfg;
    }
    std::shared_ptr<host::UserRights> Rights(bool create) {
        if (create) return kvdova::NewUserRights({{"CProcess", "Create"}});
        return kvdova::NewUserRights();
    }

    std::shared_ptr<loader::ReferenceHost> host_;
    std::shared_ptr<host::IUCVIZari> control_;
    module::UCVIZari* uc_ = nullptr;
};
