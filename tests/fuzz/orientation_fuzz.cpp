// Orientation strings of arbitrary content: the tree parser, re-rooting at
// every species, copies and printing, then the same string through the
// command line that builds the per-species trees.
#include <string>
#include <vector>

#include "app/trellis2.h"
#include "common/error.h"
#include "fuzz_util.h"
#include "orientation/orientation.h"

namespace {

// Species of the subtree below node (excluding node), each seen only once.
uint checkedSubtree(const VNode* node) {
  uint below = 0;
  for (const VNode* c : node->children()) {
    fuzzutil::check(c->species() < MAX_SPECIES, "species id range");
    const uint bits = checkedSubtree(c) | (1u << c->species());
    fuzzutil::check((below & bits) == 0, "species twice in a tree");
    below |= bits;
  }
  fuzzutil::check((below & (1u << node->species())) == 0, "species below itself");
  return below;
}

void checkTree(const VTree& tree) {
  fuzzutil::check(tree.root() != nullptr, "empty tree after a successful parse");
  checkedSubtree(tree.root());
}

void reRootEverywhere(const std::string& text) {
  VTree tree;
  if (!tree.build(text)) return;
  checkTree(tree);
  const uint all = tree.root()->mask() | (1u << tree.root()->species());
  for (uint s = 0; s < MAX_SPECIES; ++s) {
    const bool found = tree.switchRoot(static_cast<byte>(s));
    fuzzutil::check(found == ((all >> s) & 1u), "re-rooting finds exactly the species of the tree");
    if (!found) continue;
    fuzzutil::check(tree.root()->species() == s, "new root");
    fuzzutil::check((tree.root()->mask() | (1u << s)) == all, "species set kept by re-rooting");
    std::unique_ptr<VTree> copy = tree.clone();
    copy->dbg_print();
  }
}

// The command-line path: "--orient:" with a species number that matches the
// tree when it parses (so the per-species copies are built), else 3.
void viaCommandLine(const std::string& text) {
  uint species = 3;
  {
    VTree probe;
    if (probe.build(text)) {
      const uint all = probe.root()->mask() | (1u << probe.root()->species());
      species = static_cast<uint>(__builtin_popcount(all));
      if (species < 2) species = 2;
    }
  }
  fuzzutil::ArgVector args({"trellis2", std::to_string(species), "in", "out", "-S:", "o", "--orient:", text});
  RunParams params;
  parseCommandLine(static_cast<uint>(args.argc()), args.argv(), &params, stdout);
  printParameters(params, stdout);
  fuzzutil::check(params.ORIENTATION_TREES.size() == species, "one tree per species");
  for (uint s = 0; s < species; ++s) {
    const VNode* root = params.ORIENTATION_TREES[s]->root();
    fuzzutil::check(root->species() == s, "tree of species s is rooted at s");
    fuzzutil::check((root->mask() | (1u << s)) == (1u << species) - 1, "tree holds every species");
    checkTree(*params.ORIENTATION_TREES[s]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzutil::setUp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 256) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    reRootEverywhere(text);
  } catch (const Error&) {
  }
  try {
    viaCommandLine(text);
  } catch (const Error&) {
  }
  return 0;
}
