// Small builders for hand-made networks in tests: every interaction and every
// similarity link is stored at both ends, as the reader stores them.
#pragma once

#include "network/network.h"

namespace testutil {

inline void link(Node* a, Node* b, weight_t weight) {
  a->add_neighbor(b, weight);
  b->add_neighbor(a, weight);
}

inline void similar(Node* a, Node* b, weight_t evalue) {
  a->add_homolog(b, evalue);
  b->add_homolog(a, evalue);
}

}  // namespace testutil
