// The value types of the seed search: a frontend (a pair of proteins of one
// species), the frontends that continue it into another species, and the
// seed itself (one pair per species, matched position by position).
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/common_types.h"
#include "network/network.h"

// A pair of proteins of one species with its score inside that species.
// Position 0 and position 1 are distinct roles: a seed collects the proteins
// at each position into its own aligned node.
struct SeedFrontend {
  Node* m_nodes[2];
  weight_t m_score;
  uint32_t m_ids[2];  // the nodes' ids, kept here so that keys need no node

  SeedFrontend();  // null nodes, score +infinity
  SeedFrontend(Node* p0, Node* p1, weight_t score)
      : m_nodes{p0, p1}, m_score(score), m_ids{p0->m_id, p1->m_id} {}

  Node* node(uint id) const { return m_nodes[id]; }
  uint32_t nodeId(uint id) const { return m_ids[id]; }
  uint nodes() const { return 2; }
  byte species() const { return m_nodes[0]->m_speciesIdx; }
  // Cache key of the unordered pair: (min id << 32) | max id.
  uint64_t tag() const {
    const uint64_t a = m_ids[0], b = m_ids[1];
    return a < b ? (a << 32) | b : (b << 32) | a;
  }
  weight_t score() const { return m_score; }
};

// The frontends of a target species that continue a frontend: node 0 a
// similarity partner of the frontend's node 0, node 1 one of its node 1, the
// two interacting or (when admitted) sharing an interaction partner. Handed out
// in the reverse order of construction.
class FrontendExpander {
 public:
  FrontendExpander(const Network* net, SeedFrontend iniFront, byte specIdx, bool d2enabled_flg);
  // The frontends in construction order (getNext hands them out from the end).
  static void build(const Network* net, const SeedFrontend& iniFront, byte specIdx, bool d2enabled_flg,
                    std::vector<SeedFrontend>* frontends);
  FrontendExpander(const FrontendExpander&) = delete;
  FrontendExpander& operator=(const FrontendExpander&) = delete;

  // False when none is left; otherwise moves the last frontend to *f.
  bool getNext(SeedFrontend* f) {
    if (m_frontends.empty()) return false;
    *f = m_frontends.back();
    m_frontends.pop_back();
    return true;
  }

 protected:
  std::vector<SeedFrontend> m_frontends;  // not yet handed out
};

// Two aligned nodes collecting position 0 and position 1 of every frontend
// appended, with the summed score. Also used as a plain list of aligned nodes
// (any width) to restart a complex from.
struct Seed {
  std::vector<VPath> m_vpaths;
  weight_t m_score;

  explicit Seed(byte width) : m_vpaths(width), m_score(0) {}
  weight_t getScore() const { return m_score; }

  void append(const SeedFrontend& frontend);
  // Appends every aligned node of subSeed to the matching one of this seed.
  void append(const Seed* subSeed);
  // Shared proteins over the protein count of the smaller seed, in [0, 1];
  // 0 when either seed is empty.
  double intersectRatio(const Seed& x) const;
  // The ids of its distinct proteins, ascending.
  std::vector<uint32_t> proteinIds() const;
  // "Seed: [ (b,a)--(d,c)]\t(3.500000)": one pair per position, last aligned
  // node first.
  void dbg_print(FILE* out = stdout) const;
};
