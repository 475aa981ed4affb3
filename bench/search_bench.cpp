// The candidate tests of a whole search, without printing: the trial loop against the counting
// engine on the same bound, and the engine on the largest bound.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "app/candidate_test.hpp"
#include "app/search.hpp"
#include "app/trial_count.hpp"

namespace {

constexpr int64_t kZorvy = -1;
constexpr int64_t kPlemo = 1;

// The trial total the search reports: passes run while the previous candidate is within bound.
int64_t search_trials(uint64_t bound, int64_t offset, CandidateTest test) {
  int64_t trials = 1;
  uint64_t candidate = 0;
  for (int64_t n = 2; candidate <= bound && n <= kLastSearchedN; ++n) {
    candidate = factorial_candidate(n, offset);
    trials += test(candidate).trials;
  }
  return trials;
}

void run_search(benchmark::State& state, uint64_t bound, int64_t offset, CandidateTest test) {
  int64_t trials = 0;
  for (auto _ : state) {
    trials = search_trials(bound, offset, test);
    benchmark::DoNotOptimize(trials);
  }
  state.counters["trials"] = static_cast<double>(trials);
  if (test == trial_division) {
    // Seconds per trial (shown with an SI prefix, e.g. 2n = 2 ns).
    state.counters["time_per_trial"] = benchmark::Counter(
        static_cast<double>(trials),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  }
}

BENCHMARK_CAPTURE(run_search, loop_zorvy_1e9, 1000000000, kZorvy, trial_division)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(run_search, engine_zorvy_1e9, 1000000000, kZorvy, counted_trials)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(run_search, engine_zorvy_max, UINT64_MAX, kZorvy, counted_trials)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(run_search, engine_plemo_max, UINT64_MAX, kPlemo, counted_trials)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
