// orvevizari measure | results show
#include "commands.h"

namespace cli {

void AddMeasureCommands(CLI::App&, Common&) {}
int RunMeasureCommands(CLI::App&, const Common&) { return -1; }

}  // namespace cli
