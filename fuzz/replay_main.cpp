// Replays the committed corpus of one parser target: every file of the given
// folders goes through the target's entry point once, in name order, so the
// run is the same every time. A fault aborts with the file named just before.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz/fuzz_support.h"

namespace {

namespace fs = std::filesystem;

bool ReadAll(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus folder or file>...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        const fs::path arg = argv[i];
        if (fs::is_regular_file(arg, ec)) {
            files.push_back(arg);
            continue;
        }
        if (!fs::is_directory(arg, ec)) {
            std::fprintf(stderr, "replay: '%s' is neither a file nor a folder\n", argv[i]);
            return 2;
        }
        for (const auto& entry : fs::directory_iterator(arg, ec))
            if (entry.is_regular_file()) files.push_back(entry.path());
        if (ec) {
            std::fprintf(stderr, "replay: cannot list '%s': %s\n", argv[i], ec.message().c_str());
            return 2;
        }
    }
    // An empty corpus would pass without testing anything.
    if (files.empty()) {
        std::fprintf(stderr, "replay: no input files\n");
        return 2;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::string bytes;
        if (!ReadAll(file, bytes)) {
            std::fprintf(stderr, "replay: cannot read '%s'\n", file.c_str());
            return 2;
        }
        std::fprintf(stderr, "replay: %s\n", file.c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replay: %zu inputs passed\n", files.size());
    return 0;
}
