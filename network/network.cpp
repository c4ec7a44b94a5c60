#include "network/network.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>

#include "common/error.h"
#include "common/text.h"

namespace {

// An illegal model configuration ends the run with the message formatted.
template <class... Args>
Error modelError(const char* format, Args... args) {
  return Error(EXIT_MODEL, strFormat(format, args...));
}


bool lessByWeight(const edge_t& a, const edge_t& b) { return a.weight < b.weight; }

bool lessByNode(const edge_t& a, const edge_t& b) { return Network::nodeBefore(a.node, b.node); }

// Rounds a model quantity to an unsigned 32-bit count: non-positive (or not a
// number) gives 0, otherwise the integer part, saturated instead of overflowing.
uint truncToUint(double v) {
  if (!(v > 0)) return 0;
  if (v >= 4294967295.0) return 0xFFFFFFFF;
  return static_cast<uint>(v);
}

// Index drawn uniformly in [0, count) from a draw uniform in [0, 1).
size_t drawIndex(const std::function<double()>& draw, size_t count) {
  return static_cast<size_t>(draw() * static_cast<double>(count));
}

}  // namespace

// ---------------------------------------------------------------------------
// Node

Node::Node(const char* name, byte speciesIdx, uint id, uint idxInSpecies)
    : m_name((TRELLIS_ASSERT(name != nullptr), name)),
      m_speciesIdx(speciesIdx),
      m_id(id),
      m_indexInSpecies(idxInSpecies),
      m_edgesWSum(0),
      m_expDegree(0xFFFFFFFF) {}

void Node::add_neighbor(Node* pNode, weight_t weight) {
  m_d1_neigbors.push_back(edge_t(pNode, weight));
  m_edgesWSum += weight;
}

void Node::add_homolog(Node* pNode, weight_t weight) {
  TRELLIS_ASSERT(pNode != nullptr && pNode->m_speciesIdx < MAX_SPECIES);
  edges_list_t& list = m_homologs[pNode->m_speciesIdx];
  e_iter_t it = std::find_if(list.begin(), list.end(), equalToNode(pNode));
  if (it != list.end()) {
    // The better (smaller) E-value wins.
    if (weight < it->weight) it->weight = weight;
    return;
  }
  list.push_back(edge_t(pNode, weight));
}

Node* Node::removeWorstHomolog(byte spec) {
  TRELLIS_ASSERT(spec < MAX_SPECIES);
  edges_list_t& list = m_homologs[spec];
  if (list.empty()) {
    std::puts("WARNING: Nothing erased, no edges at all");
    return nullptr;
  }
  // max_element keeps the first of equal largest weights.
  e_iter_t worst = std::max_element(list.begin(), list.end(), lessByWeight);
  Node* partner = worst->node;
  list.erase(worst);
  return partner;
}

void Node::removeHomolog(const Node* n) {
  TRELLIS_ASSERT(n != nullptr && n->m_speciesIdx < MAX_SPECIES);
  edges_list_t& list = m_homologs[n->m_speciesIdx];
  e_iter_t it = std::find_if(list.begin(), list.end(), equalToNode(n));
  TRELLIS_ASSERT(it != list.end());
  list.erase(it);
}

void Node::replaceEdge(size_t idx, const edge_t& e) {
  TRELLIS_ASSERT(idx < m_d1_neigbors.size());
  m_edgesWSum -= m_d1_neigbors[idx].weight;
  m_edgesWSum += e.weight;
  m_d1_neigbors[idx] = e;
}

// ---------------------------------------------------------------------------
// VPath

void VPath::append(const VPath* other) {
  m_nodes.insert(m_nodes.end(), other->m_nodes.begin(), other->m_nodes.end());
}

Node* VPath::getSpecieNode(byte speciesIdx) const {
  for (Node* n : m_nodes) {
    if (n->m_speciesIdx == speciesIdx) return n;
  }
  return nullptr;
}

