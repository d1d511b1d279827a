// CORVEProxy: construction, connection, status, lock and simulation.
#include "proxy/corve_proxy.h"

#include "host/context.h"
#include "host/error.h"
#include "proxy/trap.h"

namespace proxy {

host::Host& CORVEProxy::Host() {
    return host::CurrentHost();
}

CORVEProxy::CORVEProxy() : server_(Host().Instruments().CreateServer()) {
    if (!server_)
        throw host::Error(kErrNoServer, "the instrument server object could not be created");
}

CORVEProxy::~CORVEProxy() {
    if (!server_) return;
    try {
        server_->Lock(false);  // reply ignored
    } catch (...) {
        // A destructor must not raise; the lock then stays with the server.
    }
}

host::Status CORVEProxy::StatusFromReply(const std::string& reply) {
    if (reply.empty()) return 0;
    auto& h = Host();
    std::string message = reply;
    std::string key = h.Strings().NextToken(message, ":");
    host::Status status = h.Errors().StatusOf(h.Errors().CodeOfReply(key, message));
    // A reply that is not empty is a failure, whatever the registry makes of it.
    return status != 0 ? status : host::kErrUnexpected;
}

std::shared_ptr<host::DataPacket> CORVEProxy::NewPacket() {
    auto packet = Host().Instruments().CreatePacket();
    Required(packet, "data packet");
    return packet;
}

void CORVEProxy::Check(host::Status status) {
    Host().Errors().Check(status, "*");
}

void CORVEProxy::RaiseCode(std::int32_t code, const char* what) {
    Check(Host().Errors().StatusOf(code));
    throw host::Error(kErrNoFailure, what);
}

host::Status CORVEProxy::ErrCodeEOD() {
    return StatusFromReply(server_->EODReply());
}

void CORVEProxy::Reset() {
    server_->Reset();
}

void CORVEProxy::Initialize(const host::InstrumentInfo& pInfo) {
    (void)Trap([&] {  // ends silently
        auto& h = Host();
        auto packet = NewPacket();
        server_->GetErrorList(*packet);
        packet->Rewind();
        std::int32_t n = packet->ReadCount();
        for (std::int32_t i = 0; i < n; ++i) {
            std::string source = packet->ReadString();
            std::string key = packet->ReadString();
            std::string message = packet->ReadString();
            std::int32_t flag = packet->ReadLong();
            h.Errors().RegisterError(source, key, message, flag != 0);
        }
        // Each save starts from an empty packet, so the server never reads the
        // rest of an earlier exchange as part of this one.
        packet->Clear();
        pInfo.Params()->SaveTo(*packet, 0);
        server_->SetInstInfo(*packet);
        for (std::int32_t i = 1; i <= pInfo.CalibrationCount(); ++i) {
            packet->Clear();
            pInfo.Calibration(i)->SaveTo(*packet, 0);
            server_->SetCalibration(*packet);
        }
    });
}

host::Status CORVEProxy::WaitInitialized() {
    return Trap([&] {
        auto& progress = Host().Progress();
        std::int32_t status = 0;
        double intensity = 0.0, temperature = 0.0;
        while (true) {
            server_->GetStatus(status, intensity, temperature);
            bool abort = progress.AbortRequested();
            if (status != 1 || abort) break;
            progress.Wait(1.0);
        }
        if (progress.AbortRequested()) RaiseCode(progress.AbortErrorCode(), "Aborted by user");
        if (status == 0)
            RaiseCode(host::CurrentModuleErrors().instOffline, "Instrument is offline");
    });
}

void CORVEProxy::GetInstInfo(host::InstrumentInfo& pInfo) {
    (void)Trap([&] {  // ends silently
        auto& h = Host();
        auto packet = NewPacket();
        auto params = h.NewParamSet();
        Required(params, "parameter set");
        server_->GetInstInfo(*packet);
        params->LoadFrom(*packet, 0);
        pInfo.Reset(0);
        pInfo.SetType(params->ValueOf("InstType").ToString());
        pInfo.SetSerial(params->ValueOf("InstSerial").ToString());
        for (std::int32_t i = 1; i <= params->Count(); ++i)
            pInfo.AddParam(*params->Def(i), params->Value(i));
    });
}

void CORVEProxy::GetStatus(std::int32_t& pStatus, double& pIntensity, double& pTemp) {
    server_->GetStatus(pStatus, pIntensity, pTemp);
}

void CORVEProxy::UpdateCalibration(const host::CalibrationData& pCalib) {
    (void)Trap([&] {  // ends silently
        auto packet = NewPacket();
        pCalib.SaveTo(*packet, 0);
        server_->SetCalibration(*packet);
    });
}

host::Status CORVEProxy::SetLock(bool pLock) {
    return StatusFromReply(server_->Lock(pLock));
}

bool CORVEProxy::Locked() {
    return server_->IsLocked();
}

void CORVEProxy::EmergencyStop() {
    server_->EmergencyStop();
}

bool CORVEProxy::IsInSimulation() {
    return server_->IsSimulation();
}

void CORVEProxy::SetSimConc(std::int32_t pDataType, const host::ParamSet& pSampleInfo) {
    if (!IsInSimulation()) return;
    auto& h = Host();
    double factor = 5.0;
    if (pDataType == 1) {
        std::string key = h.Environment().ConcentrationKey();
        if (pSampleInfo.IndexOf(key) > 0) factor = pSampleInfo.ValueOf(key).ToDouble() / 100.0;
    } else {
        // A single-precision r in [0, 1) from the top 24 bits of one draw.
        float r = static_cast<float>(random_() >> 8) / 16777216.0f;
        factor = static_cast<double>(r) * 0.8 + 0.1;
    }
    SendProperty("SimFactor", h.Numbers().DoubleToText(factor, "", 0));  // status ignored
}

void CORVEProxy::SetSimVal(std::int32_t /*pDataType*/, double pSimVal) {
    if (!IsInSimulation()) return;
    SendProperty("SimFactor", Host().Numbers().DoubleToText(pSimVal, "", 0));  // status ignored
}

}  // namespace proxy
