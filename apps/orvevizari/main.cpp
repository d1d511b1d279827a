// orvevizari: the command-line host. It loads the module as any host does and
// lets a lab user inspect it, handle method files and measure plates.
#include <CLI/CLI.hpp>

#include <csignal>
#include <iostream>

#include "commands.h"
#include "module/version.h"

int main(int argc, char** argv) {
    // A reader of our output that went away (a closed terminal's pipe) must
    // not end a run before the reader is parked and the data saved: writes
    // then fail quietly instead.
    std::signal(SIGPIPE, SIG_IGN);
    // A file-size limit (or a full disk) is a failed write the run reports
    // and stops on, not the end of the process.
    std::signal(SIGXFSZ, SIG_IGN);
    CLI::App app{"orvevizari - well-plate reader acquisition from the command line"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "orvevizari " + module::VersionText());
    app.fallthrough();  // the options below may follow the command too
    cli::Common common;
    app.add_option("--library", common.library, "component library to load")->capture_default_str();
    cli::TakeTextsFrom(app.add_option("--catalogue", common.catalogue, "text catalogue (JSON)")
                           ->capture_default_str());
    app.add_option("--server", common.server.address,
                   "an instrument server (unix:PATH or HOST:PORT) instead of the simulator");
    app.add_option("--tls-ca", common.server.caFile,
                   "TLS: trust the server's certificate from this authority (PEM)")
        ->check(CLI::ExistingFile);
    app.add_option("--tls-cert", common.server.certFile,
                   "TLS: this client's certificate, for a server that asks (PEM)")
        ->check(CLI::ExistingFile);
    app.add_option("--tls-key", common.server.keyFile, "TLS: the client certificate's key (PEM)")
        ->check(CLI::ExistingFile);

    auto* info = app.add_subcommand(
        "info", "load the module and show its pages, instrument and error codes");
    auto* reg = app.add_subcommand("register", "register the module's control class");
    auto* unreg =
        app.add_subcommand("unregister", "remove the module's control class from the registry");
    cli::AddInstrumentCommands(app, common);
    cli::AddMethodCommands(app, common);
    cli::AddMeasureCommands(app, common);
    cli::AddResultsCommands(app, common);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);  // --help
        // A misspelt word is named with what it most likely meant; the
        // parser's own message would only say what it did not expect.
        const std::string misspelt = cli::MisspeltWord(
            app, argc, argv, dynamic_cast<const CLI::RequiredError*>(&e) != nullptr);
        std::cerr << "orvevizari: " << (misspelt.empty() ? std::string(e.what()) : misspelt) << "\n"
                  << cli::Say("Run with --help for more information.") << "\n";
        return cli::kExitBadInput;
    }
    if (info->parsed()) return cli::Info(common);
    if (reg->parsed()) return cli::Register(common, true);
    if (unreg->parsed()) return cli::Register(common, false);
    if (int rc = cli::RunMethodCommands(app, common); rc >= 0) return rc;
    if (int rc = cli::RunMeasureCommands(app, common); rc >= 0) return rc;
    if (int rc = cli::RunResultsCommands(app, common); rc >= 0) return rc;
    return cli::RunInstrumentCommands(app, common);
}
