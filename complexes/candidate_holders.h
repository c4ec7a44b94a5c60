// The similarity lists read backwards: for every protein, the proteins whose
// list towards its species holds it. When a protein's score rises, the
// complex search raises what it keeps of exactly these lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/common_types.h"
#include "network/similarity_index.h"

class CandidateHolders {
 public:
  CandidateHolders(const SimilarityIndex& index, uint speciesNum);

  // The proteins f with c in index.begin(f, s) .. end(f, s) for some s,
  // ascending; f comes as often as c is in its lists.
  const uint32_t* begin(uint32_t c) const { return &m_holders[m_offsets[c]]; }
  const uint32_t* end(uint32_t c) const { return &m_holders[m_offsets[c + 1]]; }

 private:
  std::vector<size_t> m_offsets;  // by id; one past the last entry closes it
  std::vector<uint32_t> m_holders;
};
