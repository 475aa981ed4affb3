#pragma once
// The factorial-prime search: candidates n! - 1 or n! + 1 for n = 2, 3, ..., each tested by
// trial division, the ones found prime listed, then the number of trials and the highest n.
#include <cstdint>

#include "app/candidate_test.hpp"

// From n = 66 on, n! modulo 2^64 is 0 (66! holds 64 factors 2): every later candidate repeats
// the one before. The search is the plain loop wherever that loop ends; where a repeating
// candidate lies within the bound, so that the loop would never end, it ends after this n.
inline constexpr int64_t kLastSearchedN = 65;

// n! modulo 2^64 plus the offset (-1 or +1), modulo 2^64.
uint64_t factorial_candidate(int64_t n, int64_t offset);

// Prints the listed candidates and the report on the screen (file number 0). A pass runs while
// the previous candidate is not above the limit, so the first candidate past it is still tested
// (for n! - 1 that may be pass 66, whose candidate 2^64 - 1 lies above every lower bound).
void search_factorial_primes(uint64_t limit, int64_t offset, CandidateTest test);
