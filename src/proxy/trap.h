#pragma once
// The one trap at the boundary of a status-returning operation: runs the body
// and turns whatever it raises into an error number. A body may return a
// status of its own (passed through) or nothing (0 when it returns).
//
// A failure never comes back as 0: a host::Error carrying 0 and every other
// exception become host::kErrUnexpected.
#include <exception>
#include <type_traits>
#include <utility>

#include "host/error.h"
#include "host/types.h"

namespace proxy {

template <class F>
host::Status Trap(F&& body) noexcept {
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<F&>>) {
            body();
            return 0;
        } else {
            return static_cast<host::Status>(body());
        }
    } catch (const host::Error& e) {
        return e.Number() != 0 ? e.Number() : host::kErrUnexpected;
    } catch (...) {
        return host::kErrUnexpected;
    }
}

}  // namespace proxy
