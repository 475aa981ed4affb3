// The search's dialogue output, and the counted trials against the plain trial loop.
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/search.hpp"
#include "app/trial_count.hpp"
#include "captured_output.hpp"
#include "dialogue.hpp"

namespace {

using namespace test_support;

using Search = CapturedOutput;

// The bytes the search writes are the dialogue's rows from the listed candidates on (row 7).
TEST_F(Search, ListsTheCandidatesAndReportsAndEndsAfterPass66) {
  const struct {
    int64_t offset;
    uint64_t limit;
    std::vector<std::string> listed;
    const char *trials, *n;
  } kCases[] = {
      {-1, 0, {"1"}, "2", "2"},                    {-1, 1, {"1", "5"}, "4", "3"},
      {-1, 5, {"1", "5", "23"}, "15", "4"},        {-1, 10, {"1", "5", "23"}, "15", "4"},
      {-1, 100, {"1", "5", "23"}, "21", "5"},      {-1, 1000, {"1", "5", "23", "719", "5039"}, "2899", "7"},
      {-1, 1000000, {"1", "5", "23", "719", "5039"}, "2959", "10"},
      {+1, 0, {"3"}, "2", "2"},                    {+1, 3, {"3", "7"}, "5", "3"},
      {+1, 10, {"3", "7"}, "9", "4"},              {+1, 100, {"3", "7"}, "19", "5"},
      {+1, 1000, {"3", "7"}, "95", "7"},           {+1, 1000000, {"3", "7"}, "183", "10"},
  };
  for (const auto& c : kCases) {
    bytes().clear();
    search_factorial_primes(c.limit, c.offset, counted_trials);
    EXPECT_EQ(bytes(), crlf_lines(dialogue_rows("", "", c.listed, c.trials, c.n), 7)) << c.offset << " " << c.limit;
  }
  // The search ends after the last pass whose factorial is not zero.
  // Every pass counts one trial: the count starts at 1, so it reads as the highest n.
  const CandidateTest one_trial = [](uint64_t) { return TrialOutcome{1, false}; };
  // 40! - 1 and 40! + 1 (modulo 2^64) are the largest candidates before pass 66.
  constexpr uint64_t kLargest = 18376134811363311615u;
  const struct { int64_t offset; uint64_t limit; const char* n; } kRows[] = {
      {-1, kLargest - 1, "40"},
      {-1, kLargest, "66"},        // pass 66's candidate 2^64 - 1 lies above the bound
      {-1, UINT64_MAX - 1, "66"},
      {-1, UINT64_MAX, "65"},      // 2^64 - 1 would repeat for ever
      {+1, kLargest + 1, "40"},
      {+1, kLargest + 2, "65"},    // pass 66's candidate 1 would repeat for ever
  };
  for (const auto& row : kRows) {
    bytes().clear();
    search_factorial_primes(row.limit, row.offset, one_trial);
    EXPECT_EQ(bytes(), crlf_lines(dialogue_rows("", "", {}, row.n, row.n), 7)) << row.offset << " " << row.limit;
  }
}

// The smallest divisor of c from 2 up to limit, or 0.
uint64_t small_divisor(uint64_t c, uint64_t limit) {
  for (uint64_t d = 2; d <= limit && d * d <= c; ++d) if (c % d == 0) return d;
  return 0;
}

// The trials and whether the candidate is listed, as GoogleTest compares and prints them.
std::pair<int64_t, bool> outcome(TrialOutcome o) { return {o.trials, o.listed}; }

void expect_agrees_with_loop(uint64_t c) { EXPECT_EQ(outcome(counted_trials(c)), outcome(trial_division(c))) << c; }

TEST(CountedTrials, MatchesThePlainLoopWhereverItIsQuickAndKnownFiguresElsewhere) {
  constexpr uint64_t kTwoTo53 = uint64_t{1} << 53;
  // The candidates up to 11! (12! - 1, a prime, would take the loop a second; the piped runs
  // check the total of its trials).
  for (int n = 2; n <= 11; ++n) {
    for (const int64_t offset : {-1, +1}) expect_agrees_with_loop(factorial_candidate(n, offset));
  }
  // Up to a million: every value up to 10000, and beyond it those with a small factor and a few.
  std::vector<uint64_t> values;
  for (uint64_t c = 0; c <= 1000000; ++c) {
    if (c <= 10000 || c % 2000 == 7 || (c <= 300000 && small_divisor(c, 100) != 0)) values.push_back(c);
  }
  std::mt19937_64 random(7);
  for (int i = 0; i < 5000; ++i) {  // below 2^53 with a small factor
    const uint64_t factor = 3 + 2 * (random() % 500);
    values.push_back(factor * ((random() % (kTwoTo53 / factor)) | 1));
  }
  // Around 2^53 and up to 2^64, where the loop ends after one trial or on a small divisor.
  for (const uint64_t centre : {kTwoTo53, uint64_t{1} << 63, UINT64_MAX - 300}) {
    for (int offset = -300; offset <= 300; ++offset) values.push_back(centre + offset);
  }
  for (const uint64_t c : values) {
    if (c <= 1000000 || c > kTwoTo53 || small_divisor(c, 10000) != 0) expect_agrees_with_loop(c);
  }
  // Strong pseudoprimes to the first prime bases, and products of primes past trial division.
  for (const uint64_t c : {1373653ull, 25326001ull, 3215031751ull, 2152302898747ull, 3474749660383ull,
                           341550071728321ull, 1000006000009ull}) {
    expect_agrees_with_loop(c);
  }
  // Where the loop would take hours: known figures.
  // A prime above 2^32, 14! - 1, and the last prime below 2^53.
  EXPECT_EQ(outcome(counted_trials(4294967291)), std::pair(int64_t{2147483645}, true));
  EXPECT_EQ(outcome(counted_trials(87178291199)), std::pair(int64_t{43589145599}, true));
  EXPECT_EQ(outcome(counted_trials(9007199254740881)), std::pair(int64_t{4503599627370440}, true));
}

}  // namespace
