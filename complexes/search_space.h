// The search space around a growing complex: the distance class and the node
// score of every protein, and per class and species the list of proteins of
// that class or a smaller one. One search space belongs to one crawler, so
// crawlers on different threads share nothing but the read-only network.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "common/common_types.h"
#include "network/network.h"

// Distance classes of a protein relative to the complex under expansion.
struct SearchSpaceClasses {
  enum EsearchSpaceDist : int {
    EDIST0 = 0,  // in the complex
    EDIST1 = 1,  // interacts with a complex protein
    EDIST2 = 2,  // reached through similarity links and scored on demand
    EDIST_MAX = 3,
    EUNREACHABLE = 127  // outside the search space; score is minus infinity
  };
};

class SearchSpace : public SearchSpaceClasses {
 public:
  // The score of a protein outside the search space.
  static constexpr weight_t NOT_SCORED = -std::numeric_limits<weight_t>::infinity();

  // Every protein outside, every list empty. Ids must stay below idLimit.
  void reset(uint idLimit);

  int distance(const Node* n) const { return distance(n->m_id); }
  weight_t score(const Node* n) const { return score(n->m_id); }
  int distance(uint32_t id) const {
    const State& st = m_states[id];
    return st.epoch == m_epoch ? st.distance : static_cast<int>(EUNREACHABLE);
  }
  weight_t score(uint32_t id) const {
    const State& st = m_states[id];
    return st.epoch == m_epoch ? st.score : NOT_SCORED;
  }
  void setScore(const Node* n, weight_t score) { touch(n).score = score; }

  // Where the crawler keeps a node's solved spans of the current step: kept
  // beside its class and score, which the span search reads with them.
  struct SpanSlot {
    uint32_t step = 0;   // the step the block belongs to
    uint32_t block = 0;  // first state of the node's block
  };
  SpanSlot& spanSlot(uint32_t id) { return m_states[id].spans; }
  const SpanSlot& spanSlot(uint32_t id) const { return m_states[id].spans; }
  void prefetch(uint32_t id) const { __builtin_prefetch(&m_states[id]); }

  // Moves n to class dist when that is smaller than its class, joining the
  // lists of the classes it passes.
  void upgradeNode(Node* n, EsearchSpaceDist dist);

  // List (d, s): every protein of species s whose class is d or smaller, each
  // once, in the order it entered.
  std::vector<Node*>::const_iterator begin(byte species, EsearchSpaceDist d) const {
    return m_lists[d][species].begin();
  }
  std::vector<Node*>::const_iterator end(byte species, EsearchSpaceDist d) const {
    return m_lists[d][species].end();
  }

 private:
  struct State {
    uint32_t epoch = 0;  // class and score are the defaults unless this is the current epoch
    signed char distance = EUNREACHABLE;
    weight_t score = NOT_SCORED;
    SpanSlot spans;  // not reset with the epoch: the crawler stamps it by step
  };
  State& touch(const Node* n);

  std::vector<State> m_states;  // by node id
  uint32_t m_epoch = 1;
  std::vector<Node*> m_lists[EDIST_MAX][MAX_SPECIES];
};