void VPath::dbg_print(FILE* out) const {
  const char* sep = "";
  for (const Node* n : m_nodes) {
    std::fprintf(out, "%s%s", sep, n->name());
    sep = "--";
  }
  std::fprintf(out, " (%f) ", m_score);
}

// ---------------------------------------------------------------------------
// Network: graph

Network::Network(uint spec_num, uint maxLayerNodes, uint maxNodes)
    : SPECIES_NUM(spec_num),
      m_maxLayerNodes(maxLayerNodes),
      m_maxNodes(maxNodes),
      m_last_node_id(0),
      m_stats(),
      m_complexesBeta(0),
      m_finalized(false),
      m_hubPairs() {
  TRELLIS_ASSERT(spec_num <= MAX_SPECIES);
  const double unknown = std::numeric_limits<double>::quiet_NaN();
  for (uint s = 0; s < MAX_SPECIES; ++s) {
    for (uint i = 0; i < SCORES_CAHSZ; ++i) {
      for (uint j = 0; j < SCORES_CAHSZ; ++j) m_nonEdgeScoresTable[s][i][j] = unknown;
    }
  }
}

Network::~Network() {
  for (uint s = 0; s < MAX_SPECIES; ++s) {
    for (Node* n : m_layerNodes[s]) delete n;
  }
}

Node* Network::createNode(const char* name, byte speciesIdx) {
  TRELLIS_ASSERT(speciesIdx < SPECIES_NUM);
  std::map<std::string, Node*>::const_iterator found = m_name2node.find(name);
  if (found != m_name2node.end()) {
    Node* existing = found->second;
    if (existing->m_speciesIdx == speciesIdx) return existing;
    throw Error(EXIT_USAGE, "ERROR: There is a problem with input interactions files\n"
                            "ERROR: protein name " + std::string(name) +
                                " was found in interaction files of two different species (" +
                                std::to_string(speciesIdx) + " and " + std::to_string(existing->m_speciesIdx) +
                                ")\n");
  }
  // Ids stay below the limit, so the dummy node's all-ones id is never a protein's.
  if (m_last_node_id >= m_maxNodes - 1) {
    throw Error(EXIT_TOO_LARGE, "ERROR: Too many nodes in the network\n");
  }
  std::vector<Node*>& layer = m_layerNodes[speciesIdx];
  if (layer.size() >= m_maxLayerNodes) {
    throw Error(EXIT_USAGE, "ERROR: Too many proteins in species " + std::to_string(speciesIdx) + " (at most " +
                                std::to_string(m_maxLayerNodes) + ")\n");
  }
  ++m_last_node_id;
  Node* node = new Node(name, speciesIdx, m_last_node_id, static_cast<uint>(layer.size()));
  layer.push_back(node);
  m_name2node.emplace(node->m_name, node);
  return node;
}

Node* Network::getNodeByName(const char* name) const {
  std::map<std::string, Node*>::const_iterator found = m_name2node.find(name);
  return found == m_name2node.end() ? nullptr : found->second;
}

Network* Network::clone() const {
  Network* copy = new Network(SPECIES_NUM);
  for (uint i = 0; i < SPECIES_NUM; ++i) {
    for (const Node* r : m_layerNodes[i]) {
      Node* n = copy->createNode(r->name(), r->m_speciesIdx);
      for (const edge_t& e : r->m_d1_neigbors) {
        n->add_neighbor(copy->createNode(e.node->name(), e.node->m_speciesIdx), e.weight);
      }
      for (uint k = 0; k < SPECIES_NUM; ++k) {
        for (const edge_t& h : r->m_homologs[k]) {
          n->add_homolog(copy->createNode(h.node->name(), h.node->m_speciesIdx), h.weight);
        }
      }
    }
  }
  return copy;
}

