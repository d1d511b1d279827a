#include "platform/loader/host_session.h"

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/host_texts.h"
#include "platform/kvdova/documents.h"
#include "platform/qnserver/server_factory.h"

namespace loader {
namespace {

// The simulated instrument was last validated on 2026-11-02 (days since
// 1899-12-30): a fixed date, so a method written twice is the same file.
constexpr host::Date kSimulatedValidation{46328.0};

}  // namespace

std::shared_ptr<host::InstrumentInfo> SimulatedInstrumentInfo(ReferenceHost& h) {
    auto server = h.Instruments().CreateServer();
    auto packet = h.Instruments().CreatePacket();
    server->GetInstInfo(*packet);
    auto delivered = h.NewParamSet();
    delivered->LoadFrom(*packet, 0);
    auto text = [&](const char* key) {
        return delivered->IndexOf(key) > 0 ? delivered->ValueOf(key).ToString() : std::string();
    };
    auto info = h.NewInstrumentInfo();
    info->SetType(text("InstType"));
    info->SetSerial(text("InstSerial"));
    auto& env = h.Environment();
    auto add = [&](const std::string& key, std::int32_t type, const host::Variant& v) {
        host::ParamDef d;
        d.id = key;
        d.dataType = type;
        info->AddParam(d, v);
    };
    add(env.InstNameKey(), host::kTypeText, host::Variant("Simulated plate reader"));
    add(env.InstIdKey(), host::kTypeText, host::Variant(text("InstSerial")));
    add(env.InstTypeKey(), host::kTypeText, host::Variant(text("InstType")));
    add(env.LastValidationKey(), host::kTypeDate, host::Variant(kSimulatedValidation));
    add("InstFirmRev", host::kTypeText, host::Variant(text("Firmware")));
    return info;
}

HostSession::HostSession(const SessionOptions& o) {
    host_ = std::make_shared<ReferenceHost>(o.host);
    library_ = ComponentLibrary::Open(o.library, &host_->Texts());
    control_ = library_->CreateControl(host_);
    auto cfg = kvdova::NewUserConfig();
    host::ParamDef autoClear;
    autoClear.id = "AutoClearResults";
    autoClear.dataType = host::kTypeBoolean;
    cfg->Settings()->Add(autoClear, host::Variant(o.autoClearResults));
    auto rights =
        o.createRight ? kvdova::NewUserRights({{"CProcess", "Create"}}) : kvdova::NewUserRights();
    Require(control_->SetupModule(cfg, rights), "SetupModule");
    info_ = SimulatedInstrumentInfo(*host_);
    Require(control_->SetInstrument(1, info_), "SetInstrument");
    control_->AvailPages();
    control_->DisplayPage(1, host::kVFalse);
    control_->LocalizeControl();
    Require(control_->UpdateConfigDisplay(), "UpdateConfigDisplay");
}

HostSession::~HostSession() {
    try {
        if (control_) {
            control_->Terminate();
            control_->ReleaseExtender();
        }
    } catch (...) {
    }
    control_.reset();
    library_.reset();
}

void HostSession::Require(host::Status status, const std::string& step) {
    if (status == 0) return;
    throw host::Error(status, kvbase::Say(&host_->Texts(), "{} failed: {} (error {})", step,
                                          host_->Errors().MessageText(status), status));
}

}  // namespace loader
