#include "app/trial_count.hpp"

#include "app/prime_factor.hpp"

// Why the counts equal those of trial_division, which tries divisors d = 2, 3, ... on the
// double v of candidate c, stops when v / d is whole, and else goes on while v / 2 >= d.
//
// c <= 2^53. Then v = c, and every divisor tried (at most c / 2 + 1) is exact too.
//   - If d divides c, the quotient is an integer of at most 53 bits: exact, so whole.
//   - If not, c / d lies at least 1/d from every integer. With 2^e <= c / d < 2^(e+1),
//     rounding moves it by at most 2^(e-53) <= (c / d) / 2^53 <= 1/d, and equality needs
//     c = 2^53 with c / d a power of two, i.e. d a power of two, which divides c. So the
//     rounded quotient stays strictly between two integers: not whole.
//   - v / 2 is exact, so the loop goes on while d <= c / 2, ending at d = floor(c / 2) + 1.
//   The loop therefore stops at the first divisor of c if that is at most floor(c / 2) + 1,
//   and otherwise lists c after floor(c / 2) trials (still one trial for c = 1). So:
//     c even (0, 2 included): divisor 2 ends it at once, not listed;
//     c an odd composite: its smallest prime factor p <= sqrt(c) ends it after p - 1 trials;
//     c an odd prime: no divisor up to floor(c / 2) + 1 < c, listed after floor(c / 2) trials.
//
// c > 2^53. Rounding is monotone and 2^53 is a double, so v >= 2^53 (up to 2^64 for the
//   largest c), and every double from 2^53 on is an even integer. So v / 2 is exact and
//   whole: one trial, not listed. (2^53 + 1, for one, rounds to 2^53.)
namespace {

constexpr uint64_t kExactDoubleLimit = uint64_t{1} << 53;

}  // namespace

TrialOutcome counted_trials(uint64_t candidate) {
  if (candidate % 2 == 0 || candidate > kExactDoubleLimit) return {1, false};
  if (candidate == 1) return {1, true};
  if (is_prime_u64(candidate)) return {static_cast<int64_t>(candidate / 2), true};
  return {static_cast<int64_t>(smallest_prime_factor(candidate)) - 1, false};
}
