#include "complexes/candidate_holders.h"

CandidateHolders::CandidateHolders(const SimilarityIndex& index, uint speciesNum) {
  const uint32_t limit = index.idLimit();
  // Two passes over every list, counting and then placing; f ascends in both.
  auto forEachEntry = [&index, limit, speciesNum](auto fn) {
    for (uint32_t f = 0; f < limit; ++f) {
      if (index.node(f) == nullptr) continue;
      for (byte s = 0; s < speciesNum; ++s) {
        for (const uint32_t* c = index.begin(f, s); c != index.end(f, s); ++c) fn(f, *c);
      }
    }
  };
  m_offsets.assign(static_cast<size_t>(limit) + 1, 0);
  forEachEntry([this](uint32_t, uint32_t c) { ++m_offsets[c + 1]; });
  for (size_t i = 1; i < m_offsets.size(); ++i) m_offsets[i] += m_offsets[i - 1];
  std::vector<size_t> next(m_offsets.begin(), m_offsets.end() - 1);
  m_holders.assign(m_offsets.back() + 1, 0);  // one more, so that begin() of an empty last list stays inside
  forEachEntry([this, &next](uint32_t f, uint32_t c) { m_holders[next[c]++] = f; });
}
