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

#include "app/option_table.h"
#include "app/output_dir.h"
#include "common/error.h"
#include "common/text.h"

namespace {

// Taken during static initialisation, before main runs.
const time_t start_sec = std::time(nullptr);

const char* const BUILD_STAMP = __DATE__ " " __TIME__ ";";

// The method's usage text, which a classic command line of too few arguments
// gets after an error banner (--help prints the whole table, helpText).
const char* const USAGE_TEXT =
    "Usage: trellis2 <species num> <in prefix> [out prefix] [-S: t|o] [-E: t|o] [--orient: ...] [-H: x] "
    "[-DUP: x] [-D: x>] [-R: x>] [-B: x] \n\n"
    "Where:\n"
    "<species num> - Number of aligned species\n"
    "<in prefix>   - Location prefix for input files,\n"
    " where <prefix>_int-{0,1,2,...}.txt are species PPI interactions files,\n"
    "       <prefix>_blast.txt is a proteins pairwise BLAST data file (for proteins of all species)\n"
    "-S: x - Seeds spans configuration: t == relaxed order, o == restricted order\n"
    "-E: x - Expansion spans configuration: t == relaxed order, o == restricted order\n"
    "--orient: x - Specifies restricted spans orientation when '-S: o' or '-E: o' are used. Syntax "
    "examples: (0,(2,(1))), (0,(1),(2),(3))\n"
    "-H: x - BLAST threshold\n"
    "\n*** Typical usage ***\n"
    "./trellis2 3 ydc/in out\n"
    ": Run TRM for 3 species,\n"
    "  get input from ydc/in_int-{0,1,2}.txt and ydc/in_blast.txt,\n"
    "  create output files in out/*.\n"
    "  Use relaxed orientation of seeds/expansions spines, by default\n\n"
    "./trellis2 3 ydc/in out -S: o -E: o --orient: '(0,(2,(1)))'\n"
    ": Run TRM for 3 species,\n"
    "  get input from ydc/in_int-{0,1,2}.txt and ydc/in_blast.txt,\n"
    "  create output files in out/*.\n"
    "  Use restricted orientation: (0,(2,(1))) for seeds and expansion spines\n";

[[noreturn]] void illegalCommandLine() {
  throw Error(EXIT_USAGE, std::string("***************************\nERROR: Illegal command line\n"
                                      "***************************\n") +
                              USAGE_TEXT);
}

// A command-line fault: its message, then the run ends with EXIT_USAGE.
[[noreturn]] void refuse(const std::string& message) { throw Error(EXIT_USAGE, message); }

// The species number keeps its lenient reading (text that is not a number is
// 0), but the whole long value is range-checked so that huge numbers cannot
// wrap into 2..MAX_SPECIES.
uint parseSpeciesNum(const char* text) {
  long v = std::strtol(text, nullptr, 10);
  if (v < 2 || v > static_cast<long>(MAX_SPECIES)) {
    const std::string shown = v >= INT32_MIN && v <= static_cast<long>(UINT32_MAX)
                                  ? std::to_string(static_cast<uint>(v))
                                  : std::to_string(v);
    refuse("ERROR: Illegal species number: " + shown + "\nValid range: 2.." + std::to_string(MAX_SPECIES) + "\n");
  }
  return static_cast<uint>(v);
}

// A word starting with '-' where the output directory belongs is an option
// given too early: taken for a directory, it would run into "-o" or
// "--pval-filter" and ignore the options that follow.
void checkOutputDirectory(const std::string& dir) {
  if (dir.empty() || dir[0] != '-') return;
  refuse("ERROR: Output directory '" + dir +
         "' begins with '-': the classic command line is trellis2 <species num> <in prefix> <out prefix> "
         "[option value]..., options after the output directory\n");
}

// Applies one classic option pair.
void applyOption(const std::string& flag, const std::string& value, RunParams* params, FILE* out) {
  const OptionRow* row = classicOption(flag);
  if (row == nullptr || row->set == nullptr) refuse("ERROR: Illegal option/flag: " + flag + "\n");
  try {
    row->set(params, value, out);
  } catch (const BadOptionValue& bad) {
    refuse(bad.classic);
  }
}

// What single options cannot tell: a stage that does one block needs its
// block and the others take none; the noise re-check needs the thresholds of
// the random passes.
void checkCombinations(const RunParams& params) {
  const bool blockStage =
      params.STAGE == RunStage::SEEDS || params.STAGE == RunStage::GROW || params.STAGE == RunStage::REFINE;
  if (blockStage && params.SHARD_COUNT == 0)
    refuse("ERROR: '--stage seeds', 'grow' and 'refine' need '--shard I/N'\n");
  if (!blockStage && params.SHARD_COUNT != 0)
    refuse("ERROR: '--shard' belongs to '--stage seeds', 'grow' or 'refine'\n");
  if (params.FINAL_NOISE_FILTER && !params.RAND_NET_GROWTH_CONTROL)
    refuse("ERROR: '--final-noise-filter 1' needs '--pval-filter'\n");
}

// Option pairs from argv[first] on; a lone trailing argument is ignored.
void applyOptions(uint argc, char** argv, uint first, RunParams* params, FILE* out) {
  for (uint i = first; i + 1 < argc; i += 2) applyOption(argv[i], argv[i + 1], params, out);
  checkCombinations(*params);
}

// The usage column of a row in --help: its modern forms and value.
std::string modernForms(const OptionRow& row) {
  std::string forms = row.letter != 0 ? std::string("-") + row.letter + ", " : "    ";
  forms += std::string("--") + row.name;
  if (row.value != nullptr && row.flagValue == nullptr) forms += std::string(" ") + row.value;
  return forms;
}

// The classic form of a row, for --help.
std::string classicForm(const OptionRow& row) {
  if (row.classic == nullptr) return "";
  return std::string(row.classic) + (row.value != nullptr ? std::string(" ") + row.value : "");
}

}  // namespace

