#include "platform/qt/run_progress.h"

#include <cmath>

#include <QLabel>

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
    results_->OnStateChanged([self = QPointer<RunProgress>(this)] {
        if (self) self->Follow();
    });
    Show();
}

void RunProgress::Start(int samples, int positions) {
    running_ = true;
    samples_ = samples;
    positions_ = positions;
    sample_ = position_ = 0;
    rows_ = results_->RowCount();
    start_ = clock_.Now();
    Show();
}

void RunProgress::Stop() noexcept {
    running_ = false;
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
    const int done = (sample_ - 1) * positions_ + position_;
    const int total = samples_ * positions_;
    const std::string remaining =
        done > 0 ? ClockText(elapsed / done * (total - done)) : std::string("estimating");
    return Say(texts_,
               "{}, measuring: sample {} of {}, position {} of {}, elapsed {}, remaining {}",
               instrument_, sample_, samples_, position_, positions_, ClockText(elapsed),
               done > 0 ? remaining : qtview::Text(texts_, remaining));
}

void RunProgress::Show() noexcept {
    try {
        if (label_) label_->setText(Q(Text()));
    } catch (...) {
        // The line keeps its last text; the run and the window are not disturbed.
    }
}

}  // namespace qtview
