#pragma once
// A folder of its own for a test, the server program listening on a Unix
// socket in it, and the command-line host as a person runs it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "process.h"

class RemoteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Short: a Unix socket's path has room for about 100 characters.
        static std::atomic<int> n{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("orve-r-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        processes_.clear();  // killed and reaped when still running
        std::filesystem::remove_all(dir_);
    }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Socket() const { return "unix:" + Path("server.sock"); }
    static std::string Bin(const std::string& program) {
        return std::string(ORVE_BINARY_DIR) + "/bin/" + program;
    }
    static std::string Example(const std::string& name) {
        return std::string(ORVE_SOURCE_DIR) + "/examples/" + name;
    }

    testproc::Process& Start(const std::string& program, const std::vector<std::string>& args,
                             const std::string& output) {
        std::vector<std::string> argv{Bin(program)};
        argv.insert(argv.end(), args.begin(), args.end());
        processes_.push_back(std::make_unique<testproc::Process>(argv, Path(output)));
        return *processes_.back();
    }
    // The server on Socket() (unless args give --listen), ready to take sessions.
    testproc::Process& StartServer(std::vector<std::string> args,
                                   const std::string& output = "server.log") {
        bool listen = false;
        for (const auto& a : args) listen |= a == "--listen";
        if (!listen) args.insert(args.begin(), {"--listen", Socket()});
        auto& server = Start("orvevizari-server", args, output);
        EXPECT_TRUE(server.WaitForOutput("listening on", 20.0)) << server.Output();
        return server;
    }
    // The command-line host with args after the server's address.
    testproc::Process& StartCli(const std::vector<std::string>& args, const std::string& output) {
        std::vector<std::string> all{"--server", Socket()};
        all.insert(all.end(), args.begin(), args.end());
        return Start("orvevizari", all, output);
    }
    // Runs the host to its end; its exit code (output in *text when given).
    int RunCli(const std::vector<std::string>& args, std::string* text = nullptr,
               bool remote = true) {
        static std::atomic<int> n{0};
        const std::string out = "cli-" + std::to_string(++n) + ".out";
        auto& cli = remote ? StartCli(args, out) : Start("orvevizari", args, out);
        const int code = cli.Wait(120.0);
        if (text != nullptr) *text = cli.Output();
        return code;
    }

    std::filesystem::path dir_;
    std::vector<std::unique_ptr<testproc::Process>> processes_;
};

inline std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

inline bool LastLineIs(const std::string& path, const std::string& line) {
    const auto lines = TextLines(testproc::ReadText(path));
    return !lines.empty() && lines.back() == line;
}

inline int CountOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}
