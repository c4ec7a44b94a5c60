// The frontends that continue a frontend, built anew each time they are
// asked for: the plain form of seeds/continuations.h, kept as the reference
// of the seed search's tests.
#pragma once

#include <vector>

#include "network/network.h"
#include "seeds/seed.h"

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

inline FrontendExpander::FrontendExpander(const Network* net, SeedFrontend iniFront, byte specIdx,
                                   bool d2enabled_flg) {
  build(net, iniFront, specIdx, d2enabled_flg, &m_frontends);
}

inline void FrontendExpander::build(const Network* net, const SeedFrontend& iniFront, byte specIdx,
                             bool d2enabled_flg, std::vector<SeedFrontend>* frontends) {
  const edges_list_t& partners0 = iniFront.node(0)->getHomologs(specIdx);
  const edges_list_t& partners1 = iniFront.node(1)->getHomologs(specIdx);
  for (const edge_t& h0 : partners0) {
    for (const edge_t& h1 : partners1) {
      Node* m0 = h0.node;
      Node* m1 = h1.node;
      if (m0 == m1) continue;
      const edge_t* edge = nullptr;
      if (Network::areD1nodes(m0, m1, &edge)) {
        frontends->emplace_back(m0, m1, edge->score);
      } else if (d2enabled_flg && net->areD2nodes(m0, m1)) {
        frontends->emplace_back(m0, m1, net->scoreNonEdge(m0, m1));
      }
    }
  }
}
