// CORVEProxy: the instrument setup operations.
#include <cmath>

#include "host/error.h"
#include "proxy/corve_proxy.h"
#include "proxy/trap.h"

namespace proxy {
namespace {

bool IsOneOf(const std::string& id, std::initializer_list<const char*> ids) {
    for (const char* k : ids)
        if (host::IEquals(id, k)) return true;
    return false;
}

void RequireFinite(double v, const char* what) {
    if (!std::isfinite(v))
        throw host::Error(kErrNotFinite, std::string(what) + " is not a finite number");
}

// False for a value that would go out as infinite or NaN: a number that is
// one, or a text ("NaN", "inf") that the described type reads as one. A text
// that reads as nothing is left to the send, which refuses it itself.
bool FiniteAs(const host::NumberFormat& numbers, const host::Variant& value,
              std::int32_t dataType) {
    if (value.IsNumeric()) return std::isfinite(value.ToDouble());
    try {
        const host::Variant read = numbers.TextToValue(value.ToString(), dataType, "", 0);
        return !read.IsNumeric() || std::isfinite(read.ToDouble());
    } catch (...) {
        return true;
    }
}

}  // namespace

void CORVEProxy::GetInstSetupDesc(host::ParamDefList& pSetup) {
    (void)Trap([&] {  // ends silently
        auto& h = Host();
        auto packet = NewPacket();
        server_->GetSetupDesc(*packet);
        pSetup.LoadFrom(*packet, 0);
        for (std::int32_t i = 1; i <= pSetup.Count(); ++i) {
            auto def = pSetup.Item(i);
            std::string text = h.Texts().Text(def->name, "");
            // A name the catalogue lacks stays as delivered rather than going blank.
            if (!text.empty()) def->name = text;
        }
    });
}

host::Status CORVEProxy::UpdateCurrSetup(host::ParamSet& pInfo) {
    return Trap([&] {
        auto packet = NewPacket();
        server_->GetCurrSetup(*packet);
        for (std::int32_t i = 1; i <= pInfo.Count(); ++i)
            pInfo.SetValue(i, packet->ReadValue(pInfo.Def(i)->dataType));
    });
}

host::Status CORVEProxy::SetupStatus(const host::ParamSet& pStatus, bool pAutoLamp,
                                     const host::ParamDefList& pSetup) {
    return Trap([&] {
        auto& numbers = Host().Numbers();
        double exWl = pStatus.ValueOf("ExWl").ToDouble();
        double emWl = pStatus.ValueOf("EmWl").ToDouble();
        // Checked before the first command: a setup that cannot be sent whole
        // is not sent in part.
        RequireFinite(exWl, "the setup's excitation wavelength (ExWl)");
        RequireFinite(emWl, "the setup's emission wavelength (EmWl)");
        for (std::int32_t i = 1; i <= pStatus.Count(); ++i) {
            const std::int32_t index = pSetup.IndexOf(pStatus.Def(i)->id);
            if (index > 0 && !FiniteAs(numbers, pStatus.Value(i), pSetup.Item(index)->dataType)) {
                throw host::Error(kErrNotFinite, "the setup value " + pStatus.Def(i)->id +
                                                     " is not a finite number");
            }
        }
        std::string mirror = pStatus.ValueOf("EmMirror").ToString();
        std::string answer;
        if (host::IEquals(mirror, "Out")) Check(ExecCommandSynch("Set EmMirror=Out", answer));
        Check(ExecCommandAsynch("SetM Wl=" + numbers.DoubleToText(exWl, "0.0", 0) + ";" +
                                    numbers.DoubleToText(emWl, "0.0", 0),
                                answer));
        if (host::IEquals(mirror, "In")) Check(ExecCommandSynch("Set EmMirror=In", answer));
        for (std::int32_t i = 1; i <= pStatus.Count(); ++i) {
            std::string id = pStatus.Def(i)->id;
            std::int32_t index = pSetup.IndexOf(id);
            if (index <= 0 || IsOneOf(id, {"EmWl", "ExWl", "EmMirror"})) continue;
            host::Variant value =
                pAutoLamp && host::IEquals(id, "Lamp") ? host::Variant("Off") : pStatus.Value(i);
            // Formatted as the instrument describes the entry, not as the method stores it.
            Check(SendPropertyED(*pSetup.Item(index), value));
        }
        Check(ExecCommandSynch("Enable Phos", answer));
    });
}

double CORVEProxy::EnergyShiftedWl(double wl, double offset) {
    double t = offset * 1e-7;
    return wl / (wl * t + 1.0);
}

host::Status CORVEProxy::SetScanStartWL(std::int32_t pScType, double pScStart, double pScFixed) {
    return Trap([&] {
        double ex = 0.0, em = 0.0;
        switch (pScType) {
            case 1:
                ex = pScStart, em = pScFixed;
                break;
            case 2:
                ex = pScFixed, em = pScStart;
                break;
            case 3:
                ex = pScStart, em = pScStart + pScFixed;
                break;
            case 4:
                ex = pScStart, em = EnergyShiftedWl(pScStart, pScFixed);
                break;
            default:
                return;
        }
        // Computed, checked, then kept: a refused start leaves the last good one.
        RequireFinite(ex, "the excitation scan start");
        RequireFinite(em, "the emission scan start");
        scanStartEx_ = ex;
        scanStartEm_ = em;
    });
}

host::Status CORVEProxy::GotoScanStartWL() {
    return Trap([&] {
        auto& numbers = Host().Numbers();
        std::string answer;
        Check(ExecCommandAsynch("SetM Wl=" + numbers.DoubleToText(scanStartEx_, "0.0", 0) + ";" +
                                    numbers.DoubleToText(scanStartEm_, "0.0", 0),
                                answer));
    });
}

host::Status CORVEProxy::GotoScanStartWLAsynch() {
    return Trap([&] {
        auto& numbers = Host().Numbers();
        Check(StartCommandAsynch("SetM Wl=" + numbers.DoubleToText(scanStartEx_, "0.0", 0) + ";" +
                                 numbers.DoubleToText(scanStartEm_, "0.0", 0)));
    });
}

host::Status CORVEProxy::WaitScanStartWL() {
    return WaitCommandAsynch("");
}

host::Status CORVEProxy::SetupScan(std::int32_t pScanType, double pScanStart, double pScanEnd,
                                   double pScanStep, double pScanSpeed, double pWLFixed) {
    return Trap([&] {
        auto& numbers = Host().Numbers();
        RequireFinite(pScanEnd, "the scan end");
        RequireFinite(pScanStep, "the scan interval");
        RequireFinite(pScanSpeed, "the scan speed");
        // A start that is no number must not reach the instrument as one.
        Check(SetScanStartWL(pScanType, pScanStart, pWLFixed));
        Check(GotoScanStartWL());
        Check(SendProperty("Scan.Type", numbers.IntToText(pScanType, "")));
        Check(SendProperty("Scan.Start", numbers.DoubleToText(pScanStart, "0.0", 0)));
        Check(SendProperty("Scan.End", numbers.DoubleToText(pScanEnd, "0.0", 0)));
        Check(SendProperty("Scan.Interval", numbers.DoubleToText(pScanStep, "0.0", 0)));
        Check(SendProperty("Scan.Speed", numbers.DoubleToText(pScanSpeed, "0", 0)));
        std::string answer;
        Check(ExecCommandSynch("Enable Scan", answer));
    });
}

host::Status CORVEProxy::SetupTimedrive(std::int32_t pTDType, double pScanStart, double pScanEnd,
                                        double pScanStep, double pScanResp) {
    return Trap([&] {
        auto& h = Host();
        auto& numbers = h.Numbers();
        if (pTDType < 1 || pTDType > 2) {
            throw host::Error(kErrBadTimedriveType,
                              "time-drive type " + std::to_string(pTDType) +
                                  " is none of 1 (FixWave) and 2 (ShortPhos)");
        }
        RequireFinite(pScanStart, "the time-drive start");
        RequireFinite(pScanEnd, "the time-drive end");
        RequireFinite(pScanStep, "the time-drive interval");
        RequireFinite(pScanResp, "the time-drive response");
        Check(SendProperty("TD.Type", h.Strings().ItemAt(pTDType, "{FixWave;ShortPhos}")));
        Check(SendProperty("TD.Start", numbers.DoubleToText(pScanStart, "0.0", 0)));
        Check(SendProperty("TD.End", numbers.DoubleToText(pScanEnd, "0.0", 0)));
        Check(SendProperty("TD.Interval", numbers.DoubleToText(pScanStep, "0.00", 0)));
        Check(SendProperty("TD.Resp", numbers.DoubleToText(pScanResp, "0.0", 0)));
        std::string answer;
        Check(ExecCommandSynch("Enable TD", answer));
    });
}

}  // namespace proxy
