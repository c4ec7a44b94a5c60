// The layered multi-species protein graph: proteins (Node) with interaction and
// similarity edges, aligned-node tuples (VPath), the per-species interaction
// model with pair scores and adjacency queries, and the edge-crossing shuffle
// used to build a random copy of a network.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/common_types.h"

class Node;

// One directed entry of an edge, stored in the list of the node it starts from.
struct edge_t {
  Node* node;       // the node at the other end
  weight_t weight;  // interaction probability, or E-value for a similarity edge
  weight_t score;   // log-likelihood score of an interaction edge (set by finalize)

  edge_t(Node* n, weight_t w) : node(n), weight(w), score(0) {}
};

typedef std::vector<edge_t> edges_list_t;
typedef edges_list_t::iterator e_iter_t;
typedef edges_list_t::const_iterator ec_iter_t;

// True for an edge whose partner is m_node.
struct equalToNode {
  const Node* m_node;
  explicit equalToNode(const Node* n) : m_node(n) {}
  bool operator()(const edge_t& e) const { return e.node == m_node; }
};

// One protein. Nodes are owned by their Network and handled by pointer.
class Node {
 public:
  const std::string m_name;     // protein name exactly as read
  const byte m_speciesIdx;      // species layer
  const uint m_id;              // network-wide id, 1.. in creation order
  const uint m_indexInSpecies;  // position in its layer

  Node(const char* name, byte speciesIdx, uint id, uint idxInSpecies);
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  const char* name() const { return m_name.c_str(); }

  // Expected degree under the model (set by Network::finalize).
  uint getExpDegree() const { return m_expDegree; }

  const edges_list_t& getD1() const { return m_d1_neigbors; }
  const edges_list_t& getHomologs(byte spec) const { return m_homologs[spec]; }
  size_t getHomologsNum(byte spec) const { return m_homologs[spec].size(); }

  // Appends an interaction entry (no duplicate check).
  void add_neighbor(Node* pNode, weight_t weight);
  // Adds a similarity entry, or lowers the weight of the existing one.
  void add_homolog(Node* pNode, weight_t weight);
  // Removes the entry with the largest weight towards spec (first of equals)
  // and returns its partner; null with a warning when the list is empty.
  Node* removeWorstHomolog(byte spec);
  // Removes the entry whose partner is n; it must exist.
  void removeHomolog(const Node* n);
  // Overwrites interaction entry idx, keeping m_edgesWSum the sum of weights.
  void replaceEdge(size_t idx, const edge_t& e);

 private:
  edges_list_t m_d1_neigbors;
  weight_t m_edgesWSum;  // sum of the entries' weights, which the model reads
  uint m_expDegree;
  edges_list_t m_homologs[MAX_SPECIES];

  friend class Network;
};

// An aligned node: proteins of distinct species treated as one vertex.
class VPath {
 public:
  std::vector<Node*> m_nodes;
  weight_t m_score;

  VPath() : m_score(0) {}
  explicit VPath(weight_t score) : m_score(score) {}

  void append(Node* node) { m_nodes.push_back(node); }
  void append(const VPath* other);
  void setScore(weight_t score) { m_score = score; }
  weight_t score() const { return m_score; }
  std::vector<Node*>::const_iterator begin() const { return m_nodes.begin(); }
  std::vector<Node*>::const_iterator end() const { return m_nodes.end(); }
  size_t size() const { return m_nodes.size(); }
  Node* getSpecieNode(byte speciesIdx) const;
  // "A--B (1.500000) ": names joined by "--", then the score; no newline.
  void dbg_print(FILE* out) const;
};

// Per-species model statistics.
struct sstat_t {
  weight_t trueFact;
  uint numGenes;
  weight_t probTrue;
  weight_t probTE;
  weight_t eTotalWeight;
};

class Network {
 public:
  const uint SPECIES_NUM;
  static constexpr uint SCORES_CAHSZ = 50;

  // The limits are the program's own; tests pass smaller ones.
  explicit Network(uint spec_num, uint maxLayerNodes = MAX_SPECNODES_NUM, uint maxNodes = MAX_NETNODES_NUM);
  ~Network();
  Network(const Network&) = delete;
  Network& operator=(const Network&) = delete;

