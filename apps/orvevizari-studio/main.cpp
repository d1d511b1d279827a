// orvevizari-studio: the module's page in a window.
#include <QApplication>
#include <QTimer>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>

#include "host/error.h"
#include "module/version.h"
#include "platform/loader/component_loader.h"
#include "platform/qt/stop_signals.h"
#include "platform/qt/studio_window.h"

int main(int argc, char** argv) {
    CLI::App cli{"orvevizari-studio - the acquisition module in a window"};
    qtview::StudioOptions options;
    std::string method, screenshot;
    int demoSamples = 0;
    cli.set_version_flag("--version", "orvevizari-studio " + module::VersionText());
    cli.add_option("--library", options.library, "component library to load")
        ->capture_default_str();
    cli.add_option("--catalogue", options.catalogue, "text catalogue (JSON)")
        ->capture_default_str();
    options.runsFolder = (std::filesystem::path(loader::DataFolder()) / "runs").string();
    cli.add_option("--runs", options.runsFolder, "save every run's acquisition data here")
        ->capture_default_str();
    cli.add_option("--method", method, "open this method file")->check(CLI::ExistingFile);
    cli.add_option("--demo-run", demoSamples, "measure N samples at once on the virtual clock")
        ->check(CLI::Range(1, 10000));
    cli.add_option("--screenshot", screenshot,
                   "save a picture of the window to this PNG file and quit");
    cli.add_option("--server", options.server.address,
                   "an instrument server (unix:PATH or HOST:PORT) instead of the simulator");
    cli.add_option("--tls-ca", options.server.caFile,
                   "TLS: trust the server's certificate from this authority (PEM)")
        ->check(CLI::ExistingFile);
    cli.add_option("--tls-cert", options.server.certFile,
                   "TLS: this client's certificate, for a server that asks (PEM)")
        ->check(CLI::ExistingFile);
    cli.add_option("--tls-key", options.server.keyFile, "TLS: the client certificate's key (PEM)")
        ->check(CLI::ExistingFile);
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : 2;
    }
    // A server's instrument keeps real time whatever the window does.
    options.virtualClock =
        (demoSamples > 0 || !screenshot.empty()) && options.server.address.empty();
    // A picture shows the window as it first starts, whatever a person left.
    options.rememberWindow = screenshot.empty();
    // A picture or a demonstration asks nothing.
    options.offerRecovery = screenshot.empty() && demoSamples <= 0;
    QApplication app(argc, argv);
    try {
        qtview::StudioWindow window(options);
        // A stop signal closes the window without asking anyone: a run is
        // stopped and what it measured kept before the program ends.
        qtview::StopSignalNotifier stopSignals;
        QObject::connect(&stopSignals, &qtview::StopSignalNotifier::StopRequested, &window,
                         [&window](int signal) { window.StopAndClose(signal); });
        if (!screenshot.empty()) window.resize(1280, 680);
        if (!method.empty() && !window.OpenMethod(QString::fromStdString(method))) return 2;
        window.show();
        if (demoSamples > 0 && !window.Measure(demoSamples).completed) return 1;
        if (!screenshot.empty()) {
            QTimer::singleShot(200, [&] {
                if (!window.grab().save(QString::fromStdString(screenshot))) {
                    std::cerr << "orvevizari-studio: cannot write " << screenshot << "\n";
                    app.exit(1);
                    return;
                }
                app.quit();
            });
        }
        const int status = app.exec();
        return stopSignals.Received() != 0 ? 128 + stopSignals.Received() : status;
    } catch (const host::Error& e) {
        std::cerr << "orvevizari-studio: " << e.Text() << "\n";
        return 2;
    }
}
