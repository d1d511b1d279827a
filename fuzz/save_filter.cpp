// The save dialog's filter and filter index built from an extension list,
// through the string service of a fresh host.
//
// Input: line 1 the default extension, the rest the extension list.
//
// Checked: the filter always ends in two NULs after its last field; without
// a ":" or "|" in the list (which split a field) it holds description and pattern
// pairs, and the index names one of them (1 when there is none).
#include <algorithm>
#include <string>

#include "fuzz/base_host.h"
#include "fuzz/fuzz_support.h"
#include "ui/dlg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::Run([&] {
        fuzz::HostScope scope;
        fuzz::Input input(data, size);
        const std::string defExt = input.Line();
        const std::string list = input.Rest();

        const std::string filter = ui::BuildFilter(list);
        const std::int32_t index = ui::FilterIndexOf(list, defExt);
        fuzz::Expect(filter.size() >= 2 && filter.compare(filter.size() - 2, 2, "\0\0", 2) == 0,
                     "the filter does not end in two NULs");
        // A ":", "|" or NUL written in the list splits a field, as the platform's filter does.
        if (list.find_first_of(std::string(":|\0", 3)) != std::string::npos) return;
        const auto fields = std::count(filter.begin(), filter.end(), '\0') - 2;
        fuzz::Expect(fields % 2 == 0, "the filter does not hold pairs of fields");
        fuzz::Expect(index >= 1 && index <= std::max<std::int64_t>(1, fields / 2),
                     "filter index " + std::to_string(index) + " beyond the filter's entries");
    });
}