  // --- graph (building state) ---
  // Returns the node of that name, creating it in layer speciesIdx when new.
  // Ends the run when the name exists in another species or a limit is hit.
  Node* createNode(const char* name, byte speciesIdx);
  Node* getNodeByName(const char* name) const;
  const std::vector<Node*>& layer(byte spec) const { return m_layerNodes[spec]; }
  // Unfinalised copy of nodes and edges; the caller owns it.
  Network* clone() const;
  void dbg_stats_print(FILE* out = stdout) const;

  // --- scoring model ---
  // Fits the model and scores every pair; the model lines go to out.
  void finalize(double complexesBeta, const weight_t* trueFact, FILE* out = stdout);
  const sstat_t* netStats() const { return m_stats; }
  // Score of two same-species proteins as if they did not interact: negative,
  // or 0 for a pair that would interact at random with probability beta or
  // more (a missing interaction between such proteins carries no evidence).
  double scoreNonEdge(const Node* n1, const Node* n2) const;
  // Unordered pairs of distinct proteins of species s whose missing
  // interaction scores 0 rather than negative (set by finalize).
  uint64_t hubPairs(byte s) const { return m_hubPairs[s]; }
  // Whether some pair of proteins of one species has an undefined score: a
  // search that meets it stops the run, so a search that prunes must not
  // skip over it (finalised networks only).
  bool hasUndefinedPairScores() const { return m_undefinedPairs; }
  // Edge score when the two interact, otherwise the non-edge score.
  double scoreNodesPair(const Node* n1, const Node* n2) const;
  // Whether the two interact; *edgeP is the entry found (or null).
  static bool areD1nodes(const Node* n1, const Node* n2, const edge_t** edgeP);
  // Whether the two share an interaction partner.
  bool areD2nodes(const Node* n1, const Node* n2) const;
  static bool hasIntersection(const edges_list_t& sortedV1, const edges_list_t& sortedV2);
  // The one order of nodes that every sorted edge list follows.
  static bool nodeBefore(const Node* a, const Node* b) { return a->m_id < b->m_id; }

  // --- randomisation ---
  // repsFactor times as many edge crossings as proteins in every species; the
  // positions come from draw (uniform in [0, 1)), the progress lines go to out.
  void shuffleNetwork(uint repsFactor, const std::function<double()>& draw, FILE* out = stdout);

 protected:
  void evalStats(const weight_t* trueFact, FILE* out);
  void calcScores();
  void sortEdgesByNode();
  // Log-likelihood ratio of the pair under the complex and random models;
  // ends the run when the model is violated.
  double scoreNodesPair(const Node* n1, const Node* n2, weight_t intProb) const;
  void shufflePPI(byte species, uint repFactor, const std::function<double()>& draw, FILE* out);

 private:
  // The two model probabilities of a pair and the resulting score.
  struct PairModel {
    double p1;     // interaction probability under the complex model
    double p2;     // interaction probability under the random model
    double score;  // ln(p1) - ln(p2)
  };
  PairModel pairModel(const Node* n1, const Node* n2, weight_t intProb) const;
  // The same for two proteins of species s with expected degrees d1 and d2.
  PairModel pairModel(byte s, uint d1, uint d2, weight_t intProb) const;
  static bool isDefined(const PairModel& r);
  // Counts, by expected-degree values, the pairs of species s whose
  // non-interaction score is defined and not negative; *undefined tells
  // whether some pair's score is undefined.
  uint64_t countHubPairs(byte s, bool* undefined) const;
  void reportHubPairs(FILE* out);
  void fillNonEdgeTable();
  // Two proteins that would interact at random anyway: no evidence either way.
  static double capNonEdge(double score) { return score < 0 ? score : 0.0; }
  [[noreturn]] static void reportModelViolation(const Node* n1, const Node* n2, const PairModel& r);  // throws
  // Whether two interactions of the species involve four distinct proteins,
  // which an edge crossing needs.
  bool hasDisjointInteractions(byte species) const;

  std::vector<Node*> m_layerNodes[MAX_SPECIES];
  std::map<std::string, Node*> m_name2node;
  const uint m_maxLayerNodes;
  const uint m_maxNodes;  // ids stay below it
  uint m_last_node_id;
  sstat_t m_stats[MAX_SPECIES];
  double m_complexesBeta;
  bool m_finalized;
  uint64_t m_hubPairs[MAX_SPECIES];
  bool m_undefinedPairs = false;
  // Non-interaction scores by species and expected degrees below SCORES_CAHSZ;
  // not a number where the score is undefined (or not filled yet).
  double m_nonEdgeScoresTable[MAX_SPECIES][SCORES_CAHSZ][SCORES_CAHSZ];
};
