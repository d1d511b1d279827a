#pragma once
// The progress display of a terminal host: waits through the host's clock,
// holds the user's abort request, and prints the texts the module shows.
//
// The abort request comes from RequestAbort (a host's button or command) or,
// once InstallStopSignalHandlers ran, from a stop signal: Ctrl+C (SIGINT), a
// scheduler's cancel or a shutdown (SIGTERM), a closed terminal (SIGHUP). The
// handler only records the signal in a process-wide flag that AbortRequested
// reads; ClearAbort clears both.
#include <atomic>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "host/services.h"

namespace kvbase {

class ConsoleProgress : public host::ProgressDisplay {
  public:
    // Registers "Aborted by user" (section "Progress", key "Aborted") in errors.
    ConsoleProgress(host::Clock& clock, std::ostream& out, host::ErrorService& errors);
    // Takes the abort error code as given.
    ConsoleProgress(host::Clock& clock, std::ostream& out, std::int32_t abortErrorCode);

    // Sleeps on the clock; raises host::Error for a negative, infinite or NaN time.
    void Wait(double seconds) override;
    bool AbortRequested() const override;
    std::int32_t AbortErrorCode() const override { return abortCode_; }
    void ClearAbort() override;
    void RequestAbort() { abort_ = true; }

    void ShowProgress(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void ShowStatusText(const std::string& text) override;
    const std::string& LastProgress() const { return progress_; }
    const std::string& LastMessage() const { return message_; }
    const std::string& LastStatusText() const { return status_; }
    // Printing is on from the start; the texts are recorded either way.
    void SetVerbose(bool verbose) { verbose_ = verbose; }
    // The language of the printed "Message:" and "Status:" labels; nullptr: English.
    void SetTexts(const host::TextCatalog* texts) { texts_ = texts; }
    // Called after every wait and progress text: the host's own view of a
    // long run (it must not throw).
    void SetObserver(std::function<void()> observer) { observer_ = std::move(observer); }

    // Raise host::Error for a value type or control type the host does not
    // know, or a format pattern it cannot write. The definition's name stays
    // empty: its holder names it.
    std::shared_ptr<host::ParamDef> CreateParamDef(const std::string& id, std::int32_t valueType,
                                                   const std::string& caption,
                                                   const std::string& unit, std::int32_t ctrlType,
                                                   const std::string& format,
                                                   const std::string& text1,
                                                   const std::string& text2, bool locked,
                                                   bool flag1, bool flag2) override;
    std::shared_ptr<host::ResultDef> CreateResultDef(const std::string& id, std::int32_t valueType,
                                                     const std::string& caption,
                                                     const std::string& unit,
                                                     const std::string& format) override;

    // SIGINT, SIGTERM and SIGHUP then request an abort instead of ending the
    // process; Remove restores their default actions.
    static void InstallStopSignalHandlers();
    static void RemoveStopSignalHandlers();
    // The stop signal that requested the abort, 0 when none did.
    static int StopSignal();

  private:
    void Print(const std::string& prefix, const std::string& text);

    host::Clock& clock_;
    std::ostream& out_;
    std::int32_t abortCode_;
    std::atomic<bool> abort_{false};
    bool verbose_ = true;
    const host::TextCatalog* texts_ = nullptr;
    std::string progress_, message_, status_;
    std::function<void()> observer_;
};

}  // namespace kvbase
