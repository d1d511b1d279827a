// The "Adjust Pos" button of the setup page: steers the reader with DlgAdjust.
#include "module/ucvizari.h"

namespace module {

void UCVIZari::AdjustPosition() {}

}  // namespace module
