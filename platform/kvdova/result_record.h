#pragma once
// One position's reading: a short list of doubles.
#include <vector>

#include "host/acq_data.h"

namespace kvdova {

// Raises host::Error on a bad index or count (let pass).
class ResultRecord final : public host::ResultRecord {
  public:
    void Init(std::int32_t n) override;
    std::int32_t Count() const override;
    void SetValue(std::int32_t i, double v) override;
    double Value(std::int32_t i) const override;

  private:
    std::vector<double> values_;
};

}  // namespace kvdova
