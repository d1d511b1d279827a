#pragma once
// The instrument's line in the status bar: "ready" between runs; during a run
// "measuring" and where the run is, as the command line shows it: sample k of
// N, position i of n, elapsed and remaining instrument time. It reads the
// run's progress from the result grid, where every reading lands.
#include <memory>
#include <string>

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "host/control.h"
#include "host/services.h"

class QLabel;

namespace qtview {

class RunProgress final : public QObject {
    Q_OBJECT

  public:
    // instrument names the instrument ("Instrument: ORVE QN-SIM-0001 (simulated)");
    // texts (may be null) gives the line in the catalogue's language.
    RunProgress(QLabel* label, std::shared_ptr<host::KVSpread> results, host::Clock& clock,
                std::string instrument, QObject* parent = nullptr,
                const host::TextCatalog* texts = nullptr);

    // cycles > 1: a kinetic run, cycle k starting interval seconds after
    // cycle k - 1 started; the line says cycle k of N and, between cycles,
    // the time to the next.
    void Start(int samples, int positions, int cycles = 1, double interval = 0.0);
    void Stop() noexcept;  // called while a run unwinds
    std::string Text() const;

  private:
    void Follow() noexcept;
    void Show() noexcept;

    QPointer<QLabel> label_;
    std::shared_ptr<host::KVSpread> results_;
    host::Clock& clock_;
    std::string instrument_;
    const host::TextCatalog* texts_;
    bool running_ = false;
    int samples_ = 1, positions_ = 0, cycles_ = 1;
    double interval_ = 0.0;
    QTimer ticker_;
    int sample_ = 0, position_ = 0, rows_ = 0;
    double start_ = 0;
};

// h:mm:ss
std::string ClockText(double seconds);

}  // namespace qtview
