// The 48-bit linear congruential generator of drand48 with its state held by
// its owner instead of the process: the draws that srand48(seed) followed by
// drand48() would give, so a run's randomness is a value handed to what
// draws, never global state.
#pragma once

#include <cstdint>
#include <cstdlib>

class Rand48 {
 public:
  // The state srand48(seed) sets: the 32-bit seed above the fixed low word 0x330E.
  explicit Rand48(uint32_t seed)
      : m_state{0x330E, static_cast<unsigned short>(seed & 0xFFFFu), static_cast<unsigned short>(seed >> 16)} {}

  // Uniform in [0, 1), as drand48.
  double next() { return erand48(m_state); }

 private:
  unsigned short m_state[3];
};
