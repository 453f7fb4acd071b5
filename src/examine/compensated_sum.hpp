// A running sum with Neumaier's compensation, so that the sums the checks compare with
// zero or one carry no rounding error of their own worth speaking of.
#pragma once

#include <cmath>

namespace korvane2::examine {

class CompensatedSum {
 public:
  void add(double x) {
    const double t = sum_ + x;
    if (std::fabs(sum_) >= std::fabs(x)) {
      carry_ += (sum_ - t) + x;
    } else {
      carry_ += (x - t) + sum_;
    }
    sum_ = t;
  }
  double value() const { return sum_ + carry_; }

 private:
  double sum_ = 0.0;
  double carry_ = 0.0;
};

}  // namespace korvane2::examine
