#include "complexes/complexes_crawler.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/ordered_jobs.h"

namespace {

constexpr weight_t kNotScored = SearchSpace::NOT_SCORED;

uint allSpecies(const Network* net) { return (1u << net->SPECIES_NUM) - 1; }

}  // namespace

namespace {

std::shared_ptr<const SimilarityIndex> indexOf(const Network* net) {
  return std::make_shared<const SimilarityIndex>(*net);
}

}  // namespace

ComplexesCrawler::ComplexesCrawler(const Network* net, uint dupAllowedThrsh, gen_type_t alignNodesType,
                                   const std::vector<const VTree*>& alignNodesOrientation, uint maxSize,
                                   bool strictReuse)
    : ComplexesCrawler(net, dupAllowedThrsh, alignNodesType, alignNodesOrientation, maxSize, strictReuse,
                       indexOf(net), nullptr) {}

ComplexesCrawler::ComplexesCrawler(const Network* net, uint dupAllowedThrsh, gen_type_t alignNodesType,
                                   const std::vector<const VTree*>& alignNodesOrientation, uint maxSize,
                                   bool strictReuse, std::shared_ptr<const SimilarityIndex> index,
                                   std::shared_ptr<const CandidateHolders> holders)
    : m_network(net),
      m_index(std::move(index)),
      m_nonEdge(net),
      m_holders(holders ? std::move(holders)
                        : std::make_shared<const CandidateHolders>(*m_index, net->SPECIES_NUM)),
      m_expandedComplex(nullptr),
      m_allowDuplications(false),
      m_demandConnectivity(false),
      mParamMinDistinctProteins(dupAllowedThrsh),
      mParamAlignNodesType(alignNodesType),
      mParamANodesOrientation(alignNodesOrientation),
      mParamMaxSize(maxSize),
      mParamStrictReuse(strictReuse) {}

// ---------------------------------------------------------- search space

void ComplexesCrawler::resetSearchSpace() {
  m_searchSpace.reset(m_index->idLimit());
  const size_t reaches = static_cast<size_t>(m_index->idLimit()) * m_network->SPECIES_NUM;
  if (m_keptReach.size() < reaches) m_keptReach.resize(reaches);
  forgetKeptReach();
  m_admissions = 0;
  if (++m_sumStamp == 0) {  // the stamps wrapped: old sums could look current again
    for (std::vector<DegreeSum>& sums : m_degreeSums) sums.clear();
    m_sumStamp = 1;
  }
}

weight_t ComplexesCrawler::nonEdgeSum(const Node* n) {
  const byte s = n->m_speciesIdx;
  const uint degree = n->getExpDegree();
  std::vector<DegreeSum>& sums = m_degreeSums[s];
  if (sums.size() <= degree) sums.resize(static_cast<size_t>(degree) + 1);
  DegreeSum& known = sums[degree];
  if (known.stamp != m_sumStamp) known = DegreeSum{m_sumStamp, 0, 0};
  // The complex only grows during an expansion: the sum goes on where it stopped,
  // adding in the same order as a sum from scratch.
  const auto first = m_expandedComplex->nodesBegin(s);
  const size_t count = static_cast<size_t>(m_expandedComplex->nodesEnd(s) - first);
  weight_t sum = known.sum;
  for (size_t i = known.count; i < count; ++i) {
    TRELLIS_ASSERT(m_searchSpace.distance(first[i]) == EDIST0);
    sum += m_nonEdge(n, first[i]);
  }
  known.count = static_cast<uint32_t>(count);
  known.sum = sum;
  return sum;
}

void ComplexesCrawler::assignNodeAScore(Node* n, bool knownUnconnected) {
  TRELLIS_ASSERT(m_expandedComplex != nullptr);
  TRELLIS_ASSERT(m_searchSpace.distance(n) != EDIST0);
  if (knownUnconnected) {
    m_searchSpace.setScore(n, nonEdgeSum(n));
    return;
  }
  const byte s = n->m_speciesIdx;
  weight_t sum = 0;
  for (auto it = m_expandedComplex->nodesBegin(s); it != m_expandedComplex->nodesEnd(s); ++it) {
    const Node* complexNode = *it;
    TRELLIS_ASSERT(m_searchSpace.distance(complexNode) == EDIST0);
    const edge_t* edge = nullptr;
    if (!knownUnconnected && Network::areD1nodes(n, complexNode, &edge)) {
      sum += edge->score;
    } else {
      sum += m_nonEdge(n, complexNode);
    }
  }
  m_searchSpace.setScore(n, sum);
}

