#include "tools/annotate/draw_random.h"

namespace {

constexpr uint64_t GOLDEN = 0x9e3779b97f4a7c15ULL;

uint64_t mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

}  // namespace

DrawRandom::DrawRandom(uint64_t seed, uint64_t complexId, uint64_t species, uint64_t draw) {
  // Each coordinate is folded in through the mixer, so that neighbouring
  // coordinates give unrelated streams.
  uint64_t h = mix(seed + GOLDEN);
  h = mix(h ^ (complexId + GOLDEN));
  h = mix(h ^ (species + GOLDEN));
  m_state = mix(h ^ (draw + GOLDEN));
}

uint64_t DrawRandom::next() {
  m_state += GOLDEN;
  return mix(m_state);
}

uint64_t DrawRandom::below(uint64_t n) {
  // The largest multiple of n that fits; values at or above it are drawn again.
  const uint64_t limit = UINT64_MAX - UINT64_MAX % n;
  uint64_t x = next();
  while (x >= limit) x = next();
  return x % n;
}
