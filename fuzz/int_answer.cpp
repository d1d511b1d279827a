// The instrument's answer to "Get Int", split by the control into the three
// values of a position's result while it measures a sample.
//
// Input: the answer text. A fresh reference host and control measure one
// sample of a two-position method against the simulated instrument, whose
// answers to "Get Int" are replaced by the input.
//
// Checked: the sample succeeds exactly when the answer holds two numbers
// before and after its first "," (a second "," starts the flag); then every
// position's result holds the two numbers and the flag (-1 for "1", else 0),
// and the result grid shows the first number.
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_support.h"
#include "host/context.h"
#include "host/control.h"
#include "host/forms.h"
#include "module/class_factory.h"
#include "platform/kvbase/decimal_text.h"
#include "platform/kvdova/documents.h"
#include "platform/kvdova/method_object.h"
#include "platform/loader/forwarding_server.h"
#include "platform/loader/host_session.h"
#include "platform/loader/reference_host.h"

namespace {

using fuzz::Expect;

// The simulator, except that a finished "Get Int" answers the input.
class AnswerServer : public loader::ForwardingServer {
  public:
    AnswerServer(std::shared_ptr<host::InstrumentServer> inner, const std::string& answer)
        : ForwardingServer(std::move(inner)), answer_(answer) {}

    std::string ExecSynch(const std::string& command, std::string& answer) override {
        std::string reply = Inner().ExecSynch(command, answer);
        if (reply.empty() && IsGetInt(command)) answer = answer_;
        return reply;
    }
    std::string StartAsynch(const std::string& command) override {
        pendingInt_ = IsGetInt(command);
        return Inner().StartAsynch(command);
    }
    std::string PollAsynch(std::string& answer) override {
        std::string reply = Inner().PollAsynch(answer);
        if (reply == Inner().BusyReply() || !pendingInt_) return reply;
        pendingInt_ = false;
        if (reply.empty()) answer = answer_;
        return reply;
    }

  private:
    static bool IsGetInt(const std::string& command) { return host::IEquals(command, "Get Int"); }

    const std::string& answer_;
    bool pendingInt_ = false;
};

loader::HostOptions QuietOptions() {
    loader::HostOptions options;
    options.cataloguePath.clear();
    return options;
}

class AnswerHost : public loader::ReferenceHost {
  public:
    explicit AnswerHost(const std::string& answer)
        : ReferenceHost(QuietOptions()),
          factory_(ReferenceHost::Instruments(),
                   [&answer](std::shared_ptr<host::InstrumentServer> inner) {
                       return std::make_shared<AnswerServer>(std::move(inner), answer);
                   }) {}
    host::InstrumentServerFactory& Instruments() override { return factory_; }

