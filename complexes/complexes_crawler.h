// Complex search: the greedy expansion of seeds into complexes. While a
// complex grows, every protein of the network stands in a distance class
// relative to it and every protein of the search space carries its node score
// (complexes/search_space.h): the gain that adding that protein alone would
// bring now. Each admission updates exactly the scores it changes; each step
// admits the best complete aligned node found by the span search
// (span/span_search.h).
#pragma once

#include <cstdio>
#include <functional>
#include <limits>
#include <list>
#include <memory>
#include <vector>

#include "common/common_types.h"
#include "common/flat_map.h"
#include "complexes/candidate_holders.h"
#include "complexes/complex.h"
#include "complexes/search_space.h"
#include "orientation/orientation.h"
#include "network/network.h"
#include "network/non_edge_scores.h"
#include "network/similarity_index.h"
#include "seeds/seed.h"
#include "span/bit_subset.h"
#include "span/pruning.h"
#include "span/span_search.h"


// One crawler owns all of its working state, so crawlers on the same network
// may run side by side.
class ComplexesCrawler : public SearchSpaceClasses {
 public:
  typedef SearchSpace searchSpace_t;

  // Complexes of net, whose proteins may repeat from dupAllowedThrsh aligned
  // nodes on, grown by aligned nodes of alignNodesType (ORIENTED: along the
  // trees of alignNodesOrientation, one per species, which are neither copied
  // nor owned) up to maxSize aligned nodes. Before that size a new aligned
  // node may still start at a protein of the complex (the method's rule);
  // with strictReuse it may not, so that no protein repeats.
  ComplexesCrawler(const Network* net, uint dupAllowedThrsh, gen_type_t alignNodesType,
                   const std::vector<const VTree*>& alignNodesOrientation, uint maxSize = MAX_COMPLEX_SIZE,
                   bool strictReuse = false);
  ComplexesCrawler(const ComplexesCrawler&) = delete;
  ComplexesCrawler& operator=(const ComplexesCrawler&) = delete;

  // Grows seeds[first] .. seeds[last-1] on threads() threads: take(i, complex)
  // in order, complex null when seed i+1 gave none; a complex that reaches
  // MIN_COMPLEX_SIZE aligned nodes has its seed's number as id.
  void growSeeds(const std::vector<const Seed*>& seeds, size_t first, size_t last,
                 const std::function<void(size_t, std::unique_ptr<Complex>&)>& take);
  // After seed number seedNum: the progress line, when it is due, with the
  // number of complexes kept so far.
  static void reportProgress(uint seedNum, size_t complexes, FILE* console = stdout);
  // Threads that growSeeds and refinement work on (each with a crawler of its
  // own); the results and the console are the same for every number.
  void setThreads(uint threads) { m_threads = threads == 0 ? 1 : threads; }
  uint threads() const { return m_threads; }
  // A crawler with the same parameters and a working state of its own.
  std::unique_ptr<ComplexesCrawler> twin() const;

  // Grows the empty pComplex from the seed's aligned nodes; true when it ends
  // with at least MIN_COMPLEX_SIZE aligned nodes.
  bool expandComplex(const Seed& seed, Complex* pComplex);
  // Admits the best complete aligned node when its gain is positive; true when
  // one was admitted.
  bool greedlyExpandComplex();

  // Resets classes, node scores and lists for a new expansion.
  void resetSearchSpace();
  // Scores n from scratch against the complex under expansion; with
  // knownUnconnected every pair counts as a non-interaction.
  void assignNodeAScore(Node* n, bool knownUnconnected);
  // Admits vp into the complex under expansion, updating classes, lists and
  // every affected node score.
  void handleAddingPathToComplex(const VPath* vp);
  // Recomputes the score of n and reports a mismatch; true when it matches.
  bool dbg_validateNodeScore(Node* n) const;

  // Best span at frontend f over every other species in the given shape: its
  // proteins (never f itself) and total in *span; false when none exists.
  template <gen_type_t Shape>
  bool findBestVspan(Node* f, VPath* span);
  // Best complete aligned node grown from any of roots, owned by the caller;
  // false (and null) when none exists. With a floor, only aligned nodes of a
  // total above it are looked for: false when there is none.
  template <gen_type_t Shape>
  bool findNextBestVspan(VPath** pSpan, const std::vector<Node*>& roots,
                         double floor = -std::numeric_limits<double>::infinity());
  // Forgets the spans solved so far and every reach kept from earlier steps:
  // node scores or classes have changed.
  void clearSpanCache();

  const searchSpace_t& searchSpace() const { return m_searchSpace; }

 protected:
  friend class SpanSearch<ComplexesCrawler>;

