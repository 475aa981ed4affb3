#pragma once
// Primality and the smallest prime factor of 64-bit numbers.
#include <cstdint>

// Deterministic Miller-Rabin: exact for every 64-bit n.
bool is_prime_u64(uint64_t n);

// The smallest prime dividing n, for n >= 2 (n itself when n is prime). Small factors are found
// by trial division; larger ones by Pollard-Brent, splitting composite factors until prime.
uint64_t smallest_prime_factor(uint64_t n);
