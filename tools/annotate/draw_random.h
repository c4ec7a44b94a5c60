// The random numbers of one matched control draw: SplitMix64, seeded from the
// draw's coordinates alone (run seed, complex id, species, draw number), so
// that every draw is the same whatever the thread that makes it, the order of
// the draws, or the other complexes of the run. Integer arithmetic only: the
// same sequence on every platform.
#pragma once

#include <cstdint>

class DrawRandom {
 public:
  DrawRandom(uint64_t seed, uint64_t complexId, uint64_t species, uint64_t draw);

  uint64_t next();
  // Uniform in [0, n), n > 0, without modulo bias.
  uint64_t below(uint64_t n);

 private:
  uint64_t m_state;
};
