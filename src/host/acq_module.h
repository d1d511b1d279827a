#pragma once
// The acquisition module's public interface as the host sees it: the control's
// 23 operations in their fixed order, its events, and the class factory of the
// component library.
#include <cstdint>
#include <memory>
#include <string>

#include "host/host.h"

namespace host {

// The control's event interface. The host connects one sink.
class ORVE_API IUCVIZariEvents {
  public:
    virtual ~IUCVIZariEvents() = default;
    virtual void GraphSelected(std::int32_t pMenuCode) = 0;
    virtual void SpreadSelected(std::int32_t pMenuCode) = 0;
    virtual void NewDataAvail() = 0;
};

// The control's default interface. Operations that return a Status never
// raise; AvailPages and MeasureSetup let a failing outside call reach the caller.
class ORVE_API IUCVIZari {
  public:
    virtual ~IUCVIZari() = default;
    virtual std::shared_ptr<PageList> AvailPages() = 0;                 // 1
    virtual void DisplayPage(std::int32_t pPageID, VBool pLocked) = 0;  // 2
    virtual Status SetupModule(std::shared_ptr<UserConfig> pUserCfg,
                               std::shared_ptr<UserRights> pRights) = 0;  // 3
    virtual std::int32_t NrUsedInstruments() = 0;                         // 4
    virtual std::string UsedInstType(std::int32_t pIndex) = 0;            // 5
    virtual Status SetInstrument(std::int32_t pIndex,
                                 std::shared_ptr<InstrumentInfo> pInstInfo) = 0;  // 6
    virtual void LocalizeControl() = 0;                                           // 7
    virtual Status UpdateConfigDisplay() = 0;                                     // 8
    virtual void ClearMethod() = 0;                                               // 9
    virtual Status LoadMethod(std::shared_ptr<MethodObject> pMethod) = 0;         // 10
    virtual Status UpdateMethod(std::shared_ptr<MethodObject> pMethod) = 0;       // 11
    virtual Status InitMeasurement(std::shared_ptr<MethodObject> pMethod,
                                   std::shared_ptr<AcqData> pAcqData) = 0;      // 12
    virtual Status ExitMeasurement(std::shared_ptr<MethodObject> pMethod) = 0;  // 13
    virtual Status MeasureSample(std::shared_ptr<MethodObject> pMethod, ResultType pResType,
                                 std::int32_t pSampleNo,
                                 std::shared_ptr<ParamSet> pSampleInfo) = 0;  // 14
    virtual Status MeasureSetup(ResultType pResType, std::int32_t pSampleNo,
                                std::shared_ptr<ParamSet> pSampleInfo,
                                std::int32_t& pSetupIdx) = 0;  // 15
    virtual VBool CorrectionRequired(std::shared_ptr<MethodObject> pMethod,
                                     std::shared_ptr<AcqData> pData) = 0;  // 16
    virtual Status MeasureCorrection(std::shared_ptr<MethodObject> pMethod,
                                     std::shared_ptr<AcqData> pData) = 0;  // 17
    virtual void ClearAcqData() = 0;                                       // 18
    virtual Status LoadAcqData(std::shared_ptr<AcqData> pData) = 0;        // 19
    virtual void GetSelectedCurves(std::shared_ptr<CurveInfo> pInfo,
                                   std::shared_ptr<CurveInfo> pCurve) = 0;  // 20
    virtual void HandleMenuCommand(const std::string& pType,
                                   const std::string& pCommand) = 0;  // 21
    virtual Status Terminate() = 0;                                   // 22
    virtual void ReleaseExtender() = 0;                               // 23

    // The user control's own surface, which the host embeds and resizes.
    virtual Form& Surface() = 0;
    // Connects the host's event sink (nullptr disconnects).
    virtual void Advise(IUCVIZariEvents* sink) = 0;
};

// Result codes of the component library's exports.
inline constexpr std::int32_t kSOk = 0;
inline constexpr std::int32_t kSFalse = 1;
inline constexpr std::int32_t kEFail = static_cast<std::int32_t>(0x80004005u);
inline constexpr std::int32_t kEPointer = static_cast<std::int32_t>(0x80004003u);
inline constexpr std::int32_t kClassNotAvailable = static_cast<std::int32_t>(0x80040111u);
inline constexpr std::int32_t kRegistryWriteFailed = static_cast<std::int32_t>(0x80040151u);

class ORVE_API ClassFactory {
  public:
    virtual ~ClassFactory() = default;
    // Creates a control on the calling thread with the host's services; raises
    // host::Error when the host is missing.
    virtual std::shared_ptr<IUCVIZari> CreateInstance(std::shared_ptr<Host> host) = 0;
    virtual void LockServer(bool lock) = 0;
};

}  // namespace host

// Exports of the component library (never throw; the result is the status).
extern "C" {
using OrveDllRegisterServer = std::int32_t (*)();
using OrveDllUnregisterServer = std::int32_t (*)();
using OrveDllGetClassObject = std::int32_t (*)(const char* className, host::ClassFactory** factory);
using OrveDllCanUnloadNow = std::int32_t (*)();
// Optional: the module's version ("1.0.0") and the commit it was built from
// ("" when unknown); both stay valid while the library is loaded.
using OrveDllGetVersion = std::int32_t (*)(const char** version, const char** commit);
}
