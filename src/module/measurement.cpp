// The measurement run of UCVIZari: InitMeasurement, MeasureSample, ExitMeasurement.
#include <fmt/format.h>

#include <cmath>

#include "host/context.h"
#include "host/error.h"
#include "module/ucvizari.h"
#include "proxy/corve_proxy.h"
#include "proxy/trap.h"

namespace module {
namespace {

constexpr host::Status kErrNoInstrument = 0x7FFF0902;
constexpr host::Status kErrNoAcqData = 0x7FFF0903;
constexpr host::Status kErrBadPosition = 0x7FFF0905;

// Every cell of the position table is a finite number, checked before the
// sample sends anything: a run must not stop half-way on a cell it could
// have refused at its start, nor send "inf" to the stage.
void RequirePositions(const host::MethodObject& method) {
    static const char* const kFields[] = {"X-Pos (mm)", "Y-Pos (mm)", "Ex.Wl (nm)", "Em.Wl (nm)"};
    const std::int32_t n = method.RowCount(1);
    for (std::int32_t i = 1; i <= n; ++i) {
        for (std::int32_t c = 1; c <= 4; ++c) {
            const double v = method.Cell(1, c, i).ToDouble();
            if (!std::isfinite(v)) {
                throw host::Error(
                    kErrBadPosition,
                    fmt::format("position {}: {} is not a finite number", i, kFields[c - 1]));
            }
        }
    }
}

// The lamp value SetupStatus sent for this setup; raises failure when it sent none.
std::string LampAfterSetup(host::Host& h, const host::ParamSet& setup, bool autoLamp,
                           const host::ParamDefList& setupDesc, host::Status failure) {
    const std::int32_t index = setupDesc.IndexOf("Lamp");
    if (setup.IndexOf("Lamp") <= 0 || index <= 0) h.Errors().Check(failure, "*");
    if (autoLamp) return "Off";
    const auto& desc = *setupDesc.Item(index);
    return h.Numbers().ValueToText(setup.ValueOf("Lamp"), desc.dataType, desc.format, 0);
}

// A refused lamp switch is looked into rather than ignored: when the lamp is
// not in the wanted state after all, the refusal is raised (a run must not
// measure dark and report success); when it is, the refusal changes nothing.
void RequireLamp(host::Host& h, proxy::CORVEProxy& proxy, const std::string& wanted,
                 host::Status refusal) {
    if (refusal == 0) return;
    std::string state;
    if (proxy.ReadProperty("Lamp", state) == 0 && host::IEquals(state, wanted)) return;
    h.Errors().Check(refusal, "*");
}

// The polling loops answer an abort by stopping the instrument, which stops
// nothing when the command has just ended: with short moves and reads every
// command can end within one poll, and the run would go on to its end.
void RaiseIfAborted(host::Host& h) {
    auto& progress = h.Progress();
    if (!progress.AbortRequested()) return;
    h.Errors().Check(h.Errors().StatusOf(progress.AbortErrorCode()), "*");
    throw host::Error(host::kErrUnexpected, "Aborted by user");
}

}  // namespace

proxy::CORVEProxy& UCVIZari::Proxy() {
    if (!proxy_)
        throw host::Error(kErrNoInstrument, "no instrument: SetInstrument(1, ...) was not called");
    return *proxy_;
}

host::AcqData& UCVIZari::AcqDataOrRaise() {
    if (!acqData_) throw host::Error(kErrNoAcqData, "no acquisition data to store the results in");
    return *acqData_;
}

host::Status UCVIZari::InitMeasurement(std::shared_ptr<host::MethodObject> pMethod,
                                       std::shared_ptr<host::AcqData> pAcqData) {
    return PrepareMeasurement(pMethod, pAcqData);
}

host::Status UCVIZari::MeasureSample(std::shared_ptr<host::MethodObject> pMethod,
                                     host::ResultType pResType, std::int32_t pSampleNo,
                                     std::shared_ptr<host::ParamSet> pSampleInfo) {
    return MeasurePositions(pMethod, pResType, pSampleNo, pSampleInfo);
}

host::Status UCVIZari::ExitMeasurement(std::shared_ptr<host::MethodObject>) {
    return FinishMeasurement();
}

// Traps every failure, stops at it and returns its number; nothing is undone
// (the lock stays held, a lamp switched off stays off). The lamp steps of the
// dark current ignore their statuses, except that a failed read ends the
// operation when the setup set no lamp state to restore instead, and a refused
// restore ends it when the lamp read back is not in the restored state. A
// position cell that is no finite number is refused before the lock.
host::Status UCVIZari::PrepareMeasurement(const std::shared_ptr<host::MethodObject>& method,
                                          const std::shared_ptr<host::AcqData>& acqData) {
    return proxy::Trap([&] {
        auto& errors = host_.Errors();
        auto& proxy = Proxy();
        if (method) RequirePositions(*method);  // before the run takes the instrument
        errors.Check(proxy.SetLock(true), "*");
        if (acqData) {
            acqData_ = acqData;
            try {
                acqData_->SetInstrumentInfo(1, proxy::Required(instInfoParams_, "parameter set"));
            } catch (...) {  // its result is ignored by design
            }
        }
        host_.Progress().ShowProgress(host_.Texts().Text("Setting up instrument...", ""));
        if (!method) throw host::Error(host::kErrUnexpected, "InitMeasurement needs a method");
        auto setup = method->Params();
        auto& setupDesc = proxy::Required(setupDesc_, "setup description");
        errors.Check(proxy.SetupStatus(proxy::Required(setup, "method parameters"),
                                       page_->autoLampOn, setupDesc),
                     "*");
        if (!host::IEquals(setup->ValueOf("LumMode").ToString(), "Fluor")) {
            host_.Progress().ShowProgress(host_.Texts().Text("Measure dark current", ""));
            std::string saved, ignored;
            const host::Status read = proxy.ReadProperty("Lamp", saved);
            // A failed read does not end the run, but it leaves no answer, and
            // restoring "nothing" would keep the lamp off for the whole run. The
            // setup transfer has just set the lamp: that value is its state.
            if (read != 0)
                saved = LampAfterSetup(host_, *setup, page_->autoLampOn, setupDesc, read);
            proxy.SendProperty("Lamp", "Off");  // status ignored
            host_.Progress().Wait(1.0);
            errors.Check(proxy.ExecCommandSynch("Set SubDC=On", ignored), "*");
            errors.Check(proxy.ExecCommandSynch("Run SubDC", ignored), "*");
            RequireLamp(host_, proxy, saved, proxy.SendProperty("Lamp", saved));
        }
    });
}

// Traps every failure and returns its number. A refused automatic lamp-on ends
// the sample when the lamp read back is not on. After a failure the automatic
// lamp is switched off; the row and the results written so far stay; no item
// flag and no NewDataAvail. A pending abort ends the sample before a position;
// a position cell that is not a finite number ends it before anything is sent.
host::Status UCVIZari::MeasurePositions(const std::shared_ptr<host::MethodObject>& method,
                                        host::ResultType resType, std::int32_t sampleNo,
                                        const std::shared_ptr<host::ParamSet>& sampleInfo) {
    host::Status status = proxy::Trap([&] {
        auto& errors = host_.Errors();
        auto& numbers = host_.Numbers();
        if (!sampleInfo)
            throw host::Error(host::kErrUnexpected, "MeasureSample needs the sample information");
        if (!method) throw host::Error(host::kErrUnexpected, "MeasureSample needs a method");
        RequirePositions(*method);
        std::string id = sampleInfo->ValueOf(host_.Environment().SampleIdKey()).ToString();
        if (noAutoClear_) id = AcqDataOrRaise().Text() + "." + id;
        host_.Progress().ShowProgress(host_.Texts().Text("Measure sample:", "") + " " + id);
        auto& proxy = Proxy();
        proxy.SetSimConc(resType, *sampleInfo);
        if (page_->autoLampOn) RequireLamp(host_, proxy, "On", proxy.SendProperty("Lamp", "On"));
        auto& grid = *page_->kvsResult;
        const std::int32_t row = grid.RowCount() + 1;
        grid.SetRowCount(row);
        auto record = host_.NewResultRecord();
        proxy::Required(record, "result record").Init(3);
        grid.SetCell(1, row, host::Variant(id));
        const std::int32_t n = method->RowCount(1);
        auto cellText = [&](std::int32_t col, std::int32_t i) {
            return numbers.DoubleToText(method->Cell(1, col, i).ToDouble(), "0.0", 0);
        };
        std::string answer;
        for (std::int32_t i = 1; i <= n; ++i) {
            RaiseIfAborted(host_);
            errors.Check(proxy.ExecCommandSynch(
                             "SetM WPR.POS=" + cellText(1, i) + ";" + cellText(2, i), answer),
                         "*");
            errors.Check(
                proxy.ExecCommandAsynch("SetM WL=" + cellText(3, i) + ";" + cellText(4, i), answer),
                "*");
            errors.Check(ReadIntensity(*record), "*");
            AcqDataOrRaise().AddResult(sampleNo, i, resType, *record, 0);
            grid.SetCell(1 + i, row, host::Variant(record->Value(1)));
        }
        if (page_->autoLampOn) proxy.SendProperty("Lamp", "Off");  // status ignored
        if (resType == 3) AcqDataOrRaise().SetItemFlag(host::ItemGroup::Other, sampleNo, true);
        if (resType == 1) AcqDataOrRaise().SetItemFlag(host::ItemGroup::Type1, sampleNo, true);
        if (events_) events_->NewDataAvail();
    });
    if (status != 0 && page_->autoLampOn && proxy_) {
        try {
            proxy_->SendProperty("Lamp", "Off");  // status ignored
        } catch (...) {
        }
    }
    return status;
}

// Traps every failure and returns its number.
host::Status UCVIZari::ReadIntensity(host::ResultRecord& record) {
    return proxy::Trap([&] {
        std::string answer;
        host_.Errors().Check(Proxy().ReadProperty("Int", answer), "*");
        auto& strings = host_.Strings();
        auto& numbers = host_.Numbers();
        record.SetValue(1, numbers.TextToDouble(strings.NextToken(answer, ","), 0));
        record.SetValue(2, numbers.TextToDouble(strings.NextToken(answer, ","), 0));
        record.SetValue(3, host::IEquals(answer, "1") ? -1.0 : 0.0);
    });
}

// Always 0: the park's and the unlock's statuses are not examined, and a
// failing call ends the operation silently (a failed park skips the unlock;
// the proxy releases the lock when it goes).
host::Status UCVIZari::FinishMeasurement() {
    try {
        std::string answer;
        auto& proxy = Proxy();
        proxy.ExecCommandSynch("Park WPR", answer);
        proxy.SetLock(false);
    } catch (...) {
    }
    return 0;
}

}  // namespace module
