#include "proxy/trap.h"

#include "host/context.h"

namespace proxy {

void NoteRaised(host::Status number, const std::string& text) noexcept {
    try {
        if (host::HasCurrentHost()) host::CurrentHost().Errors().NoteRaised(number, text);
    } catch (...) {
    }
}

}  // namespace proxy
