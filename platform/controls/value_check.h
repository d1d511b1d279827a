#pragma once
// What a definition (an entry's, a grid column's, a setup item's) accepts: a
// value of its data type that lies in its range.
#include <string>

#include "host/param_def.h"
#include "host/variant.h"

namespace controls {

// Why def refuses v, empty when it takes it. An empty value is no number,
// boolean or date; a number must be finite; a malformed range refuses all.
std::string Refusal(const host::ParamDef& def, const host::Variant& v);

// v as def's data type when it reads as one (a number stays a number), else v.
host::Variant AsType(const host::ParamDef& def, const host::Variant& v);

}  // namespace controls
