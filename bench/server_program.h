#pragma once
// The server program as a process of its own for one benchmark: on a Unix
// socket in a folder of its own, or on TCP loopback; stopped and reaped at
// the end.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "remote/process.h"

class ServerProgram {
  public:
    // tcp: listen on 127.0.0.1 (a port picked by the server) instead of a socket.
    explicit ServerProgram(std::vector<std::string> args = {}, bool tcp = false)
        : dir_(Folder()), socket_("unix:" + (dir_ / "s.sock").string()) {
        std::vector<std::string> argv{ORVE_BINARY_DIR "/bin/orvevizari-server", "--listen",
                                      tcp ? "127.0.0.1:0" : socket_};
        argv.insert(argv.end(), args.begin(), args.end());
        process_ = std::make_unique<testproc::Process>(argv, (dir_ / "server.log").string());
        if (!process_->WaitForOutput("listening on", 20.0)) return;
        const std::string log = process_->Output();
        const auto at = log.find("listening on ") + 13;
        address_ = log.substr(at, log.find_first_of(" ,\n", at) - at);
    }
    ~ServerProgram() {
        process_->Signal(SIGTERM);
        process_->Wait(10.0);
        process_.reset();
        std::filesystem::remove_all(dir_);
    }
    ServerProgram(const ServerProgram&) = delete;
    ServerProgram& operator=(const ServerProgram&) = delete;

    // Empty when it did not start.
    const std::string& Address() const { return address_; }
    pid_t Pid() const { return process_->Pid(); }
    std::string Log() const { return process_->Output(); }

    // User and system CPU time it has used, in seconds.
    double CpuSeconds() const {
        std::ifstream in("/proc/" + std::to_string(Pid()) + "/stat");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string f;
        unsigned long long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && fields >> f; ++i) {
            if (i == 14) utime = std::stoull(f);
            if (i == 15) stime = std::stoull(f);
        }
        return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
    // Resident memory in kB.
    long RssKb() const {
        std::ifstream in("/proc/" + std::to_string(Pid()) + "/status");
        for (std::string line; std::getline(in, line);)
            if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
        return -1;
    }

  private:
    static std::filesystem::path Folder() {
        static std::atomic<int> n{0};
        auto dir = std::filesystem::temp_directory_path() /
                   ("orve-bench-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        std::filesystem::create_directories(dir);
        return dir;
    }

    std::filesystem::path dir_;
    std::string socket_, address_;
    std::unique_ptr<testproc::Process> process_;
};