std::string helpText() {
  std::string text =
      "Usage: trellis2 search -k N -i PREFIX [-o DIR] [options]\n"
      "       trellis2 <species num> <in prefix> [out prefix] [option value]...   (the classic form)\n"
      "       trellis2 --check-options [option value]...\n"
      "       trellis2 --help | --version\n\n"
      "Finds conserved protein complexes in the interaction networks of 2 to 10 species.\n"
      "The classic form takes the options below as pairs (flag value) after the output directory, in\n"
      "the form in parentheses; the modern one takes --name value, --name=value or -x value, flags alone.\n"
      "--check-options checks classic option pairs and exits with 0, or with 2 and the reason.\n\n"
      "Options (default in brackets):\n\n";
  for (const OptionRow& row : optionTable()) {
    std::string line = "  " + modernForms(row);
    const std::string classic = classicForm(row);
    if (!classic.empty()) line += "    (classic: " + classic + ")";
    const std::string def = defaultText(row);
    if (!def.empty()) line += "    [" + def + "]";
    text += line + "\n        " + row.help + "\n";
  }
  return text;
}

bool printInfoRequest(uint argc, char** argv) {
  if (argc < 2) return false;
  if (!std::strcmp(argv[1], "--help")) {
    std::fputs(helpText().c_str(), stdout);
  } else if (!std::strcmp(argv[1], "--version")) {
    std::printf("trellis2 %s\n", TRELLIS2_VERSION);
  } else {
    return false;
  }
  std::fflush(stdout);
  return true;
}

void cmdLineDump(uint argc, char** argv, FILE* out) {
  std::fputs("Cmd line: [", out);
  for (uint i = 1; i < argc; ++i) std::fprintf(out, "%s ", argv[i]);
  std::fputs("]\n", out);
}

void parseCommandLine(uint argc, char** argv, RunParams* params, FILE* out) {
  if (argc < 3) illegalCommandLine();
  params->species_num = parseSpeciesNum(argv[1]);
  params->in_prefix = argv[2];
  if (argc > 3) params->out_prefix = argv[3];
  checkOutputDirectory(params->out_prefix);
  applyOptions(argc, argv, 4, params, out);
}

void checkOptionPairs(uint argc, char** argv, RunParams* params, FILE* out) {
  applyOptions(argc, argv, 0, params, out);
  // Refused there only: oriented spans without a tree.
  for (const OptionRow& row : optionTable()) {
    if (row.echo == nullptr) continue;
    try {
      row.echo(*params, out);
    } catch (const BadOptionValue& bad) {
      refuse(bad.classic);
    }
  }
}

void printParameters(const RunParams& params, FILE* out) {
  std::fputs("Start parameters\n", out);
  std::fprintf(out, "Species num: %u\n", params.species_num);
  std::fprintf(out, "Files paths: in:%s, out:%s\n", params.in_prefix.c_str(), params.out_prefix.c_str());
  std::vector<const OptionRow*> echoed;
  for (const OptionRow& row : optionTable())
    if (row.echo != nullptr) echoed.push_back(&row);
  std::stable_sort(echoed.begin(), echoed.end(),
                   [](const OptionRow* a, const OptionRow* b) { return a->echoRank < b->echoRank; });
  for (const OptionRow* row : echoed) {
    try {
      row->echo(params, out);
    } catch (const BadOptionValue& bad) {
      refuse(bad.classic);
    }
  }
  std::fputs("\n", out);
}

std::vector<std::pair<std::string, std::string>> parameterList(const RunParams& params) {
  std::vector<std::pair<std::string, std::string>> list;
  for (const OptionRow& row : optionTable())
    if (row.show != nullptr) list.emplace_back(reportLabel(row), row.show(params));
  return list;
}

std::string resultOptions(const RunParams& params) {
  std::string text = "species " + std::to_string(params.species_num);
  const RunParams defaults;
  for (const OptionRow& row : optionTable()) {
    if (row.scope != OptionScope::RESULTS) continue;
    const auto value = row.exact != nullptr ? row.exact : row.show;
    if (row.fingerprint == InFingerprint::WHEN_CHANGED && value(params) == value(defaults)) continue;
    text += std::string("; ") + row.classic + " " + value(params);
  }
  return text;
}

void newhandler() {
  std::puts("ERROR: new() out of memory");
  std::fflush(stdout);
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

void printElapsedTime(FILE* out) { std::fprintf(out, "Elapsed time: %ld sec\n", elapsedSeconds()); }

void startUp(uint argc, char** argv, RunParams* params, FILE* out) {
  std::fputs("-- TRELLIS (TRM) --\n", out);
  std::fprintf(out, "-- Software version: %s, build: %s\n", TRELLIS2_VERSION, BUILD_STAMP);
  std::fputs("----\n\n", out);
  cmdLineDump(argc, argv, out);
  parseCommandLine(argc, argv, params, out);
  printParameters(*params, out);
  // The seed of the rewiring's and the refinement's generators (common/rand48.h).
  std::fprintf(out, "Initializing pseudo-random generator to %ld\n", RANDOM_SEED);
  std::set_new_handler(newhandler);
  // A long search must not end in files it cannot write: the directory is
  // made, parents and all, before any input is read.
  if (!makeOutputDirectory(params->out_prefix))
    refuse("ERROR: Can't create output directory: " + params->out_prefix + "\n");
  std::fflush(out);
}
