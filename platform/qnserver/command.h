#pragma once
// The instrument's command text protocol, parsed:
//   "Set " key "=" value        set a property
//   "Get " key                  read a property ("Int" reads the detector,
//                               "WPR.POS" the stage, "WL" both wavelengths)
//   "SetM WPR.POS=" x ";" y     move the stage (mm)
//   "SetM WL=" ex ";" em        move both monochromators (nm); any case
//   "Enable " Phos|Scan|TD      select the acquisition mode
//   "Run SubDC"                 measure the dark current
//   "Park WPR"                  park the stage
// Command words and targets compare ignoring case.
#include <string>

namespace qnserver {

struct Command {
    enum class Kind { Set, Get, MoveStage, MoveWl, Enable, RunSubDC, Park };
    Kind kind = Kind::Get;
    std::string key;          // Set, Get: the property; Enable: the mode
    std::string value;        // Set
    double a = 0.0, b = 0.0;  // MoveStage: x, y; MoveWl: ex, em
};

struct ParsedCommand {
    Command command;
    std::string error;  // the error reply; empty when the text parsed
};

ParsedCommand ParseCommand(const std::string& text);

}  // namespace qnserver
