// The links inside one complex: interactions between two of its proteins of
// one species, and similarity links joining two proteins of one aligned node.
#pragma once

#include <vector>

#include "common/common_types.h"
#include "complexes/complex.h"
#include "network/network.h"

struct ComplexLink {
  const Node* a;
  const Node* b;
  // Interaction confidence; 0 for a similarity link (the network keeps its
  // E-value only as adjusted for ordering ties).
  weight_t weight;
};

struct ComplexLinks {
  // Each pair once: a before b in the species-file order.
  std::vector<ComplexLink> interactions;
  // Each pair once per complex, by aligned node; a before b in the aligned node.
  std::vector<ComplexLink> similarities;

  static ComplexLinks of(const Complex& c, uint speciesNum);
};
