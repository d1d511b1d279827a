#pragma once
// Small tools of the host: the larger of two numbers, and the directory a file
// dialog opens in.
#include <string>

#include "host/services.h"

namespace kvbase {

class Math : public host::MathTools {
  public:
    // Raises host::Error for NaN: no number is larger than it or smaller.
    double Max(double a, double b) const override;
};

class Paths : public host::PathTools {
  public:
    // dir when it is an existing directory, else $HOME when that is one, else "/".
    std::string InitialDirectory(const std::string& dir) const override;
};

}  // namespace kvbase
