// orvevizari method new | show
#include "commands.h"

namespace cli {

void AddMethodCommands(CLI::App&, Common&) {}
int RunMethodCommands(CLI::App&, const Common&) { return -1; }

}  // namespace cli
