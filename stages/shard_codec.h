// Seeds and complexes in shard files: proteins by node id, scores by their
// exact bits. A complex is stored as its aligned nodes and rebuilt by adding
// them in order, which recomputes every score exactly as the search did.
#pragma once

#include <cstdint>
#include <vector>

#include "complexes/complex.h"
#include "network/network.h"
#include "seeds/seed.h"
#include "stages/shard_file.h"

// The nodes of a network by id, to turn stored ids back into proteins.
class NodesById {
 public:
  explicit NodesById(const Network& network);
  // The node of id; stops the run (naming the shard) when there is none.
  Node* at(uint32_t id, const ShardReader& reader) const;

 private:
  std::vector<Node*> m_nodes;
};

void writeSeed(const Seed& seed, ShardWriter* out);
Seed readSeed(ShardReader* in, const NodesById& nodes);

void writeComplex(const Complex& complex, ShardWriter* out);
Complex readComplex(ShardReader* in, const Network& network, const NodesById& nodes);

// Block `index` (1..count) of `items` contiguous items: [*first, *last).
void shardBlock(uint32_t index, uint32_t count, size_t items, size_t* first, size_t* last);
