#include "complexes/complexes_crawler.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include "progress/progress_meter.h"

namespace {

constexpr weight_t kNotScored = -std::numeric_limits<weight_t>::infinity();

}  // namespace

// ---------------------------------------------------------- search space

void ComplexesCrawler::searchSpace_t::reset() {
  for (SpaceList& list : dummySSpaceHomg) list.resetHomologs();
}

void ComplexesCrawler::searchSpace_t::upgradeNode(Node* n, EsearchSpaceDist dist) {
  TRELLIS_ASSERT(dist < EDIST_MAX && dist >= 0);
  const int oldDist = n->getDistance();
  if (dist >= oldDist) return;
  for (int i = dist; i < oldDist && i < EDIST_MAX; ++i) dummySSpaceHomg[i].appendNode(n);
  n->setDistance(static_cast<signed char>(dist));
}

// ---------------------------------------------------------------- crawler

ComplexesCrawler::ComplexesCrawler(const Network* net, ComplexesFilter* filter, uint startSearchFromDn,
                                   uint dupAllowedThrsh, uint refineIterations, gen_type_t alignNodesType,
                                   const std::vector<const VTree*>& alignNodesOrientation)
    : m_network(net),
      m_filter(filter),
      m_expandedComplex(nullptr),
      m_allowDuplications(false),
      m_demandConnectivity(false),
      mParamStartSearchFromDn(startSearchFromDn),
      mParamMinDistinctProteins(dupAllowedThrsh),
      mParamRefinmentIterations(refineIterations),
      mParamAlignNodesType(alignNodesType),
      mParamANodesOrientation(alignNodesOrientation) {}

ComplexesCrawler::~ComplexesCrawler() {
  clearSpanCache();
  for (VPath* span : m_spareSpans) delete span;
}

void ComplexesCrawler::clearSpanCache() {
  m_cache.clear([this](VPath* span) { m_spareSpans.push_back(span); });
}

ComplexesCrawler::OwnedSpan ComplexesCrawler::newSpan(weight_t score) {
  if (m_spareSpans.empty()) return OwnedSpan(new VPath(score), SpanRecycler{&m_spareSpans});
  VPath* span = m_spareSpans.back();
  m_spareSpans.pop_back();
  span->m_nodes.clear();
  span->setScore(score);
  return OwnedSpan(span, SpanRecycler{&m_spareSpans});
}

// The candidate stays owned while the search goes on: a scoring failure may
// unwind through the search.
void ComplexesCrawler::setCandidate(OwnedSpan* best, weight_t total, Node* head, const VPath* first,
                                    const VPath* second) {
  if (*best == nullptr) *best = newSpan(total);
  VPath* span = best->get();
  span->m_nodes.clear();
  span->m_nodes.reserve(1 + first->size() + (second ? second->size() : 0));
  span->setScore(total);
  span->append(head);
  span->append(first);
  if (second) span->append(second);
}

void ComplexesCrawler::initSearchSpaceToDn(const Seed& /*seed*/, uint /*depth*/) {
  m_network->resetNodesAttribute(ATTR_WEIGHT, kNotScored);
  m_network->resetNodesAttribute(ATTR_DISTANCE, EUNREACHABLE);
  m_searchSpace.reset();
}

void ComplexesCrawler::assignNodeAScore(Node* n, bool knownUnconnected) {
  TRELLIS_ASSERT(m_expandedComplex != nullptr);
  TRELLIS_ASSERT(n->getDistance() != EDIST0);
  const byte s = n->m_speciesIdx;
  weight_t sum = 0;
  for (auto it = m_expandedComplex->nodesBegin(s); it != m_expandedComplex->nodesEnd(s); ++it) {
    const Node* complexNode = *it;
    TRELLIS_ASSERT(complexNode->getDistance() == EDIST0);
    const edge_t* edge = nullptr;
    if (!knownUnconnected && Network::areD1nodes(n, complexNode, &edge)) {
      sum += edge->score;
    } else {
      sum += m_network->scoreNonEdge(n, complexNode);
    }
  }
  n->set_weight(sum);
}

