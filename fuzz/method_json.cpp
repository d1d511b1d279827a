// Method documents read from JSON.
//
// Input: the document text.
//
// Checked: a method that was accepted can be written, and what is written
// reads back to the very same document (methods are read back exactly).
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/kvdova/method_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::Run([&] {
        const std::string text(reinterpret_cast<const char*>(data), size);
        const auto method = kvdova::MethodFromJson(text, "fuzz.json");
        const std::string written = fuzz::MustSucceed(
            "writing an accepted method", [&] { return kvdova::MethodToJson(*method); });
        const auto again = fuzz::MustSucceed("reading a written method",
                                             [&] { return kvdova::MethodFromJson(written); });
        fuzz::Expect(kvdova::MethodToJson(*again) == written,
                     "a written method reads back differently:\n" + written);
    });
}
