#include "platform/qt/stall_meter.h"

#include <algorithm>

namespace qtview {

void StallLedger::Start(double now) {
    started_ = true;
    start_ = last_ = now;
    pending_.clear();
    report_ = {};
}

void StallLedger::Blocked(double start, double end, const std::string& what) {
    if (!started_ || !(end > start)) return;
    const double seconds = end - start;
    ++report_.blockedCount;
    report_.blockedTotal += seconds;
    if (seconds > report_.longestBlocked) {
        report_.longestBlocked = seconds;
        report_.longestBlockedWhat = what;
    }
    pending_.push_back({start, end});
}

void StallLedger::Tick(double now) {
    if (!started_ || now < last_) return;
    // Blocked spans overlap neither each other (one thread) nor a tick; a span
    // told late or reaching past now counts only with its part in the gap.
    double blocked = 0.0;
    std::vector<Span> later;
    for (const auto& s : pending_) {
        const double from = std::max(s.start, last_);
        const double to = std::min(s.end, now);
        if (to > from) blocked += to - from;
        if (s.end > now) later.push_back(s);
    }
    pending_ = std::move(later);
    const double stall = std::max(0.0, now - last_ - blocked);
    if (stall > report_.longestStall) {
        report_.longestStall = stall;
        report_.longestStallAt = now;
    }
    ++report_.ticks;
    report_.span = now - start_;
    last_ = now;
}

StallMeter::StallMeter(host::Clock& clock, int periodMs) : clock_(clock) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(periodMs);
    connect(&timer_, &QTimer::timeout, this, [this] { ledger_.Tick(clock_.Now()); });
}

void StallMeter::Start() {
    ledger_.Start(clock_.Now());
    timer_.start();
}

void StallMeter::Stop() {
    timer_.stop();
    ledger_.Tick(clock_.Now());
}

void StallMeter::BlockedFor(double seconds, const std::string& what) {
    const double now = clock_.Now();
    ledger_.Blocked(now - seconds, now, what);
}

}  // namespace qtview
