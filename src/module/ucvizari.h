#pragma once
// The user control UCVIZari: the module's only public class.
#include <cstdint>
#include <memory>
#include <string>

#include "host/acq_module.h"
#include "method/method_entries.h"
#include "method/result_table.h"
#include "ui/setup_page.h"

namespace proxy {
class CORVEProxy;
}

namespace module {

class UCVIZari final : public host::IUCVIZari {
  public:
    // Creation: the page, then the creation steps (each failure ends them silently).
    UCVIZari();
    ~UCVIZari() override;
    UCVIZari(const UCVIZari&) = delete;
    UCVIZari& operator=(const UCVIZari&) = delete;

    std::shared_ptr<host::PageList> AvailPages() override;
    void DisplayPage(std::int32_t pPageID, host::VBool pLocked) override;
    host::Status SetupModule(std::shared_ptr<host::UserConfig> pUserCfg,
                             std::shared_ptr<host::UserRights> pRights) override;
    std::int32_t NrUsedInstruments() override { return 1; }
    std::string UsedInstType(std::int32_t) override { return "ORVE"; }
    host::Status SetInstrument(std::int32_t pIndex,
                               std::shared_ptr<host::InstrumentInfo> pInstInfo) override;
    void LocalizeControl() override;
    host::Status UpdateConfigDisplay() override;
    void ClearMethod() override;
    host::Status LoadMethod(std::shared_ptr<host::MethodObject> pMethod) override;
    host::Status UpdateMethod(std::shared_ptr<host::MethodObject> pMethod) override;
    host::Status InitMeasurement(std::shared_ptr<host::MethodObject> pMethod,
                                 std::shared_ptr<host::AcqData> pAcqData) override;
    host::Status ExitMeasurement(std::shared_ptr<host::MethodObject> pMethod) override;
    host::Status MeasureSample(std::shared_ptr<host::MethodObject> pMethod,
                               host::ResultType pResType, std::int32_t pSampleNo,
                               std::shared_ptr<host::ParamSet> pSampleInfo) override;
    host::Status MeasureSetup(host::ResultType pResType, std::int32_t pSampleNo,
                              std::shared_ptr<host::ParamSet> pSampleInfo,
                              std::int32_t& pSetupIdx) override;
    host::VBool CorrectionRequired(std::shared_ptr<host::MethodObject>,
                                   std::shared_ptr<host::AcqData>) override {
        return host::kVFalse;
    }
    host::Status MeasureCorrection(std::shared_ptr<host::MethodObject>,
                                   std::shared_ptr<host::AcqData>) override {
        return 0;
    }
    void ClearAcqData() override;
    host::Status LoadAcqData(std::shared_ptr<host::AcqData> pData) override;
    void GetSelectedCurves(std::shared_ptr<host::CurveInfo> pInfo,
                           std::shared_ptr<host::CurveInfo> pCurve) override;
    void HandleMenuCommand(const std::string& pType, const std::string& pCommand) override;
    host::Status Terminate() override { return 0; }
    void ReleaseExtender() override;

    host::Form& Surface() override { return *form_; }
    void Advise(host::IUCVIZariEvents* sink) override { events_ = sink; }

    // Read-only views of the control state, for hosts' diagnostics and tests.
    bool CreateRight() const { return createRight_ != 0; }
    bool NoAutoClear() const { return noAutoClear_; }
    const ui::SetupPage& Page() const { return *page_; }
    ui::SetupPage& Page() { return *page_; }
    const std::string& MethodName() const { return methodName_; }
    bool HasProxy() const { return proxy_ != nullptr; }
    std::shared_ptr<host::InstrumentInfo> InstInfo() const { return instInfo_; }
    std::shared_ptr<host::ParamSet> InstInfoParams() const { return instInfoParams_; }
    std::shared_ptr<host::ParamDefList> SetupDescription() const { return setupDesc_; }
    std::shared_ptr<host::AcqData> CurrentAcqData() const { return acqData_; }

    // Number of controls alive in this process (the library may unload at 0).
    static std::int32_t LiveCount();

  private:
    void CreateInstObjects();
    proxy::CORVEProxy& Proxy();  // raises without an instrument
    host::AcqData& AcqDataOrRaise();
    host::Status PrepareMeasurement(const std::shared_ptr<host::MethodObject>& method,
                                    const std::shared_ptr<host::AcqData>& acqData);
    host::Status MeasurePositions(const std::shared_ptr<host::MethodObject>& method,
                                  host::ResultType resType, std::int32_t sampleNo,
                                  const std::shared_ptr<host::ParamSet>& sampleInfo);
    host::Status ReadIntensity(host::ResultRecord& record);
    host::Status FinishMeasurement();

    // Method persistence (method_persistence.cpp).
    void ResetMethodPage();
    host::Status MethodToPage(host::MethodObject& method);
    host::Status ValidatePage();
    host::Status PageToMethod(host::MethodObject& method);
    void SetOnlineResultView(host::MethodObject& method);
    void CopyMethod();      // the "Copy Method" menu item
    void AdjustPosition();  // the "Adjust Pos" button
    void ReleaseInstObjects() noexcept;

    host::Host& host_;
    std::shared_ptr<host::Form> form_;
    std::unique_ptr<ui::SetupPage> page_;
    host::IUCVIZariEvents* events_ = nullptr;

    std::unique_ptr<proxy::CORVEProxy> proxy_;
    std::shared_ptr<host::InstrumentInfo> instInfo_;
    std::shared_ptr<host::ParamDefList> setupDesc_;
    std::shared_ptr<host::ParamSet> instInfoParams_;
    std::string methodName_;
    std::int32_t createRight_ = 0;  // -1 or 0
    bool noAutoClear_ = false;
    std::shared_ptr<host::AcqData> acqData_;
    std::unique_ptr<method::ResultTable> results_;
    method::MethodEntries entries_;  // this control's own entry table
};

}  // namespace module
