// A host whose services and factories fail, one at a time: every operation
// of the control answers with its error number (or its policy's silence),
// never a crash. The address sanitizer turns a null dereference into a failed
// run, so surviving here is the assertion that matters.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/context.h"
#include "host/error.h"
#include "module/class_factory.h"
#include "module/ucvizari.h"
#include "platform/kvdova/curve_info.h"
#include "platform/kvdova/documents.h"
#include "platform/loader/host_session.h"
#include "platform/loader/reference_host.h"

namespace {

constexpr host::Status kErrBroken = 0x7FFF7E01;

[[noreturn]] void Broken(const std::string& what) {
    throw host::Error(kErrBroken, what + " is not available");
}

// The one thing that fails; everything else forwards to the reference host.
enum class Fault {
    None,
    // services: the accessor raises
    Errors,
    Texts,
    Numbers,
    Progress,
    Strings,
    Environment,
    Math,
    Paths,
    Clock,
    Controls,
    Clipboard,
    Dialogs,
    Instruments,
    // document factories: the host hands back nothing
    PageList,
    ParamSet,
    ParamDefList,
    ResultDefList,
    MethodObject,
    ResultRecord,
    InstrumentInfo,
    AcqData,
    // objects that services hand back: nothing
    LocaleCatalog,
    InstrumentServer,
    DataPacket,
    ParamDef,
    ResultDef,
    Count
};

class BrokenTexts : public host::TextCatalog {
  public:
    BrokenTexts(host::TextCatalog& inner, const Fault& fault) : inner_(inner), fault_(fault) {}
    std::string Text(const std::string& key, const std::string& def) const override {
        return inner_.Text(key, def);
    }
    std::shared_ptr<host::LocaleNode> LocaleCatalog() const override {
        return fault_ == Fault::LocaleCatalog ? nullptr : inner_.LocaleCatalog();
    }
    void ApplyText(host::Control& control, const std::string& property,
                   const std::string& text) const override {
        inner_.ApplyText(control, property, text);
    }

  private:
    host::TextCatalog& inner_;
    const Fault& fault_;
};

class BrokenInstruments : public host::InstrumentServerFactory {
  public:
    BrokenInstruments(host::InstrumentServerFactory& inner, const Fault& fault)
        : inner_(inner), fault_(fault) {}
    std::shared_ptr<host::InstrumentServer> CreateServer() override {
        return fault_ == Fault::InstrumentServer ? nullptr : inner_.CreateServer();
    }
    std::shared_ptr<host::DataPacket> CreatePacket() override {
        return fault_ == Fault::DataPacket ? nullptr : inner_.CreatePacket();
    }

  private:
    host::InstrumentServerFactory& inner_;
    const Fault& fault_;
};

class BrokenProgress : public host::ProgressDisplay {
  public:
    BrokenProgress(host::ProgressDisplay& inner, const Fault& fault)
        : inner_(inner), fault_(fault) {}
    void Wait(double seconds) override { inner_.Wait(seconds); }
    bool AbortRequested() const override { return inner_.AbortRequested(); }
    std::int32_t AbortErrorCode() const override { return inner_.AbortErrorCode(); }
    void ClearAbort() override { inner_.ClearAbort(); }
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
        if (fault_ == Fault::ParamDef) return nullptr;
        return inner_.CreateParamDef(id, valueType, caption, unit, ctrlType, format, text1, text2,
                                     locked, flag1, flag2);
    }
    std::shared_ptr<host::ResultDef> CreateResultDef(const std::string& id, std::int32_t valueType,
                                                     const std::string& caption,
                                                     const std::string& unit,
                                                     const std::string& format) override {
        if (fault_ == Fault::ResultDef) return nullptr;
        return inner_.CreateResultDef(id, valueType, caption, unit, format);
    }

  private:
    host::ProgressDisplay& inner_;
    const Fault& fault_;
};

class BrokenHost : public host::Host {
  public:
    explicit BrokenHost(loader::ReferenceHost& inner)
        : inner_(inner),
          texts_(inner.Texts(), fault),
          instruments_(inner.Instruments(), fault),
          progress_(inner.Progress(), fault) {}

    Fault fault = Fault::None;

