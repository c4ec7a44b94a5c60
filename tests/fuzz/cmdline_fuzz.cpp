// Arbitrary argument vectors: NUL-separated arguments (at most 24 of at most
// 64 bytes) after the program name, through the parser and the parameter
// printout.
#include <string>
#include <vector>

#include "app/trellis2.h"
#include "common/error.h"
#include "fuzz_util.h"

namespace {

constexpr size_t MAX_ARGS = 24;
constexpr size_t MAX_ARG_LENGTH = 64;

std::vector<std::string> splitArgs(const uint8_t* data, size_t size) {
  std::vector<std::string> args{"trellis2"};
  std::string current;
  for (size_t i = 0; i < size && args.size() < MAX_ARGS + 1; ++i) {
    if (data[i] == '\0') {
      args.push_back(current);
      current.clear();
    } else if (current.size() < MAX_ARG_LENGTH) {
      current += static_cast<char>(data[i]);
    }
  }
  if (args.size() < MAX_ARGS + 1 && (!current.empty() || size == 0)) args.push_back(current);
  return args;
}

void checkParams(const RunParams& p) {
  fuzzutil::check(p.species_num >= 2 && p.species_num <= MAX_SPECIES, "species number range");
  fuzzutil::check(p.DENSITY_BETA > 0 && p.DENSITY_BETA <= 1, "beta range");
  fuzzutil::check(p.BLAST_TRESHOLD >= 0, "threshold range");
  fuzzutil::check(p.START_SEARCH_FROM_SEED_Dn == 1 || p.START_SEARCH_FROM_SEED_Dn == 2, "seed distance");
  fuzzutil::check(p.ORIENTATION_TREES.empty() || p.ORIENTATION_TREES.size() == p.species_num,
                  "one orientation tree per species");
  if (p.SALIGN_NODES_TYPE == ORIENTED || p.EALIGN_NODES_TYPE == ORIENTED)
    fuzzutil::check(!p.ORIENTATION_TREES.empty(), "oriented spans need trees");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzutil::setUp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzutil::ArgVector args(splitArgs(data, size));
  try {
    RunParams params;
    cmdLineDump(static_cast<uint>(args.argc()), args.argv(), stdout);
    parseCommandLine(static_cast<uint>(args.argc()), args.argv(), &params, stdout);
    printParameters(params, stdout);
    checkParams(params);
  } catch (const Error&) {
  }
  return 0;
}
