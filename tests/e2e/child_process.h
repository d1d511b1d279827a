#pragma once
// A program started by a test as a person starts it, with its output in a
// file: it can be sent signals, and it is always reaped, with a time limit
// (a child still running when the test ends is killed and reaped).
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace e2etest {

class ChildProcess {
  public:
    // Runs program with args, standard output and error into outputPath.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 std::string outputPath)
        : outputPath_(std::move(outputPath)) {
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                ::dup2(fd, 1);
                ::dup2(fd, 2);
            }
            std::vector<char*> argv;
            for (auto& a : all) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
    }
    ~ChildProcess() {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    void Signal(int signal) const {
        if (pid_ > 0 && !reaped_) ::kill(pid_, signal);
    }

    // Polls every 10 ms until done() holds or the child ended or the time is
    // up; true when done() held.
    bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (done()) return true;
            if (Exited()) return done();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // The exit status; 128 + N for a child ended by signal N; -1 when it is
    // still running after limit (it is then killed).
    int Wait(std::chrono::milliseconds limit) {
        if (!WaitFor([this] { return Exited(); }, limit) && !Exited()) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            reaped_ = true;
            return -1;
        }
        return exit_;
    }

    std::string Output() const { return ReadAll(outputPath_); }

    static std::string ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

  private:
    bool Exited() {
        if (reaped_) return true;
        if (pid_ <= 0) return true;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
        reaped_ = true;
        exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
    }

    std::string outputPath_;
    pid_t pid_ = -1;
    bool reaped_ = false;
    int exit_ = -1;
};

}  // namespace e2etest
