#include "platform/qt/stop_signals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "host/error.h"

namespace qtview {
namespace {

constexpr host::Status kErrStopSignals = 0x7FFF0B31;
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

int gPipe[2] = {-1, -1};

void OnStopSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds a pending stop: dropping this one loses nothing.
    [[maybe_unused]] const auto written = ::write(gPipe[1], &number, 1);
    errno = saved;
}

void SetAction(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kStopSignals) ::sigaction(signal, &action, nullptr);
}

}  // namespace

StopSignalNotifier::StopSignalNotifier(QObject* parent) : QObject(parent) {
    if (gPipe[0] >= 0) throw host::Error(kErrStopSignals, "the stop signals are watched already");
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gPipe) != 0) {
        throw host::Error(kErrStopSignals,
                          std::string("cannot watch the stop signals: ") + std::strerror(errno));
    }
    notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { OnReadable(); });
    SetAction(OnStopSignal);
}

StopSignalNotifier::~StopSignalNotifier() {
    SetAction(SIG_DFL);
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

void StopSignalNotifier::OnReadable() {
    unsigned char number = 0;
    int last = 0;
    while (::read(gPipe[0], &number, 1) == 1) last = number;
    if (last == 0) return;
    received_ = last;
    emit StopRequested(last);
}

}  // namespace qtview
