// Seed frontends, seeds and the edge seeds generator.
#pragma once

#include <vector>

#include "network/network.h"

// A pair of proteins of one species with its score inside that species.
struct SeedFrontend {
  Node* m_nodes[2];
  weight_t m_score;
};

// Two aligned nodes collecting position 0 and position 1 of every frontend.
struct Seed {
  std::vector<VPath> m_vpaths;
  weight_t m_score;

  explicit Seed(byte width) : m_vpaths(width), m_score(0) {}
  weight_t getScore() const { return m_score; }
};
