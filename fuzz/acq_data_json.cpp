// Acquisition data read from JSON.
//
// Input: the document text.
//
// Checked: data that was accepted can be written, and what is written reads
// back to the very same document (acquisition data is read back exactly).
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/kvdova/acq_data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::Run([&] {
        const std::string text(reinterpret_cast<const char*>(data), size);
        const auto acqData = kvdova::AcqDataFromJson(text, "fuzz.json");
        const std::string written = fuzz::MustSucceed(
            "writing accepted data", [&] { return kvdova::AcqDataToJson(*acqData); });
        const auto again = fuzz::MustSucceed("reading written data",
                                             [&] { return kvdova::AcqDataFromJson(written); });
        fuzz::Expect(kvdova::AcqDataToJson(*again) == written,
                     "written data reads back differently:\n" + written);
    });
}
