// embed-host: a host of its own for the acquisition module. It loads the
// module library through its exports, hands the control the reference host's
// services and the simulated instrument, loads a method and measures one sample.
//
//   embed-host [METHOD.json [MODULE.so]]
#include <dlfcn.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/acq_module.h"
#include "host/error.h"
#include "platform/kvdova/documents.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/host_session.h"
#include "platform/loader/reference_host.h"

namespace {

// The control's events: NewDataAvail comes once per measured sample.
class Events final : public host::IUCVIZariEvents {
  public:
    void GraphSelected(std::int32_t) override {}
    void SpreadSelected(std::int32_t) override {}
    void NewDataAvail() override { ++newData; }
    int newData = 0;
};

// The control answers with status numbers; the host's error service has their texts.
void Require(host::Host& h, host::Status status, const std::string& step) {
    if (status != 0) throw host::Error(status, step + " failed: " + h.Errors().MessageText(status));
}

template <class Function>
Function Export(void* library, const char* name) {
    void* symbol = ::dlsym(library, name);
    if (!symbol) throw std::runtime_error(std::string("the library does not export ") + name);
    return reinterpret_cast<Function>(symbol);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string methodPath = argc > 1 ? argv[1] : EMBED_METHOD;
    const std::string modulePath = argc > 2 ? argv[2] : EMBED_MODULE;
    try {
        // 1. The module library and its exports. A host keeps it loaded for its
        //    whole life: the control's code must outlive every object it made.
        void* library = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) throw std::runtime_error(::dlerror());
        auto getClassObject = Export<OrveDllGetClassObject>(library, "DllGetClassObject");
        auto canUnloadNow = Export<OrveDllCanUnloadNow>(library, "DllCanUnloadNow");
        const char* version = "unknown";
        const char* commit = "";
        if (auto getVersion =
                reinterpret_cast<OrveDllGetVersion>(::dlsym(library, "DllGetVersion")))
            getVersion(&version, &commit);
        std::cout << "module " << modulePath << ", version " << version
                  << (*commit ? std::string(" (commit ") + commit + ")" : "") << "\n";
        host::ClassFactory* factory = nullptr;
        if (getClassObject("UCVIZari", &factory) != host::kSOk || !factory)
            throw std::runtime_error("the library has no class UCVIZari");

        // 2. The host's side: every service, document and control model, and
        //    the simulated instrument on a virtual clock (no real waiting).
        auto h = std::make_shared<loader::ReferenceHost>(loader::HostOptions{});
        {
            auto control = factory->CreateInstance(h);
            Events events;
            control->Advise(&events);

            // 3. The start, in the host's order.
            auto config = kvdova::NewUserConfig();
            host::ParamDef autoClear;
            autoClear.id = "AutoClearResults";
            autoClear.dataType = host::kTypeBoolean;
            config->Settings()->Add(autoClear, host::Variant(true));
            auto rights = kvdova::NewUserRights({{"CProcess", "Create"}});
            Require(*h, control->SetupModule(config, rights), "SetupModule");
            Require(*h, control->SetInstrument(1, loader::SimulatedInstrumentInfo(*h)),
                    "SetInstrument");
            control->AvailPages();
            control->DisplayPage(1, host::kVFalse);
            control->LocalizeControl();
            Require(*h, control->UpdateConfigDisplay(), "UpdateConfigDisplay");

            // 4. The method, from its file.
            auto method = kvdova::LoadMethod(methodPath);
            Require(*h, control->LoadMethod(method), "LoadMethod");
            std::cout << "method " << methodPath << ": " << method->RowCount(1) << " positions\n";

            // 5. One sample: the host registers it, the control measures it.
            auto data = h->NewAcqData();
            data->SetText("embed-host");
            data->AddItem(host::ItemGroup::Type1, 1, "S1");
            auto sample = h->NewParamSet();
            host::ParamDef id;
            id.id = h->Environment().SampleIdKey();
            sample->Add(id, host::Variant("S1"));
            Require(*h, control->InitMeasurement(method, data), "InitMeasurement");
            const host::Status measured = control->MeasureSample(method, 1, 1, sample);
            control->ExitMeasurement(method);  // parks the reader, also after a failure
            Require(*h, measured, "MeasureSample");
            for (std::int32_t k = 1; k <= data->ResultCount(); ++k) {
                const auto result = data->Result(k);
                std::printf("sample %s, position %d: intensity %.3f\n",
                            data->ItemId(host::ItemGroup::Type1, result.item).c_str(),
                            result.position, result.record->Value(1));
            }
            std::cout << "NewDataAvail: " << events.newData << "\n";

            // 6. The end.
            control->Terminate();
            control->ReleaseExtender();
            control->Advise(nullptr);
        }
        std::cout << "DllCanUnloadNow: " << (canUnloadNow() == host::kSOk ? "yes" : "no") << "\n";
        return 0;
    } catch (const host::Error& e) {
        std::cerr << "embed-host: " << e.Text() << " (error " << e.Number() << ")\n";
    } catch (const std::exception& e) {
        std::cerr << "embed-host: " << e.what() << "\n";
    }
    return 1;
}