void Network::dbg_stats_print(FILE* out) const {
  int totalNodes = 0, totalPpi = 0, totalHomologs = 0;
  for (uint i = 0; i < SPECIES_NUM; ++i) {
    int entries = 0, homologs = 0;
    for (const Node* n : m_layerNodes[i]) {
      entries += static_cast<int>(n->m_d1_neigbors.size());
      for (uint k = 0; k < SPECIES_NUM; ++k) homologs += static_cast<int>(n->m_homologs[k].size());
    }
    const int nodes = static_cast<int>(m_layerNodes[i].size());
    std::fprintf(out, " Specie %d net: %d proteins, %d PPI, %d homologs\n", static_cast<int>(i), nodes, entries / 2,
                homologs);
    totalNodes += nodes;
    totalPpi += entries / 2;
    totalHomologs += homologs;
  }
  std::fprintf(out, " Total: %d proteins, %d PPI, %d homologs (counted once)\n", totalNodes, totalPpi,
              totalHomologs / 2);
}

void Network::sortEdgesByNode() {
  // Stable, so repeated entries for one partner keep their insertion order.
  for (uint s = 0; s < MAX_SPECIES; ++s) {
    for (Node* n : m_layerNodes[s]) {
      std::stable_sort(n->m_d1_neigbors.begin(), n->m_d1_neigbors.end(), lessByNode);
      for (uint k = 0; k < MAX_SPECIES; ++k) {
        std::stable_sort(n->m_homologs[k].begin(), n->m_homologs[k].end(), lessByNode);
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Network: scoring model

void Network::finalize(double complexesBeta, const weight_t* trueFact, FILE* out) {
  m_complexesBeta = complexesBeta;
  evalStats(trueFact, out);
  calcScores();
  fillNonEdgeTable();
  reportHubPairs(out);
  sortEdgesByNode();
  m_finalized = true;
}

void Network::evalStats(const weight_t* trueFact, FILE* out) {
  for (uint k = 0; k < SPECIES_NUM; ++k) {
    const uint G = static_cast<uint>(m_layerNodes[k].size());
    // Entry by entry, so the sum does not depend on how per-node sums round.
    double S = 0;
    uint L = 0;
    for (const Node* n : m_layerNodes[k]) {
      for (const edge_t& e : n->m_d1_neigbors) {
        S += e.weight;
        ++L;
      }
    }
    const double W = S * 0.5;
    const uint E = L / 2;
    const uint P = G * (G - 1) / 2;
    const double TF = trueFact[k];
    const double pTrue = TF * W / P;
    const double pO = static_cast<double>(E) / P;
    const double pTe = (pTrue - W * pO / E) / (1 - pO);
    const double ePpi = W + pTe * static_cast<uint>(P - E);

    sstat_t& st = m_stats[k];
    st.trueFact = TF;
    st.numGenes = G;
    st.probTrue = pTrue;
    st.probTE = pTe;
    st.eTotalWeight = ePpi;

    // Written so that a value that is not a number fails every check.
    if (!(pTrue >= 0 && pTrue <= 1))
      throw modelError("Illegal model configuration detected. Illegal p_true value: %f (should be in [0..1])\n",
                       pTrue);
    if (!(pTe >= 0 && pTe <= 1))
      throw modelError("Illegal model configuration detected. Illegal p_te value: %f (should be in [0..1])\n",
                       pTe);
    if (!(TF >= 1))
      throw modelError("Illegal model configuration detected. Illegal p_true value: %f (should be in [1..+inf])\n",
                       TF);
    std::fprintf(out, "S#%u> %5u genes; %u PPI; TF: %.1lf p_true: %.5f, p_o: %.5f, p_te: %.5f, E-PPI: %.0f\n", k, G,
                E, TF, pTrue, pO, pTe, ePpi);
  }
}

void Network::calcScores() {
  for (uint j = 0; j < MAX_SPECIES; ++j) {
    const std::vector<Node*>& layer = m_layerNodes[j];
    if (layer.empty()) continue;
    const double G = m_stats[j].numGenes;
    const double pTe = m_stats[j].probTE;
    // Every expected degree of the species first: edge scores read both ends.
    for (Node* n : layer) {
      const double deg = static_cast<double>(n->m_d1_neigbors.size());
      n->m_expDegree = truncToUint(((G - deg) - 1) * pTe + n->m_edgesWSum + 0.5);
    }
    for (Node* n : layer) {
      for (edge_t& e : n->m_d1_neigbors) e.score = scoreNodesPair(n, e.node, e.weight);
    }
  }
}

Network::PairModel Network::pairModel(const Node* n1, const Node* n2, weight_t intProb) const {
  TRELLIS_ASSERT(n1->m_speciesIdx == n2->m_speciesIdx);
  return pairModel(n1->m_speciesIdx, n1->m_expDegree, n2->m_expDegree, intProb);
}

Network::PairModel Network::pairModel(byte s, uint d1, uint d2, weight_t intProb) const {
  const sstat_t& st = m_stats[s];
  const double pt = st.probTrue;
  const double beta = m_complexesBeta;
  const double w = intProb;

  PairModel r;
  r.p1 = beta * w * (1 - pt) + (1 - beta) * (1 - w) * pt;
  const uint ePrime = truncToUint(st.eTotalWeight + 0.5);
  // Unsigned arithmetic on purpose: a tiny expected total wraps X around.
  const uint X = ePrime - d1 - d2 + 1;
  const uint D = d1 * d2;
  const double m = 1 / (2.0 * X / (D + TINY_WEIGHT) + 1);
  r.p2 = m * w * (1 - pt) + (1 - m) * (1 - w) * pt;
  r.score = std::log(r.p1) - std::log(r.p2);
  return r;
}

void Network::reportModelViolation(const Node* n1, const Node* n2, const PairModel& r) {
  const char* format =
      "Illegal model configuration detected. Pair score of %s and %s is undefined or has the wrong sign "
      "(%f): p1 %g, p2 %g, expected degrees %u and %u\n";
  throw modelError(format, n1->name(), n2->name(), r.score, r.p1, r.p2, n1->m_expDegree, n2->m_expDegree);
}

bool Network::isDefined(const PairModel& r) { return r.p1 > 0 && r.p2 > 0 && !std::isnan(r.score); }

double Network::scoreNodesPair(const Node* n1, const Node* n2, weight_t intProb) const {
  const PairModel r = pairModel(n1, n2, intProb);
  if (!isDefined(r)) reportModelViolation(n1, n2, r);
  return r.score;
}

void Network::fillNonEdgeTable() {
  // Filled once, so that searches on several threads only read it. An
  // undefined score is marked (not a number) and reported when it is used.
  for (uint s = 0; s < MAX_SPECIES; ++s) {
    if (m_layerNodes[s].empty()) continue;
    for (uint d1 = 0; d1 < SCORES_CAHSZ; ++d1) {
      for (uint d2 = 0; d2 < SCORES_CAHSZ; ++d2) {
        const PairModel r = pairModel(static_cast<byte>(s), d1, d2, m_stats[s].probTE);
        m_nonEdgeScoresTable[s][d1][d2] =
            isDefined(r) ? capNonEdge(r.score) : std::numeric_limits<double>::quiet_NaN();
      }
    }
  }
}

uint64_t Network::countHubPairs(byte s, bool* undefined) const {
  std::map<uint, uint64_t> proteinsByDegree;
  for (const Node* n : m_layerNodes[s]) ++proteinsByDegree[n->m_expDegree];
  const double pTe = m_stats[s].probTE;
  uint64_t pairs = 0;
  *undefined = false;
  for (auto a = proteinsByDegree.begin(); a != proteinsByDegree.end(); ++a) {
    for (auto b = a; b != proteinsByDegree.end(); ++b) {
      const uint64_t count = a == b ? a->second * (a->second - 1) / 2 : a->second * b->second;
      const PairModel r = pairModel(s, a->first, b->first, pTe);
      if (!isDefined(r)) *undefined = *undefined || count > 0;
      if (!isDefined(r) || r.score < 0) continue;
      pairs += count;
    }
  }
  return pairs;
}

void Network::reportHubPairs(FILE* out) {
  m_undefinedPairs = false;
  for (uint s = 0; s < SPECIES_NUM; ++s) {
    bool undefined = false;
    m_hubPairs[s] = countHubPairs(static_cast<byte>(s), &undefined);
    m_undefinedPairs = m_undefinedPairs || undefined;
    if (m_hubPairs[s] == 0) continue;
    std::fprintf(
        out, " WARNING: species %u: %llu protein pairs have a random interaction probability of at least beta "
        "(%.2f); a missing interaction between them scores 0\n",
        s, static_cast<unsigned long long>(m_hubPairs[s]), m_complexesBeta);
  }
}

double Network::scoreNonEdge(const Node* n1, const Node* n2) const {
  TRELLIS_ASSERT(n1->m_speciesIdx == n2->m_speciesIdx);
  const byte s = n1->m_speciesIdx;
  const uint d1 = n1->m_expDegree;
  const uint d2 = n2->m_expDegree;
  if (d1 < SCORES_CAHSZ && d2 < SCORES_CAHSZ) {
    const double cached = m_nonEdgeScoresTable[s][d1][d2];
    if (!std::isnan(cached)) return cached;
  }
  const PairModel r = pairModel(n1, n2, m_stats[s].probTE);
  if (!isDefined(r)) reportModelViolation(n1, n2, r);
  return capNonEdge(r.score);
}

double Network::scoreNodesPair(const Node* n1, const Node* n2) const {
  const edge_t* e = nullptr;
  if (areD1nodes(n1, n2, &e)) return e->score;
  return scoreNonEdge(n1, n2);
}

bool Network::areD1nodes(const Node* n1, const Node* n2, const edge_t** edgeP) {
  // The first entry of the target in the shorter list; the list is sorted
  // by partner, so a binary search finds it (hubs have thousands of entries).
  const bool fromSecond = n2->m_d1_neigbors.size() < n1->m_d1_neigbors.size();
  const edges_list_t& list = (fromSecond ? n2 : n1)->m_d1_neigbors;
  const Node* target = fromSecond ? n1 : n2;
  const auto it = std::lower_bound(list.begin(), list.end(), target,
                                   [](const edge_t& e, const Node* t) { return nodeBefore(e.node, t); });
  if (it != list.end() && it->node == target) {
    *edgeP = &*it;
    return true;
  }
  *edgeP = nullptr;
  return false;
}

bool Network::areD2nodes(const Node* n1, const Node* n2) const {
  TRELLIS_ASSERT(m_finalized);
  return hasIntersection(n1->m_d1_neigbors, n2->m_d1_neigbors);
}

bool Network::hasIntersection(const edges_list_t& sortedV1, const edges_list_t& sortedV2) {
  if (sortedV1.empty() || sortedV2.empty()) return false;
  if (nodeBefore(sortedV1.back().node, sortedV2.front().node)) return false;
  if (nodeBefore(sortedV2.back().node, sortedV1.front().node)) return false;
  size_t i = 0, j = 0;
  while (i < sortedV1.size() && j < sortedV2.size()) {
    const Node* a = sortedV1[i].node;
    const Node* b = sortedV2[j].node;
    if (a == b) return true;
    if (nodeBefore(a, b)) {
      ++i;
    } else {
      ++j;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Network: randomisation

void Network::shuffleNetwork(uint repsFactor, const std::function<double()>& draw, FILE* out) {
  for (uint s = 0; s < SPECIES_NUM; ++s) shufflePPI(static_cast<byte>(s), repsFactor, draw, out);
}

bool Network::hasDisjointInteractions(byte species) const {
  const std::vector<Node*>& nodes = m_layerNodes[species];
  // Any interaction a-b; every other interaction must then touch a or b,
  // unless one of them is disjoint from it.
  const Node* a = nullptr;
  const Node* b = nullptr;
  for (const Node* n : nodes) {
    for (const edge_t& e : n->m_d1_neigbors) {
      if (e.node != n) {
        a = n;
        b = e.node;
        break;
      }
    }
    if (a != nullptr) break;
  }
  if (a == nullptr) return false;
  for (const Node* n : nodes) {
    if (n == a || n == b) continue;
    for (const edge_t& e : n->m_d1_neigbors) {
      if (e.node != n && e.node != a && e.node != b) return true;
    }
  }
  // All interactions touch a or b: a disjoint pair is a-x with b-y, x != y,
  // both outside {a, b}. Keep the first partner and whether there is another.
  struct Partners {
    const Node* first = nullptr;
    bool several = false;
  };
  auto collect = [a, b](const Node* owner) {
    Partners p;
    for (const edge_t& e : owner->m_d1_neigbors) {
      if (e.node == a || e.node == b) continue;
      if (p.first == nullptr) {
        p.first = e.node;
      } else if (e.node != p.first) {
        p.several = true;
      }
    }
    return p;
  };
  const Partners x = collect(a);
  const Partners y = collect(b);
  if (x.first == nullptr || y.first == nullptr) return false;
  return x.several || y.several || x.first != y.first;
}

void Network::shufflePPI(byte species, uint repFactor, const std::function<double()>& draw, FILE* out) {
  const std::vector<Node*>& nodes = m_layerNodes[species];
  const size_t N = nodes.size();
  TRELLIS_ASSERT(N < 2147483647u);
  const uint K = static_cast<uint>(N) * repFactor;
  std::fprintf(out, "Shuffling PPIs for species %u: %u edges crossing will be done\n", species, K);
  std::fflush(out);
  if (K == 0) return;
  // Without such a pair no attempt can ever succeed and the loop would not end.
  if (!hasDisjointInteractions(species)) {
    std::fprintf(
        out, " WARNING: no two interactions with four distinct proteins in species %u, no edges crossing done\n",
        species);
    return;
  }
  uint done = 0;
  while (done < K) {
    Node* n1 = nodes[drawIndex(draw, N)];
    Node* n2 = nodes[drawIndex(draw, N)];
    if (n1 == n2 || n1->m_d1_neigbors.empty() || n2->m_d1_neigbors.empty()) continue;
    const size_t e1 = drawIndex(draw, n1->m_d1_neigbors.size());
    const size_t e2 = drawIndex(draw, n2->m_d1_neigbors.size());
    Node* s = n1->m_d1_neigbors[e1].node;
    Node* p = n2->m_d1_neigbors[e2].node;
    if (s == p || s == n2 || p == n1) continue;

    edges_list_t& sList = s->m_d1_neigbors;
    edges_list_t& pList = p->m_d1_neigbors;
    const e_iter_t j = std::find_if(sList.begin(), sList.end(), equalToNode(n1));
    const e_iter_t k = std::find_if(pList.begin(), pList.end(), equalToNode(n2));
    TRELLIS_ASSERT(j != sList.end() && k != pList.end());
    const size_t jIdx = static_cast<size_t>(j - sList.begin());
    const size_t kIdx = static_cast<size_t>(k - pList.begin());

    // n1-s and n2-p become n1-p and n2-s; whole entries move, weights included.
    const edge_t sCopy = sList[jIdx];
    s->replaceEdge(jIdx, pList[kIdx]);
    p->replaceEdge(kIdx, sCopy);
    const edge_t n1Copy = n1->m_d1_neigbors[e1];
    n1->replaceEdge(e1, n2->m_d1_neigbors[e2]);
    n2->replaceEdge(e2, n1Copy);
    ++done;
  }
}