void ComplexesCrawler::handleAddingPathToComplex(const VPath* vp) {
  TRELLIS_ASSERT(m_expandedComplex != nullptr);
  // Scores that rise raise the reaches kept of the lists holding them; the
  // non-interaction terms only lower scores.
  bool nonEdgeRaised = false;
  for (Node* newCnode : *vp) {
    if (m_searchSpace.distance(newCnode) == EDIST0) continue;
    const weight_t before = m_searchSpace.score(newCnode);
    m_searchSpace.upgradeNode(newCnode, EDIST0);
    m_searchSpace.setScore(newCnode, 0);
    // As a duplicate it scores 0 from now on; unscored, it was bounded by 0.
    if (m_allowDuplications && before != kNotScored && before < 0) raiseKeptReach(newCnode, 0);

    // Interaction partners: swap the non-edge contribution that the pass over
    // the whole species below adds for the edge score. The list is sorted by
    // partner, so repeated entries of one partner are adjacent; each partner
    // is handled once, like a pair in the complex score.
    const Node* prev = nullptr;
    for (const edge_t& e : newCnode->getD1()) {
      Node* n = e.node;
      if (n == prev) continue;
      prev = n;
      switch (m_searchSpace.distance(n)) {
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
      // The entry the interaction test returns: the first of n in the shorter
      // list, which is e itself when that is newCnode's.
      const edge_t* edge = &e;
      if (newCnode->getD1().size() >= n->getD1().size()) {
        const bool linked = Network::areD1nodes(n, newCnode, &edge);
        TRELLIS_ASSERT(linked);
      }
      m_searchSpace.setScore(n, m_searchSpace.score(n) + edge->score - m_nonEdge(newCnode, n));
      // Not below the score after the pass below, which only lowers it.
      raiseKeptReach(n, m_searchSpace.score(n));
    }

    const byte s = newCnode->m_speciesIdx;
    for (auto it = m_searchSpace.begin(s, EDIST2); it != m_searchSpace.end(s, EDIST2); ++it) {
      Node* n = *it;
      TRELLIS_ASSERT(n->m_speciesIdx == newCnode->m_speciesIdx);
      if (m_searchSpace.distance(n) == EDIST0) continue;
      const weight_t nonEdge = m_nonEdge(newCnode, n);
      nonEdgeRaised = nonEdgeRaised || nonEdge > 0;
      m_searchSpace.setScore(n, m_searchSpace.score(n) + nonEdge);
    }
  }
  m_expandedComplex->addPath(vp);
  ++m_admissions;
  if (nonEdgeRaised) forgetKeptReach();
}

void ComplexesCrawler::raiseKeptReach(const Node* n, double score) {
  const size_t species = m_network->SPECIES_NUM;
  const byte s = n->m_speciesIdx;
  for (const uint32_t* f = m_holders->begin(n->m_id); f != m_holders->end(n->m_id); ++f) {
    KeptReach& kept = m_keptReach[static_cast<size_t>(*f) * species + s];
    if (kept.stamp == m_keptStamp && kept.value < score) kept.value = score;
  }
}

bool ComplexesCrawler::dbg_validateNodeScore(Node* n) const {
  TRELLIS_ASSERT(m_expandedComplex != nullptr);
  if (m_searchSpace.distance(n) == EDIST0) {
    TRELLIS_ASSERT(m_searchSpace.score(n) == 0.0);
    return true;
  }
  const byte s = n->m_speciesIdx;
  weight_t sum = 0;
  for (auto it = m_expandedComplex->nodesBegin(s); it != m_expandedComplex->nodesEnd(s); ++it) {
    sum += m_network->scoreNodesPair(n, *it);
  }
  if (std::fabs(m_searchSpace.score(n) - sum) > 0.00001) {
    printf("Error: node %s score mismatch detected: %f instead of %f\n", n->name(), m_searchSpace.score(n),
           sum);
    return false;
  }
  return true;
}

// ------------------------------------------------------------- span search

const ComplexesCrawler::SpanState* ComplexesCrawler::spanState(uint32_t id, uint mask) const {
  const SearchSpace::SpanSlot& slot = m_searchSpace.spanSlot(id);
  if (slot.step != m_step) return nullptr;
  const SpanState& st = m_spanStates[slot.block + blockIndex(mask, m_index->species(id))];
  return st.kind == UNSOLVED ? nullptr : &st;
}

bool ComplexesCrawler::lookupBounded(uint32_t f, uint mask, bool* exact, double* value) const {
  const SpanState* st = spanState(f, mask);
  if (st == nullptr) return false;
  *exact = st->kind == EXACT;
  *value = st->score;
  return true;
}

SearchSpace::SpanSlot& ComplexesCrawler::currentSlot(uint32_t id) {
  SearchSpace::SpanSlot& slot = m_searchSpace.spanSlot(id);
  if (slot.step != m_step) {
    // A block holds every species set of the node's other species.
    slot.step = m_step;
    slot.block = static_cast<uint32_t>(m_spanStates.size());
    m_spanStates.resize(m_spanStates.size() + (1u << (m_network->SPECIES_NUM - 1)));
  }
  return slot;
}

double ComplexesCrawler::candidatesReach(uint32_t f, byte x) {
  KeptReach& kept = m_keptReach[static_cast<size_t>(f) * m_network->SPECIES_NUM + x];
  const uint32_t admissions = m_admissions;
  if (kept.stamp == m_keptStamp && kept.admissions == admissions) return kept.value;
  // Classes and admission stay as they are within a step, and scoring on
  // demand only lowers a bound, so the value stays an upper bound.
  double best = -std::numeric_limits<double>::infinity();
  const Candidates list = candidates(f, x);
  for (size_t i = 0; i < list.size(); ++i) {
    double own = 0;
    if (admits(list[i]) && ownBound(list[i], &own) && own > best) best = own;
  }
  kept.value = best;
  kept.stamp = m_keptStamp;
  kept.admissions = admissions;
  return best;
}

double ComplexesCrawler::frontendReach(uint32_t f) const {
  const uint S = allSpecies(m_network) & ~(1u << m_index->species(f));
  // Connectivity admits a candidate only once it is scored, which an
  // admission can change from none to any: nothing kept holds then.
  if (m_demandConnectivity) return m_reach.span(S);
  const size_t species = m_network->SPECIES_NUM;
  // Any span has a candidate of some species x joined to f, and its other
  // proteins score no more than their species' bounds.
  double reach = -std::numeric_limits<double>::infinity();
  for (uint rest = S; rest != 0; rest &= rest - 1) {
    const byte x = lowestSpecies(rest);
    const KeptReach& kept = m_keptReach[static_cast<size_t>(f) * species + x];
    const double own = kept.stamp == m_keptStamp ? std::min(m_reach.own(x), kept.value) : m_reach.own(x);
    // None admitted stays none: admission only excludes more.
    if (own == -std::numeric_limits<double>::infinity()) continue;
    reach = std::max(reach, own + m_reach.span(S ^ (1u << x)));
  }
  return std::min(reach, m_reach.span(S));
}

void ComplexesCrawler::storeBounded(uint32_t f, uint mask, bool exact, double value, uint32_t joined,
                                    uint anchorSet) {
  const SearchSpace::SpanSlot& slot = currentSlot(f);
  // A bound may be replaced by a lower bound or by the exact answer.
  SpanState& st = m_spanStates[slot.block + blockIndex(mask, m_index->species(f))];
  st.score = value;
  st.joined = joined;
  st.anchorSet = static_cast<uint16_t>(anchorSet);
  st.kind = exact ? EXACT : BOUNDED;
}

bool ComplexesCrawler::ownBound(uint32_t n, double* bound) const {
  *bound = m_searchSpace.score(n);
  if (*bound != kNotScored) return true;
  // Unscored proteins interact with no complex protein: their score is a sum
  // of non-interaction scores, none of them positive.
  *bound = 0;
  return !m_demandConnectivity;
}

void ComplexesCrawler::computeReach() {
  // Class 0 scores 0, class 1 its score, every other protein 0 or less.
  double own[MAX_SPECIES] = {};
  for (byte s = 0; s < m_network->SPECIES_NUM; ++s) {
    for (auto it = m_searchSpace.begin(s, EDIST1); it != m_searchSpace.end(s, EDIST1); ++it)
      own[s] = std::max(own[s], m_searchSpace.score(*it));
  }
  m_reach.build(own, m_network->SPECIES_NUM);
}

bool ComplexesCrawler::ownScore(uint32_t id, double* score) {
  // By id: the node itself is needed only to score it.
  *score = m_searchSpace.score(id);
  if (*score != kNotScored) return true;
  Node* n = m_index->node(id);
  TRELLIS_ASSERT(m_searchSpace.distance(n) == EUNREACHABLE);
  if (m_demandConnectivity) return false;
  // Scored on demand: n stays in class 2 with this score for the rest of the
  // expansion, whether or not its span wins. Outside the search space, it
  // interacts with no complex protein.
  m_searchSpace.upgradeNode(n, EDIST2);
  assignNodeAScore(n, true);
  *score = m_searchSpace.score(n);
  return true;
}

void ComplexesCrawler::nextStep() {
  m_spanStates.clear();
  if (++m_step == 0) {  // the steps wrapped: old blocks could look current again
    for (uint32_t id = 0; id < m_index->idLimit(); ++id) m_searchSpace.spanSlot(id).step = 0;
    m_step = 1;
  }
}

void ComplexesCrawler::forgetKeptReach() {
  if (++m_keptStamp == 0) {  // the stamps wrapped: old reaches could look current again
    for (KeptReach& kept : m_keptReach) kept.stamp = 0;
    m_keptStamp = 1;
  }
  m_keptAllowDup = m_allowDuplications;
  m_keptDemand = m_demandConnectivity;
}

void ComplexesCrawler::clearSpanCache() {
  nextStep();
  forgetKeptReach();
}

void ComplexesCrawler::startStep() {
  nextStep();
  // Duplicates admitted or connectivity dropped: candidates join that were
  // out, and no kept reach bounds them.
  if (m_allowDuplications != m_keptAllowDup || m_demandConnectivity != m_keptDemand) forgetKeptReach();
}

template <gen_type_t Shape>
bool ComplexesCrawler::solveFrontend(SpanSearch<ComplexesCrawler>* search, Node* f, double floor,
                                     double* score) {
  const byte s = f->m_speciesIdx;
  const uint others = allSpecies(m_network) & ~(1u << s);
  if (Shape == TREE) return search->solveAbove(f->m_id, SpecSetsTreesGen(others), floor, score);
  if (Shape == PATH) return search->solveAbove(f->m_id, SpecSetsPathsGen(others, 0), floor, score);
  TRELLIS_ASSERT(s < mParamANodesOrientation.size() && mParamANodesOrientation[s] != nullptr);
  const VNode* guide = mParamANodesOrientation[s]->root();
  TRELLIS_ASSERT(guide != nullptr);
  return search->solveAbove(f->m_id, SpecRestrictedTreesGen(guide), floor, score);
}

void ComplexesCrawler::appendSpan(uint32_t f, uint S, VPath* out) const {
  if (S == 0) return;
  const SpanState* st = spanState(f, S);
  TRELLIS_ASSERT(st != nullptr && st->kind == EXACT);
  // The joined protein, then the anchor's own span, then the joined protein's.
  const uint32_t joined = st->joined;
  const uint anchorSet = st->anchorSet;
  out->append(m_index->node(joined));
  appendSpan(f, anchorSet, out);
  appendSpan(joined, S ^ anchorSet ^ (1u << m_index->species(joined)), out);
}

template <gen_type_t Shape>
bool ComplexesCrawler::findBestVspan(Node* f, VPath* span) {
  computeReach();
  SpanSearch<ComplexesCrawler> search(this);
  double score = 0;
  const double anything = -std::numeric_limits<double>::infinity();
  if (!solveFrontend<Shape>(&search, f, anything, &score)) return false;
  span->m_nodes.clear();
  span->setScore(score);
  appendSpan(f->m_id, allSpecies(m_network) & ~(1u << f->m_speciesIdx), span);
  return true;
}

template <gen_type_t Shape>
bool ComplexesCrawler::findNextBestVspan(VPath** pSpan, const std::vector<Node*>& roots, double above) {
  TRELLIS_ASSERT(pSpan != nullptr);
  *pSpan = nullptr;
  computeReach();
  SpanSearch<ComplexesCrawler> search(this);
  // Frontends that promise most are solved first, so that the best total is
  // high early and bounds prune most of the rest. The winner is still the
  // first frontend (in the given order) of the largest total.
  // They are taken in the order of the step's bounds, which follows their own
  // scores and puts the best early; the bounds from kept reaches, tighter,
  // only leave out frontends that cannot win.
  m_order.clear();
  const uint all = allSpecies(m_network);
  for (size_t i = 0; i < roots.size(); ++i) {
    const Node* f = roots[i];
    const weight_t own = m_searchSpace.score(f);
    const double reach = own + m_reach.span(all & ~(1u << f->m_speciesIdx));
    m_order.push_back({reach, reach, own + frontendReach(f->m_id), own, i});
  }
  RootWinner winner;
  const auto solveAbove = [&](size_t index, double floor, double* span) {
    return solveFrontend<Shape>(&search, roots[index], floor, span);
  };
  if (!bestRootByPromise(&m_order, above, solveAbove, &winner)) return false;
  Node* best = roots[winner.index];
  const weight_t bestTotal = winner.total;
  VPath* found = new VPath(bestTotal);
  found->append(best);
  appendSpan(best->m_id, allSpecies(m_network) & ~(1u << best->m_speciesIdx), found);
  *pSpan = found;
  return true;
}

template bool ComplexesCrawler::findBestVspan<PATH>(Node*, VPath*);
template bool ComplexesCrawler::findBestVspan<TREE>(Node*, VPath*);
template bool ComplexesCrawler::findBestVspan<ORIENTED>(Node*, VPath*);
template bool ComplexesCrawler::findNextBestVspan<PATH>(VPath**, const std::vector<Node*>&, double);
template bool ComplexesCrawler::findNextBestVspan<TREE>(VPath**, const std::vector<Node*>&, double);
template bool ComplexesCrawler::findNextBestVspan<ORIENTED>(VPath**, const std::vector<Node*>&, double);

// ------------------------------------------------------------- expansion

bool ComplexesCrawler::greedlyExpandComplex() {
  TRELLIS_ASSERT(m_expandedComplex != nullptr);
  // The last admission changed node scores and classes: solved spans are stale.
  startStep();

  m_frontends.clear();
  const bool newProteinsOnly = mParamStrictReuse && !m_allowDuplications;
  for (byte s = 0; s < m_network->SPECIES_NUM; ++s) {
    for (auto it = m_searchSpace.begin(s, EDIST1); it != m_searchSpace.end(s, EDIST1); ++it)
      if (!newProteinsOnly || m_searchSpace.distance(*it) != EDIST0) m_frontends.push_back(*it);
  }

  VPath* found = nullptr;
  switch (mParamAlignNodesType) {
    // Only an aligned node that raises the score is admitted: none of a
    // total of 0 or less need be found.
    case PATH:
      findNextBestVspan<PATH>(&found, m_frontends, 0);
      break;
    case TREE:
      findNextBestVspan<TREE>(&found, m_frontends, 0);
      break;
    case ORIENTED:
      findNextBestVspan<ORIENTED>(&found, m_frontends, 0);
      break;
  }
  // No aligned node at all ends the expansion like one that does not raise the score.
  if (found == nullptr) return false;
  std::unique_ptr<VPath> best(found);
  if (!(best->score() > 0)) return false;
  handleAddingPathToComplex(best.get());
  return true;
}

bool ComplexesCrawler::expandComplex(const Seed& seed, Complex* pComplex) {
  TRELLIS_ASSERT(pComplex != nullptr);
  m_expandedComplex = pComplex;
  resetSearchSpace();
  for (const VPath& vp : seed.m_vpaths) handleAddingPathToComplex(&vp);

  m_allowDuplications = false;
  m_demandConnectivity = true;
  for (;;) {
    const size_t n = pComplex->size();
    if (n >= mParamMaxSize) break;
    if (n >= mParamMinDistinctProteins) m_allowDuplications = true;
    if (n > 1) m_demandConnectivity = false;
    if (!greedlyExpandComplex()) break;
  }
  m_expandedComplex = nullptr;
  return pComplex->size() >= MIN_COMPLEX_SIZE;
}

std::unique_ptr<ComplexesCrawler> ComplexesCrawler::twin() const {
  return std::unique_ptr<ComplexesCrawler>(new ComplexesCrawler(
      m_network, mParamMinDistinctProteins, mParamAlignNodesType, mParamANodesOrientation, mParamMaxSize,
      mParamStrictReuse, m_index, m_holders));
}

void ComplexesCrawler::reportProgress(uint seedNum, size_t complexes, FILE* console) {
  if ((seedNum <= 499 && seedNum % 100 == 0) || seedNum % 1000 == 0) {
    fprintf(console, "Seeds processed: %4u. Complexes found: %4u\n", seedNum, static_cast<uint>(complexes));
    fflush(console);
  }
}

void ComplexesCrawler::growSeeds(const std::vector<const Seed*>& seeds, size_t first, size_t last,
                                 const std::function<void(size_t, std::unique_ptr<Complex>&)>& take) {
  // Every seed grows on its own, so workers take them as they come and the
  // results are taken here in seed order, as one thread would make them.
  runJobsInOrder<ComplexesCrawler, std::unique_ptr<Complex>>(
      m_threads, this, [this] { return twin(); }, last - first,
      [this, &seeds, first](ComplexesCrawler& crawler, size_t k) {
        const size_t i = first + k;
        std::unique_ptr<Complex> complex(new Complex(static_cast<uint>(i + 1), m_network));
        if (!crawler.expandComplex(*seeds[i], complex.get())) complex.reset();
        return complex;
      },
      [&take, first](size_t k, std::unique_ptr<Complex>&& complex) { take(first + k, complex); });
  clearSpanCache();
}