void ComplexesCrawler::handleAddingPathToComlex(const VPath* vp) {
  TRELLIS_ASSERT(m_expandedComplex != nullptr);
  for (Node* newCnode : *vp) {
    if (newCnode->getDistance() == EDIST0) continue;
    m_searchSpace.upgradeNode(newCnode, EDIST0);
    newCnode->set_weight(0);

    // Interaction partners: swap the non-edge contribution that the pass over
    // the whole species below adds for the edge score. The list is sorted by
    // partner, so repeated entries of one partner are adjacent; each partner
    // is handled once, like a pair in the complex score.
    const Node* prev = nullptr;
    for (const edge_t& e : newCnode->getD1()) {
      Node* n = e.node;
      if (n == prev) continue;
      prev = n;
      switch (n->getDistance()) {
        case EDIST0:
          continue;
        case EDIST1:
          break;
        case EUNREACHABLE:
          // Outside the search space means no interaction with the complex.
          assignNodeAScore(n, true);
          m_searchSpace.upgradeNode(n, EDIST1);
          break;
        case EDIST2:
          m_searchSpace.upgradeNode(n, EDIST1);
          break;
        default:
          TRELLIS_ASSERT(false);
      }
      const edge_t* edge = nullptr;
      const bool linked = Network::areD1nodes(n, newCnode, &edge);
      TRELLIS_ASSERT(linked);
      n->set_weight(n->get_weight() + edge->score - m_network->scoreNonEdge(newCnode, n));
    }

    const byte s = newCnode->m_speciesIdx;
    for (auto it = m_searchSpace.begin(s, EDIST2); it != m_searchSpace.end(s, EDIST2); ++it) {
      Node* n = it->node;
      TRELLIS_ASSERT(n->m_speciesIdx == newCnode->m_speciesIdx);
      if (n->getDistance() == EDIST0) continue;
      n->set_weight(n->get_weight() + m_network->scoreNonEdge(newCnode, n));
    }
  }
  m_expandedComplex->addPath(vp);
}

bool ComplexesCrawler::dbg_validateNodeScore(Node* n) const {
  TRELLIS_ASSERT(m_expandedComplex != nullptr);
  if (n->getDistance() == EDIST0) {
    TRELLIS_ASSERT(n->get_weight() == 0.0);
    return true;
  }
  const byte s = n->m_speciesIdx;
  weight_t sum = 0;
  for (auto it = m_expandedComplex->nodesBegin(s); it != m_expandedComplex->nodesEnd(s); ++it) {
    sum += m_network->scoreNodesPair(n, *it);
  }
  if (std::fabs(n->get_weight() - sum) > 0.00001) {
    printf("Error: node %s score mismatch detected: %f instead of %f\n", n->name(), n->get_weight(), sum);
    return false;
  }
  return true;
}

// ------------------------------------------------------------- span search

template <class SubsetsGenerator>
VPath* ComplexesCrawler::nullSpan() {
  static VPath empty;
  return &empty;
}

template <class Span, class Frontend, class SubsetsGenerator>
bool ComplexesCrawler::findBestVspanAt(Span** pBestSpan, Frontend frontend, SubsetsGenerator G) {
  TRELLIS_ASSERT(pBestSpan != nullptr);
  *pBestSpan = nullptr;
  const uint S = G.mask();
  if (S == 0) {
    *pBestSpan = nullSpan<SubsetsGenerator>();
    return true;
  }
  bool wasFound = false;
  Span* cached = m_cache.getEntry(frontend->tag(), &wasFound, S);
  if (wasFound) {
    *pBestSpan = cached;
    return cached != nullptr;
  }

  const bool allowDup = m_allowDuplications;
  OwnedSpan best(nullptr, SpanRecycler{&m_spareSpans});
  byte x = 0;
  SubsetsGenerator G1;
  SubsetsGenerator G2;
  while (G.next(&x, &G1, &G2)) {
    Span* anchorSpan = nullptr;
    if (!findBestVspanAt(&anchorSpan, frontend, G2)) continue;
    for (const edge_t& h : frontend->getHomologs(x)) {
      Node* n = h.node;
      if (!allowDup && n->getDistance() == EDIST0) continue;
      Span* branchSpan = nullptr;
      if (!findBestVspanAt(&branchSpan, n, G1)) continue;
      weight_t nScore = n->score();
      if (nScore == kNotScored) {
        TRELLIS_ASSERT(n->getDistance() == EUNREACHABLE);
        if (m_demandConnectivity) continue;
        m_searchSpace.upgradeNode(n, EDIST2);
        assignNodeAScore(n, false);
        nScore = n->score();
      }
      const weight_t total = nScore + anchorSpan->m_score + branchSpan->m_score;
      if (best != nullptr && !(total > best->m_score)) continue;
      setCandidate(&best, total, n, anchorSpan, branchSpan);
    }
  }
  Span* found = best.release();  // the cache owns it from here on
  m_cache.setEntry(frontend->tag(), S, found);
  *pBestSpan = found;
  return found != nullptr;
}

template <class Span, class Frontend, gen_type_t SpanTypeTag>
bool ComplexesCrawler::findBestVspan(Span** pSpan, Frontend f) {
  const byte s = f->m_speciesIdx;
  const uint others = ((1u << m_network->SPECIES_NUM) - 1) & ~(1u << s);
  if constexpr (SpanTypeTag == TREE) {
    return findBestVspanAt(pSpan, f, SpecSetsTreesGen(others));
  } else if constexpr (SpanTypeTag == PATH) {
    return findBestVspanAt(pSpan, f, SpecSetsPathsGen(others, 0));
  } else {
    TRELLIS_ASSERT(s < mParamANodesOrientation.size() && mParamANodesOrientation[s] != nullptr);
    const VNode* guide = mParamANodesOrientation[s]->root();
    TRELLIS_ASSERT(guide != nullptr);
    return findBestVspanAt(pSpan, f, SpecRestrictedTreesGen(guide));
  }
}