  private:
    loader::WrappingFactory factory_;
};

struct Expected {
    bool ok = false;
    double intensity = 0.0, second = 0.0, flag = 0.0;
};

// The answer as the instrument defines it: "intensity,second[,flag]".
Expected Split(const std::string& answer) {
    Expected e;
    const auto first = answer.find(',');
    if (first == std::string::npos) return e;
    const auto second = answer.find(',', first + 1);
    const std::string a = answer.substr(0, first);
    const std::string b = answer.substr(
        first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    const std::string rest = second == std::string::npos ? "" : answer.substr(second + 1);
    try {
        e.intensity = kvbase::ParseNumberStrict(a);
        e.second = kvbase::ParseNumberStrict(b);
    } catch (const host::Error&) {
        return e;
    }
    e.flag = rest == "1" ? -1.0 : 0.0;
    e.ok = true;
    return e;
}

bool Same(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

// Two positions on the plate, fluorescence mode; built as a host would
// store it, so the page's method entries play no part.
std::shared_ptr<kvdova::MethodObject> TwoPositionMethod() {
    auto method = std::make_shared<kvdova::MethodObject>();
    auto add = [&](const char* id, const host::Variant& value) {
        host::ParamDef def;
        def.id = id;
        def.dataType =
            value.GetKind() == host::Variant::Kind::Text ? host::kTypeText : host::kTypeNumber;
        method->Params()->Add(def, value);
    };
    add("ExWl", host::Variant(400.0));
    add("EmWl", host::Variant(500.0));
    add("ExSlit", host::Variant(10.0));
    add("EmSlit", host::Variant(10.0));
    add("IntTime", host::Variant(0.1));
    add("Voltage", host::Variant(775.0));
    add("Lamp", host::Variant("On"));
    add("EmMirror", host::Variant("In"));
    add("LumMode", host::Variant("Fluor"));
    method->SetTableCount(1);
    method->SetColumnCount(1, 4);
    method->SetRowCount(1, 2);
    const double cells[2][4] = {{12.5, 4.0, 485.0, 520.0}, {21.5, 13.0, 350.0, 450.0}};
    for (std::int32_t r = 1; r <= 2; ++r)
        for (std::int32_t c = 1; c <= 4; ++c)
            method->SetCell(1, c, r, host::Variant(cells[r - 1][c - 1]));
    return method;
}

void Require(host::Host& h, host::Status status, const char* step) {
    if (status == 0) return;
    fuzz::Fault(std::string(step) + " failed: " + h.Errors().MessageText(status) + " (" +
                std::to_string(status) + ")");
}

void MeasureOneSample(const std::string& answer) {
    auto h = std::make_shared<AnswerHost>(answer);
    auto control = module::TheClassFactory().CreateInstance(h);
    auto config = kvdova::NewUserConfig();
    host::ParamDef autoClear;
    autoClear.id = "AutoClearResults";
    autoClear.dataType = host::kTypeBoolean;
    config->Settings()->Add(autoClear, host::Variant(true));
    Require(*h, control->SetupModule(config, kvdova::NewUserRights({{"CProcess", "Create"}})),
            "SetupModule");
    Require(*h, control->SetInstrument(1, loader::SimulatedInstrumentInfo(*h)), "SetInstrument");
    control->AvailPages();
    control->DisplayPage(1, host::kVFalse);
    Require(*h, control->UpdateConfigDisplay(), "UpdateConfigDisplay");
    auto method = TwoPositionMethod();
    Require(*h, control->LoadMethod(method), "LoadMethod");
    auto data = h->NewAcqData();
    Require(*h, control->InitMeasurement(method, data), "InitMeasurement");

    auto sample = h->NewParamSet();
    host::ParamDef idDef;
    idDef.id = h->Environment().SampleIdKey();
    sample->Add(idDef, host::Variant("A1"));
    data->AddItem(host::ItemGroup::Type1, 1, "A1");
    const host::Status status = control->MeasureSample(method, 1, 1, sample);

    const Expected e = Split(answer);
    if ((status == 0) != e.ok) {
        fuzz::Fault("answer '" + answer + "' " +
                    (e.ok ? "failed the sample: " + h->Errors().MessageText(status)
                          : std::string("was taken as a reading")));
    }
    if (e.ok) {
        const std::int32_t positions = method->RowCount(1);
        Expect(data->ResultCount() == positions, "a position's result is missing");
        for (std::int32_t k = 1; k <= data->ResultCount(); ++k) {
            const host::StoredResult stored = data->Result(k);
            const host::ResultRecord& r = *stored.record;
            Expect(
                Same(r.Value(1), e.intensity) && Same(r.Value(2), e.second) && r.Value(3) == e.flag,
                "answer '" + answer + "' is stored as other values");
        }
        auto grid = host::As<host::KVSpread>(control->Surface().Find("KVSResult"));
        Expect(grid != nullptr, "the page has no result grid");
        for (std::int32_t i = 1; i <= positions; ++i) {
            Expect(Same(grid->Cell(1 + i, grid->RowCount()).ToDouble(), e.intensity),
                   "answer '" + answer + "' is shown as another intensity");
        }
    }
    control->ExitMeasurement(method);
}

// The class factory hands the host to the thread; it goes with the input.
struct ThreadHostReset {
    ~ThreadHostReset() { host::SetCurrentHost(nullptr); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::Run([&] {
        ThreadHostReset reset;
        MeasureOneSample(std::string(reinterpret_cast<const char*>(data), size));
    });
}
