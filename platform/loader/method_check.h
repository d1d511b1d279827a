#pragma once
// The host's check of a method document before it hands it to the module: the
// module reads a method without examining it, so a document that is not a
// complete XY-read method must be refused here, with a message a person can act on.
#include <string>

#include "host/method_object.h"
#include "host/types.h"

namespace loader {

// Raised for a method document that the module cannot use.
inline constexpr host::Status kErrMethodDocument = 0x7FFF0A04;

// Returns for a usable method; raises host::Error naming the file and what is
// wrong otherwise: a method type other than "FLVIZari", no table 1 or one
// without exactly 4 columns, a position cell that is not a finite number, or
// no "LumMode" parameter. Failure policy: let pass (this is the raise).
void CheckMethodDocument(const host::MethodObject& method, const std::string& file);

}  // namespace loader
