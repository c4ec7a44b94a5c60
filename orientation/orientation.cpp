#include "orientation/orientation.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

uint speciesBit(byte s) { return 1u << s; }

// Species shared by two or more of the children's subtrees (child species plus
// child mask); each species may appear only once in a tree.
uint sharedAcrossChildren(const std::vector<VNode*>& leaves) {
  uint seen = 0;
  uint shared = 0;
  for (const VNode* c : leaves) {
    uint bits = speciesBit(c->m_s) | c->mask();
    shared |= seen & bits;
    seen |= bits;
  }
  return shared;
}

uint lowestBitIndex(uint bits) {
  uint i = 0;
  while (!(bits & 1u)) {
    bits >>= 1;
    ++i;
  }
  return i;
}

// Reads the species id at the start of text the way strtol does (leading
// blanks and a sign allowed, stops at the first non-digit). The value is
// range-checked before it is narrowed, so ids such as 256 never alias 0.
bool readSpeciesId(const char* text, byte* id) {
  errno = 0;
  long v = std::strtol(text, nullptr, 10);
  if (errno == ERANGE || v < 0 || v >= static_cast<long>(MAX_SPECIES)) return false;
  *id = static_cast<byte>(v);
  return true;
}

// The repeated species whose upper occurrence on the path (ancestors from the
// root down, then id) is deepest: the first duplicate a bottom-up check meets.
uint deepestRepeat(const std::vector<byte>& ancestors, byte id) {
  std::vector<byte> ids(ancestors);
  ids.push_back(id);
  for (size_t i = ids.size() - 1; i-- > 0;) {
    if (std::find(ids.begin() + i + 1, ids.end(), ids[i]) != ids.end()) return ids[i];
  }
  return id;  // unreachable for a path longer than MAX_SPECIES
}

void deleteAll(std::vector<VNode*>* nodes) {
  for (VNode* n : *nodes) delete n;
  nodes->clear();
}

}  // namespace

VNode::VNode(byte s, const std::vector<VNode*>& leaves) : m_s(s), m_mask(0), m_leaves(leaves) {
  TRELLIS_ASSERT(s < MAX_SPECIES);
  for (const VNode* c : m_leaves) m_mask |= c->m_mask | speciesBit(c->m_s);
  if (m_mask & speciesBit(s)) m_mask = 0;
}

VNode::~VNode() { deleteAll(&m_leaves); }

std::unique_ptr<VNode> VNode::clone() const {
  std::vector<VNode*> copies;
  copies.reserve(m_leaves.size());
  for (const VNode* c : m_leaves) copies.push_back(c->clone().release());
  std::unique_ptr<VNode> copy(new VNode(m_s, copies));
  copy->m_mask = m_mask;  // a re-rooted tree's mask is kept as is
  return copy;
}

void VNode::dbg_print(uint leftOffset, FILE* out) const {
  std::fprintf(out, "%c (%u)<%02X>\n", m_leaves.empty() ? '-' : '+', static_cast<uint>(m_s), m_mask);
  for (size_t i = 0; i < m_leaves.size(); ++i) {
    for (uint k = 0; k < leftOffset / 2; ++k) std::fputs("  ", out);
    std::fprintf(out, "%c-", i + 1 == m_leaves.size() ? '`' : '+');
    m_leaves[i]->dbg_print(leftOffset + 2, out);
  }
}

VTree::VTree() : m_root(nullptr) {}

VTree::~VTree() { delete m_root; }

bool VTree::build(const std::string& exp, FILE* out) {
  delete m_root;
  m_root = fromString(exp, 0, exp.size(), out);
  if (!m_root) {
    std::fputs("ERROR: Failed parsing tree description string\n", out);
    return false;
  }
  return true;
}

std::unique_ptr<VTree> VTree::clone() const {
  std::unique_ptr<VTree> copy(new VTree());
  if (m_root) copy->m_root = m_root->clone().release();
  return copy;
}

bool VTree::switchRoot(byte s, FILE* out) {
  VNode* n = m_root ? switchDFS(m_root, s) : nullptr;
  if (!n) {
    std::fprintf(out, "ERROR: Tree::switchRoot()~ Node id not found: %u", static_cast<uint>(s));
    return false;
  }
  updateMasks(n);
  m_root = n;
  return true;
}

void VTree::dbg_print(FILE* out) const {
  if (m_root) m_root->dbg_print(0, out);
}

