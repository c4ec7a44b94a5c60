#include "seeds/edges_seeds_generator.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <utility>

#include "progress/progress_meter.h"

// ---------------------------------------------------------------------------
// SeedFrontend, FrontendExpander

SeedFrontend::SeedFrontend()
    : m_nodes{nullptr, nullptr}, m_score(std::numeric_limits<weight_t>::infinity()) {}

FrontendExpander::FrontendExpander(const Network* net, SeedFrontend iniFront, byte specIdx,
                                   bool d2enabled_flg) {
  build(net, iniFront, specIdx, d2enabled_flg, &m_frontends);
}

void FrontendExpander::build(const Network* net, const SeedFrontend& iniFront, byte specIdx,
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

// ---------------------------------------------------------------------------
// Seed

void Seed::append(const SeedFrontend& frontend) {
  TRELLIS_ASSERT(m_vpaths.size() == frontend.nodes());
  for (uint k = 0; k < frontend.nodes(); ++k) m_vpaths[k].append(frontend.node(k));
  m_score += frontend.m_score;
}

void Seed::append(const Seed* subSeed) {
  TRELLIS_ASSERT(m_vpaths.size() == subSeed->m_vpaths.size());
  for (size_t k = 0; k < m_vpaths.size(); ++k) {
    std::vector<Node*>& dst = m_vpaths[k].m_nodes;
    const std::vector<Node*>& src = subSeed->m_vpaths[k].m_nodes;
    dst.insert(dst.end(), src.begin(), src.end());
  }
  m_score += subSeed->m_score;
}

namespace {

// Bound on the frontends memoised between two anchor proteins (about 24 bytes each).
constexpr size_t MAX_MEMOISED_CONTINUATIONS = 4000000;

// Distinct proteins of a seed, sorted by id.
std::vector<const Node*> nodesSet(const Seed& seed) {
  std::vector<const Node*> nodes;
  for (const VPath& path : seed.m_vpaths) nodes.insert(nodes.end(), path.begin(), path.end());
  std::sort(nodes.begin(), nodes.end(), Network::nodeBefore);
  nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
  return nodes;
}

}  // namespace

double Seed::intersectRatio(const Seed& x) const {
  const std::vector<const Node*> my_nodesSet = nodesSet(*this);
  const std::vector<const Node*> x_nodesSet = nodesSet(x);
  const size_t smaller = std::min(my_nodesSet.size(), x_nodesSet.size());
  if (smaller == 0) return 0;
  size_t common = 0;
  auto a = my_nodesSet.begin(), b = x_nodesSet.begin();
  while (a != my_nodesSet.end() && b != x_nodesSet.end()) {
    if (Network::nodeBefore(*a, *b)) {
      ++a;
    } else if (Network::nodeBefore(*b, *a)) {
      ++b;
    } else {
      ++common, ++a, ++b;
    }
  }
  return static_cast<double>(common) / static_cast<double>(smaller);
}

void Seed::dbg_print() const {
  printf("Seed: [ ");
  const size_t positions = m_vpaths.empty() ? 0 : m_vpaths[0].size();
  for (size_t i = 0; i < positions; ++i) {
    printf("%s(", i == 0 ? "" : "--");
    for (size_t k = m_vpaths.size(); k-- > 0;) {
      // Aligned nodes of unequal length only arise from hand-built seeds;
      // the missing entries are left out rather than read past the end.
      if (i >= m_vpaths[k].size()) continue;
      printf("%s%s", m_vpaths[k].m_nodes[i]->name(), k == 0 ? "" : ",");
    }
    printf(")");
  }
  printf("]\t(%f)\n", m_score);
}

// ---------------------------------------------------------------------------
// OrientedSpan

const Seed* OrientedSpan::orientedTo(const Node* first) {
  if (first == m_first) return m_span.get();
  if (!m_mirror) {
    m_mirror.reset(new Seed(*m_span));
    if (m_mirror->m_vpaths.size() == 2) std::swap(m_mirror->m_vpaths[0], m_mirror->m_vpaths[1]);
  }
  return m_mirror.get();
}

// ---------------------------------------------------------------------------
// EdgesSeedsGenerator

EdgesSeedsGenerator::EdgesSeedsGenerator(const Network* net,
                                         const std::vector<const VTree*>& seedsOrientation, bool d2enabled,
                                         gen_type_t seedsType)
    : m_network(net), m_seedsOrientation(seedsOrientation), m_d2enabled(d2enabled), m_seedsType(seedsType) {
  TRELLIS_ASSERT(seedsOrientation.empty() || seedsOrientation.size() == net->SPECIES_NUM);
  TRELLIS_ASSERT(seedsType != ORIENTED || !seedsOrientation.empty());
}

EdgesSeedsGenerator::~EdgesSeedsGenerator() { m_cache.clear(); }

const Seed* EdgesSeedsGenerator::nullSeed() {
  static const Seed empty(2);
  return &empty;
}

size_t EdgesSeedsGenerator::createSeeds() {
  uint proteinsCovered = 0;
  std::vector<SeedFrontend> roots;
  for (byte s = 0; s < m_network->SPECIES_NUM; ++s) {
    for (Node* p : m_network->layer(s)) {
      roots.clear();
      for (const edge_t& e : p->getD1()) {
        if (p->m_id < e.node->m_id) roots.emplace_back(p, e.node, e.score);
      }
      ++proteinsCovered;
      if ((proteinsCovered & (proteinsCovered - 1)) == 0) {
        printf("Covered %d proteins, created %d seeds\n", static_cast<int>(proteinsCovered),
               static_cast<int>(m_seeds.size()));
        fflush(stdout);
      }
      m_cache.maintence();
      // The memo of continuations is a pure function of the network: dropping
      // it only bounds memory.
      if (m_continuationsSize > MAX_MEMOISED_CONTINUATIONS) {
        m_continuations.clear();
        m_continuationsSize = 0;
      }
      Seed* pSeed = nullptr;
      findSeedOf(roots, &pSeed);
      if (pSeed != nullptr && pSeed->m_score > 0) m_seeds.push_back(*pSeed);
      delete pSeed;
      if (m_progress) m_progress->advance();
    }
  }
  m_cache.clear();
  m_continuations.clear();
  m_continuationsSize = 0;
  return m_seeds.size();
}

const std::vector<SeedFrontend>& EdgesSeedsGenerator::continuations(const SeedFrontend& frontend, byte s) {
  const uint64_t key = (static_cast<uint64_t>(frontend.node(0)->m_id) << 32) |
                       (static_cast<uint64_t>(frontend.node(1)->m_id) << 8) | s;
  auto found = m_continuations.find(key);
  if (found != m_continuations.end()) return found->second;
  std::vector<SeedFrontend>& list = m_continuations[key];
  buildContinuations(frontend, s, &list);
  m_continuationsSize += list.size() + 1;
  return list;
}

void EdgesSeedsGenerator::buildContinuations(const SeedFrontend& frontend, byte s,
                                             std::vector<SeedFrontend>* out) {
  for (const edge_t& h0 : frontend.node(0)->getHomologs(s)) {
    Node* m0 = h0.node;
    if (++m_stamp == 0) {  // the stamps wrapped: old marks could match again
      std::fill(m_marks.begin(), m_marks.end(), 0);
      m_stamp = 1;
    }
    for (const edge_t& e : m0->getD1()) {
      if (e.node->m_id >= m_marks.size()) m_marks.resize(e.node->m_id + 1, 0);
      m_marks[e.node->m_id] = m_stamp;
    }
    auto marked = [this](const Node* n) { return n->m_id < m_marks.size() && m_marks[n->m_id] == m_stamp; };
    for (const edge_t& h1 : frontend.node(1)->getHomologs(s)) {
      Node* m1 = h1.node;
      if (m0 == m1) continue;
      if (marked(m1)) {
        // The entry itself (and so its score) is the one the interaction test returns.
        const edge_t* edge = nullptr;
        const bool interact = Network::areD1nodes(m0, m1, &edge);
        TRELLIS_ASSERT(interact);
        out->emplace_back(m0, m1, edge->score);
      } else if (m_d2enabled && std::any_of(m1->getD1().begin(), m1->getD1().end(),
                                            [&](const edge_t& e) { return marked(e.node); })) {
        out->emplace_back(m0, m1, m_network->scoreNonEdge(m0, m1));
      }
    }
  }
}

void EdgesSeedsGenerator::findSeedOf(const std::vector<SeedFrontend>& roots, Seed** pSeed) {
  switch (m_seedsType) {
    case PATH:
      findNextBestVspan<Seed, SeedFrontend, PATH>(pSeed, roots);
      break;
    case TREE:
      findNextBestVspan<Seed, SeedFrontend, TREE>(pSeed, roots);
      break;
    case ORIENTED:
      findNextBestVspan<Seed, SeedFrontend, ORIENTED>(pSeed, roots);
      break;
  }
}

template <class Span, class Frontend, gen_type_t Tag>
void EdgesSeedsGenerator::findNextBestVspan(Span** pSpan, const std::vector<Frontend>& roots) {
  TRELLIS_ASSERT(pSpan != nullptr);
  // Owned until handed out: a scoring failure deeper down may unwind through here.
  std::unique_ptr<Span> best;
  for (const Frontend& frontend : roots) {
    const Span* subFrontendSpan = nullptr;
    if (!findBestVspan<Span, Frontend, Tag>(&subFrontendSpan, frontend)) continue;
    const weight_t score = subFrontendSpan->m_score + frontend.score();
    if (best != nullptr && !(score > best->m_score)) continue;
    best.reset(new Span(2));
    best->append(frontend);
    best->append(subFrontendSpan);
  }
  *pSpan = best.release();
}

template <class Span, class Frontend, gen_type_t Tag>
bool EdgesSeedsGenerator::findBestVspan(const Span** p, const Frontend& f) {
  const uint others = ((1u << m_network->SPECIES_NUM) - 1) ^ (1u << f.species());
  switch (Tag) {
    case PATH:
      return findBestVspanAt(p, f, SpecSetsPathsGen(others, 0));
    case TREE:
      return findBestVspanAt(p, f, SpecSetsTreesGen(others));
    case ORIENTED:
      return findBestVspanAt(p, f, SpecRestrictedTreesGen(m_seedsOrientation[f.species()]->root()));
  }
  return false;
}

template <class Span, class Frontend, class SubsetsGenerator>
bool EdgesSeedsGenerator::findBestVspanAt(const Span** bestSeed, const Frontend& frontend,
                                          SubsetsGenerator G) {
  *bestSeed = nullptr;
  const uint S = G.mask();
  if (S == 0) {
    *bestSeed = nullSeed();
    return true;
  }
  const uint tag = frontend.tag();
  bool isCached = false;
  OrientedSpan* cachedSeed = m_cache.getEntry(tag, &isCached, S);
  if (isCached) {
    if (cachedSeed == nullptr) return false;
    *bestSeed = cachedSeed->orientedTo(frontend.node(0));
    return true;
  }

  std::unique_ptr<Span> bestCandidate;  // owned until the cache takes it
  byte s;
  SubsetsGenerator G1, G2;
  while (G.next(&s, &G1, &G2)) {
    const Span* pLeft = nullptr;
    if (!findBestVspanAt(&pLeft, frontend, G2)) continue;
    // Handed out from the last built to the first, as FrontendExpander::getNext does.
    const std::vector<SeedFrontend>& next = continuations(frontend, s);
    for (auto it = next.rbegin(); it != next.rend(); ++it) {
      const Frontend& f = *it;
      const Span* pRight = nullptr;
      if (!findBestVspanAt(&pRight, f, G1)) continue;
      const weight_t seedScore = pRight->m_score + (f.score() + pLeft->m_score);
      if (bestCandidate != nullptr && !(seedScore > bestCandidate->m_score)) continue;
      bestCandidate.reset(new Span(2));
      bestCandidate->append(f);
      bestCandidate->append(pLeft);
      bestCandidate->append(pRight);
    }
  }

  Span* found = bestCandidate.release();
  *bestSeed = found;
  m_cache.setEntry(tag, S, found == nullptr ? nullptr : new OrientedSpan(found, frontend.node(0)));
  return found != nullptr;
}
