#pragma once
// The one trap at the boundary of a status-returning operation: runs the body
// and turns whatever it raises into an error number. A body may return a
// status of its own (passed through) or nothing (0 when it returns).
//
// A failure never comes back as 0: a host::Error carrying 0 and every other
// exception become host::kErrUnexpected.
#include <exception>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "host/error.h"
#include "host/types.h"

namespace proxy {

// Hands the raised text to the thread's error service, so the number's message
// text tells what went wrong; never throws.
void NoteRaised(host::Status number, const std::string& text) noexcept;

// The object a host factory or service handed back; raises kErrNoHostObject
// naming it when there is none, so a broken host is an error number and never
// a null dereference.
template <class T>
T& Required(const std::shared_ptr<T>& object, const char* what) {
    if (!object)
        throw host::Error(host::kErrNoHostObject, std::string("the host provided no ") + what);
    return *object;
}

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
        const host::Status number = e.Number() != 0 ? e.Number() : host::kErrUnexpected;
        NoteRaised(number, e.Text());
        return number;
    } catch (const std::exception& e) {
        NoteRaised(host::kErrUnexpected, e.what());
        return host::kErrUnexpected;
    } catch (...) {
        return host::kErrUnexpected;
    }
}

}  // namespace proxy