size_t VTree::termEnd(const std::string& exp, size_t begin, size_t end, FILE* out) {
  if (begin >= end || end > exp.size()) {
    std::fprintf(out, "ERROR: expected non-empty expression (got: %s[%zu..%zu])\n", exp.c_str(), begin, end);
    return 0;
  }
  if (exp[begin] != '(') {
    size_t comma = exp.find(',', begin);
    return comma < end ? comma : end;
  }
  if (begin + 1 < end) {
    int depth = 1;
    for (size_t i = begin + 1; i < end; ++i) {
      if (exp[i] == '(') ++depth;
      if (exp[i] == ')' && --depth == 0) return i + 1;
    }
  }
  std::fprintf(out, "ERROR: Unblanced expression: %s[%zu..%zu]", exp.c_str(), begin, end);
  return 0;
}

VNode* VTree::fromString(const std::string& exp, size_t begin, size_t end, FILE* out) {
  std::vector<byte> path;
  return fromString(exp, begin, end, &path, out);
}

VNode* VTree::fromString(const std::string& exp, size_t begin, size_t end, std::vector<byte>* path,
                         FILE* out) {
  if (begin >= end || end > exp.size()) {
    std::fprintf(out, "ERROR: expected non-empty expression. Got: %s[%zu..%zu]\n", exp.c_str(), begin, end);
    return nullptr;
  }
  if (exp[begin] != '(' || exp[end - 1] != ')') {
    std::fprintf(out, "ERROR: missing ()'s around the expression: %s\n", exp.substr(begin, end - begin).c_str());
    return nullptr;
  }
  const size_t pos = end - 1;
  const size_t idx = termEnd(exp, begin + 1, pos, out);
  byte id = 0;
  // The closing ")" at pos stops the number, so only the first term is read.
  if (!readSpeciesId(exp.c_str() + begin + 1, &id)) {
    std::fprintf(out, "ERROR: Illegal specie id: %s[%zu..%zu]\n", exp.c_str(), begin + 1, pos);
    return nullptr;
  }
  if (idx == pos) return new VNode(id, {});
  if (path->size() == MAX_SPECIES) {
    // This node has MAX_SPECIES ancestors, so some species repeats on the
    // way down; stopping here keeps absurdly nested strings cheap.
    std::fprintf(out, "ERROR: duplicate node id detected: %u\n", deepestRepeat(*path, id));
    return nullptr;
  }
  if (exp[idx] != ',') {
    std::fprintf(out, "ERROR: expecting a separator at: %s:%d\n", exp.c_str(), static_cast<int>(idx));
    return nullptr;
  }

  std::vector<VNode*> children;
  for (size_t i = idx + 1; i < pos;) {
    size_t e = termEnd(exp, i, pos, out);
    path->push_back(id);
    VNode* child = e ? fromString(exp, i, e, path, out) : nullptr;
    path->pop_back();
    if (!child) {
      std::fputs("ERROR: parsing error reported\n", out);
      deleteAll(&children);
      return nullptr;
    }
    children.push_back(child);
    if (e == pos) break;
    if (exp[e] != ',') {
      std::fprintf(out, "ERROR: expecting a separator at: %s:%d\n", exp.c_str(), static_cast<int>(e));
      deleteAll(&children);
      return nullptr;
    }
    i = e + 1;
  }

  const uint shared = sharedAcrossChildren(children);
  std::unique_ptr<VNode> node(new VNode(id, children));
  if (node->m_mask == 0) {
    std::fprintf(out, "ERROR: duplicate node id detected: %u\n", static_cast<uint>(id));
    return nullptr;
  }
  if (shared) {
    std::fprintf(out, "ERROR: duplicate node id detected: %u\n", lowestBitIndex(shared));
    return nullptr;
  }
  return node.release();
}

VNode* VTree::switchDFS(VNode* node, byte s) {
  if (node->m_s == s) return node;
  std::vector<VNode*>& leaves = node->m_leaves;
  for (auto it = leaves.begin(); it != leaves.end(); ++it) {
    VNode* c = *it;
    VNode* r = switchDFS(c, s);
    if (r) {
      leaves.erase(it);
      c->m_leaves.push_back(node);
      return r;
    }
  }
  return nullptr;
}

void VTree::updateMasks(VNode* pNode) {
  pNode->m_mask = 0;
  for (VNode* c : pNode->m_leaves) {
    updateMasks(c);
    pNode->m_mask |= c->m_mask | speciesBit(c->m_s);
  }
}
