#pragma once
// What every parser target shares: reading an input as fields, the fault exit
// that turns a broken promise into a crash the fuzzer keeps, and the rule that
// only host::Error may answer bad input.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "host/error.h"

namespace fuzz {

// An input read front to back: lines first, then the rest as one text. Reading
// past the end gives empty texts, so every input, however short, is usable.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size);

    // The text up to the next line feed (not included); the rest when there is none.
    std::string Line();
    // Everything not read yet.
    std::string Rest();
    // A whole number written in the next line; fallback when it holds none.
    std::int32_t IntLine(std::int32_t fallback);

  private:
    std::string text_;
    std::size_t pos_ = 0;
};

// A whole number written as text; fallback when the text holds none.
std::int32_t ToInt(const std::string& text, std::int32_t fallback);

// The one way a decimal number is written: an optional sign, digits with at
// most one point (at least one digit), an optional exponent with its own sign.
bool IsDecimalNumber(const std::string& text);

// Prints what went wrong and aborts: the fuzzer records the input, and the
// corpus replay fails.
[[noreturn]] void Fault(const std::string& what);

inline void Expect(bool condition, const std::string& what) {
    if (!condition) Fault(what);
}

// Steps that must not refuse: a host::Error here is a fault as well.
template <class F>
auto MustSucceed(const std::string& step, F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const host::Error& e) {
        Fault(step + " refused: " + e.what());
    }
}

// Runs one input. host::Error is how bad input is refused and ends the input;
// any other exception is a fault. Nothing escapes, as befits a C entry point.
template <class F>
int Run(F&& f) noexcept {
    try {
        f();
    } catch (const host::Error&) {
    } catch (const std::exception& e) {
        Fault(std::string("an exception other than host::Error escaped: ") + e.what());
    } catch (...) {
        Fault("a non-standard exception escaped");
    }
    return 0;
}

}  // namespace fuzz

// The entry point of every target: libFuzzer's engine calls it in the fuzz
// build, the corpus replay in the normal build.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
