#include "platform/qt/run_progress.h"

#include <cmath>

#include <QLabel>

#include <algorithm>

#include <fmt/format.h>

#include "platform/qt/catalogue_texts.h"
#include "platform/qt/view_support.h"

namespace qtview {

std::string ClockText(double seconds) {
    const auto s = static_cast<long long>(std::max(0.0, seconds) + 0.5);
    return fmt::format("{}:{:02}:{:02}", s / 3600, (s / 60) % 60, s % 60);
}

RunProgress::RunProgress(QLabel* label, std::shared_ptr<host::KVSpread> results, host::Clock& clock,
                         std::string instrument, QObject* parent, const host::TextCatalog* texts)
    : QObject(parent),
      label_(label),
      results_(std::move(results)),
      clock_(clock),
      instrument_(std::move(instrument)),
      texts_(texts) {
    ticker_.setInterval(1000);
    connect(&ticker_, &QTimer::timeout, this, [this] { Show(); });
    results_->OnStateChanged([self = QPointer<RunProgress>(this)] {
        if (self) self->Follow();
    });
    Show();
}

void RunProgress::Start(int samples, int positions, int cycles, double interval) {
    running_ = true;
    samples_ = std::max(samples, 1);
    positions_ = positions;
    cycles_ = std::max(cycles, 1);
    interval_ = interval;
    sample_ = position_ = 0;
    rows_ = results_->RowCount();
    start_ = clock_.Now();
    // The wait between cycles changes no cell: the line counts down by itself.
    if (cycles_ > 1) ticker_.start();
    Show();
}

void RunProgress::Stop() noexcept {
    running_ = false;
    ticker_.stop();
    Show();
}

// Each sample appends a row and fills it from the left, one reading at a time.
void RunProgress::Follow() noexcept {
    if (!running_) return;
    try {
        const int rows = results_->RowCount();
        if (rows > rows_) {
            sample_ += rows - rows_;
            position_ = 0;
        }
        rows_ = rows;
        if (rows > 0) {
            const int columns = results_->ColumnCount();
            while (position_ < positions_ && position_ + 2 <= columns &&
                   !results_->Cell(position_ + 2, rows).IsEmpty())
                ++position_;
        }
        Show();
    } catch (...) {
        // The line stays as it was; the run is not disturbed.
    }
}

std::string RunProgress::Text() const {
    if (!running_) return Say(texts_, "{}, ready", instrument_);
    if (sample_ == 0) return Say(texts_, "{}, measuring", instrument_);
    const double elapsed = clock_.Now() - start_;
    // A kinetic run's rows are its cycles' samples one after the other.
    const int cycle = std::min((sample_ - 1) / samples_ + 1, cycles_);
    const int sample = sample_ - (cycle - 1) * samples_;
    if (cycle < cycles_ && sample == samples_ && position_ == positions_) {
        const double next = start_ + cycle * interval_ - clock_.Now();
        return Say(texts_, "{}, measuring: cycle {} of {} done; the next starts in {}", instrument_,
                   cycle, cycles_, ClockText(next));
    }
    const int done = (sample_ - 1) * positions_ + position_;
    const int total = cycles_ * samples_ * positions_;
    std::string remaining = qtview::Text(texts_, "estimating");
    if (done > 0) {
        const double perReading = elapsed / done;
        // The cycles to come start on their interval, however fast the readings.
        const double byPlan =
            (cycles_ - cycle) * interval_ + perReading * (cycle * samples_ * positions_ - done);
        remaining = ClockText(std::max(perReading * (total - done), byPlan));
    }
    const std::string where =
        Say(texts_, "sample {} of {}, position {} of {}, elapsed {}, remaining {}", sample,
            samples_, position_, positions_, ClockText(elapsed), remaining);
    return cycles_ > 1 ? Say(texts_, "{}, measuring: cycle {} of {}, {}", instrument_, cycle,
                             cycles_, where)
                       : Say(texts_, "{}, measuring: {}", instrument_, where);
}

void RunProgress::Show() noexcept {
    try {
        if (label_) label_->setText(Q(Text()));
    } catch (...) {
        // The line keeps its last text; the run and the window are not disturbed.
    }
}

}  // namespace qtview
