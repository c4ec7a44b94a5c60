// Complex search: the complex record, the search space kept around a growing
// complex with incremental node scores, the search for the best aligned node
// that can join it, and the greedy expansion of seeds into complexes.
#pragma once

#include <cstdio>
#include <list>
#include <memory>
#include <vector>

#include "common/common_types.h"
#include "complexes/complex.h"
#include "homology/homology.h"
#include "network/network.h"
#include "seeds/edges_seeds_generator.h"
#include "span/bit_subset.h"
#include "span/dynamic_table.h"

class ComplexesFilter;
class ProgressMeter;

// Grows seeds into complexes greedily. While a complex grows, every protein of
// the network stands in a distance class relative to it (kept in the node's
// m_distance) and every protein of the search space carries its node score
// (kept in m_weight): the gain that adding that protein alone would bring now.
// Each admission updates exactly the scores it changes. Only one crawler may
// work on a network at a time.
class ComplexesCrawler {
 public:
  enum EsearchSpaceDist : int {
    EDIST0 = 0,  // in the complex
    EDIST1 = 1,  // interacts with a complex protein
    EDIST2 = 2,  // reached through similarity links and scored on demand
    EDIST_MAX = 3,
    EUNREACHABLE = 127  // outside the search space; score is minus infinity
  };

  // Cumulative per-class node lists: list (d, s) holds every node of species s
  // whose class is d or smaller, each once, in the order it entered.
  struct searchSpace_t {
    // A dummy node whose similarity lists serve as the search-space lists.
    class SpaceList : public DummyNode {
     public:
      // A node is listed in (d, s) exactly when its class is at most d, so an
      // upgrade never meets the node already listed: append without a search.
      void appendNode(Node* n) { m_homologs[n->m_speciesIdx].emplace_back(n, 0); }
    };

    SpaceList dummySSpaceHomg[EDIST_MAX];

    void reset();
    ec_iter_t begin(byte species, EsearchSpaceDist d) const {
      return dummySSpaceHomg[d].getHomologs(species).begin();
    }
    ec_iter_t end(byte species, EsearchSpaceDist d) const {
      return dummySSpaceHomg[d].getHomologs(species).end();
    }
    // Moves n to class dist when that is smaller than its class, joining the
    // lists of the classes it passes.
    void upgradeNode(Node* n, EsearchSpaceDist dist);
  };

  ComplexesCrawler(const Network* net, ComplexesFilter* filter, uint startSearchFromDn, uint dupAllowedThrsh,
                   uint refineIterations, gen_type_t alignNodesType,
                   const std::vector<const VTree*>& alignNodesOrientation);
  ~ComplexesCrawler();
  ComplexesCrawler(const ComplexesCrawler&) = delete;
  ComplexesCrawler& operator=(const ComplexesCrawler&) = delete;

  // Expands every seed of the range (numbered from 1) and keeps the complexes
  // that reach MIN_COMPLEX_SIZE, with the seed number as id. Returns the number
  // of complexes kept so far.
  size_t findComplexes(std::list<Seed>::const_iterator from, std::list<Seed>::const_iterator to);
  // Meter advanced once per seed by findComplexes; null for none.
  void setProgress(ProgressMeter* meter) { m_progress = meter; }
  std::list<Complex>::const_iterator getComplexesBegin() const { return m_complexes.begin(); }
  std::list<Complex>::const_iterator getComplexesEnd() const { return m_complexes.end(); }

  // Grows the empty pComplex from the seed's aligned nodes; true when it ends
  // with at least MIN_COMPLEX_SIZE aligned nodes.
  bool expandComplex(const Seed& seed, Complex* pComplex);
  // Admits the best complete aligned node when its gain is positive; true when
  // one was admitted.
  bool greedlyExpandComplex();

  // Resets classes, node scores and lists for a new expansion.
  void initSearchSpaceToDn(const Seed& seed, uint depth);
  // Scores n from scratch against the complex under expansion; with
  // knownUnconnected every pair counts as a non-interaction.
  void assignNodeAScore(Node* n, bool knownUnconnected);
  // Admits vp into the complex under expansion, updating classes, lists and
  // every affected node score.
  void handleAddingPathToComlex(const VPath* vp);
  // Recomputes the score of n and reports a mismatch; true when it matches.
  bool dbg_validateNodeScore(Node* n) const;

  // Best span at frontend f over every other species, borrowed from the cache
  // (or the shared empty span).
  template <class Span, class Frontend, gen_type_t SpanTypeTag>
  bool findBestVspan(Span** pSpan, Frontend f);
  // Best span at frontend over G.mask(), borrowed.
  template <class Span, class Frontend, class SubsetsGenerator>
  bool findBestVspanAt(Span** pBestSpan, Frontend frontend, SubsetsGenerator G);
  // Best complete aligned node grown from any of roots; owned by the caller.
  template <class Span, class Frontend, gen_type_t SpanTypeTag>
  bool findNextBestVspan(Span** pSpan, std::vector<Frontend> roots);

  const searchSpace_t& searchSpace() const { return m_searchSpace; }

 protected:
  // Spans released by the cache are kept for reuse: a step makes and drops one
  // span per solved (node, species set), and reusing them with their node
  // storage saves most of that allocation work.
  struct SpanRecycler {
    std::vector<VPath*>* spare;
    void operator()(VPath* span) const { spare->push_back(span); }
  };
  typedef std::unique_ptr<VPath, SpanRecycler> OwnedSpan;
  OwnedSpan newSpan(weight_t score);
  // Makes *best (taking a span only when there is none yet) the span "head,
  // then the nodes of first, then those of second" with the given score.
  void setCandidate(OwnedSpan* best, weight_t total, Node* head, const VPath* first, const VPath* second);
  // Empties the span cache, keeping its spans for reuse.
  void clearSpanCache();

  // The span over the empty species set, one per generator kind; never cached
  // nor freed.
  template <class SubsetsGenerator>
  static VPath* nullSpan();

  searchSpace_t m_searchSpace;
  const Network* m_network;
  ComplexesFilter* m_filter;
  DynTable2<uint, VPath> m_cache;
  std::vector<VPath*> m_spareSpans;  // owned; released by the cache, ready for reuse
  Complex* m_expandedComplex;
  std::list<Complex> m_complexes;
  bool m_allowDuplications;
  bool m_demandConnectivity;
  const uint mParamStartSearchFromDn;
  const uint mParamMinDistinctProteins;
  const uint mParamRefinmentIterations;
  const gen_type_t mParamAlignNodesType;
  const std::vector<const VTree*>& mParamANodesOrientation;
  ProgressMeter* m_progress = nullptr;
};
