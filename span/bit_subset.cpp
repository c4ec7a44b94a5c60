#include "span/bit_subset.h"

RestrictedGuides::RestrictedGuides(const std::vector<const VTree*>& trees)
    : m_guides(trees.empty() ? 0 : MAX_SPECIES << MAX_SPECIES) {
  for (const VTree* tree : trees) collect(tree->root());
}

void RestrictedGuides::collect(const VNode* node) {
  // The sets a generator on this node spans: its children from each index on.
  const std::vector<VNode*>& children = node->children();
  uint set = 0;
  for (size_t i = children.size(); i-- > 0;) {
    set |= children[i]->mask() | (1u << children[i]->m_s);
    Guide& guide = m_guides[(static_cast<uint>(node->m_s) << MAX_SPECIES) | set];
    if (guide.node == nullptr) guide = Guide{node, static_cast<uint>(i)};
  }
  for (const VNode* child : children) collect(child);
}

SpecRestrictedTreesGen RestrictedGuides::canonical(const SpecRestrictedTreesGen& G) const {
  if (G.mask() == 0) return G;
  const Guide& guide = m_guides[(static_cast<uint>(G.species()) << MAX_SPECIES) | G.mask()];
  TRELLIS_ASSERT(guide.node != nullptr);
  SpecRestrictedTreesGen out;
  out.init(guide.node, G.depth(), guide.firstChild, G.mask());
  return out;
}
