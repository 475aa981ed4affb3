#pragma once
// The outcome of the trial loop worked out from the candidate's smallest prime factor, in
// microseconds where the loop itself may run for hours. Gives exactly what trial_division gives.
#include <cstdint>

#include "app/candidate_test.hpp"

TrialOutcome counted_trials(uint64_t candidate);
