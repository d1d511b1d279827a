#pragma once
// CORVEProxy: the module's only gateway to the instrument. It holds one
// instrument server client for its whole life, turns every request into the
// instrument's text commands and every reply into a status.
//
// Failure policies, one per operation, as each comment's first words say:
//   "Traps"        traps every failure and returns its error number (0 on success)
//   "Ends silently" traps every failure and stops; the caller learns nothing
//   "Lets pass"    a failing server or service call raises host::Error to the caller
#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "host/host.h"

namespace proxy {

inline constexpr host::Status kErrNoServer = 0x7FFF0C01;        // the factory gave no server
inline constexpr host::Status kErrEmptyBusyReply = 0x7FFF0C02;  // busy would look like success
inline constexpr host::Status kErrNotFinite = 0x7FFF0C03;       // a value to send is inf or NaN
inline constexpr host::Status kErrNoFailure = 0x7FFF0C04;       // an error code whose check passed
inline constexpr host::Status kErrBadTimedriveType = 0x7FFF0C05;  // no type of the list

class CORVEProxy {
  public:
    // Lets pass: asks the thread's host for a new instrument server client.
    CORVEProxy();
    // Releases the instrument lock; a failing release is swallowed.
    ~CORVEProxy();
    CORVEProxy(const CORVEProxy&) = delete;
    CORVEProxy& operator=(const CORVEProxy&) = delete;

    // --- Connection, status and simulation ---
    // Lets pass. The status of the server's end-of-data reply.
    host::Status ErrCodeEOD();
    // Lets pass.
    void Reset();
    // Ends silently. Registers the server's error table, then hands over the
    // instrument parameters and every calibration of pInfo.
    void Initialize(const host::InstrumentInfo& pInfo);
    // Traps. Polls the status every 1.0 s while it is initialising.
    host::Status WaitInitialized();
    // Ends silently. Fills pSetup with the setup description, names localised.
    void GetInstSetupDesc(host::ParamDefList& pSetup);
    // Ends silently. Replaces pInfo with the server's instrument information.
    void GetInstInfo(host::InstrumentInfo& pInfo);
    // Lets pass.
    void GetStatus(std::int32_t& pStatus, double& pIntensity, double& pTemp);
    // Ends silently.
    void UpdateCalibration(const host::CalibrationData& pCalib);
    std::shared_ptr<host::InstrumentServer> Server() const { return server_; }
    // Lets pass a failing call; an error reply comes back as its status, unchecked.
    host::Status SetLock(bool pLock);
    // Lets pass.
    bool Locked();
    // Lets pass.
    void EmergencyStop();

    // --- Setup operations ---
    // Traps. Reads the current value of every entry of pInfo, in its order.
    host::Status UpdateCurrSetup(host::ParamSet& pInfo);
    // Traps. Brings the instrument into the setup state pStatus; a value that
    // is not finite is refused before anything is sent.
    host::Status SetupStatus(const host::ParamSet& pStatus, bool pAutoLamp,
                             const host::ParamDefList& pSetup);
    // Traps; a value that is not finite is refused before anything is sent.
    host::Status SetupScan(std::int32_t pScanType, double pScanStart, double pScanEnd,
                           double pScanStep, double pScanSpeed, double pWLFixed);
    // Traps; a type outside 1-2 or a value that is not finite is refused
    // before anything is sent.
    host::Status SetupTimedrive(std::int32_t pTDType, double pScanStart, double pScanEnd,
                                double pScanStep, double pScanResp);
    // Traps (a start that is not a finite number). Sends nothing.
    host::Status SetScanStartWL(std::int32_t pScType, double pScStart, double pScFixed);
    // Traps. Moves to the scan start and waits.
    host::Status GotoScanStartWL();
    // Traps. Starts the move to the scan start.
    host::Status GotoScanStartWLAsynch();
    // Traps (through WaitCommandAsynch). The status of the move's final reply.
    host::Status WaitScanStartWL();

    // --- Command channel and property syntax; all trap ---
    host::Status SendSetup(const host::ParamSet& pSetup);
    host::Status SendPropertyED(const host::ParamDef& pDesc, const host::Variant& pInfo);
    host::Status SendProperty(const std::string& pID, const std::string& pArg);
    host::Status ReadSetup(host::ParamSet& pStatus);
    host::Status ReadPropertyED(const host::ParamDef& pDesc, host::Variant& pInfo);
    host::Status ReadProperty(const std::string& pID, std::string& pAnsw);
    // An error reply fails and is reported with the command text.
    host::Status ExecCommandSynch(const std::string& pCmd, std::string& pAnsw);
    // An error start reply fails and is reported; the command keeps running.
    host::Status StartCommandAsynch(const std::string& pCmd);
    // Polls every 0.2 s; the final reply's status, never reported.
    host::Status WaitCommandAsynch(const std::string& pAnsw);
    // Polls every 0.1 s; a failing start or call is reported, the final
    // reply's status is returned unreported.
    host::Status ExecCommandAsynch(const std::string& pCmd, std::string& pAnsw);
    // As ExecCommandAsynch; a stop request of the acquisition also stops the instrument.
    host::Status ExecCommandAsynchGraceStop(const std::string& pCmd, std::string& pAnsw);

    // Lets pass.
    bool IsInSimulation();
    // Lets pass; the status of the property it sends is ignored.
    void SetSimConc(std::int32_t pDataType, const host::ParamSet& pSampleInfo);
    // Lets pass; the status of the property it sends is ignored.
    void SetSimVal(std::int32_t pDataType, double pSimVal);

    double ScanStartEx() const { return scanStartEx_; }
    double ScanStartEm() const { return scanStartEm_; }
    // The random simulation factor's generator; a fixed seed by default, so runs repeat.
    void SeedSimulation(std::uint32_t seed) { random_.seed(seed); }

  private:
    static host::Host& Host();
    // Lets pass: "" is 0, anything else the status of its error key.
    host::Status StatusFromReply(const std::string& reply);
    // Lets pass: the wavelength whose wavenumber is that of wl plus offset (1/cm).
    static double EnergyShiftedWl(double wl, double offset);
    // Raises the status of a registered error code; never returns.
    [[noreturn]] void RaiseCode(std::int32_t code, const char* what);
    void Check(host::Status status);
    // A new packet from the instrument factory; raises when it makes none.
    static std::shared_ptr<host::DataPacket> NewPacket();
    std::string BusyReply();
    enum class StopAsk { Abort, AbortOrStop };
    // Polls until the reply is no longer busy; the final reply.
    std::string PollToEnd(const std::string& busy, std::string& answer, double interval,
                          StopAsk ask);
    host::Status Reported(host::Status status, const std::string& command);
    host::Status RunAsynch(const std::string& pCmd, std::string& pAnsw, StopAsk ask);

    std::shared_ptr<host::InstrumentServer> server_;
    double scanStartEx_ = 0.0;
    double scanStartEm_ = 0.0;
    std::mt19937 random_{0x5EED};
};

}  // namespace proxy
