#pragma once
// Typing positions into the module's page as a person does: "Insert Pos" for
// each new row (a copy of the row above), then only the cells that differ are
// typed into the position grid, so the page's own rules (ranges, the display
// following position 1, the result columns) apply to every value.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/types.h"
#include "platform/loader/host_session.h"

namespace loader {

// A value the page refused while typing; the text names the position and field.
inline constexpr host::Status kErrTypedPosition = 0x7FFF0A11;

struct TypedPosition {
    std::array<std::string, 4> cells;  // x, y, excitation, emission, as typed
};

// Types positions 1 … n into the page's position grid, adding rows as needed.
// Raises host::Error (kErrTypedPosition) for a cell the grid refuses, naming
// the position and field; rows typed before it stay.
void TypePositions(HostSession& session, const std::vector<TypedPosition>& positions);

}  // namespace loader
