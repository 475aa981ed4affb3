#include "app/trial_count.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "app/candidate_test.hpp"
#include "app/prime_factor.hpp"
#include "app/search.hpp"

namespace {

constexpr uint64_t kTwoTo53 = uint64_t{1} << 53;
constexpr uint64_t kMaxSquareRootBelowTwoTo53 = 94906265;

::testing::AssertionResult gives(uint64_t c, TrialOutcome expected) {
  const TrialOutcome got = counted_trials(c);
  if (got.trials == expected.trials && got.listed == expected.listed) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << c << ": counted " << got.trials << (got.listed ? " listed" : "") << ", expected "
         << expected.trials << (expected.listed ? " listed" : "");
}

::testing::AssertionResult agrees_with_loop(uint64_t c) { return gives(c, trial_division(c)); }

// The smallest divisor of c from 2 up to limit, or 0: plain trial division, apart from the engine.
uint64_t small_divisor(uint64_t c, uint64_t limit) {
  for (uint64_t d = 2; d <= limit && d * d <= c; ++d) {
    if (c % d == 0) return d;
  }
  return 0;
}

uint64_t random_prime(std::mt19937_64& random, uint64_t low, uint64_t high) {
  for (;;) {
    const uint64_t p = (low + random() % (high - low)) | 1;
    if (small_divisor(p, p) == 0) return p;
  }
}

// The loop finishes quickly above 2^53 (one trial) and on values with a divisor below 10^5.
void expect_agreement_where_quick(uint64_t c) {
  if (c > kTwoTo53 || small_divisor(c, 100000) != 0) {
    EXPECT_TRUE(agrees_with_loop(c));
  }
}

TEST(CountedTrials, MatchesTheLoopOnFactorialCandidates) {
  for (const auto& [offset, last_n] : {std::pair{-1, 13}, std::pair{1, 12}}) {
    for (int n = 2; n <= last_n; ++n) EXPECT_TRUE(agrees_with_loop(factorial_candidate(n, offset)));
  }
}

TEST(CountedTrials, MatchesTheLoopOnEveryValueUpToAMillion) {
  constexpr uint32_t kLast = 1000000;
  // A prime p costs the loop p / 2 trials: above this bound only every 100th prime is run.
  constexpr uint32_t kQuickPrimes = 100000;
  std::vector<uint32_t> smallest(kLast + 1, 0);
  for (uint32_t p = 2; p <= kLast; ++p) {
    if (smallest[p] != 0) continue;
    for (uint32_t m = p; m <= kLast; m += p) smallest[m] = smallest[m] ? smallest[m] : p;
  }
  int slow_primes = 0;
  for (uint64_t c = 0; c <= kLast; ++c) {
    const bool prime = c >= 2 && smallest[c] == c;
    if (!prime || c <= kQuickPrimes || ++slow_primes % 100 == 0) {
      EXPECT_TRUE(agrees_with_loop(c));
    } else {
      EXPECT_TRUE(gives(c, {static_cast<int64_t>(c / 2), true}));
    }
  }
}

TEST(CountedTrials, MatchesTheLoopOnLargeValuesWithASmallFactor) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    const uint64_t factor = 3 + 2 * (random() % 500);
    EXPECT_TRUE(agrees_with_loop(factor * ((random() % (kTwoTo53 / factor)) | 1)));
  }
}

TEST(CountedTrials, MatchesTheLoopAroundTwoTo53AndUpToTwoTo64) {
  for (const uint64_t centre : {kTwoTo53, uint64_t{1} << 63, ~uint64_t{0} - 300}) {
    for (int offset = -300; offset <= 300; ++offset) expect_agreement_where_quick(centre + offset);
  }
  std::mt19937_64 random(53);
  for (int i = 0; i < 100000; ++i) expect_agreement_where_quick(random());
}

// Where the loop would take hours, the count follows from factors known by construction.
TEST(CountedTrials, CountsFromTheSmallestFactorWhereTheLoopIsSlow) {
  EXPECT_TRUE(gives(87178291199, {43589145599, true}));            // 14! - 1
  EXPECT_TRUE(gives(9007199254740881, {4503599627370440, true}));  // the last prime below 2^53
  std::mt19937_64 random(26);
  for (int i = 0; i < 50; ++i) {
    const uint64_t p = random_prime(random, 1 << 20, kMaxSquareRootBelowTwoTo53);
    const uint64_t q = random_prime(random, 1 << 20, kMaxSquareRootBelowTwoTo53);
    EXPECT_TRUE(gives(p, {static_cast<int64_t>(p / 2), true}));
    EXPECT_TRUE(gives(p * p, {static_cast<int64_t>(p) - 1, false}));
    EXPECT_TRUE(gives(p * q, {static_cast<int64_t>(std::min(p, q)) - 1, false}));
  }
}

