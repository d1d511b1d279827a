// CORVEProxy: the command channel and the property syntax.
#include "host/error.h"
#include "proxy/corve_proxy.h"
#include "proxy/trap.h"

namespace proxy {
namespace {

bool IsAsynchKey(const std::string& key) {
    for (const char* k : {"EmWl", "ExWl", "EmFilter", "ExFilter", "EmCutFilter"})
        if (host::IEquals(key, k)) return true;
    return false;
}

}  // namespace

std::string CORVEProxy::BusyReply() {
    std::string busy = server_->BusyReply();
    // An empty busy reply would make every successful poll look busy forever.
    if (busy.empty())
        throw host::Error(kErrEmptyBusyReply, "the instrument server's busy reply is empty");
    return busy;
}

std::string CORVEProxy::PollToEnd(const std::string& busy, std::string& answer, double interval,
                                  StopAsk ask) {
    auto& h = Host();
    while (true) {
        std::string reply = server_->PollAsynch(answer);
        bool isBusy = host::IEquals(reply, busy);
        if (isBusy) h.Progress().Wait(interval);
        // Asked on every pass, also after the final reply: an abort stops the instrument.
        bool stop = ask == StopAsk::AbortOrStop && h.Environment().StopRequested();
        if (h.Progress().AbortRequested() || stop) server_->EmergencyStop();
        if (!isBusy) return reply;
    }
}

host::Status CORVEProxy::Reported(host::Status status, const std::string& command) {
    if (status == 0) return 0;
    try {
        Host().Errors().ReportFailedCommand(command);
    } catch (...) {
        // The command's own failure is the one the caller needs to see.
    }
    return status;
}

host::Status CORVEProxy::ExecCommandSynch(const std::string& pCmd, std::string& pAnsw) {
    return Reported(Trap([&] { Check(StatusFromReply(server_->ExecSynch(pCmd, pAnsw))); }), pCmd);
}

host::Status CORVEProxy::StartCommandAsynch(const std::string& pCmd) {
    return Reported(Trap([&] { Check(StatusFromReply(server_->StartAsynch(pCmd))); }), pCmd);
}

host::Status CORVEProxy::WaitCommandAsynch(const std::string& pAnsw) {
    return Trap([&] {
        std::string busy = BusyReply();
        std::string answer = pAnsw;
        return StatusFromReply(PollToEnd(busy, answer, 0.2, StopAsk::Abort));
    });
}

host::Status CORVEProxy::RunAsynch(const std::string& pCmd, std::string& pAnsw, StopAsk ask) {
    std::string finalReply;
    host::Status status = Reported(Trap([&] {
                                       std::string busy = BusyReply();
                                       Check(StatusFromReply(server_->StartAsynch(pCmd)));
                                       finalReply = PollToEnd(busy, pAnsw, 0.1, ask);
                                   }),
                                   pCmd);
    if (status != 0) return status;
    // An error final reply is the caller's to check, not a failed command.
    return Trap([&] { return StatusFromReply(finalReply); });
}

host::Status CORVEProxy::ExecCommandAsynch(const std::string& pCmd, std::string& pAnsw) {
    return RunAsynch(pCmd, pAnsw, StopAsk::Abort);
}

host::Status CORVEProxy::ExecCommandAsynchGraceStop(const std::string& pCmd, std::string& pAnsw) {
    return RunAsynch(pCmd, pAnsw, StopAsk::AbortOrStop);
}

host::Status CORVEProxy::SendProperty(const std::string& pID, const std::string& pArg) {
    std::string command = "Set " + pID + "=" + pArg;
    std::string answer;  // discarded
    return IsAsynchKey(pID) ? ExecCommandAsynch(command, answer)
                            : ExecCommandSynch(command, answer);
}

host::Status CORVEProxy::ReadProperty(const std::string& pID, std::string& pAnsw) {
    std::string command = "Get " + pID;
    return host::IEquals(pID, "Int") ? ExecCommandAsynch(command, pAnsw)
                                     : ExecCommandSynch(command, pAnsw);
}

host::Status CORVEProxy::SendPropertyED(const host::ParamDef& pDesc, const host::Variant& pInfo) {
    return Trap([&] {
        std::string text = Host().Numbers().ValueToText(pInfo, pDesc.dataType, pDesc.format, 0);
        return SendProperty(pDesc.id, text);
    });
}

host::Status CORVEProxy::ReadPropertyED(const host::ParamDef& pDesc, host::Variant& pInfo) {
    return Trap([&] {
        std::string answer;
        host::Status status = ReadProperty(pDesc.id, answer);
        // Converted whatever the read gave; a failing conversion is the result.
        pInfo = Host().Numbers().TextToValue(answer, pDesc.dataType, "", 0);
        return status;
    });
}

host::Status CORVEProxy::SendSetup(const host::ParamSet& pSetup) {
    return Trap([&] {
        for (std::int32_t i = 1; i <= pSetup.Count(); ++i)
            Check(SendPropertyED(*pSetup.Def(i), pSetup.Value(i)));
    });
}

host::Status CORVEProxy::ReadSetup(host::ParamSet& pStatus) {
    return Trap([&] {
        for (std::int32_t i = 1; i <= pStatus.Count(); ++i) {
            host::Variant value;
            Check(ReadPropertyED(*pStatus.Def(i), value));
            pStatus.SetValue(i, value);
        }
    });
}

}  // namespace proxy