    host::ErrorService& Errors() override { return Service(Fault::Errors, inner_.Errors()); }
    host::TextCatalog& Texts() override { return Service<host::TextCatalog>(Fault::Texts, texts_); }
    host::NumberFormat& Numbers() override { return Service(Fault::Numbers, inner_.Numbers()); }
    host::ProgressDisplay& Progress() override {
        return Service<host::ProgressDisplay>(Fault::Progress, progress_);
    }
    host::StringTools& Strings() override { return Service(Fault::Strings, inner_.Strings()); }
    host::AcqEnvironment& Environment() override {
        return Service(Fault::Environment, inner_.Environment());
    }
    host::MathTools& Math() override { return Service(Fault::Math, inner_.Math()); }
    host::PathTools& Paths() override { return Service(Fault::Paths, inner_.Paths()); }
    host::Clock& GetClock() override { return Service(Fault::Clock, inner_.GetClock()); }
    host::ControlFactory& Controls() override {
        return Service(Fault::Controls, inner_.Controls());
    }
    host::Clipboard& GetClipboard() override {
        return Service(Fault::Clipboard, inner_.GetClipboard());
    }
    host::FileDialogs& Dialogs() override { return Service(Fault::Dialogs, inner_.Dialogs()); }
    host::InstrumentServerFactory& Instruments() override {
        return Service<host::InstrumentServerFactory>(Fault::Instruments, instruments_);
    }

    std::shared_ptr<host::PageList> NewPageList() override {
        return Made(Fault::PageList, [&] { return inner_.NewPageList(); });
    }
    std::shared_ptr<host::ParamSet> NewParamSet() override {
        return Made(Fault::ParamSet, [&] { return inner_.NewParamSet(); });
    }
    std::shared_ptr<host::ParamDefList> NewParamDefList() override {
        return Made(Fault::ParamDefList, [&] { return inner_.NewParamDefList(); });
    }
    std::shared_ptr<host::ResultDefList> NewResultDefList() override {
        return Made(Fault::ResultDefList, [&] { return inner_.NewResultDefList(); });
    }
    std::shared_ptr<host::MethodObject> NewMethodObject() override {
        return Made(Fault::MethodObject, [&] { return inner_.NewMethodObject(); });
    }
    std::shared_ptr<host::ResultRecord> NewResultRecord() override {
        return Made(Fault::ResultRecord, [&] { return inner_.NewResultRecord(); });
    }
    std::shared_ptr<host::InstrumentInfo> NewInstrumentInfo() override {
        return Made(Fault::InstrumentInfo, [&] { return inner_.NewInstrumentInfo(); });
    }
    std::shared_ptr<host::AcqData> NewAcqData() override {
        return Made(Fault::AcqData, [&] { return inner_.NewAcqData(); });
    }

  private:
    template <class T>
    T& Service(Fault which, T& service) {
        if (fault == which) Broken("a host service");
        return service;
    }
    template <class F>
    auto Made(Fault which, F&& make) -> decltype(make()) {
        if (fault == which) return nullptr;
        return make();
    }

    loader::ReferenceHost& inner_;
    BrokenTexts texts_;
    BrokenInstruments instruments_;
    BrokenProgress progress_;
};

class BrokenHostTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        loader::HostOptions o;
        o.cataloguePath = std::string(ORVE_SOURCE_DIR) + "/examples/catalogue-de.json";
        inner_ = std::make_shared<loader::ReferenceHost>(o);
        broken_ = std::make_shared<BrokenHost>(*inner_);
    }
    void TearDown() override {
        control_.reset();
        host::SetCurrentHost(nullptr);
    }
    Fault Which() const { return static_cast<Fault>(GetParam()); }

    // A method of two positions, written by a control on a sound host.
    std::shared_ptr<host::MethodObject> SoundMethod() {
        auto control = module::TheClassFactory().CreateInstance(inner_);
        control->SetInstrument(1, loader::SimulatedInstrumentInfo(*inner_));
        control->UpdateConfigDisplay();
        control->ClearMethod();
        auto m = inner_->NewMethodObject();
        EXPECT_EQ(control->UpdateMethod(m), 0);
        control->ReleaseExtender();
        return m;
    }

    // Every operation in the interface's order. A status-returning one must
    // return, never raise; the three without a trap may raise host::Error.
    void DriveAll(const std::shared_ptr<host::MethodObject>& method) {
        auto& c = *control_;
        auto sample = kvdova::NewParamSet();
        host::ParamDef id;
        id.id = inner_->Environment().SampleIdKey();
        id.dataType = host::kTypeText;
        sample->Add(id, host::Variant("S1"));
        auto data = inner_->NewAcqData();
        auto cfg = kvdova::NewUserConfig();
        auto rights = kvdova::NewUserRights({{"CProcess", "Create"}});
        auto info = loader::SimulatedInstrumentInfo(*inner_);
        const std::vector<std::pair<const char*, std::function<void()>>> ops = {
            {"AvailPages", [&] { MayRaise([&] { c.AvailPages(); }); }},
            {"DisplayPage", [&] { c.DisplayPage(1, host::kVFalse); }},
            {"SetupModule", [&] { c.SetupModule(cfg, rights); }},
            {"NrUsedInstruments", [&] { EXPECT_EQ(c.NrUsedInstruments(), 1); }},
            {"UsedInstType", [&] { EXPECT_EQ(c.UsedInstType(1), "ORVE"); }},
            {"SetInstrument", [&] { c.SetInstrument(1, info); }},
            {"LocalizeControl", [&] { c.LocalizeControl(); }},
            {"UpdateConfigDisplay", [&] { c.UpdateConfigDisplay(); }},
            {"ClearMethod", [&] { c.ClearMethod(); }},
            {"LoadMethod", [&] { c.LoadMethod(method); }},
            {"UpdateMethod", [&] { c.UpdateMethod(inner_->NewMethodObject()); }},
            {"InitMeasurement", [&] { c.InitMeasurement(method, data); }},
            {"MeasureSample", [&] { c.MeasureSample(method, 1, 1, sample); }},
            {"ExitMeasurement", [&] { EXPECT_EQ(c.ExitMeasurement(method), 0); }},
            {"MeasureSetup",
             [&] {
                 std::int32_t idx = 7;
                 MayRaise([&] { c.MeasureSetup(1, 1, sample, idx); });
                 EXPECT_EQ(idx, 7);
             }},
            {"CorrectionRequired", [&] { EXPECT_EQ(c.CorrectionRequired(method, data), 0); }},
            {"MeasureCorrection", [&] { EXPECT_EQ(c.MeasureCorrection(method, data), 0); }},
            {"ClearAcqData", [&] { c.ClearAcqData(); }},
            {"LoadAcqData", [&] { c.LoadAcqData(data); }},
            {"GetSelectedCurves",
             [&] {
                 c.GetSelectedCurves(std::make_shared<kvdova::CurveInfo>(),
                                     std::make_shared<kvdova::CurveInfo>());
             }},
            {"HandleMenuCommand", [&] { c.HandleMenuCommand("Spread", "Copy"); }},
            {"Terminate", [&] { EXPECT_EQ(c.Terminate(), 0); }},
            {"ReleaseExtender", [&] { c.ReleaseExtender(); }},
        };
        ASSERT_EQ(ops.size(), 23u);
        for (const auto& [name, op] : ops) {
            SCOPED_TRACE(name);
            try {
                op();
            } catch (const std::exception& e) {
                ADD_FAILURE() << name << " raised: " << e.what();
            }
        }
    }
    static void MayRaise(const std::function<void()>& op) {
        try {
            op();
        } catch (const host::Error&) {
        }
    }

    std::shared_ptr<loader::ReferenceHost> inner_;
    std::shared_ptr<BrokenHost> broken_;
    std::shared_ptr<host::IUCVIZari> control_;
};

// The fault is there from the control's creation on: whatever the creation
// could not make stays missing, and every later use of it is an error.
TEST_P(BrokenHostTest, FromCreationEveryOperationAnswers) {
    auto method = SoundMethod();
    broken_->fault = Which();
    try {
        control_ = module::TheClassFactory().CreateInstance(broken_);
    } catch (const host::Error&) {
        // Only a library start that cannot register its errors, or a creation
        // that cannot build the page at all, is refused; every other missing
        // part is an error where it is used.
        EXPECT_TRUE(Which() == Fault::Errors || Which() == Fault::Controls)
            << static_cast<int>(Which());
        return;
    }
    DriveAll(method);
}

// The fault appears after a sound start: the control was set up, measured
// nothing yet, and now the host loses one of its parts.
TEST_P(BrokenHostTest, AfterASoundStartEveryOperationAnswers) {
    auto method = SoundMethod();
    control_ = module::TheClassFactory().CreateInstance(broken_);
    ASSERT_EQ(control_->SetInstrument(1, loader::SimulatedInstrumentInfo(*inner_)), 0);
    ASSERT_EQ(control_->UpdateConfigDisplay(), 0);
    broken_->fault = Which();
    DriveAll(method);
}

INSTANTIATE_TEST_SUITE_P(EachFault, BrokenHostTest,
                         ::testing::Range(static_cast<int>(Fault::None),
                                          static_cast<int>(Fault::Count)));

TEST(BrokenHostArguments, NoInstrumentInformationIsRefusedAndNothingIsReplaced) {
    auto host = std::make_shared<loader::ReferenceHost>(loader::HostOptions{});
    auto control = module::TheClassFactory().CreateInstance(host);
    auto* uc = static_cast<module::UCVIZari*>(control.get());
    const auto before = uc->InstInfo();
    EXPECT_NE(control->SetInstrument(1, nullptr), 0);
    EXPECT_EQ(uc->InstInfo(), before);
    EXPECT_FALSE(uc->HasProxy());
    EXPECT_NE(control->UpdateConfigDisplay(), 0);
    control.reset();
    host::SetCurrentHost(nullptr);
}

}  // namespace
