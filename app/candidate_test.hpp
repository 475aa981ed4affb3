#pragma once
// The primality test of the search: trial division of a candidate in double precision.
//
// Divisors 2, 3, 4, ... are tried in turn. A divisor "divides" when the double quotient
// equals its floor; the test goes on while half the candidate (as a double) is at least the
// divisor. A candidate that no divisor divides is listed as prime.
#include <cstdint>

struct TrialOutcome {
  int64_t trials;  // divisions tried for this candidate, at least 1
  bool listed;     // no divisor divided it: the search lists it
};

// Any function that gives a candidate's outcome; the search takes one of these.
using CandidateTest = TrialOutcome (*)(uint64_t candidate);

// The trial loop itself, one division after another: the reference for every faster method.
TrialOutcome trial_division(uint64_t candidate);
