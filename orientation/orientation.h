// Orientation trees: a tree over the species, written as a parenthesised
// string such as "(0,(2,(1)))", that fixes the shape of restricted spans.
// A span anchored at species s follows the tree re-rooted at s: every species
// joins below the species of its parent in the tree.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/common_types.h"

// One node of an orientation tree; one species. A node owns its children.
class VNode {
 public:
  const byte m_s;  // species id of the node

  // Adopts the given children (they are deleted with this node). The mask is
  // the union over the children of their masks and species bits; when that
  // union holds s itself the mask is set to 0, which marks a duplicate.
  VNode(byte s, const std::vector<VNode*>& leaves);
  ~VNode();
  VNode(const VNode&) = delete;
  VNode& operator=(const VNode&) = delete;

  byte species() const { return m_s; }
  // The children in order; the order is the visiting order of restricted spans.
  const std::vector<VNode*>& children() const { return m_leaves; }
  // Species of all nodes below this one (bit k for species k), without the
  // node's own species; 0 for a node without children.
  uint mask() const { return m_mask; }

  // Deep copy of the subtree: same child order, same masks.
  std::unique_ptr<VNode> clone() const;

  // Prints the subtree, one line per node, children indented by leftOffset / 2
  // double blanks and marked "+-" ("`-" for the last child).
  void dbg_print(uint leftOffset, FILE* out = stdout) const;

 private:
  friend class VTree;

  uint m_mask;
  std::vector<VNode*> m_leaves;
};

// An orientation tree. Owns its nodes; copies are deep (see clone).
class VTree {
 public:
  VTree();  // empty tree
  ~VTree();
  VTree(const VTree&) = delete;
  VTree& operator=(const VTree&) = delete;

  // Null for an empty tree.
  const VNode* root() const { return m_root; }

  // Parses the whole string into this tree, replacing any previous content.
  // Every error is reported on out; on failure the tree is empty and the
  // result is false.
  bool build(const std::string& exp, FILE* out = stdout);

  // A new tree whose root is a deep copy of this tree's root.
  std::unique_ptr<VTree> clone() const;

  // Re-roots the tree at the node of species s: every edge on the path from
  // the old root to that node is reversed, each former parent becoming the
  // last child of its former child; masks are recomputed. False (with a
  // message, tree unchanged) when s is not in the tree.
  bool switchRoot(byte s, FILE* out = stdout);

  // Prints the tree from the root; nothing for an empty tree.
  void dbg_print(FILE* out = stdout) const;

 private:
  // End of the term that starts at begin, within [begin, end): just past the
  // matching ")" for a parenthesised term, else the next "," (or end).
  // 0 on error.
  static size_t termEnd(const std::string& exp, size_t begin, size_t end, FILE* out);
  // The node for exp[begin, end), or null (with messages) on error.
  static VNode* fromString(const std::string& exp, size_t begin, size_t end, FILE* out);
  // As above, with the species ids of the enclosing nodes from the root down.
  static VNode* fromString(const std::string& exp, size_t begin, size_t end, std::vector<byte>* path, FILE* out);
  // Moves the node of species s to the top of node's subtree; null if absent.
  static VNode* switchDFS(VNode* node, byte s);
  static void updateMasks(VNode* pNode);

  VNode* m_root;
};
