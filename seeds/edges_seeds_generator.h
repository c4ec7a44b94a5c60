// Seeds: one pair of proteins per species, each pair interacting (or sharing a
// partner) inside its species, matched position by position across species by
// similarity edges. The generator finds the best seed of every protein by a
// dynamic programme over species sets.
#pragma once

#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "common/common_types.h"
#include "homology/homology.h"
#include "network/network.h"
#include "span/bit_subset.h"
#include "span/dynamic_table.h"

class ProgressMeter;

// A pair of proteins of one species with its score inside that species.
// Position 0 and position 1 are distinct roles: a seed collects the proteins
// at each position into its own aligned node.
struct SeedFrontend {
  Node* m_nodes[2];
  weight_t m_score;

  SeedFrontend();  // null nodes, score +infinity
  SeedFrontend(Node* p0, Node* p1, weight_t score) : m_nodes{p0, p1}, m_score(score) {}

  Node* node(uint id) const { return m_nodes[id]; }
  uint nodes() const { return 2; }
  byte species() const { return m_nodes[0]->m_speciesIdx; }
  // Cache key of the unordered pair: (min id << 16) | max id.
  uint tag() const {
    const uint a = m_nodes[0]->m_id, b = m_nodes[1]->m_id;
    return a < b ? (a << 16) | b : (b << 16) | a;
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
  // "Seed: [ (b,a)--(d,c)]\t(3.500000)": one pair per position, last aligned
  // node first.
  void dbg_print() const;
};

// A cached span together with the protein at position 0 of the frontend it
// was computed for. The cache key ignores the order of the frontend's
// proteins, so a requester of the reversed pair gets a mirrored copy (aligned
// nodes swapped), made once and kept here.
class OrientedSpan {
 public:
  OrientedSpan(Seed* span, const Node* first) : m_span(span), m_first(first) {}
  OrientedSpan(const OrientedSpan&) = delete;
  OrientedSpan& operator=(const OrientedSpan&) = delete;

  const Seed* span() const { return m_span.get(); }
  // The span with position 0 continuing the protein `first`.
  const Seed* orientedTo(const Node* first);

 private:
  std::unique_ptr<Seed> m_span;
  std::unique_ptr<Seed> m_mirror;
  const Node* m_first;
};

// Finds the best seed of every protein of a finalised network.
class EdgesSeedsGenerator {
 public:
  typedef std::list<Seed>::const_iterator const_iterator;

  // seedsOrientation is empty or holds one tree per species (tree s rooted at
  // s); it is neither copied nor owned, nor is the network.
  EdgesSeedsGenerator(const Network* net, const std::vector<const VTree*>& seedsOrientation, bool d2enabled,
                      gen_type_t seedsType);
  ~EdgesSeedsGenerator();
  EdgesSeedsGenerator(const EdgesSeedsGenerator&) = delete;
  EdgesSeedsGenerator& operator=(const EdgesSeedsGenerator&) = delete;

  // Runs the whole seed search once; returns the number of seeds found.
  size_t createSeeds();
  // Meter advanced once per anchor protein by createSeeds; null for none.
  void setProgress(ProgressMeter* meter) { m_progress = meter; }
  const_iterator getSeedsBegin() const { return m_seeds.begin(); }
  const_iterator getSeedsEnd() const { return m_seeds.end(); }

  // The span of every frontend over the empty set of species.
  static const Seed* nullSeed();

 protected:
  // *pSpan = a new seed (owned by the caller) of the best root and its best
  // span over all other species; null when no root has a span.
  template <class Span, class Frontend, gen_type_t Tag>
  void findNextBestVspan(Span** pSpan, const std::vector<Frontend>& roots);
  // Best span of f over all species but its own, in the shape Tag.
  template <class Span, class Frontend, gen_type_t Tag>
  bool findBestVspan(const Span** p, const Frontend& f);
  // Best span of frontend over G.mask() in the shape of G; borrowed from the
  // cache (or the shared empty span) and oriented to the frontend.
  template <class Span, class Frontend, class SubsetsGenerator>
  bool findBestVspanAt(const Span** bestSeed, const Frontend& frontend, SubsetsGenerator G);

 private:
  void findSeedOf(const std::vector<SeedFrontend>& roots, Seed** pSeed);
  // The frontends that continue frontend into species s, in construction
  // order. Memoised: the search asks for the same continuation under many
  // species sets and splits, and building it is the costly part.
  const std::vector<SeedFrontend>& continuations(const SeedFrontend& frontend, byte s);

  DynTable2<uint, OrientedSpan> m_cache;
  std::unordered_map<uint64_t, std::vector<SeedFrontend>> m_continuations;
  size_t m_continuationsSize = 0;  // frontends held by m_continuations
  // Builds what FrontendExpander lists, with the interaction partners of the
  // current node 0 marked in m_marks so that each pair test is a lookup.
  void buildContinuations(const SeedFrontend& frontend, byte s, std::vector<SeedFrontend>* out);
  std::vector<uint> m_marks;  // by node id: the stamp of the node whose partner it is
  uint m_stamp = 0;

 protected:
  const Network* m_network;
  const std::vector<const VTree*>& m_seedsOrientation;
  std::list<Seed> m_seeds;
  bool m_d2enabled;
  gen_type_t m_seedsType;
  ProgressMeter* m_progress = nullptr;
};
