#include "platform/kvbase/progress.h"

#include <csignal>
#include <ostream>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/error_numbers.h"
#include "platform/kvbase/host_texts.h"
#include "platform/kvbase/number_format.h"

namespace kvbase {
namespace {

std::atomic<int> gStopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnStopSignal(int signal) {
    gStopSignal.store(signal);
}

void SetStopSignalAction(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

void CheckValueType(std::int32_t valueType, const std::string& id) {
    if (!Numbers::IsKnownDataType(valueType)) {
        throw host::Error(kErrArgument,
                          fmt::format("definition '{}': unknown value type {}", id, valueType));
    }
}

void CheckFormat(const std::string& format, const std::string& id) {
    if (!Numbers::IsSupportedPattern(format)) {
        throw host::Error(kErrArgument,
                          fmt::format("definition '{}': unknown number format '{}'", id, format));
    }
}

}  // namespace

ConsoleProgress::ConsoleProgress(host::Clock& clock, std::ostream& out, host::ErrorService& errors)
    : ConsoleProgress(clock, out,
                      errors.RegisterError("Progress", "Aborted", "Aborted by user", false)) {}

ConsoleProgress::ConsoleProgress(host::Clock& clock, std::ostream& out, std::int32_t abortErrorCode)
    : clock_(clock), out_(out), abortCode_(abortErrorCode) {}

void ConsoleProgress::Wait(double seconds) {
    clock_.Sleep(seconds);
    if (observer_) observer_();
}

bool ConsoleProgress::AbortRequested() const {
    return abort_.load() || gStopSignal.load() != 0;
}

void ConsoleProgress::ClearAbort() {
    abort_ = false;
    gStopSignal = 0;
}

void ConsoleProgress::ShowProgress(const std::string& text) {
    progress_ = text;
    Print("", text);
    if (observer_) observer_();
}

void ConsoleProgress::ShowMessage(const std::string& text) {
    message_ = text;
    Print(Say(texts_, "Message:") + " ", text);
}

void ConsoleProgress::ShowStatusText(const std::string& text) {
    status_ = text;
    Print(Say(texts_, "Status:") + " ", text);
}

void ConsoleProgress::Print(const std::string& prefix, const std::string& text) {
    if (verbose_) out_ << prefix << text << '\n' << std::flush;
}

std::shared_ptr<host::ParamDef> ConsoleProgress::CreateParamDef(
    const std::string& id, std::int32_t valueType, const std::string& caption,
    const std::string& unit, std::int32_t ctrlType, const std::string& format,
    const std::string& text1, const std::string& text2, bool locked, bool flag1, bool flag2) {
    CheckValueType(valueType, id);
    if (ctrlType != host::kCtrlEdit && ctrlType != host::kCtrlCheck &&
        ctrlType != host::kCtrlList) {
        throw host::Error(
            kErrArgument,
            fmt::format("definition '{}': unknown control type {} (use 1 edit, 3 check box "
                        "or 5 list)",
                        id, ctrlType));
    }
    CheckFormat(format, id);
    auto def = std::make_shared<host::ParamDef>();
    def->id = id;
    def->dataType = valueType;
    def->caption = caption;
    def->unit = unit;
    def->ctrlType = ctrlType;
    def->format = format;
    def->text1 = text1;
    def->text2 = text2;
    def->locked = locked;
    def->flag1 = flag1;
    def->flag2 = flag2;
    return def;
}

std::shared_ptr<host::ResultDef> ConsoleProgress::CreateResultDef(const std::string& id,
                                                                  std::int32_t valueType,
                                                                  const std::string& caption,
                                                                  const std::string& unit,
                                                                  const std::string& format) {
    CheckValueType(valueType, id);
    CheckFormat(format, id);
    auto def = std::make_shared<host::ResultDef>();
    def->id = id;
    def->valueType = valueType;
    def->caption = caption;
    def->unit = unit;
    def->format = format;
    return def;
}

void ConsoleProgress::InstallStopSignalHandlers() {
    SetStopSignalAction(OnStopSignal);
}

void ConsoleProgress::RemoveStopSignalHandlers() {
    SetStopSignalAction(SIG_DFL);
}

int ConsoleProgress::StopSignal() {
    return gStopSignal.load();
}

}  // namespace kvbase
