#include "complexes/search_space.h"

#include <algorithm>

void SearchSpace::reset(uint idLimit) {
  if (m_states.size() < idLimit) m_states.resize(idLimit);
  if (++m_epoch == 0) {  // the epochs wrapped: old states could look current again
    for (State& st : m_states) st.epoch = 0;
    m_epoch = 1;
  }
  for (auto& perClass : m_lists) {
    for (std::vector<Node*>& list : perClass) list.clear();
  }
}

SearchSpace::State& SearchSpace::touch(const Node* n) {
  State& st = m_states[n->m_id];
  if (st.epoch != m_epoch) {
    st.distance = EUNREACHABLE;
    st.score = NOT_SCORED;
    st.epoch = m_epoch;
  }
  return st;
}

void SearchSpace::upgradeNode(Node* n, EsearchSpaceDist dist) {
  TRELLIS_ASSERT(dist < EDIST_MAX && dist >= 0);
  const int oldDist = distance(n);
  if (dist >= oldDist) return;
  // A node is listed in (d, s) exactly when its class is at most d, so an
  // upgrade never meets the node already listed: append without a search.
  for (int i = dist; i < oldDist && i < EDIST_MAX; ++i) m_lists[i][n->m_speciesIdx].push_back(n);
  touch(n).distance = static_cast<signed char>(dist);
}