  // ---- the span search's problem (span/span_search.h) ----
  // Anchors and candidates are node ids (see SimilarityIndex).
  typedef uint32_t Anchor;
  typedef uint32_t Candidate;
  typedef uint32_t Choice;
  // A solved (node, species set): the best span's total and choice, or only
  // that no span totals more than `score`.
  struct SpanState {
    double score = 0;
    uint32_t joined = 0;  // the protein of the best span's new species
    uint16_t anchorSet = 0;
    uint8_t kind = UNSOLVED;
  };
  enum : uint8_t { UNSOLVED = 0, EXACT = 1, BOUNDED = 2 };
  struct Candidates {
    const uint32_t* first;
    const uint32_t* last;
    size_t size() const { return static_cast<size_t>(last - first); }
    uint32_t operator[](size_t i) const { return first[i]; }
  };
  // The node's state for mask in the current step, null when it has none.
  const SpanState* spanState(uint32_t id, uint mask) const;
  // The node's slot, with a block of the current step (made when it had none).
  SearchSpace::SpanSlot& currentSlot(uint32_t id);
  // Where mask sits in the block of a node of species s (which mask never holds).
  static uint blockIndex(uint mask, byte s) { return (mask & ((1u << s) - 1)) | ((mask >> (s + 1)) << s); }
  bool lookupBounded(uint32_t f, uint mask, bool* exact, double* value) const;
  void storeBounded(uint32_t f, uint mask, bool exact, double value, uint32_t joined, uint anchorSet);
  double spanBound(uint mask) const { return m_reach.span(mask); }
  bool ownBound(uint32_t n, double* bound) const;
  // Computed once per step and anchor: a split asks for it again and again.
  double candidatesReach(uint32_t f, byte x);
  Candidates candidates(uint32_t f, byte x) const {
    return Candidates{m_index->begin(f, x), m_index->end(f, x)};
  }
  bool admits(uint32_t n) const { return m_allowDuplications || m_searchSpace.distance(n) != EDIST0; }
  // A node has one form, and every set keeps the split order of the tree that asks.
  static uint32_t canonical(uint32_t id) { return id; }
  template <class Generator>
  static Generator splits(const Generator& G) {
    return G;
  }
  bool ownScore(uint32_t n, double* score);
  uint32_t choose(uint32_t n, size_t) const { return n; }
  void prefetch(uint32_t n, uint) const { m_searchSpace.prefetch(n); }

  // The step's bounds: no candidate of species s scores more than
  // m_reach.own(s), so no span over a set S totals more than the sum over S.
  void computeReach();
  // A new greedy step after an admission: solved spans are stale, reaches
  // kept from earlier steps stay (raised by what scores rose since) unless
  // the rules of admission changed.
  void startStep();
  // No span of frontend f totals more: from the reaches of its candidates
  // kept from earlier steps where there are some, from the step's bounds
  // otherwise.
  double frontendReach(uint32_t f) const;
  // Forgets the reaches kept from earlier steps.
  void forgetKeptReach();
  // The spans solved in the current step go stale.
  void nextStep();
  // n's score rose to `score`: what is kept of every list holding n stays a bound.
  void raiseKeptReach(const Node* n, double score);
  // The score of n when it interacts with no complex protein: the sum of its
  // non-interaction scores against the complex proteins of its species, in
  // their order.
  weight_t nonEdgeSum(const Node* n);
  // Solves the span of f over all other species when it may total more than
  // floor (see SpanSearch::solveAbove).
  template <gen_type_t Shape>
  bool solveFrontend(SpanSearch<ComplexesCrawler>* search, Node* f, double floor, double* score);
  // Appends the proteins of the solved span of (f, S), in search order.
  void appendSpan(uint32_t f, uint S, VPath* out) const;

  searchSpace_t m_searchSpace;
  const Network* m_network;
  std::shared_ptr<const SimilarityIndex> m_index;  // shared with the crawler's twins
  NonEdgeScores m_nonEdge;
  std::vector<SpanState> m_spanStates;  // the blocks of the current step's nodes
  uint32_t m_step = 1;                  // current step; every clearSpanCache starts a new one
  // candidatesReach of (node, species) as computed after `admissions`
  // admissions of the current expansion, under the rules of stamp, and
  // raised with every score of its list that rose since: a bound still.
  struct KeptReach {
    double value = 0;
    uint32_t stamp = 0;
    uint32_t admissions = 0;
  };
  std::shared_ptr<const CandidateHolders> m_holders;  // shared with the crawler's twins
  std::vector<KeptReach> m_keptReach;                 // by node id and species
  uint32_t m_admissions = 0;                          // in the current expansion
  // A non-interaction score depends on the two expected degrees alone, so
  // nonEdgeSum is kept per species and expected degree, over the first
  // `count` complex proteins of the species, for the expansion of stamp.
  struct DegreeSum {
    uint32_t stamp = 0;
    uint32_t count = 0;
    weight_t sum = 0;
  };
  std::vector<DegreeSum> m_degreeSums[MAX_SPECIES];  // by expected degree
  uint32_t m_sumStamp = 1;
  uint32_t m_keptStamp = 1;
  bool m_keptAllowDup = false;
  bool m_keptDemand = false;
  ReachTable m_reach;
  std::vector<Node*> m_frontends;
  std::vector<RootPromise> m_order;  // the step's frontends, by the bounds of the step
  Complex* m_expandedComplex;
  bool m_allowDuplications;
  bool m_demandConnectivity;
  const uint mParamMinDistinctProteins;
  const gen_type_t mParamAlignNodesType;
  const std::vector<const VTree*>& mParamANodesOrientation;
  const uint mParamMaxSize;
  const bool mParamStrictReuse;
  uint m_threads = 1;

 private:
  // A twin: the index of a network already indexed, and the holders of its lists, shared.
  ComplexesCrawler(const Network* net, uint dupAllowedThrsh, gen_type_t alignNodesType,
                   const std::vector<const VTree*>& alignNodesOrientation, uint maxSize, bool strictReuse,
                   std::shared_ptr<const SimilarityIndex> index, std::shared_ptr<const CandidateHolders> holders);
};
