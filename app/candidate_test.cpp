#include "app/candidate_test.hpp"

#include <cmath>

TrialOutcome trial_division(uint64_t candidate) {
  const double value = static_cast<double>(candidate);  // nearest double, as unsigned
  const double half = value / 2.0;                       // the same for every divisor
  int64_t trials = 0;
  for (int64_t divisor = 2;; ++divisor) {
    ++trials;
    const double d = static_cast<double>(divisor);
    const double quotient = value / d;
    if (quotient == std::floor(quotient)) return {trials, false};
    if (!(half >= d)) return {trials, true};
  }
}
