#include "module/ucvizari.h"

#include <atomic>
#include <cmath>

#include "host/context.h"
#include "host/error.h"
#include "method/fl_utils.h"
#include "method/method_entries.h"
#include "module/app_name.h"
#include "module/module_errors.h"
#include "proxy/corve_proxy.h"
#include "proxy/trap.h"
#include "ui/page_description.h"

namespace module {
namespace {

std::atomic<std::int32_t> gLive{0};

constexpr host::Status kErrNoInstInfo = 0x7FFF0904;

// Sums of control heights become the setup-area height to the nearest
// integer, halves to even.
std::int32_t RoundHalfEven(double v) {
    return static_cast<std::int32_t>(std::nearbyint(v));
}

// Ends silently at the first failure.
template <class F>
void EndSilently(F&& f) {
    try {
        f();
    } catch (...) {
    }
}

std::shared_ptr<host::Form> BuildPage(host::Host& h) {
    auto form = h.Controls().CreateForm("UCVIZari", "", ui::kControlWidth, ui::kControlHeight);
    form->SetBackColor(ui::kBackColor);
    for (const auto& desc : ui::SetupPageDescription()) form->AddControl(h.Controls().Create(desc));
    return form;
}

}  // namespace

std::int32_t UCVIZari::LiveCount() {
    return gLive.load();
}

UCVIZari::UCVIZari()
    : host_(host::CurrentHost()), form_(BuildPage(host_)), page_(new ui::SetupPage(*form_)) {
    ++gLive;
    results_ = std::make_unique<method::ResultTable>(
        host_, *page_->kvsResult, *page_->kvsScan,
        method::ControlState{noAutoClear_, acqData_, form_->Handle()});
    results_->Connect();
    page_->Connect([this] { results_->SetResultColumns(); }, [this] { AdjustPosition(); });
    page_->SetCopyMethodAction([this] { CopyMethod(); });
    // Creation steps: the first failure ends them silently; the control is still created.
    EndSilently([&] {
        page_->pgSetup->SetLeft(0);
        page_->pgSetup->SetTop(0);
        page_->pnlResult->SetTop(-30);
        entries_.InitEntries();
        CreateInstObjects();
        results_->InitResultTable();
        page_->InitSetupEntries(entries_);
    });
}

UCVIZari::~UCVIZari() {
    results_.reset();
    ReleaseInstObjects();
    acqData_.reset();
    --gLive;
}

// Lets a failure pass: an object the host did not make stays missing, and
// every later use of it raises rather than dereferencing nothing.
void UCVIZari::CreateInstObjects() {
    instInfo_ = host_.NewInstrumentInfo();
    proxy::Required(instInfo_, "instrument information");
    setupDesc_ = host_.NewParamDefList();
    proxy::Required(setupDesc_, "setup description");
    instInfoParams_ = host_.NewParamSet();
    method::DefineInstInfoParams(proxy::Required(instInfoParams_, "parameter set"));
}

// Written out in its stated order rather than left to member destruction.
void UCVIZari::ReleaseInstObjects() noexcept {
    instInfoParams_.reset();
    instInfo_.reset();
    setupDesc_.reset();
    proxy_.reset();
}

// No trap: a failure reaches the host.
std::shared_ptr<host::PageList> UCVIZari::AvailPages() {
    auto list = host_.NewPageList();
    proxy::Required(list, "page list").SetCount(2);
    const char* names[] = {"Setup", "Online"};
    for (std::int32_t n = 1; n <= 2; ++n) {
        list->SetDescriptor(n, host_.Numbers().IntToText(n, "") + ";" +
                                   host_.Texts().Text(names[n - 1], "") + ";" + names[n - 1]);
    }
    return list;
}

// Ends silently at the first failure.
void UCVIZari::DisplayPage(std::int32_t, host::VBool pLocked) {
    EndSilently([&] {
        auto& p = *page_;
        const bool enabled = pLocked == 0;
        const bool right = createRight_ != 0;
        p.pnlSetup->SetEnabled(enabled);
        p.pnlInst->SetEnabled(enabled);
        p.kvsResult->SetEnabled(enabled);
        p.pnlSetup->SetVisible(right);
        p.pnlInst->SetVisible(p.detailsShown && right);
        p.kvpShowDetails->SetVisible(!p.detailsShown && right);
        p.kvpHideDetails->SetVisible(p.detailsShown && right);
        p.setupAreaHeight = 0;
        if (right) p.setupAreaHeight = RoundHalfEven(p.pnlSetup->Geometry().height + 30.0);
        if (p.detailsShown)
            p.setupAreaHeight =
                RoundHalfEven(p.setupAreaHeight + double(p.pnlInst->Geometry().height));
        if (events_) events_->SpreadSelected(0);
        p.ApplyLayout();
    });
}

// Traps every failure and returns its number; flags already set stay.
host::Status UCVIZari::SetupModule(std::shared_ptr<host::UserConfig> pUserCfg,
                                   std::shared_ptr<host::UserRights> pRights) {
    return proxy::Trap([&] {
        if (!pRights)
            throw host::Error(host::kErrUnexpected, "SetupModule needs the user's rights");
        createRight_ = pRights->HasRight("CProcess", "Create") ? -1 : 0;
        if (!pUserCfg)
            throw host::Error(host::kErrUnexpected, "SetupModule needs the user's configuration");
        auto settings = pUserCfg->Settings();
        noAutoClear_ = !settings->ValueOf("AutoClearResults").ToBool();
    });
}

// Traps every failure; the instrument information stays replaced if the proxy
// fails. No information at all is refused before anything is replaced.
host::Status UCVIZari::SetInstrument(std::int32_t pIndex,
                                     std::shared_ptr<host::InstrumentInfo> pInstInfo) {
    return proxy::Trap([&] {
        if (pIndex != 1) return;
        if (!pInstInfo)
            throw host::Error(kErrNoInstInfo,
                              "SetInstrument(1, ...) was handed no instrument information");
        instInfo_ = std::move(pInstInfo);
        proxy_ = std::make_unique<proxy::CORVEProxy>();
    });
}

// Every failure is ignored and the next step runs; only a missing section stops it.
void UCVIZari::LocalizeControl() {
    std::shared_ptr<host::LocaleNode> catalogue, section;
    std::int32_t index = -1;
    try {
        catalogue = host_.Texts().LocaleCatalog();
    } catch (...) {
    }
    try {
        if (catalogue) index = catalogue->SectionIndex(AppName() + "#UCVIZari");
    } catch (...) {
    }
    if (index < 0) return;
    try {
        section = catalogue->Section(index);
    } catch (...) {
    }
    for (const auto& control : form_->Controls()) {
        if (!section || !control) continue;  // nothing to apply, or nothing to apply it to
        std::shared_ptr<host::LocaleNode> entry;
        try {
            std::string indexText;
            if (control->InArray()) indexText = std::to_string(control->ArrayIndex());
            entry = section->ControlEntry(control->Name(), indexText);
        } catch (...) {
        }
        if (!entry) continue;
        std::int32_t count = 0;
        try {
            count = entry->PropertyCount();
        } catch (...) {
        }
        for (std::int32_t j = 1; j <= count; ++j) {
            try {
                host_.Texts().ApplyText(*control, entry->PropertyName(j), entry->PropertyText(j));
            } catch (...) {
            }
        }
    }
    try {
        page_->ucorve->Localize();
    } catch (...) {
    }
}

// Traps every failure, stops at it and returns its number; steps done stay done.
host::Status UCVIZari::UpdateConfigDisplay() {
    return proxy::Trap([&] {
        auto& setupDesc = proxy::Required(setupDesc_, "setup description");
        Proxy().GetInstSetupDesc(setupDesc);
        auto& u = *page_->ucorve;
        u.SetInstrumentInfo(instInfo_);
        u.Update();
        u.SetSetupDescription(setupDesc_);
        u.SetMode(2);
        auto& instInfo = proxy::Required(instInfo_, "instrument information");
        proxy::Required(instInfoParams_, "parameter set")
            .TakeValues(proxy::Required(instInfo.Params(), "instrument parameters"));
        page_->ApplySetupRanges(setupDesc);
        page_->ApplyLayout();
    });
}

// No trap: the stable "InvMode" status; pSetupIdx is left unchanged.
host::Status UCVIZari::MeasureSetup(host::ResultType, std::int32_t, std::shared_ptr<host::ParamSet>,
                                    std::int32_t&) {
    return host_.Errors().StatusOf(host::CurrentModuleErrors().invMode);
}

// The result table states each failure policy.
void UCVIZari::ClearAcqData() {
    results_->ClearAcqData();
}

host::Status UCVIZari::LoadAcqData(std::shared_ptr<host::AcqData> pData) {
    return results_->LoadAcqData(pData);
}

void UCVIZari::GetSelectedCurves(std::shared_ptr<host::CurveInfo> pInfo,
                                 std::shared_ptr<host::CurveInfo> pCurve) {
    results_->GetSelectedCurves(pInfo, pCurve);
}

void UCVIZari::HandleMenuCommand(const std::string& pType, const std::string& pCommand) {
    results_->HandleMenuCommand(pType, pCommand);
}

// Every failure is ignored: each control on its own, then the entry table.
void UCVIZari::ReleaseExtender() {
    for (const auto& control : form_->Controls()) {
        try {
            control->CallByName("ReleaseExtender");
        } catch (...) {
        }
    }
    try {
        entries_.ClearEntries();
    } catch (...) {
    }
}

}  // namespace module
