// The search's listed candidates and report, for both signs of the 1.
#include "app/search.hpp"

#include <string>
#include <vector>

#include "app/trial_count.hpp"
#include "captured_output.hpp"

namespace {

using Search = CapturedOutput;

std::string report(const std::vector<std::string>& listed, const std::string& trials,
                   const std::string& n) {
  std::string out;
  for (const auto& candidate : listed) out += " " + candidate + "\r\n";
  return out + "\r\n\r\n Celkovy pocet provedenych vypoctu: \r\n\r\n " + trials +
         "\r\n\r\n Nejvyssi faktorial:  " + n + "\r\n";
}

struct SearchCase {
  int64_t offset;
  uint64_t limit;
  std::vector<std::string> listed;
  std::string trials;
  std::string n;
};

const SearchCase kCases[] = {
    {-1, 0, {"1"}, "2", "2"},
    {-1, 1, {"1", "5"}, "4", "3"},
    {-1, 5, {"1", "5", "23"}, "15", "4"},
    {-1, 10, {"1", "5", "23"}, "15", "4"},
    {-1, 100, {"1", "5", "23"}, "21", "5"},
    {-1, 1000, {"1", "5", "23", "719", "5039"}, "2899", "7"},
    {-1, 1000000, {"1", "5", "23", "719", "5039"}, "2959", "10"},
    {+1, 0, {"3"}, "2", "2"},
    {+1, 3, {"3", "7"}, "5", "3"},
    {+1, 10, {"3", "7"}, "9", "4"},
    {+1, 100, {"3", "7"}, "19", "5"},
    {+1, 1000, {"3", "7"}, "95", "7"},
    {+1, 1000000, {"3", "7"}, "183", "10"},
};

TEST_F(Search, ListsTheCandidatesAndReportsWithEitherTest) {
  for (CandidateTest test : {trial_division, counted_trials}) {
    for (const SearchCase& c : kCases) {
      bytes().clear();
      search_factorial_primes(c.limit, c.offset, test);
      EXPECT_EQ(bytes(), report(c.listed, c.trials, c.n)) << c.offset << " " << c.limit;
    }
  }
}

TEST_F(Search, RunsThePlainLoopWhereverItEndsAndStopsAt65WhereItWouldNot) {
  // Every pass counts one trial: the count starts at 1, so it reads as the highest n.
  const CandidateTest one_trial = [](uint64_t) { return TrialOutcome{1, false}; };
  // 40! - 1 and 40! + 1 (modulo 2^64) are the largest candidates before pass 66.
  constexpr uint64_t kLargest = 18376134811363311615u;
  struct Row {
    int64_t offset;
    uint64_t limit;
    const char* n;
  } rows[] = {
      {-1, kLargest - 1, "40"},
      {-1, kLargest, "66"},        // pass 66's candidate 2^64 - 1 lies above the bound
      {-1, UINT64_MAX - 5, "66"},  // the bound typed as -5
      {-1, UINT64_MAX - 1, "66"},
      {-1, UINT64_MAX, "65"},      // 2^64 - 1 would repeat for ever
      {+1, kLargest + 1, "40"},
      {+1, kLargest + 2, "65"},    // pass 66's candidate 1 would repeat for ever
      {+1, UINT64_MAX, "65"},
  };
  for (const Row& row : rows) {
    bytes().clear();
    search_factorial_primes(row.limit, row.offset, one_trial);
    EXPECT_EQ(bytes(), report({}, row.n, row.n)) << row.offset << " " << row.limit;
  }
}

TEST_F(Search, LargestBoundsListTheKnownFactorialPrimes) {
  search_factorial_primes(UINT64_MAX, -1, counted_trials);
  EXPECT_NE(bytes().find(" 479001599\r\n"), std::string::npos);
  EXPECT_NE(bytes().find(" 87178291199\r\n"), std::string::npos);
  EXPECT_NE(bytes().find(" Nejvyssi faktorial:  65\r\n"), std::string::npos);
}

TEST_F(Search, FirstCandidatePastTheBoundIsStillTested) {
  // 12! - 1 = 479001599 is prime and listed although the bound lies below it.
  search_factorial_primes(39916799, -1, counted_trials);
  EXPECT_NE(bytes().find(" 479001599\r\n"), std::string::npos);
  EXPECT_NE(bytes().find("faktorial:  12\r\n"), std::string::npos);
}

}  // namespace
