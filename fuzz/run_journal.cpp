// A run journal read back for recovery.
//
// Input: the journal's text, as a killed run or a damaged disk may leave it.
//
// Checked: a journal that was accepted gives acquisition data whose readings
// are the ones it counted, which can be written and read back.
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/kvdova/acq_data_file.h"
#include "platform/loader/run_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::Run([&] {
        const std::string text(reinterpret_cast<const char*>(data), size);
        const auto run = loader::ReadJournal(text, "fuzz.journal");
        fuzz::Expect(run.data->ResultCount() == run.readings,
                     "the readings counted are not the readings kept");
        const std::string written = fuzz::MustSucceed(
            "writing recovered data", [&] { return kvdova::AcqDataToJson(*run.data); });
        fuzz::MustSucceed("reading recovered data back",
                          [&] { return kvdova::AcqDataFromJson(written); });
    });
}
