#pragma once
// What the hosts say to a person in their own words: the command line's
// headings, summaries, warnings and refusals, and the run's progress and
// refusals. The English text is the key, looked up in the text catalogue; a
// translation holds the same {} places in the same order.
//
// kHostTexts lists every key, so that a catalogue can be checked for all of
// them. A key is checked when the program is compiled: a text missing from the
// list does not build, nor one whose places do not take its arguments.
#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>

#include <fmt/format.h>

#include "host/services.h"

namespace kvbase {

inline constexpr std::string_view kHostTexts[] = {
    // The command line: its arguments, commands, summaries and warnings.
    "'{}' is not a number",
    "'{}' is not a whole number",
    "'{}' is outside the range {} to {}",
    "'{}' is not more than 0",
    "unknown option '{}'; did you mean '{}'?",
    "unknown option '{}'; the options here are: {}",
    "unknown command '{}'; did you mean '{}'?",
    "unknown command '{}'; the commands here are: {}",
    "component library '{}' does not exist",
    "cannot load '{}': {}",
    "unknown error",
    "'{}' is not a component library: it does not export {}",
    "'{}' needs one of its commands: {}",
    "Run with --help for more information.",
    "library: {}",
    "version: {}",
    "catalogue: {}",
    "(none)",
    "examples: {}",
    "pages:",
    "instrument: {} {} ({})",
    "embedded simulator",
    "server {}",
    "registered errors:",
    "{}/{} code {} status {}: {}",
    "registration failed (result {:x})",
    "unregistration failed (result {:x})",
    "registered UCVIZari in {}",
    "removed UCVIZari from {}",
    "the instrument delivered no setup description",
    "status: {}",
    "message: {}",
    "answer: {}",
    "warning: {}",
    "the instrument refused \"{}\"",
    "the instrument refused \"{}\": {}",
    "{} position {}",
    "{} position {} ({})",
    "{} and {} more",
    "1 reading overflowed (the detector was saturated; the value is the detector's limit, not the "
    "sample's): {}",
    "{} readings overflowed (the detector was saturated; the value is the detector's limit, not "
    "the sample's): {}",
    "give either --samples or --sample-id, not both",
    "{} of {} samples measured in {} of {} cycles; instrument time {:.1f} s",
    "{} of {} samples measured; instrument time {:.1f} s",
    "result table: {}",
    "result table NOT saved: {}: {}",
    "acquisition data: {}",
    "acquisition data NOT saved: {}",
    "acquisition data NOT saved: {}: {}",
    "the run's journal keeps the readings before it could not be written: {}",
    "the run's journal keeps every reading: {}",
    "recover it with: orvevizari results recover {}",
    "a reading saved nowhere (neither journal nor data): {}",
    "--fail-on-overflow: the run had overflowed readings",
    "stopped by {}; the reader was parked and what was measured is kept",
    "aborted by the user; what was measured is kept",
    "the run stopped: error {}: {}",
    "the result table was not saved to {}: {}",
    "the journal's last line was cut short when the run was killed; it was dropped",
    "recovered {} of {} ({}): {}",
    "1 reading",
    "{} readings",
    "1 sample",
    "{} samples",
    "the journal {} is kept; remove it once the recovered data are checked",
    "'{}' is not a number of seconds",
    "'{}' is negative: give 0 seconds or more",
    "--positions: no positions given",
    "--positions: position {} is empty",
    "--positions: position {} ('{}') has {} values; each position needs x,y,ex,em",
    "--positions: position {}: {} '{}' is not a number",
    "--plate: {} wells is no plate this host knows; use 96, 384 or 1536",
    "the module's page has no usable '{}'",
    "none",
    "{}: '{}' is not one of {}",
    "{}: \"{}\" does not take '{}' (range {})",
    "\"{}\" holds '{}' (range {})",
    "--gain Custom: give the detector voltage with --voltage V",
    "--gain {} and --voltage {} disagree: {} V is the gain '{}'",
    "the method was not written: {}: {}",
    "the method was not written: {}",
    "wrote {}: \"{}\", 1 position",
    "wrote {}: \"{}\", {} positions",
    "Method: {}",
    "Entries:",
    "Instrument setup:",
    "Positions ({}):",
    "Copy Method:",
    "wrote {}: {} layout, {}, 1 sample",
    "wrote {}: {} layout, {}, {} samples",
    "the picture '{}' must be a .png or .svg file",
    "the picture '{}' must be a .png file",
    "wrote {}: sample {}, {}",
    "{}-well plate",
    "positions on the stage",
    "this build has no Qt, so it cannot draw pictures",
    "{} '{}' is {}; an output never replaces an input",
    "the catalogue",
    "the module library",
    // A run and its files: refusals, progress and warnings.
    "fault rules, a transcript and a plate belong to the embedded simulator: with an instrument "
    "server, give them to the server",
    "Message:",
    "Status:",
    "{} failed: {} (error {})",
    "cycle {} of {} done; the next starts in {}",
    "estimating",
    "cycle {} of {}, sample {} of {}, position {} of {}, elapsed {}, remaining {}",
    "sample {} of {}, position {} of {}, elapsed {}, remaining {}",
    "no samples to measure: give --samples N or --sample-id ID",
    "sample {}: {}",
    "sample {} '{}': {}",
    "sample {}: its ID is not valid UTF-8 text",
    "the data's identifying text is not valid UTF-8 text",
    "result type {} is not valid: it must be 1 or more",
    "--cycles {} is not a number of cycles of at least 1",
    "--interval {} is not a time of 0 seconds or more",
    "{} cycles of {} samples at {} positions are {} readings, more than the {} one run may take",
    "cycle {} started {:.1f} s late: cycle {} took {:.1f} s, longer than the interval of {} s",
    "the run measured nothing; the earlier table is kept",
    "the run measured nothing; the earlier data file is kept",
    "it appeared during the run; it is kept",
    "{} of position {}",
    "method '{}' cannot be used: {}",
    "its method type is '{}', not '{}'",
    "it has no position table (table 1)",
    "its position table (table 1) has {} columns, not {} (X, Y, excitation, emission)",
    "nothing",
    "{} holds {}, which is no number",
    "it has no \"LumMode\" parameter (the instrument setup is missing)",
    "it has no positions to measure",
    "{}: {} mm lies outside the stage travel {} to {} mm",
    "{}, line {}: a {}-well plate",
    "{}: a {}-well plate (it has no \"wells\" line)",
    "{}, but the method '{}' reads the wells of a {}-well plate",
    "the page has no control {}",
    "\"Insert Pos\" did not add position {}",
    "{} does not take {}",
    "{} does not take {} (range {})",
    "the module's page has no result grid",
    "{} '{}' is a folder",
    "{} '{}' exists already; give --overwrite to replace it",
    "the folder of {} '{}' does not exist",
    "{} and {} would both be '{}'",
    "a run journal '{}' lies beside the data file: an earlier run into '{}' was interrupted. "
    "Recover its readings first with: orvevizari results recover {}",
    "it exists already; give --overwrite to replace it",
    "the table was not written",
    "cannot make the folder '{}' for run data: {}",
    "not a folder",
    "cannot make a run data file in '{}': {}",
    "cannot make a run data file in '{}': every name for {} is taken",
    "'{}' is the journal itself: give another data file",
    "{}: the file holds no method to lay out its results",
    "the result table",
    "the acquisition data file",
    "the transcript",
    "the method being measured",
    "an input of the run",
    "the run's journal",
    "the method file",
    // Exports and pictures.
    "no output file given",
    "the output '{}' is the data file itself",
    "the output '{}' is a folder",
    "the output '{}' exists already; give --overwrite to replace it",
    "the folder '{}' of the output '{}' does not exist",
    "the output '{}' appeared while it was being made; give --overwrite to replace it",

};

namespace detail {
// Named in the compiler's message for a key that kHostTexts lacks.
void TextIsNotInHostTexts();
}  // namespace detail

// A key of kHostTexts whose places take Args.
template <class... Args>
class HostText {
  public:
    template <class S, class = std::enable_if_t<std::is_convertible_v<const S&, std::string_view>>>
    consteval HostText(const S& key) : key_(key) {
        (void)fmt::format_string<Args...>(key);
        if (std::find(std::begin(kHostTexts), std::end(kHostTexts), key_) == std::end(kHostTexts))
            detail::TextIsNotInHostTexts();
    }
    std::string_view Key() const { return key_; }

  private:
    std::string_view key_;
};

// The catalogue's text for key; the key itself without a catalogue, without
// an entry, or when the catalogue fails.
std::string HostTextOf(const host::TextCatalog* texts, std::string_view key);

// key's text from texts, with args in its places. A translation whose places
// do not take the arguments gives the English text, so a person always reads a
// whole sentence.
template <class... Args>
std::string Say(const host::TextCatalog* texts, HostText<std::type_identity_t<Args>...> key,
                const Args&... args) {
    try {
        return fmt::format(fmt::runtime(HostTextOf(texts, key.Key())), args...);
    } catch (const fmt::format_error&) {
        return fmt::format(fmt::runtime(key.Key()), args...);
    }
}

}  // namespace kvbase
