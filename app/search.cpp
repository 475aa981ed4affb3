#include "app/search.hpp"

#include "console/print.hpp"

uint64_t factorial_candidate(int64_t n, int64_t offset) {
  uint64_t product = 1;
  for (int64_t k = 2; k <= n; ++k) product *= static_cast<uint64_t>(k);
  return product + static_cast<uint64_t>(offset);
}

void search_factorial_primes(uint64_t limit, int64_t offset, CandidateTest test) {
  uint64_t candidate = 0;
  uint64_t factorial = 1;
  int64_t n = 1;
  int64_t trials = 1;
  while (candidate <= limit) {
    const uint64_t next_factorial = factorial * static_cast<uint64_t>(n + 1);
    const uint64_t next_candidate = next_factorial + static_cast<uint64_t>(offset);
    // Past the last pass whose factorial is not 0, every candidate repeats: one within the
    // bound would repeat for ever, so the search ends here instead.
    if (n >= kLastSearchedN && next_candidate <= limit) break;
    ++n;
    factorial = next_factorial;
    candidate = next_candidate;
    const TrialOutcome outcome = test(candidate);
    trials += outcome.trials;
    if (outcome.listed) {
      print_literal(" ", 0);
      print_uint64(0, candidate, PRINT_NEWLINE);
    }
  }
  print_literal("", PRINT_NEWLINE);
  print_literal("", PRINT_NEWLINE);
  print_literal(" Celkovy pocet provedenych vypoctu: ", PRINT_NEWLINE);
  print_literal("", PRINT_NEWLINE);
  print_int64(0, trials, PRINT_NEWLINE);
  print_literal("", PRINT_NEWLINE);
  print_literal(" Nejvyssi faktorial: ", 0);
  print_int64(0, n, PRINT_NEWLINE);
}
