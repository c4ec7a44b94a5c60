#include "app/command_line.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "app/output_dir.h"

namespace {

// Taken during static initialisation, before main runs.
const time_t start_sec = std::time(nullptr);

const char* const BUILD_STAMP = __DATE__ " " __TIME__ ";";
const char* const RULE = "------------------------------------------------------------";

// The usage text proper; --help prints it alone, a bad command line after an error banner.
void printUsageText() {
  std::puts(
      "Usage: trellis2 <species num> <in prefix> [out prefix] [-S: t|o] [-E: t|o] [--orient: ...] [-H: x] "
      "[-DUP: x] [-D: x>] [-R: x>] [-B: x] \n");
  std::puts("Where:");
  std::puts("<species num> - Number of aligned species");
  std::puts(
      "<in prefix>   - Location prefix for input files,\n"
      " where <prefix>_int-{0,1,2,...}.txt are species PPI interactions files,\n"
      "       <prefix>_blast.txt is a proteins pairwise BLAST data file (for proteins of all species)");
  std::puts("-S: x - Seeds spans configuration: t == relaxed order, o == restricted order");
  std::puts("-E: x - Expansion spans configuration: t == relaxed order, o == restricted order");
  std::puts(
      "--orient: x - Specifies restricted spans orientation when '-S: o' or '-E: o' are used. Syntax "
      "examples: (0,(2,(1))), (0,(1),(2),(3))");
  std::puts("-H: x - BLAST threshold");
  std::puts("\n*** Typical usage ***");
  std::puts(
      "./trellis2 3 ydc/in out\n"
      ": Run TRM for 3 species,\n"
      "  get input from ydc/in_int-{0,1,2}.txt and ydc/in_blast.txt,\n"
      "  create output files in out/*.\n"
      "  Use relaxed orientation of seeds/expansions spines, by default\n");
  std::puts(
      "./trellis2 3 ydc/in out -S: o -E: o --orient: '(0,(2,(1)))'\n"
      ": Run TRM for 3 species,\n"
      "  get input from ydc/in_int-{0,1,2}.txt and ydc/in_blast.txt,\n"
      "  create output files in out/*.\n"
      "  Use restricted orientation: (0,(2,(1))) for seeds and expansion spines");
}

void printUsage() {
  std::puts("***************************");
  std::puts("ERROR: Illegal command line");
  std::puts("***************************");
  printUsageText();
}

// The species number keeps its lenient reading (text that is not a number is
// 0), but the whole long value is range-checked so that huge numbers cannot
// wrap into 2..MAX_SPECIES.
uint parseSpeciesNum(const char* text) {
  long v = std::strtol(text, nullptr, 10);
  if (v < 2 || v > static_cast<long>(MAX_SPECIES)) {
    if (v >= INT32_MIN && v <= static_cast<long>(UINT32_MAX))
      std::printf("ERROR: Illegal species number: %u\n", static_cast<uint>(v));
    else
      std::printf("ERROR: Illegal species number: %ld\n", v);
    std::printf("Valid range: 2..%u\n", MAX_SPECIES);
    fatalExit(-1);
  }
  return static_cast<uint>(v);
}

[[noreturn]] void illegalValue(const char* opt, const char* text) {
  std::printf("ERROR: Illegal value for option '%s' (%s)\n", opt, text);
  fatalExit(-1);
}

// An integer option value: the whole text is a number, >= 0, within 32 bits.
bool readUint(const char* text, uint* out) {
  char* endp = nullptr;
  errno = 0;
  long long v = std::strtoll(text, &endp, 10);
  if (endp == text || *endp != '\0' || errno == ERANGE || v < 0 || v > static_cast<long long>(UINT32_MAX))
    return false;
  *out = static_cast<uint>(v);
  return true;
}

// A floating-point option value: the whole text is a finite number.
bool readDouble(const char* text, double* out) {
  char* endp = nullptr;
  double v = std::strtod(text, &endp);
  if (endp == text || *endp != '\0' || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

uint uintOption(const char* opt, const char* text) {
  uint v = 0;
  if (!readUint(text, &v)) illegalValue(opt, text);
  return v;
}

// An option that is off (0) or on (1).
bool switchOption(const char* opt, const char* text) {
  const uint v = uintOption(opt, text);
  if (v > 1) illegalValue(opt, text);
  return v == 1;
}

// Span type from the first character of the value; optName is "S" or "E".
gen_type_t spanTypeOption(const char* optName, const char* text) {
  switch (text[0]) {
    case 'O':
    case 'o':
      return ORIENTED;
    case 'P':
    case 'p':
      return PATH;
    case 'T':
    case 't':
      return TREE;
    default:
      std::printf("Illegal -%s option value (Can be Tree/Path/Oriented): %s\n", optName, text);
      fatalExit(-1);
  }
}

// Builds one tree per species, entry s re-rooted at species s. The re-rootings
// follow one another on one working tree, so each copy's child order depends
// on the ones before it.
void buildOrientationTrees(const char* text, RunParams* params) {
  params->orientation_str = text;
  VTree work;
  if (!work.build(text)) {
    std::printf("ERROR: Error parsing orientation string: %s\n", text);
    fatalExit(-1);
  }
  const VNode* root = work.root();
  const uint all = (1u << params->species_num) - 1;
  if (((1u << root->m_s) | root->mask()) != all) {
    std::printf("ERROR: Orientation tree must contain %u species: %s\n", params->species_num, text);
    fatalExit(-1);
  }
  params->ownedTrees.clear();
  params->ORIENTATION_TREES.clear();
  for (uint s = 0; s < params->species_num; ++s) {
    bool found = work.switchRoot(static_cast<byte>(s));
    TRELLIS_ASSERT(found);
    params->ownedTrees.push_back(work.clone());
    params->ORIENTATION_TREES.push_back(params->ownedTrees.back().get());
  }
}

RunStage stageOption(const char* text) {
  const struct {
    const char* name;
    RunStage stage;
  } stages[] = {{"seeds", RunStage::SEEDS},
                {"grow", RunStage::GROW},
                {"refine", RunStage::REFINE},
                {"finish", RunStage::FINISH}};
  for (const auto& s : stages) {
    if (!std::strcmp(text, s.name)) return s.stage;
  }
  std::printf("ERROR: Illegal value for option '--stage' (%s), should be seeds, grow, refine or finish\n",
              text);
  fatalExit(-1);
}

// "I/N" with 1 <= I <= N.
void shardOption(const char* text, RunParams* params) {
  const char* slash = std::strchr(text, '/');
  uint index = 0, count = 0;
  if (slash == nullptr || !readUint(std::string(text, slash).c_str(), &index) ||
      !readUint(slash + 1, &count) || index == 0 || index > count) {
    std::printf("ERROR: Illegal value for option '--shard' (%s), should be I/N with 1 <= I <= N\n", text);
    fatalExit(-1);
  }
  params->SHARD_INDEX = index;
  params->SHARD_COUNT = count;
}

// A stage that does one block needs its block; the others take none.
void checkStage(const RunParams& params) {
  const bool blockStage =
      params.STAGE == RunStage::SEEDS || params.STAGE == RunStage::GROW || params.STAGE == RunStage::REFINE;
  if (blockStage && params.SHARD_COUNT == 0) {
    std::puts("ERROR: '--stage seeds', 'grow' and 'refine' need '--shard I/N'");
    fatalExit(-1);
  }
  if (!blockStage && params.SHARD_COUNT != 0) {
    std::puts("ERROR: '--shard' belongs to '--stage seeds', 'grow' or 'refine'");
    fatalExit(-1);
  }
}

// The noise re-check needs the thresholds of the random passes.
void checkFinalFilters(const RunParams& params) {
  if (params.FINAL_NOISE_FILTER && !params.RAND_NET_GROWTH_CONTROL) {
    std::puts("ERROR: '--final-noise-filter 1' needs '--pval-filter'");
    fatalExit(-1);
  }
}

// Applies one option pair; exits on an unknown option or a bad value.
void applyOption(const char* opt, const char* value, RunParams* params) {
  if (!std::strcmp(opt, "-S:")) {
    params->SALIGN_NODES_TYPE = spanTypeOption("S", value);
  } else if (!std::strcmp(opt, "-E:")) {
    params->EALIGN_NODES_TYPE = spanTypeOption("E", value);
  } else if (!std::strcmp(opt, "--pval-filter")) {
    params->RAND_NET_GROWTH_CONTROL = true;
  } else if (!std::strcmp(opt, "-B:")) {
    double v = 0;
    if (!readDouble(value, &v) || !(v > 0 && v <= 1)) illegalValue(opt, value);
    params->DENSITY_BETA = v;
  } else if (!std::strcmp(opt, "-R:")) {
    params->REFINMENT_ITERATIONS = uintOption(opt, value);
  } else if (!std::strcmp(opt, "-D:")) {
    uint v = 0;
    if (!readUint(value, &v) || (v != 1 && v != 2)) {
      std::printf("ERROR: Illegal value for option 'D:' (%s), should be 1..2\n", value);
      fatalExit(-1);
    }
    params->START_SEARCH_FROM_SEED_Dn = v;
  } else if (!std::strcmp(opt, "-DUP:")) {
    params->NODES_DUPS_THRESHOLD = uintOption(opt, value);
  } else if (!std::strcmp(opt, "-H:")) {
    double v = 0;
    if (!readDouble(value, &v) || v < 0) illegalValue(opt, value);
    params->BLAST_TRESHOLD = v;
  } else if (!std::strcmp(opt, "--maxhoms:")) {
    params->MAX_HOMOLOG_PER_NODE = uintOption(opt, value);
  } else if (!std::strcmp(opt, "--orient:")) {
    buildOrientationTrees(value, params);
  } else if (!std::strcmp(opt, "--random-passes")) {
    const uint v = uintOption(opt, value);
    if (v == 0) illegalValue(opt, value);
    params->RANDOM_PASSES = v;
  } else if (!std::strcmp(opt, "--stage")) {
    params->STAGE = stageOption(value);
  } else if (!std::strcmp(opt, "--shard")) {
    shardOption(value, params);
  } else if (!std::strcmp(opt, "--threads:")) {
    const uint v = uintOption(opt, value);
    if (v == 0) illegalValue(opt, value);
    params->THREADS = v;
  } else if (!std::strcmp(opt, "--max-size")) {
    const uint v = uintOption(opt, value);
    if (v < MIN_COMPLEX_SIZE || v > LARGEST_SIZE_CAP) illegalValue(opt, value);
    params->MAX_SIZE = v;
  } else if (!std::strcmp(opt, "--final-overlap-filter")) {
    params->FINAL_OVERLAP_FILTER = switchOption(opt, value);
  } else if (!std::strcmp(opt, "--final-noise-filter")) {
    params->FINAL_NOISE_FILTER = switchOption(opt, value);
  } else if (!std::strcmp(opt, "--report:")) {
    params->WRITE_REPORT = switchOption(opt, value);
  } else {
    std::printf("ERROR: Illegal option/flag: %s\n", opt);
    fatalExit(-1);
  }
}

const char* spanTypeName(gen_type_t t) {
  switch (t) {
    case PATH:
      return "Path";
    case TREE:
      return "Tree";
    case ORIENTED:
      return "Restricted Orientation";
  }
  return "?";
}

void printOrientation(const RunParams& params) {
  if (params.SALIGN_NODES_TYPE != ORIENTED && params.EALIGN_NODES_TYPE != ORIENTED) {
    std::puts("RELAXED homology trees orientation mode");
    return;
  }
  if (params.ORIENTATION_TREES.empty()) {
    std::puts("ERROR: orientation tree wasn't provided.\nUse '--orient:' option to fix this");
    fatalExit(-1);
  }
  std::puts(RULE);
  std::printf("RESTRICTED homology trees orientation mode: %s\n", params.orientation_str.c_str());
  for (uint s = 0; s < params.ORIENTATION_TREES.size(); ++s) {
    std::printf("[At s:%u]\n", s);
    params.ORIENTATION_TREES[s]->dbg_print();
  }
  std::puts(RULE);
}

}  // namespace

RunParams::RunParams() : THREADS(std::max(1u, std::thread::hardware_concurrency())) {
  for (weight_t& p : p_true) p = 2.0;
}

bool printInfoRequest(uint argc, char** argv) {
  if (argc < 2) return false;
  if (!std::strcmp(argv[1], "--help")) {
    printUsageText();
  } else if (!std::strcmp(argv[1], "--version")) {
    std::printf("trellis2 %s\n", TRELLIS2_VERSION);
  } else {
    return false;
  }
  std::fflush(stdout);
  return true;
}

void cmdLineDump(uint argc, char** argv) {
  std::printf("Cmd line: [");
  for (uint i = 1; i < argc; ++i) std::printf("%s ", argv[i]);
  std::printf("]\n");
}

void parseCommandLine(uint argc, char** argv, RunParams* params) {
  if (argc < 3) {
    printUsage();
    fatalExit(-1);
  }
  params->species_num = parseSpeciesNum(argv[1]);
  params->in_prefix = argv[2];
  if (argc > 3) params->out_prefix = argv[3];
  // Options come in (option, value) pairs; a lone trailing argument is ignored.
  for (uint i = 4; i + 1 < argc; i += 2) applyOption(argv[i], argv[i + 1], params);
  checkStage(*params);
  checkFinalFilters(*params);
}

void printParameters(const RunParams& params) {
  std::puts("Start parameters");
  std::printf("Species num: %u\n", params.species_num);
  std::printf("Files paths: in:%s, out:%s\n", params.in_prefix.c_str(), params.out_prefix.c_str());
  std::printf("Beta (complexes density): %.2f\n", params.DENSITY_BETA);
  std::printf("Blast threshold: %.0e\n", params.BLAST_TRESHOLD);
  std::printf("Max Allowed Homologs per node (best survives): ");
  if (params.MAX_HOMOLOG_PER_NODE == 0)
    std::printf("Unlimited\n");
  else
    std::printf("%u\n", params.MAX_HOMOLOG_PER_NODE);
  std::printf("Complexes nodes duplication treshold %u\n", params.NODES_DUPS_THRESHOLD);
  std::printf("Complexes max overlap allowed: %.0lf%%\n", 100 * params.OVERLAP_THRESHOLD);
  std::printf("Random alignment p-values guided growth control: %s\n",
              params.RAND_NET_GROWTH_CONTROL ? "Enabled" : "Disabled");
  std::printf("Seed nodes max distance: D%u\n", params.START_SEARCH_FROM_SEED_Dn);
  std::printf("Complexes refinment iterations: %u\n", params.REFINMENT_ITERATIONS);
  printOrientation(params);
  std::printf("Seeds alignment nodes v-conectivity type: %s\n", spanTypeName(params.SALIGN_NODES_TYPE));
  std::printf("Expansion alignment nodes v-conectivity type: %s\n", spanTypeName(params.EALIGN_NODES_TYPE));
  std::printf("\n");
}

std::vector<std::pair<std::string, std::string>> parameterList(const RunParams& params) {
  char blast[32], beta[32];
  std::snprintf(blast, sizeof blast, "%g", params.BLAST_TRESHOLD);
  std::snprintf(beta, sizeof beta, "%g", params.DENSITY_BETA);
  return {
      {"species", std::to_string(params.species_num)},
      {"input prefix", params.in_prefix},
      {"output directory", params.out_prefix},
      {"-S: (seed spans)", spanTypeName(params.SALIGN_NODES_TYPE)},
      {"-E: (expansion spans)", spanTypeName(params.EALIGN_NODES_TYPE)},
      {"--orient:", params.orientation_str.empty() ? "none" : params.orientation_str},
      {"-H: (E-value threshold)", blast},
      {"--maxhoms:",
       params.MAX_HOMOLOG_PER_NODE == 0 ? "0 (unlimited)" : std::to_string(params.MAX_HOMOLOG_PER_NODE)},
      {"-B: (density beta)", beta},
      {"-D: (seed pair distance)", std::to_string(params.START_SEARCH_FROM_SEED_Dn)},
      {"-DUP: (protein reuse from size)", std::to_string(params.NODES_DUPS_THRESHOLD)},
      {"-R: (refinement attempts)", std::to_string(params.REFINMENT_ITERATIONS)},
      {"--pval-filter", params.RAND_NET_GROWTH_CONTROL ? "on" : "off"},
      {"--random-passes", std::to_string(params.RANDOM_PASSES)},
      {"--max-size (size cap)", std::to_string(params.MAX_SIZE)},
      {"--final-overlap-filter", params.FINAL_OVERLAP_FILTER ? "on" : "off"},
      {"--final-noise-filter", params.FINAL_NOISE_FILTER ? "on" : "off"},
  };
}

void newhandler() {
  std::puts("ERROR: new() out of memory");
  std::fflush(stdout);
  reportExit();
  std::abort();
}

bool isBlockStage(uint argc, char** argv) {
  for (uint i = 4; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--stage") != 0) continue;
    const char* v = argv[i + 1];
    if (!std::strcmp(v, "seeds") || !std::strcmp(v, "grow") || !std::strcmp(v, "refine")) return true;
  }
  return false;
}

long elapsedSeconds() { return static_cast<long>(std::time(nullptr) - start_sec); }

void printElapsedTime() { std::printf("Elapsed time: %ld sec\n", elapsedSeconds()); }

void startUp(uint argc, char** argv, RunParams* params) {
  std::puts("-- TRELLIS (TRM) --");
  std::printf("-- Software version: %s, build: %s\n", TRELLIS2_VERSION, BUILD_STAMP);
  std::puts("----\n");
  cmdLineDump(argc, argv);
  parseCommandLine(argc, argv, params);
  printParameters(*params);
  std::printf("Initializing pseudo-random generator to %ld\n", RANDOM_SEED);
  srand48(RANDOM_SEED);
  std::set_new_handler(newhandler);
  // A long search must not end in files it cannot write: the directory is
  // made, parents and all, before any input is read.
  if (!makeOutputDirectory(params->out_prefix)) {
    std::printf("ERROR: Can't create output directory: %s\n", params->out_prefix.c_str());
    fatalExit(-1);
  }
  std::fflush(stdout);
}
