#include "platform/loader/reference_host.h"

#include <ostream>
#include <streambuf>

#include "host/error.h"
#include "platform/controls/clipboard.h"
#include "platform/controls/control_factory.h"
#include "platform/controls/file_dialogs.h"
#include "platform/kvbase/acq_environment.h"
#include "platform/kvbase/catalog.h"
#include "platform/kvbase/clock.h"
#include "platform/kvbase/error_registry.h"
#include "platform/kvbase/host_texts.h"
#include "platform/kvbase/number_format.h"
#include "platform/kvbase/progress.h"
#include "platform/kvbase/string_tools.h"
#include "platform/kvbase/tools.h"
#include "platform/kvdova/documents.h"
#include "platform/qnserver/server_factory.h"

namespace loader {
namespace {

// Swallows everything: the progress display of a silent host.
class NullBuffer : public std::streambuf {
  protected:
    int overflow(int c) override { return c; }
};

constexpr host::Status kErrHostOptions = 0x7FFF1504;

std::unique_ptr<host::Clock> MakeClock(bool realtime, double speed) {
    if (realtime) return std::make_unique<kvbase::RealClock>(speed);
    return std::make_unique<kvbase::VirtualClock>();
}

}  // namespace

struct ReferenceHost::Impl {
    explicit Impl(const HostOptions& o)
        : clock(MakeClock(o.realtime || !o.server.address.empty(),
                          o.server.address.empty() ? o.speed : 1.0)),
          catalog(o.cataloguePath.empty() ? kvbase::Catalog()
                                          : kvbase::Catalog::Load(o.cataloguePath)),
          nullOut(&nullBuffer),
          progress(*clock, o.progressOut ? *o.progressOut : nullOut, errors),
          controlFactory(numbers, catalog),
          instruments(*clock, qnserver::InstrumentOptions{true, o.seed}) {
        progress.SetTexts(&catalog);
        auto& instrument = instruments.GetInstrument();
        for (const auto& rule : o.simFaults) instrument.AddFaultRule(rule);
        if (!o.transcriptPath.empty()) instrument.GetTranscript().OpenFile(o.transcriptPath);
        if (!o.platePath.empty())
            instrument.GetHardware().SetPlate(qnserver::PlateModel::Load(o.platePath));
        host::InstrumentServerFactory* used = &instruments;
        if (!o.server.address.empty()) {
            if (!o.simFaults.empty() || !o.transcriptPath.empty() || !o.platePath.empty())
                throw host::Error(kErrHostOptions,
                                  kvbase::Say(&catalog,
                                              "fault rules, a transcript and a plate belong to "
                                              "the embedded simulator: with an instrument server, "
                                              "give them to the server"));
            remote = std::make_unique<remote::RemoteInstrumentFactory>(o.server);
            used = remote.get();
        }
        if (o.instrumentCalls) {
            routed = std::make_unique<RoutedInstruments>(*used, o.instrumentCalls);
            used = routed.get();
        }
        if (o.serverCalls) {
            timed = std::make_unique<TimedInstruments>(*used, *clock, o.serverCalls);
            used = timed.get();
        }
        chosen = used;
    }

    std::unique_ptr<host::Clock> clock;
    kvbase::ErrorRegistry errors;
    kvbase::Numbers numbers;
    kvbase::Catalog catalog;
    kvbase::Strings strings;
    NullBuffer nullBuffer;
    std::ostream nullOut;
    kvbase::ConsoleProgress progress;
    kvbase::Environment environment;
    kvbase::Math math;
    kvbase::Paths paths;
    controls::ControlFactory controlFactory;
    controls::Clipboard clipboard;
    controls::HeadlessFileDialogs dialogs;
    qnserver::ServerFactory instruments;
    std::unique_ptr<remote::RemoteInstrumentFactory> remote;  // instead of the simulator
    std::unique_ptr<RoutedInstruments> routed;  // in front of that when calls are routed
    std::unique_ptr<TimedInstruments> timed;    // in front of both when calls are observed
    host::InstrumentServerFactory* chosen = nullptr;
};

ReferenceHost::ReferenceHost(const HostOptions& options) : impl_(std::make_unique<Impl>(options)) {}
ReferenceHost::~ReferenceHost() = default;

host::ErrorService& ReferenceHost::Errors() {
    return impl_->errors;
}
host::TextCatalog& ReferenceHost::Texts() {
    return impl_->catalog;
}
host::NumberFormat& ReferenceHost::Numbers() {
    return impl_->numbers;
}
host::ProgressDisplay& ReferenceHost::Progress() {
    return progress_ ? *progress_ : static_cast<host::ProgressDisplay&>(impl_->progress);
}
host::StringTools& ReferenceHost::Strings() {
    return impl_->strings;
}
host::AcqEnvironment& ReferenceHost::Environment() {
    return impl_->environment;
}
host::MathTools& ReferenceHost::Math() {
    return impl_->math;
}
host::PathTools& ReferenceHost::Paths() {
    return impl_->paths;
}
host::Clock& ReferenceHost::GetClock() {
    return *impl_->clock;
}
host::ControlFactory& ReferenceHost::Controls() {
    return impl_->controlFactory;
}
host::Clipboard& ReferenceHost::GetClipboard() {
    return clipboard_ ? *clipboard_ : static_cast<host::Clipboard&>(impl_->clipboard);
}
host::FileDialogs& ReferenceHost::Dialogs() {
    return dialogs_ ? *dialogs_ : static_cast<host::FileDialogs&>(impl_->dialogs);
}
host::InstrumentServerFactory& ReferenceHost::Instruments() {
    return *impl_->chosen;
}

std::shared_ptr<host::PageList> ReferenceHost::NewPageList() {
    return kvdova::NewPageList();
}
std::shared_ptr<host::ParamSet> ReferenceHost::NewParamSet() {
    return kvdova::NewParamSet();
}
std::shared_ptr<host::ParamDefList> ReferenceHost::NewParamDefList() {
    return kvdova::NewParamDefList();
}
std::shared_ptr<host::ResultDefList> ReferenceHost::NewResultDefList() {
    return kvdova::NewResultDefList();
}
std::shared_ptr<host::MethodObject> ReferenceHost::NewMethodObject() {
    return kvdova::NewMethodObject();
}
std::shared_ptr<host::ResultRecord> ReferenceHost::NewResultRecord() {
    return kvdova::NewResultRecord();
}
std::shared_ptr<host::InstrumentInfo> ReferenceHost::NewInstrumentInfo() {
    return kvdova::NewInstrumentInfo();
}
std::shared_ptr<host::AcqData> ReferenceHost::NewAcqData() {
    return kvdova::NewAcqData();
}

kvbase::ConsoleProgress& ReferenceHost::Console() {
    return impl_->progress;
}
controls::HeadlessFileDialogs& ReferenceHost::HeadlessDialogs() {
    return impl_->dialogs;
}
controls::ControlFactory& ReferenceHost::Factory() {
    return impl_->controlFactory;
}
qnserver::ServerFactory& ReferenceHost::Simulator() {
    return impl_->instruments;
}

}  // namespace loader
