#pragma once
#include <limits>
#include <string>

#include <CLI/CLI.hpp>

#include "host/error.h"
#include "platform/kvbase/host_texts.h"
#include "platform/loader/install_layout.h"
#include "platform/loader/measurement_run.h"
#include "platform/remote/errors.h"
#include "platform/remote/remote_factory.h"

namespace cli {

// Exit statuses: 0 done, 1 the instrument or the module reported an error,
// 2 bad arguments or files, 130 aborted by the user (Ctrl-C), 128 + N stopped by
// signal N (143 SIGTERM, 129 SIGHUP).
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadInput = 2;
inline constexpr int kExitAborted = 130;

struct Common {
    std::string library = ORVE_DEFAULT_LIBRARY;
    std::string catalogue = ORVE_DEFAULT_CATALOGUE;
    remote::ClientOptions
        server;  // --server: an instrument server program instead of the simulator
};

// The catalogue of --catalogue, read once and then kept: what this program
// says goes through it. While the arguments are parsed it is the file the
// parser has read so far, so their refusals speak its language too. nullptr
// (English) when none is given or it cannot be read: the refusal of such a
// file comes from the session, as for every input. Nothing here raises.
void TakeTextsFrom(const CLI::Option* catalogueOption);
const host::TextCatalog* Texts() noexcept;

// key in the language of Texts(), with args in its places.
template <class... Args>
std::string Say(kvbase::HostText<std::type_identity_t<Args>...> key, const Args&... args) {
    return kvbase::Say(Texts(), key, args...);
}

// Raised by this program or its platform (0x7FFFxxxx), not a status the module returned.
inline bool IsHostError(host::Status s) {
    return (static_cast<std::uint32_t>(s) >> 16) == 0x7FFFu;
}

// An instrument server that cannot be reached is an instrument's failure;
// anything else raised before the work began is bad input.
inline int ExitFor(const host::Error& e) {
    return e.Number() == remote::kErrRemoteCall ? kExitFailed : kExitBadInput;
}

// The catalogue and the module library every command reads are its inputs
// too: no output replaces them, --overwrite or not. Raises host::Error
// (loader::kErrRunFiles) naming the output.
inline void RefuseProgramInputs(const Common& common, const std::string& path,
                                kvbase::HostText<> what) {
    if (path.empty()) return;
    const auto refuse = [&](kvbase::HostText<> input) {
        throw host::Error(
            loader::kErrRunFiles,
            Say("{} '{}' is {}; an output never replaces an input", Say(what), path, Say(input)));
    };
    if (!common.catalogue.empty() && loader::SameFile(path, common.catalogue))
        refuse("the catalogue");
    if (!common.library.empty() && loader::SameFile(path, common.library))
        refuse("the module library");
}

// For a command line the parser refused: "unknown command 'mesure'; did you
// mean 'measure'?" for the first word that names no command or option where
// it stands; with somethingMissing (the parser missed a required word), for a
// command of commands given without one: "'method' needs one of its
// commands: new, show"; empty when every word is known.
std::string MisspeltWord(const CLI::App& app, int argc, const char* const* argv,
                         bool somethingMissing);

// Validators whose refusal a person understands: "'x' is not a number",
// "'0' is outside the range 1 to 100".
CLI::Validator NumberIn(double lo, double hi, bool whole);
inline CLI::Validator AnyNumber() {
    return NumberIn(-std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), false);
}
CLI::Validator PositiveNumber();

int Info(const Common& common);
int Register(const Common& common, bool add);

void AddInstrumentCommands(CLI::App& app, Common& common);
int RunInstrumentCommands(CLI::App& app, const Common& common);

// Each Run... returns -1 when none of its commands was given.
void AddMethodCommands(CLI::App& app, Common& common);
int RunMethodCommands(CLI::App& app, const Common& common);
void AddMeasureCommands(CLI::App& app, Common& common);
int RunMeasureCommands(CLI::App& app, const Common& common);
// After AddMeasureCommands, which makes the "results" command.
void AddResultsCommands(CLI::App& app, Common& common);
int RunResultsCommands(CLI::App& app, const Common& common);

}  // namespace cli
