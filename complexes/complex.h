// The complex record: an ordered list of aligned nodes with its incremental
// score, the proteins it covers, its overlap with another complex and its text
// forms (console listing, alignment file, species file).
#pragma once

#include <cstdio>
#include <set>
#include <vector>

#include "common/common_types.h"
#include "network/network.h"

// One conserved protein complex: an ordered list of aligned nodes, the distinct
// proteins they cover (also grouped by species) and the complex score, which is
// the pair score summed over every pair of distinct same-species proteins.
// A value type; it points into the network it was built on and must not
// outlive it.
class Complex {
 public:
  uint m_id;  // number of the seed the complex grew from; kept by refinement

  Complex(uint id, const Network* pNet);

  // Stores a copy of path whose score is the gain the path brought: the pair
  // scores of its new proteins against the complex proteins of their species.
  // Proteins already in the complex add nothing.
  void addPath(const VPath* path);

  uint id() const { return m_id; }
  weight_t getScore() const { return m_score; }
  // Number of stored aligned nodes (not proteins).
  size_t size() const { return m_VPaths.size(); }
  const std::vector<VPath>& paths() const { return m_VPaths; }
  // Distinct proteins of species s in the order they first entered.
  std::vector<Node*>::const_iterator nodesBegin(byte s) const;
  std::vector<Node*>::const_iterator nodesEnd(byte s) const;
  size_t proteinsNum() const { return m_nodesSet.size(); }

  // The ids of its distinct proteins, ascending.
  std::vector<uint32_t> proteinIds() const;

  // Console listing: header, one line per aligned node (with similarity
  // orientation flags for three-node aligned nodes), then the score.
  void dbg_print(FILE* out) const;
  // Alignment file text: the score, then one comma-separated line per aligned node.
  void fprint(FILE* f) const;
  // Species file text: the score within species s, then its proteins, one per line.
  void fprint(byte s, FILE* f) const;
  // The complex score within species s: the pair score summed over every pair
  // of its distinct proteins of that species, in id order.
  weight_t speciesScore(byte s) const;

 private:
  std::vector<VPath> m_VPaths;
  weight_t m_score;
  const Network* m_net;
  std::set<Node*> m_nodesSet;
  std::vector<Node*> m_nodesBySpec[MAX_SPECIES];
};
