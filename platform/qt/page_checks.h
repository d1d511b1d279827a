#pragma once
// What the desktop host checks on the module's page before it stores or
// measures a method, and how it tells a person: every entry holds a valid
// value, every position lies where the stage can go. The module checks only
// the entries it stores itself, and the instrument would refuse a position
// only once the reader is on its way.
//
// Texts come from the catalogue (catalogue_texts.h). Nothing here raises: a
// control that cannot be read counts as not valid and says so.
#include <string>
#include <vector>

#include "host/control.h"
#include "host/forms.h"
#include "host/param_set.h"
#include "host/services.h"

namespace qtview {

// A range as a person reads it: "1 to 20 nm", "at least 0 s", "at most 5",
// "one of On, Off"; empty for no range (or one that cannot be read).
std::string RangeText(const host::TextCatalog* texts, const std::string& range,
                      const std::string& unit);

// Why value, in the entry (as typed or as held), is not valid, naming the
// entry: "Ex. Slit: 'abc' is not a number; 1 to 20 nm". A decimal comma gets
// a hint. Empty when valid.
std::string EntryProblem(const host::KVEntry& entry, const host::Variant& value,
                         const host::TextCatalog* texts);
// What the entry takes: "Ex. Slit: 1 to 20 nm"; its caption when it has no range.
std::string EntryHelp(const host::KVEntry& entry, const host::TextCatalog* texts);
// The problem of every entry of the page that is not valid, in the page's order.
std::vector<std::string> EntryProblems(const host::Form& page, const host::TextCatalog* texts);

// Where the stage can go, as range texts in mm ("0..127.76"); empty: the
// instrument does not say.
struct StageTravel {
    std::string x, y;
};
// The ranges of "StageX" and "StageY" in the instrument's information.
StageTravel TravelFromInstInfo(const host::ParamSet& info) noexcept;

struct PositionCheck {
    std::vector<std::string> refusals;  // the run must not start
    std::vector<std::string> warnings;  // the run may start, and the person should know
};
// The positions of the grid (X, Y, excitation, emission): a coordinate that
// is no number or lies outside the travel is refused; an emission wavelength
// not longer than its excitation is a warning.
PositionCheck CheckPositions(const host::KVSpread& grid, const StageTravel& travel,
                             const host::TextCatalog* texts);

// The method the page holds, as text: the entries' values, the positions and
// the instrument setup. Equal fingerprints: nothing changed.
std::string PageFingerprint(const host::Form& page) noexcept;

// An entry whose ID the instrument setup display holds beyond the instrument's
// description (Auto Lamp, taken from a loaded method) is shown there with the
// entry's value, under the entry's caption. The module forwards no such
// value, and the display's value is what a stored method keeps.
void ShowEntriesInSetup(host::Form& page) noexcept;

}  // namespace qtview
