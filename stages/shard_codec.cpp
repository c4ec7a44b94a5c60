#include "stages/shard_codec.h"

NodesById::NodesById(const Network& network) {
  for (byte s = 0; s < network.SPECIES_NUM; ++s) {
    for (Node* n : network.layer(s)) {
      if (n->m_id >= m_nodes.size()) m_nodes.resize(static_cast<size_t>(n->m_id) + 1, nullptr);
      m_nodes[n->m_id] = n;
    }
  }
}

Node* NodesById::at(uint32_t id, const ShardReader& reader) const {
  if (id >= m_nodes.size() || m_nodes[id] == nullptr)
    reader.refuse("names a protein the network does not have");
  return m_nodes[id];
}

namespace {

void writePath(const VPath& path, ShardWriter* out) {
  out->putU32(static_cast<uint32_t>(path.m_nodes.size()));
  for (const Node* n : path.m_nodes) out->putU32(n->m_id);
}

VPath readPath(ShardReader* in, const NodesById& nodes) {
  VPath path;
  const uint32_t size = in->getCount(4);
  for (uint32_t i = 0; i < size; ++i) path.append(nodes.at(in->getU32(), *in));
  return path;
}

}  // namespace

void writeSeed(const Seed& seed, ShardWriter* out) {
  out->putDouble(seed.m_score);
  out->putU32(static_cast<uint32_t>(seed.m_vpaths.size()));
  for (const VPath& path : seed.m_vpaths) writePath(path, out);
}

Seed readSeed(ShardReader* in, const NodesById& nodes) {
  Seed seed(0);
  seed.m_score = in->getDouble();
  const uint32_t paths = in->getCount(4);
  for (uint32_t i = 0; i < paths; ++i) seed.m_vpaths.push_back(readPath(in, nodes));
  return seed;
}

void writeComplex(const Complex& complex, ShardWriter* out) {
  out->putU32(complex.m_id);
  out->putU32(static_cast<uint32_t>(complex.paths().size()));
  for (const VPath& path : complex.paths()) writePath(path, out);
}

Complex readComplex(ShardReader* in, const Network& network, const NodesById& nodes) {
  Complex complex(in->getU32(), &network);
  const uint32_t paths = in->getCount(4);
  for (uint32_t i = 0; i < paths; ++i) {
    const VPath path = readPath(in, nodes);
    complex.addPath(&path);
  }
  return complex;
}

void shardBlock(uint32_t index, uint32_t count, size_t items, size_t* first, size_t* last) {
  TRELLIS_ASSERT(index >= 1 && index <= count);
  *first = static_cast<size_t>(static_cast<unsigned __int128>(items) * (index - 1) / count);
  *last = static_cast<size_t>(static_cast<unsigned __int128>(items) * index / count);
}
