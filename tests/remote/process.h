#pragma once
// Child processes for the tests and benchmarks that need real ones: started
// with their output in a file, waited for with a timeout, and killed and
// reaped when the object goes, whatever happened. Every wait polls in bounded
// steps of 10 ms.
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

namespace testproc {

// Polls ready every 10 ms until it holds or seconds have passed.
inline bool WaitUntil(const std::function<bool()>& ready, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class Process {
  public:
    // argv[0] is the program's path; stdout and stderr go to outputPath; env
    // entries ("NAME=value") are added to this process's environment,
    // replacing those of the same name.
    Process(std::vector<std::string> argv, std::string outputPath,
            std::vector<std::string> env = {})
        : output_(std::move(outputPath)) {
        // Everything the child needs is made before the fork: after it, in a
        // process with threads, only plain system calls are safe.
        const std::size_t given = env.size();
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('=') + 1);
            bool overridden = false;
            for (std::size_t i = 0; i < given; ++i) overridden |= env[i].rfind(name, 0) == 0;
            if (!overridden) env.push_back(entry);
        }
        std::vector<char*> args, envp;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                ::dup2(fd, 1);
                ::dup2(fd, 2);
                ::close(fd);
            }
            ::execve(args[0], args.data(), envp.data());
            ::_exit(127);
        }
    }
    ~Process() {
        if (pid_ > 0 && status_ == kRunning) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t Pid() const { return pid_; }
    bool Started() const { return pid_ > 0; }
    void Signal(int sig) {
        if (Running()) ::kill(pid_, sig);
    }
    bool Running() {
        Reap(WNOHANG);
        return pid_ > 0 && status_ == kRunning;
    }
    // The exit code, -N when signal N ended it, or kTimedOut when it was
    // still running after seconds (it is killed then).
    int Wait(double seconds) {
        if (!WaitUntil([this] { return !Running(); }, seconds)) {
            ::kill(pid_, SIGKILL);
            Reap(0);
            return kTimedOut;
        }
        return status_;
    }
    std::string Output() const { return ReadText(output_); }
    bool WaitForOutput(const std::string& text, double seconds) const {
        return WaitUntil([&] { return Output().find(text) != std::string::npos; }, seconds);
    }

    static constexpr int kTimedOut = -1000;

  private:
    static constexpr int kRunning = -2000;
    void Reap(int flags) {
        if (pid_ <= 0 || status_ != kRunning) return;
        int status = 0;
        if (::waitpid(pid_, &status, flags) != pid_) return;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

    pid_t pid_ = -1;
    int status_ = kRunning;
    std::string output_;
};

}  // namespace testproc
