#pragma once
// The host's check of a method document before it hands it to the module: the
// module reads a method without examining it, so a document that is not a
// complete XY-read method must be refused here, with a message a person can act on.
#include <string>

#include "host/instrument_server.h"
#include "host/method_object.h"
#include "host/services.h"
#include "host/types.h"
#include "platform/kvbase/range_syntax.h"

namespace loader {

// Raised for a method document that the module cannot use.
inline constexpr host::Status kErrMethodDocument = 0x7FFF0A04;

// Returns for a usable method; raises host::Error naming the file and what is
// wrong otherwise: a method type other than "FLVIZari", no table 1 or one
// without exactly 4 columns, a position cell that is not a finite number, or
// no "LumMode" parameter. Failure policy: let pass (this is the raise).
// Here and below, the texts speak the language of texts (English without).
void CheckMethodDocument(const host::MethodObject& method, const std::string& file,
                         const host::TextCatalog* texts = nullptr);

// The stage's travel as the instrument describes it ("StageX"/"StageY" in its
// information, in the setup description's range syntax); unknown when it
// describes none.
struct StageTravel {
    bool known = false;
    kvbase::Range x, y;
};
StageTravel ReadStageTravel(host::InstrumentServerFactory& instruments);

// What keeps the method's positions from being measured, naming the position
// and its cell as the page shows them ("X-Pos of position 2: 500 mm lies
// outside the stage travel 0 to 127.76 mm"), or "it has no positions to
// measure"; empty when every position is reachable (or the travel unknown).
std::string UnreachablePosition(const host::MethodObject& method, const StageTravel& travel,
                                const host::TextCatalog* texts = nullptr);

// Raises host::Error (kErrMethodDocument) naming the file and the position for
// a method with no positions, or with a position outside a known travel.
void CheckPositionsReachable(const host::MethodObject& method, const StageTravel& travel,
                             const std::string& file, const host::TextCatalog* texts = nullptr);

// Raises host::Error naming the plate file and the line for a plate file the
// simulator cannot read, one listing a well twice, and one whose plate has
// another size than the plate whose wells the method's positions lie in
// (a method that fits no plate fits any file).
void CheckPlateFits(const host::MethodObject& method, const std::string& methodFile,
                    const std::string& plateFile, const host::TextCatalog* texts = nullptr);

}  // namespace loader
