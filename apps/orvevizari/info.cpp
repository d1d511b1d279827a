#include <iostream>

#include "commands.h"
#include "host/error.h"
#include "platform/loader/component_loader.h"
#include "platform/loader/host_session.h"
#include "platform/loader/reference_host.h"

namespace cli {

int Info(const Common& common) {
    try {
        auto lib = loader::ComponentLibrary::Open(common.library, Texts());
        loader::HostOptions options;
        options.cataloguePath = common.catalogue;
        options.server = common.server;
        auto host = std::make_shared<loader::ReferenceHost>(options);
        auto control = lib->CreateControl(host);
        std::cout << Say("library: {}", lib->Path()) << "\n";
        std::cout << Say("version: {}", lib->Version()) << "\n";
        std::cout << Say("catalogue: {}",
                         common.catalogue.empty() ? Say("(none)") : common.catalogue)
                  << "\n";
        std::cout << Say("examples: {}", loader::ExamplesFolder()) << "\n";
        auto pages = control->AvailPages();
        std::cout << Say("pages:") << "\n";
        for (std::int32_t i = 1; i <= pages->Count(); ++i)
            std::cout << "  " << pages->Descriptor(i) << "\n";
        std::cout << "NrUsedInstruments: " << control->NrUsedInstruments() << "\n";
        std::cout << "UsedInstType(1): " << control->UsedInstType(1) << "\n";
        auto instrument = loader::SimulatedInstrumentInfo(*host);
        std::cout << Say("instrument: {} {} ({})", instrument->Type(), instrument->Serial(),
                         common.server.address.empty() ? Say("embedded simulator")
                                                       : Say("server {}", common.server.address))
                  << "\n";
        std::cout << Say("registered errors:") << "\n";
        for (const auto& e : host->Errors().Entries()) {
            std::cout << "  "
                      << Say("{}/{} code {} status {}: {}", e.section, e.key, e.code, e.status,
                             e.message)
                      << "\n";
        }
        control->Terminate();
        control->ReleaseExtender();
        return kExitOk;
    } catch (const host::Error& e) {
        std::cerr << "orvevizari: " << e.Text() << "\n";
        return ExitFor(e);
    }
}

int Register(const Common& common, bool add) {
    try {
        auto lib = loader::ComponentLibrary::Open(common.library, Texts());
        std::int32_t rc = add ? lib->Register() : lib->Unregister();
        if (rc != host::kSOk) {
            const auto result = static_cast<std::uint32_t>(rc);
            std::cerr << "orvevizari: "
                      << (add ? Say("registration failed (result {:x})", result)
                              : Say("unregistration failed (result {:x})", result))
                      << "\n";
            return kExitFailed;
        }
        std::cout << (add ? Say("registered UCVIZari in {}", loader::RegistryFilePath())
                          : Say("removed UCVIZari from {}", loader::RegistryFilePath()))
                  << "\n";
        return kExitOk;
    } catch (const host::Error& e) {
        std::cerr << "orvevizari: " << e.Text() << "\n";
        return kExitBadInput;
    }
}

}  // namespace cli