template <class Span, class Frontend, gen_type_t SpanTypeTag>
bool ComplexesCrawler::findNextBestVspan(Span** pSpan, std::vector<Frontend> roots) {
  TRELLIS_ASSERT(pSpan != nullptr);
  OwnedSpan best(nullptr, SpanRecycler{&m_spareSpans});
  for (Frontend f : roots) {
    Span* span = nullptr;
    if (!findBestVspan<Span, Frontend, SpanTypeTag>(&span, f)) continue;
    const weight_t total = span->m_score + f->score();
    if (best != nullptr && !(total > best->m_score)) continue;
    setCandidate(&best, total, f, span, nullptr);
  }
  *pSpan = best.release();
  return *pSpan != nullptr;
}

template bool ComplexesCrawler::findBestVspan<VPath, Node*, PATH>(VPath**, Node*);
template bool ComplexesCrawler::findBestVspan<VPath, Node*, TREE>(VPath**, Node*);
template bool ComplexesCrawler::findBestVspan<VPath, Node*, ORIENTED>(VPath**, Node*);
template bool ComplexesCrawler::findNextBestVspan<VPath, Node*, PATH>(VPath**, std::vector<Node*>);
template bool ComplexesCrawler::findNextBestVspan<VPath, Node*, TREE>(VPath**, std::vector<Node*>);
template bool ComplexesCrawler::findNextBestVspan<VPath, Node*, ORIENTED>(VPath**, std::vector<Node*>);

// ------------------------------------------------------------- expansion

bool ComplexesCrawler::greedlyExpandComplex() {
  TRELLIS_ASSERT(m_expandedComplex != nullptr);
  // The last admission changed node scores and classes: cached spans are stale.
  clearSpanCache();

  std::vector<Node*> frontends;
  for (byte s = 0; s < m_network->SPECIES_NUM; ++s) {
    for (auto it = m_searchSpace.begin(s, EDIST1); it != m_searchSpace.end(s, EDIST1); ++it) {
      frontends.push_back(it->node);
    }
  }

  VPath* found = nullptr;
  switch (mParamAlignNodesType) {
    case PATH:
      findNextBestVspan<VPath, Node*, PATH>(&found, std::move(frontends));
      break;
    case TREE:
      findNextBestVspan<VPath, Node*, TREE>(&found, std::move(frontends));
      break;
    case ORIENTED:
      findNextBestVspan<VPath, Node*, ORIENTED>(&found, std::move(frontends));
      break;
  }
  // No aligned node at all ends the expansion like one that does not raise the score.
  if (found == nullptr) return false;
  OwnedSpan best(found, SpanRecycler{&m_spareSpans});
  if (!(best->score() > 0)) return false;
  handleAddingPathToComlex(best.get());
  return true;
}

bool ComplexesCrawler::expandComplex(const Seed& seed, Complex* pComplex) {
  TRELLIS_ASSERT(pComplex != nullptr);
  m_expandedComplex = pComplex;
  initSearchSpaceToDn(seed, mParamStartSearchFromDn);
  for (const VPath& vp : seed.m_vpaths) handleAddingPathToComlex(&vp);

  m_allowDuplications = false;
  m_demandConnectivity = true;
  for (;;) {
    const size_t n = pComplex->size();
    if (n >= MAX_COMPLEX_SIZE) break;
    if (n >= mParamMinDistinctProteins) m_allowDuplications = true;
    if (n > 1) m_demandConnectivity = false;
    if (!greedlyExpandComplex()) break;
  }
  m_expandedComplex = nullptr;
  return pComplex->size() >= MIN_COMPLEX_SIZE;
}

size_t ComplexesCrawler::findComplexes(std::list<Seed>::const_iterator from,
                                       std::list<Seed>::const_iterator to) {
  puts("Started");
  uint seedNum = 0;
  for (auto it = from; it != to; ++it) {
    ++seedNum;
    Complex complex(seedNum, m_network);
    if (expandComplex(*it, &complex)) m_complexes.push_back(std::move(complex));
    if (m_progress) m_progress->advance();
    if ((seedNum <= 499 && seedNum % 100 == 0) || seedNum % 1000 == 0) {
      printf("Seeds processed: %4u. Complexes found: %4u\n", seedNum, static_cast<uint>(m_complexes.size()));
      fflush(stdout);
    }
  }
  clearSpanCache();
  return m_complexes.size();
}
