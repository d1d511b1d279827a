#pragma once
// How long the event loop was held up during a run. A timer ticks every few
// milliseconds; the gap between two ticks is the time the loop could not
// answer a person. Synchronous instrument commands block by design: the time
// spent inside them is taken out of the gap they fell in and kept apart.
#include <cstdint>
#include <string>
#include <vector>

#include <QObject>
#include <QTimer>

#include "host/services.h"

namespace qtview {

struct StallReport {
    double longestStall = 0.0;    // s, the longest gap between two ticks without blocked time
    double longestStallAt = 0.0;  // s on the clock, when that gap ended
    double longestBlocked = 0.0;  // s, the longest synchronous call
    std::string longestBlockedWhat;
    std::int64_t blockedCount = 0;
    double blockedTotal = 0.0;  // s
    std::int64_t ticks = 0;
    double span = 0.0;  // s from Start to the last tick
};

// The arithmetic, fed with times on one clock; no Qt.
class StallLedger {
  public:
    void Start(double now);
    // A synchronous call from start to end; it may fall anywhere before the next tick.
    void Blocked(double start, double end, const std::string& what);
    // The loop ran at now. A tick before Start, or earlier than the last, is ignored.
    void Tick(double now);
    const StallReport& Report() const { return report_; }

  private:
    struct Span {
        double start, end;
    };
    bool started_ = false;
    double start_ = 0.0;
    double last_ = 0.0;
    std::vector<Span> pending_;
    StallReport report_;
};

// The ledger on a Qt timer. Blocked calls are told as "ended now, lasted
// seconds"; the clock is the meter's own, so the teller may use any clock
// that runs at the same rate.
class StallMeter final : public QObject {
    Q_OBJECT
  public:
    explicit StallMeter(host::Clock& clock, int periodMs = 5);
    void Start();
    void Stop();
    void BlockedFor(double seconds, const std::string& what);
    const StallReport& Report() const { return ledger_.Report(); }

  private:
    host::Clock& clock_;
    QTimer timer_;
    StallLedger ledger_;
};

}  // namespace qtview