// The two facts about doubles that the counting rests on.
TEST(DoubleFacts, QuotientUpToTwoTo53IsWholeExactlyWhenTheDivisorDivides) {
  std::mt19937_64 random(2);
  for (int i = 0; i < 100000; ++i) {
    const uint64_t d = 2 + random() % (i % 2 ? 1000 : 100000000);
    const uint64_t c = i % 4 < 2 ? d * (random() % (kTwoTo53 / d) + 1) : random() % kTwoTo53 + 1;
    const double q = static_cast<double>(c) / static_cast<double>(d);
    EXPECT_EQ(q == std::floor(q), c % d == 0) << c << " / " << d;
  }
  EXPECT_NE(0x1p53 / 3, std::floor(0x1p53 / 3));
}

TEST(DoubleFacts, ValuesAboveTwoTo53BecomeEvenDoubles) {
  EXPECT_EQ(static_cast<double>(kTwoTo53 + 1), 0x1p53);
  EXPECT_EQ(static_cast<double>(~uint64_t{0}), 0x1p64);
  std::mt19937_64 random(3);
  for (int i = 0; i < 100000; ++i) {
    const double v = static_cast<double>(kTwoTo53 + 1 + random() % (~uint64_t{0} - kTwoTo53));
    EXPECT_TRUE(v >= 0x1p53 && v / 2 == std::floor(v / 2)) << v;
  }
}

TEST(PrimeFactor, KnownNumbers) {
  struct Case {
    uint64_t n;
    uint64_t smallest;  // equal to n for a prime
  };
  const Case kCases[] = {
      {2, 2},
      {3, 3},
      {4, 2},
      {25, 5},
      {37, 37},
      {41, 41},
      {561, 3},
      {4097, 17},
      {4294967291, 4294967291},
      // Strong pseudoprimes to the first few prime bases.
      {2047, 23},
      {1373653, 829},
      {25326001, 2251},
      {3215031751, 151},
      {2152302898747, 6763},
      {3474749660383, 1303},
      {341550071728321, 10670053},
      {3825123056546413051, 149491},
      // Near 2^53 and 2^64: primes, a prime square, a product of two primes near 2^32.
      {9007199254740881, 9007199254740881},
      {2305843009213693951, 2305843009213693951},
      {18446744073709551557u, 18446744073709551557u},
      {18446744030759878681u, 4294967291},
      {18446743979220271189u, 4294967279},
      {18446744073709551615u, 3}};
  for (const Case& c : kCases) {
    EXPECT_EQ(is_prime_u64(c.n), c.smallest == c.n) << c.n;
    EXPECT_EQ(smallest_prime_factor(c.n), c.smallest) << c.n;
  }
  EXPECT_FALSE(is_prime_u64(0));
  EXPECT_FALSE(is_prime_u64(1));
}

TEST(PrimeFactor, FindsTheSmallestOfLargePrimeFactors) {
  std::mt19937_64 random(32);
  for (int i = 0; i < 10; ++i) {
    const uint64_t p = random_prime(random, uint64_t{1} << 31, uint64_t{1} << 32);
    const uint64_t q = random_prime(random, uint64_t{1} << 31, uint64_t{1} << 32);
    EXPECT_EQ(smallest_prime_factor(p * q), std::min(p, q)) << p << " * " << q;
  }
  // Close factors: a split may leave the smallest inside a composite part.
  for (int i = 0; i < 100; ++i) {
    const uint64_t p = random_prime(random, 1 << 20, 1 << 21);
    const uint64_t q = random_prime(random, 1 << 20, 1 << 21);
    const uint64_t r = random_prime(random, 1 << 20, 1 << 21);
    EXPECT_EQ(smallest_prime_factor(p * q * r), std::min({p, q, r}))
        << p << " * " << q << " * " << r;
  }
}

TEST(PrimeFactor, SmallestFactorIsAPrimeDivisorWithNoSmallerOneLeft) {
  std::mt19937_64 random(64);
  for (int i = 0; i < 300; ++i) {
    const uint64_t n = random() | 2;
    const uint64_t p = smallest_prime_factor(n);
    EXPECT_EQ(n % p, 0u) << n;
    EXPECT_TRUE(is_prime_u64(p)) << n;
    EXPECT_EQ(is_prime_u64(n), p == n) << n;
    if (p < n) {
      EXPECT_GE(smallest_prime_factor(n / p), p) << n;
    }
  }
}

}  // namespace
