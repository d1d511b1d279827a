#pragma once
// Stored data of a 1536-well plate read for some samples, as a run leaves it
// (the method in the run record), for the plate benchmarks.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <fmt/format.h>

#include "platform/kvdova/acq_data.h"
#include "platform/kvdova/acq_data_file.h"
#include "platform/kvdova/method_file.h"
#include "platform/kvdova/method_object.h"
#include "platform/kvdova/result_record.h"
#include "platform/plates/plate_format.h"

namespace platebench {

inline std::string WriteData(int samples, const std::string& path) {
    const auto& format = *plates::FindFormat(1536);
    const auto cells = plates::PlatePositions(format, 485, 520);
    kvdova::MethodObject method;
    method.SetName("1536-well plate");
    method.SetTableCount(1);
    method.SetColumnCount(1, 4);
    method.SetRowCount(1, static_cast<std::int32_t>(cells.size()));
    for (std::size_t i = 0; i < cells.size(); ++i)
        for (int c = 0; c < 4; ++c)
            method.SetCell(1, c + 1, static_cast<std::int32_t>(i + 1),
                           host::Variant(std::stod(cells[i][static_cast<std::size_t>(c)])));
    kvdova::AcqData data;
    data.SetText("Bench");
    data.SetRunInfo("method", kvdova::MethodToJson(method));
    data.SetRunInfo("startTime", "2026-01-01T00:00:00Z");
    kvdova::ResultRecord record;
    record.Init(3);
    for (int s = 1; s <= samples; ++s) {
        data.AddItem(host::ItemGroup::Type1, s, fmt::format("S{}", s));
        for (int p = 1; p <= format.wells; ++p) {
            record.SetValue(1, 1000.0 * s + p * 37.25 + 0.1 / p);
            record.SetValue(2, 50000.0);
            record.SetValue(3, p % 97 == 0 ? -1.0 : 0.0);
            data.AddResult(s, p, 1, record, 0);
        }
    }
    kvdova::SaveAcqData(data, path);
    return path;
}

// Runs a program to its end, its output dropped; its exit status.
inline int Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (rc != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace platebench
