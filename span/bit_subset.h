// Enumerators of the ways to split a set of species, the driving loop of both
// span searches. A generator stands for the species still to span from an
// anchor; each `next` yields one split: the species x joined next, a branch
// generator G1 (species hanging below x) and an anchor generator G2 (species
// the current anchor still has to span). {x}, G1.mask() and G2.mask() are
// disjoint and their union is mask().
//
// Generators are a few integers, are copied by value into every recursive
// call and never allocate: `next` is a handful of bit operations.
#pragma once

#include "common/common_types.h"
#include "orientation/orientation.h"

// The mask without its lowest member (0 for 0).
inline uint ZLS(uint x) { return x & (x - 1); }

// Index of the lowest member of a non-empty mask.
inline byte lowestSpecies(uint x) { return static_cast<byte>(__builtin_ctz(x)); }

// Non-empty subsets of v_ in increasing numeric order, then 0.
struct bit_subset {
  uint u_;  // the current subset
  uint v_;  // the set whose subsets are enumerated

  void first(uint v) {
    u_ = 0;
    v_ = v;
  }
  uint next() {
    u_ = (u_ - v_) & v_;
    return u_;
  }
};

// Every member of a set in increasing order, each with the set without it.
class ForeachX {
 public:
  ForeachX() : m_S(0), m_state(0) {}
  explicit ForeachX(uint S) { init(S); }
  void init(uint S) {
    m_S = S;
    m_state = S;
  }
  bool next(byte* x, uint* Stag) {
    if (m_state == 0) return false;
    *x = lowestSpecies(m_state);
    m_state = ZLS(m_state);
    *Stag = m_S ^ (1u << *x);
    return true;
  }
  uint mask() const { return m_S; }

 private:
  uint m_S;
  uint m_state;  // members not yet yielded
};

// Every member x in increasing order with every part S2 that the anchor keeps
// (the rest, S1, hangs below x). For the lowest member only subsets of the set
// without its two lowest members are kept, so that no tree is produced twice
// with the same root split; each turn ends with S2 empty.
class ForeachXforeachS1S2 {
 public:
  ForeachXforeachS1S2() : m_S(0), m_Xs(0), m_S2{0, 0} {}
  explicit ForeachXforeachS1S2(uint S) { init(S); }
  void init(uint S) {
    m_S = S;
    m_Xs = S;
    m_S2.u_ = 0;
    m_S2.v_ = ZLS(ZLS(S));
  }
  bool next(byte* x, uint* S1, uint* S2) {
    if (m_Xs == 0) return false;
    *x = lowestSpecies(m_Xs);
    *S2 = m_S2.next();
    *S1 = m_S & ~*S2 & ~(1u << *x);
    if (*S2 == 0) endTurn();
    return true;
  }
  // Skips the splits left in the turn of x, the member last yielded.
  void skipTurn(byte x) {
    if (m_Xs != 0 && lowestSpecies(m_Xs) == x) endTurn();
  }
  uint mask() const { return m_S; }

 private:
  void endTurn() {
    m_Xs = ZLS(m_Xs);
    const uint Xmask = m_Xs & (0u - m_Xs);
    m_S2.first(m_S ^ Xmask);
  }

  uint m_S;
  uint m_Xs;        // members whose turn as x has not ended
  bit_subset m_S2;  // part kept by the anchor during the current turn
};

// Chains: the anchor joins one species and everything else hangs below it.
class SpecSetsPathsGen {
 public:
  SpecSetsPathsGen() : m_depth(0) {}
  SpecSetsPathsGen(uint S, uint depth) { init(S, depth); }
  void init(uint S, uint depth) {
    gen.init(S);
    m_depth = depth;
  }
  bool next(byte* x, SpecSetsPathsGen* G1, SpecSetsPathsGen* G2) {
    uint S1;
    if (!gen.next(x, &S1)) return false;
    G1->init(S1, m_depth + 1);
    G2->init(0, m_depth + 1);
    return true;
  }
  // Each member has one split: nothing is left of its turn.
  void skipTurn(byte) {}
  uint mask() const { return gen.mask(); }
  uint depth() const { return m_depth; }

 protected:
  ForeachX gen;
  uint m_depth;  // nesting level; informative only
};

// Any tree over the species rooted at the anchor.
class SpecSetsTreesGen {
 public:
  SpecSetsTreesGen() : m_depth(0) {}
  explicit SpecSetsTreesGen(uint S) { init(S, 0); }
  bool next(byte* x, SpecSetsTreesGen* G1, SpecSetsTreesGen* G2) {
    uint S1, S2;
    if (!gen.next(x, &S1, &S2)) return false;
    G1->init(S1, m_depth + 1);
    G2->init(S2, m_depth);
    return true;
  }
  // Skips the splits left that join x next.
  void skipTurn(byte x) { gen.skipTurn(x); }
  uint mask() const { return gen.mask(); }
  uint depth() const { return m_depth; }

 protected:
  void init(uint S, uint depth) {
    gen.init(S);
    m_depth = depth;
  }

  ForeachXforeachS1S2 gen;
  uint m_depth;  // nesting level; informative only
};

// Exactly the shape of an orientation tree: one split per generator, the
// next remaining child of the guide node; the anchor generator continues with
// the following child.
class SpecRestrictedTreesGen {
 public:
  SpecRestrictedTreesGen() : m_guideNode(nullptr), m_depth(0), m_curChild(0), m_S(0) {}
  explicit SpecRestrictedTreesGen(const VNode* node) { init(node, 0, 0, node->mask()); }
  bool next(byte* x, SpecRestrictedTreesGen* G1, SpecRestrictedTreesGen* G2) {
    const std::vector<VNode*>& children = m_guideNode->children();
    if (m_curChild >= children.size()) return false;
    const VNode* lchild = children[m_curChild];
    *x = lchild->m_s;
    G1->init(lchild, m_depth + 1, 0, lchild->mask());
    G2->init(m_guideNode, m_depth, m_curChild + 1, m_S ^ lchild->mask() ^ (1u << *x));
    m_curChild = static_cast<uint>(children.size());
    return true;
  }
  // A restricted generator has a single split.
  void skipTurn(byte) {}
  uint mask() const { return m_S; }
  uint depth() const { return m_depth; }
  // The species of the anchor this generator spans from.
  byte species() const { return m_guideNode->m_s; }

 protected:
  friend class RestrictedGuides;
  void init(const VNode* node, uint depth, uint startChild, uint mask) {
    m_guideNode = node;
    m_depth = depth;
    m_curChild = startChild;
    m_S = mask;
  }

  const VNode* m_guideNode;  // node of the current anchor's species; not owned
  uint m_depth;              // nesting level; informative only
  uint m_curChild;           // next child of m_guideNode to split off
  uint m_S;                  // species still to span
};

// One split order per (species, set) for restricted spans. Trees re-rooted at
// different species can hold the same node with the same children in another
// order, so a span memoised by (anchor, set) would depend on which tree asked
// first. Every restricted set of a species is therefore enumerated with the
// guide of the lowest-numbered tree that produces it.
class RestrictedGuides {
 public:
  // trees: empty, or tree s rooted at species s.
  explicit RestrictedGuides(const std::vector<const VTree*>& trees);

  // A generator over the same species and set as G, in the one split order.
  SpecRestrictedTreesGen canonical(const SpecRestrictedTreesGen& G) const;

 private:
  struct Guide {
    const VNode* node = nullptr;
    uint firstChild = 0;
  };
  void collect(const VNode* node);

  std::vector<Guide> m_guides;  // by species << MAX_SPECIES | set
};
