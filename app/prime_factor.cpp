#include "app/prime_factor.hpp"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <numeric>

namespace {

using u128 = unsigned __int128;

// The first twelve primes: as Miller-Rabin witnesses they decide every n below 3.3 * 10^24.
constexpr uint64_t kWitnesses[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37};

// Trial division covers factors up to here; every factor left after it is found by Pollard-Brent.
constexpr uint64_t kTrialDivisionLimit = 4096;

// Steps between the numbers from 7 on that have no factor 2, 3 or 5 (a wheel of 30).
constexpr uint64_t kWheelSteps[] = {4, 2, 4, 2, 4, 6, 2, 6};

// Products per gcd in Pollard-Brent: one gcd costs about as much as many multiplications.
constexpr uint64_t kGcdBatch = 128;

uint64_t mul_mod(uint64_t a, uint64_t b, uint64_t m) {
  return static_cast<uint64_t>(static_cast<u128>(a) * b % m);
}

uint64_t pow_mod(uint64_t base, uint64_t exponent, uint64_t m) {
  uint64_t result = 1;
  for (base %= m; exponent > 0; exponent >>= 1) {
    if (exponent & 1) result = mul_mod(result, base, m);
    base = mul_mod(base, base, m);
  }
  return result;
}

// The strong probable-prime test of odd n to base a, where n - 1 = odd * 2^twos.
bool is_strong_probable_prime(uint64_t n, uint64_t a, uint64_t odd, int twos) {
  uint64_t x = pow_mod(a, odd, n);
  if (x == 1 || x == n - 1) return true;
  for (int i = 1; i < twos; ++i) {
    x = mul_mod(x, x, n);
    if (x == n - 1) return true;
  }
  return false;
}

uint64_t distance(uint64_t a, uint64_t b) { return a > b ? a - b : b - a; }

// One pass of Brent's cycle search on x -> x^2 + c (mod n). Gives a divisor of n above 1:
// a proper one, or n itself when this c fails.
uint64_t brent_divisor(uint64_t n, uint64_t c) {
  const auto step = [n, c](uint64_t x) {
    return static_cast<uint64_t>((static_cast<u128>(x) * x + c) % n);
  };
  uint64_t y = 2, x = 2, saved = 2, product = 1, g = 1;
  for (uint64_t run = 1; g == 1; run *= 2) {
    x = y;
    for (uint64_t i = 0; i < run; ++i) y = step(y);
    for (uint64_t done = 0; done < run && g == 1; done += kGcdBatch) {
      saved = y;
      for (uint64_t i = 0; i < std::min(kGcdBatch, run - done); ++i) {
        y = step(y);
        product = mul_mod(product, distance(x, y), n);
      }
      g = std::gcd(product, n);
    }
  }
  if (g != n) return g;
  // The batch overshot; redo it one step at a time to find the first common factor.
  do {
    saved = step(saved);
    g = std::gcd(distance(x, saved), n);
  } while (g == 1);
  return g;
}

// The smallest prime factor of n >= 2, whose prime factors all lie above the trial bound.
uint64_t smallest_large_factor(uint64_t n) {
  if (is_prime_u64(n)) return n;
  uint64_t divisor = n;
  for (uint64_t c = 1; divisor == n; ++c) divisor = brent_divisor(n, c);
  return std::min(smallest_large_factor(divisor), smallest_large_factor(n / divisor));
}

}  // namespace

bool is_prime_u64(uint64_t n) {
  if (n < 2) return false;
  for (const uint64_t p : kWitnesses) {
    if (n % p == 0) return n == p;
  }
  const int twos = __builtin_ctzll(n - 1);
  const uint64_t odd = (n - 1) >> twos;
  return std::all_of(std::begin(kWitnesses), std::end(kWitnesses),
                     [&](uint64_t a) { return is_strong_probable_prime(n, a, odd, twos); });
}

uint64_t smallest_prime_factor(uint64_t n) {
  for (const uint64_t p : {2, 3, 5}) {
    if (n % p == 0) return p;
  }
  std::size_t spoke = 0;
  for (uint64_t p = 7; p <= kTrialDivisionLimit; p += kWheelSteps[spoke], spoke = (spoke + 1) % 8) {
    if (p * p > n) return n;
    if (n % p == 0) return p;
  }
  return smallest_large_factor(n);
}
