// orvevizari instrument describe | send: talks to the simulated instrument the
// way the module does, through its proxy.
#include <iostream>

#include "commands.h"
#include "host/context.h"
#include "host/error.h"
#include "platform/kvdova/documents.h"
#include "platform/loader/measurement_run.h"
#include "platform/loader/reference_host.h"
#include "proxy/corve_proxy.h"

namespace cli {
namespace {

struct InstrumentArgs {
    std::string transcript;
    std::vector<std::string> faults;
    std::vector<std::string> commands;
    bool overwrite = false;
} gArgs;

CLI::App* gDescribe = nullptr;
CLI::App* gSend = nullptr;

std::shared_ptr<loader::ReferenceHost> MakeHost(const Common& common) {
    // The transcript replaces a file only when asked to, as in measure.
    if (!gArgs.transcript.empty()) {
        RefuseProgramInputs(common, gArgs.transcript, "the transcript");
        loader::CheckOutputFile(gArgs.transcript, "the transcript", gArgs.overwrite, Texts());
    }
    loader::HostOptions options;
    options.cataloguePath = common.catalogue;
    options.transcriptPath = gArgs.transcript;
    options.simFaults = gArgs.faults;
    options.server = common.server;
    auto h = std::make_shared<loader::ReferenceHost>(options);
    host::SetCurrentHost(h);
    return h;
}

int Describe(const Common& common) {
    auto h = MakeHost(common);
    proxy::CORVEProxy proxy;
    auto desc = h->NewParamDefList();
    proxy.GetInstSetupDesc(*desc);
    if (desc->Count() == 0) {
        std::cerr << "orvevizari: " << Say("the instrument delivered no setup description") << "\n";
        return kExitFailed;
    }
    std::cout << "ID\ttype\tname\tformat\trange\tdefault\n";
    for (std::int32_t i = 1; i <= desc->Count(); ++i) {
        auto d = desc->Item(i);
        std::cout << d->id << '\t' << d->dataType << '\t' << d->name << '\t' << d->format << '\t'
                  << d->range << '\t' << d->text1 << '\n';
    }
    return kExitOk;
}

// "Set "/"Get " go through the property operations, "SetM WL="/"SetM Wl="
// asynchronously, anything else synchronously.
int Send(const Common& common) {
    auto h = MakeHost(common);
    proxy::CORVEProxy proxy;
    int exit = kExitOk;
    for (const auto& cmd : gArgs.commands) {
        std::string answer;
        host::Status status;
        if (host::IStartsWith(cmd, "Set ") && cmd.find('=') != std::string::npos) {
            auto eq = cmd.find('=');
            status = proxy.SendProperty(cmd.substr(4, eq - 4), cmd.substr(eq + 1));
        } else if (host::IStartsWith(cmd, "Get ")) {
            status = proxy.ReadProperty(cmd.substr(4), answer);
        } else if (host::IStartsWith(cmd, "SetM WL=")) {
            status = proxy.ExecCommandAsynch(cmd, answer);
        } else {
            status = proxy.ExecCommandSynch(cmd, answer);
        }
        std::cout << cmd << "\n  " << Say("status: {}", status);
        if (status != 0) {
            std::cout << "\n  " << Say("message: {}", h->Errors().MessageText(status));
            exit = kExitFailed;
        }
        if (!answer.empty()) std::cout << "\n  " << Say("answer: {}", answer);
        std::cout << "\n";
    }
    return exit;
}

}  // namespace

void AddInstrumentCommands(CLI::App& app, Common&) {
    auto* inst = app.add_subcommand("instrument",
                                    "talk to the simulated instrument through the module's proxy");
    inst->require_subcommand(1);
    for (auto* sub :
         {gDescribe = inst->add_subcommand("describe", "print the instrument's setup description"),
         gSend = inst->add_subcommand("send", "send commands as the module would")}) {
        sub->add_option("--transcript", gArgs.transcript, "write every exchange to this file");
        sub->add_flag("--overwrite", gArgs.overwrite, "replace an existing transcript");
        sub->add_option("--sim-fault", gArgs.faults,
                        "fault rule PREFIX[#N]=REPLY for the simulator");
    }
    gSend
        ->add_option("commands", gArgs.commands,
                     "instrument commands, e.g. \"Set Lamp=On\" \"Get Lamp\"")
        ->required();
}

int RunInstrumentCommands(CLI::App&, const Common& common) {
    try {
        if (gDescribe && gDescribe->parsed()) return Describe(common);
        if (gSend && gSend->parsed()) return Send(common);
    } catch (const host::Error& e) {
        std::cerr << "orvevizari: " << e.Text() << "\n";
        return ExitFor(e);
    }
    return kExitBadInput;
}

}  // namespace cli
