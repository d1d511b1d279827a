// orvevizari-server: the simulated plate reader as an instrument server
// program on the real clock, for hosts that reach it with --server.
#include <signal.h>

#include <CLI/CLI.hpp>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>

#include <fmt/format.h>

#include "host/error.h"
#include "module/version.h"
#include "platform/loader/reference_host.h"
#include "platform/qnserver/server_factory.h"
#include "platform/remote/address.h"
#include "platform/remote/errors.h"
#include "platform/remote/instrument_service.h"
#include "platform/remote/serial_instruments.h"

namespace {

void Log(const std::string& line) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &tm);
    std::cerr << "orvevizari-server " << when << ": " << line << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"orvevizari-server - the simulated plate reader as an instrument server"};
    app.set_version_flag("--version", "orvevizari-server " + module::VersionText());
    remote::ServeOptions serve;
    serve.address = remote::DefaultAddress();
    double speed = 1.0;
    std::vector<std::string> faults;
    std::string transcript, plate;
    std::uint32_t seed = loader::HostOptions{}.seed;
    app.add_option("--listen", serve.address,
                   "unix:PATH or HOST:PORT; TCP without TLS only on loopback")
        ->capture_default_str();
    app.add_option("--tls-cert", serve.certFile, "TLS: the server's certificate chain (PEM)")
        ->check(CLI::ExistingFile);
    app.add_option("--tls-key", serve.keyFile, "TLS: the certificate's private key (PEM)")
        ->check(CLI::ExistingFile);
    app.add_option("--tls-client-ca", serve.clientCaFile,
                   "TLS: admit only clients with a certificate from this authority (PEM)")
        ->check(CLI::ExistingFile);
    app.add_flag("--insecure", serve.insecure,
                 "serve plain text on an address other machines can reach");
    app.add_option("--speed", speed, "divide every physical time by this (demos and tests)")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    app.add_option("--sim-fault", faults, "fault rule PREFIX[#N]=REPLY (repeatable)");
    app.add_option("--plate", plate, "well concentrations")->check(CLI::ExistingFile);
    app.add_option("--transcript", transcript, "write every instrument exchange to this file");
    bool overwrite = false;
    app.add_flag("--overwrite", overwrite, "replace an existing transcript");
    app.add_option("--seed", seed, "noise of the simulated detector")->capture_default_str();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }

    // Blocked before any thread starts, so that only the wait below takes them.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    std::error_code error;
    if (!transcript.empty() && !overwrite && std::filesystem::exists(transcript, error)) {
        std::cerr << "orvevizari-server: the transcript '" << transcript
                  << "' exists already; give --overwrite to replace it\n";
        return 2;
    }
    try {
        remote::SerialInstruments serial(speed);
        qnserver::ServerFactory simulator(serial.Clock(), qnserver::InstrumentOptions{true, seed});
        auto& instrument = simulator.GetInstrument();
        for (const auto& rule : faults) instrument.AddFaultRule(rule);
        if (!transcript.empty()) instrument.GetTranscript().OpenFile(transcript);
        if (!plate.empty()) instrument.GetHardware().SetPlate(qnserver::PlateModel::Load(plate));
        serial.Serve(simulator);
        remote::InstrumentService service(serial, serve, Log);
        Log(fmt::format("{} listening on {}{}, speed {}", module::VersionText(), service.Address(),
                        serve.certFile.empty() ? "" : " (TLS)", speed));
        int signal = 0;
        sigwait(&stop, &signal);
        Log(fmt::format("{}: stopping", ::strsignal(signal)));
        service.Shutdown();
        Log("stopped");
        return 0;
    } catch (const host::Error& e) {
        std::cerr << "orvevizari-server: " << e.Text() << "\n";
        return e.Number() == remote::kErrRemoteServe ? 1 : 2;
    }
}
