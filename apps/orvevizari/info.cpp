#include <iostream>

#include "commands.h"
#include "host/error.h"
#include "platform/loader/component_loader.h"
#include "platform/loader/host_session.h"
#include "platform/loader/reference_host.h"

namespace cli {

int Info(const Common& common) {
    try {
        auto lib = loader::ComponentLibrary::Open(common.library);
        loader::HostOptions options;
        options.cataloguePath = common.catalogue;
        options.server = common.server;
        auto host = std::make_shared<loader::ReferenceHost>(options);
        auto control = lib->CreateControl(host);
        std::cout << "library: " << lib->Path() << "\n";
        std::cout << "version: " << lib->Version() << "\n";
        std::cout << "catalogue: " << (common.catalogue.empty() ? "(none)" : common.catalogue)
                  << "\n";
        std::cout << "examples: " << loader::ExamplesFolder() << "\n";
        auto pages = control->AvailPages();
        std::cout << "pages:\n";
        for (std::int32_t i = 1; i <= pages->Count(); ++i)
            std::cout << "  " << pages->Descriptor(i) << "\n";
        std::cout << "NrUsedInstruments: " << control->NrUsedInstruments() << "\n";
        std::cout << "UsedInstType(1): " << control->UsedInstType(1) << "\n";
        auto instrument = loader::SimulatedInstrumentInfo(*host);
        std::cout << "instrument: " << instrument->Type() << " " << instrument->Serial() << " ("
                  << (common.server.address.empty() ? "embedded simulator"
                                                    : "server " + common.server.address)
                  << ")\n";
        std::cout << "registered errors:\n";
        for (const auto& e : host->Errors().Entries()) {
            std::cout << "  " << e.section << "/" << e.key << " code " << e.code << " status "
                      << e.status << ": " << e.message << "\n";
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
        auto lib = loader::ComponentLibrary::Open(common.library);
        std::int32_t rc = add ? lib->Register() : lib->Unregister();
        if (rc != host::kSOk) {
            std::cerr << "orvevizari: " << (add ? "registration" : "unregistration")
                      << " failed (result " << std::hex << static_cast<std::uint32_t>(rc) << ")\n";
            return kExitFailed;
        }
        std::cout << (add ? "registered UCVIZari in " : "removed UCVIZari from ")
                  << loader::RegistryFilePath() << "\n";
        return kExitOk;
    } catch (const host::Error& e) {
        std::cerr << "orvevizari: " << e.Text() << "\n";
        return kExitBadInput;
    }
}

}  // namespace cli
