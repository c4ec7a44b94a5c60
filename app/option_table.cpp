#include "app/option_table.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "common/text.h"

namespace {

[[noreturn]] void refuseValue(const std::string& classic, const std::string& reason) {
  throw BadOptionValue{classic, reason};
}

// The classic refusal most options share.
[[noreturn]] void illegalValue(const char* flag, const std::string& text, const std::string& reason) {
  refuseValue(std::string("ERROR: Illegal value for option '") + flag + "' (" + text + ")\n", reason);
}

// An integer value: the whole text is a number, >= 0, within 32 bits.
bool readUint(const std::string& text, uint* out) {
  long long v = 0;
  if (!parseInteger(text, &v) || v < 0 || v > static_cast<long long>(UINT32_MAX)) return false;
  *out = static_cast<uint>(v);
  return true;
}

uint uintIn(const char* flag, const std::string& text, uint low, uint high) {
  uint v = 0;
  if (!readUint(text, &v) || v < low || v > high) {
    const std::string range = high == UINT32_MAX ? "a whole number >= " + std::to_string(low)
                                                 : "a whole number in " + std::to_string(low) + ".." +
                                                       std::to_string(high);
    illegalValue(flag, text, "expected " + range);
  }
  return v;
}

// An option that is off (0) or on (1).
bool switchValue(const char* flag, const std::string& text) { return uintIn(flag, text, 0, 1) == 1; }

const char* onOff(bool on) { return on ? "on" : "off"; }

// Span shape from the first character of the value; which is "S" or "E".
gen_type_t spanShape(const char* which, const std::string& text) {
  switch (text.empty() ? '\0' : text[0]) {
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
      refuseValue(std::string("Illegal -") + which + " option value (Can be Tree/Path/Oriented): " + text + "\n",
                  "expected tree, oriented or path");
  }
}

const char* shapeName(gen_type_t t) {
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

const char* shapeWord(gen_type_t t) { return t == PATH ? "path" : t == TREE ? "tree" : "oriented"; }

// One tree per species, entry s re-rooted at species s. The re-rootings follow
// one another on one working tree, so each copy's child order depends on the
// ones before it. Without a species count (--check-options) the tree is only
// read.
void buildOrientationTrees(const std::string& text, RunParams* params, FILE* out) {
  params->orientation_str = text;
  VTree work;
  if (!work.build(text, out))
    refuseValue("ERROR: Error parsing orientation string: " + text + "\n", "not a species tree");
  const VNode* root = work.root();
  params->ownedTrees.clear();
  params->ORIENTATION_TREES.clear();
  if (params->species_num == 0) {
    params->ownedTrees.push_back(work.clone());
    params->ORIENTATION_TREES.push_back(params->ownedTrees.back().get());
    return;
  }
  const uint all = (1u << params->species_num) - 1;
  if (((1u << root->m_s) | root->mask()) != all)
    refuseValue("ERROR: Orientation tree must contain " + std::to_string(params->species_num) +
                    " species: " + text + "\n",
                "the tree must hold species 0.." + std::to_string(params->species_num - 1) + " once each");
  for (uint s = 0; s < params->species_num; ++s) {
    const bool found = work.switchRoot(static_cast<byte>(s), out);
    TRELLIS_ASSERT(found);
    params->ownedTrees.push_back(work.clone());
    params->ORIENTATION_TREES.push_back(params->ownedTrees.back().get());
  }
}

RunStage stageValue(const std::string& text) {
  const struct {
    const char* name;
    RunStage stage;
  } stages[] = {
      {"seeds", RunStage::SEEDS}, {"grow", RunStage::GROW}, {"refine", RunStage::REFINE}, {"finish", RunStage::FINISH}};
  for (const auto& s : stages) {
    if (text == s.name) return s.stage;
  }
  refuseValue("ERROR: Illegal value for option '--stage' (" + text + "), should be seeds, grow, refine or finish\n",
              "expected seeds, grow, refine or finish");
}

// "I/N" with 1 <= I <= N.
void shardValue(const std::string& text, RunParams* params) {
  const size_t slash = text.find('/');
  uint index = 0, count = 0;
  if (slash == std::string::npos || !readUint(text.substr(0, slash), &index) ||
      !readUint(text.substr(slash + 1), &count) || index == 0 || index > count)
    refuseValue("ERROR: Illegal value for option '--shard' (" + text + "), should be I/N with 1 <= I <= N\n",
                "expected I/N with 1 <= I <= N");
  params->SHARD_INDEX = index;
  params->SHARD_COUNT = count;
}

// Names separated by commas: none empty, none twice, no tab or line break.
void speciesNamesValue(const std::string& text, RunParams* params) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (size_t start = 0;;) {
    const size_t comma = text.find(',', start);
    const std::string name = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (name.empty() || name.find_first_of("\t\r\n") != std::string::npos || !seen.insert(name).second)
      illegalValue("--species-names", text, "expected distinct names separated by commas, none empty");
    names.push_back(name);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (params->species_num != 0 && names.size() != params->species_num)
    illegalValue("--species-names", text, "expected " + std::to_string(params->species_num) + " names");
  params->SPECIES_NAMES = names;
}

std::string number(double v, const char* format) { return strFormat(format, v); }

const OptionRow* rowOf(const char* classic);

void presetValue(const std::string& name, RunParams* params, FILE* out) {
  for (const Preset& preset : presets()) {
    if (name != preset.name) continue;
    for (const auto& option : preset.options) rowOf(option.first)->set(params, option.second, out);
    params->PRESET = name;
    return;
  }
  std::string known;
  for (const Preset& preset : presets()) known += (known.empty() ? "" : ", ") + std::string(preset.name);
  illegalValue("--preset", name, "expected " + known);
}

std::string presetHelp() {
  std::string text = "a named setting, applied where it stands (options after it override its values):";
  for (const Preset& preset : presets()) {
    text += std::string(" ") + preset.name + " =";
    for (const auto& option : preset.options) text += std::string(" ") + option.first + " " + option.second;
    text += std::string(" (") + preset.why + ")";
  }
  return text;
}

// ---- the parameter printout, line by line as the method prints it
void echoBeta(const RunParams& p, FILE* out) { std::fprintf(out, "Beta (complexes density): %.2f\n", p.DENSITY_BETA); }
void echoThreshold(const RunParams& p, FILE* out) { std::fprintf(out, "Blast threshold: %.0e\n", p.BLAST_THRESHOLD); }
void echoHomologs(const RunParams& p, FILE* out) {
  std::fputs("Max Allowed Homologs per node (best survives): ", out);
  if (p.MAX_HOMOLOG_PER_NODE == 0)
    std::fputs("Unlimited\n", out);
  else
    std::fprintf(out, "%u\n", p.MAX_HOMOLOG_PER_NODE);
}
// The complex filter's overlap limit, which no option sets, follows.
void echoDuplicates(const RunParams& p, FILE* out) {
  std::fprintf(out, "Complexes nodes duplication treshold %u\n", p.NODES_DUPS_THRESHOLD);
  std::fprintf(out, "Complexes max overlap allowed: %.0lf%%\n", 100 * p.OVERLAP_THRESHOLD);
}
void echoPvalFilter(const RunParams& p, FILE* out) {
  std::fprintf(out, "Random alignment p-values guided growth control: %s\n",
               p.RAND_NET_GROWTH_CONTROL ? "Enabled" : "Disabled");
}
void echoDistance(const RunParams& p, FILE* out) {
  std::fprintf(out, "Seed nodes max distance: D%u\n", p.START_SEARCH_FROM_SEED_Dn);
}
void echoRefinements(const RunParams& p, FILE* out) {
  std::fprintf(out, "Complexes refinment iterations: %u\n", p.REFINEMENT_ITERATIONS);
}
// Oriented spans without a tree are refused here, where the method refuses them.
void echoOrientation(const RunParams& p, FILE* out) {
  if (p.SALIGN_NODES_TYPE != ORIENTED && p.EALIGN_NODES_TYPE != ORIENTED) {
    std::fputs("RELAXED homology trees orientation mode\n", out);
    return;
  }
  if (p.ORIENTATION_TREES.empty())
    refuseValue("ERROR: orientation tree wasn't provided.\nUse '--orient:' option to fix this\n",
                "oriented spans need --orientation");
  const char* const rule = "------------------------------------------------------------";
  std::fprintf(out, "%s\n", rule);
  std::fprintf(out, "RESTRICTED homology trees orientation mode: %s\n", p.orientation_str.c_str());
  for (uint s = 0; s < p.ORIENTATION_TREES.size(); ++s) {
    std::fprintf(out, "[At s:%u]\n", s);
    p.ORIENTATION_TREES[s]->dbg_print(out);
  }
  std::fprintf(out, "%s\n", rule);
}
void echoSeedShape(const RunParams& p, FILE* out) {
  std::fprintf(out, "Seeds alignment nodes v-conectivity type: %s\n", shapeName(p.SALIGN_NODES_TYPE));
}
void echoExpansionShape(const RunParams& p, FILE* out) {
  std::fprintf(out, "Expansion alignment nodes v-conectivity type: %s\n", shapeName(p.EALIGN_NODES_TYPE));
}

std::vector<OptionRow> makeTable() {
  typedef RunParams P;
  return {
      {nullptr, "species", 'k', "N", nullptr, nullptr, "number of species, 2..10 (required)", "",
       OptionScope::INPUT, InFingerprint::ALWAYS, nullptr, [](const P& p) { return std::to_string(p.species_num); },
       nullptr, nullptr, 0},
      {nullptr, "input", 'i', "PREFIX", nullptr, "input prefix",
       "input prefix: reads PREFIX_int-0.txt .. PREFIX_int-<N-1>.txt and PREFIX_blast.txt (required)", "",
       OptionScope::INPUT, InFingerprint::ALWAYS, nullptr, [](const P& p) { return p.in_prefix; }, nullptr,
       nullptr, 0},
      {nullptr, "output", 'o', "DIR", nullptr, "output directory", "output directory, made with its parents", "./out",
       OptionScope::INPUT, InFingerprint::ALWAYS, nullptr, [](const P& p) { return p.out_prefix; }, nullptr,
       nullptr, 0},
      {"-S:", "seed-spans", 0, "tree|oriented|path", nullptr, "seed spans",
       "shape of seed spans: tree (relaxed order), oriented (the orientation tree), path (chains)", "tree",
       OptionScope::RESULTS, InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE*) { p->SALIGN_NODES_TYPE = spanShape("S", v); },
       [](const P& p) { return std::string(shapeName(p.SALIGN_NODES_TYPE)); },
       [](const P& p) { return std::string(shapeWord(p.SALIGN_NODES_TYPE)); }, echoSeedShape, 9},
      {"-E:", "expansion-spans", 0, "tree|oriented|path", nullptr, "expansion spans",
       "shape of the aligned nodes added while complexes grow", "tree", OptionScope::RESULTS,
       InFingerprint::ALWAYS, [](P* p, const std::string& v, FILE*) { p->EALIGN_NODES_TYPE = spanShape("E", v); },
       [](const P& p) { return std::string(shapeName(p.EALIGN_NODES_TYPE)); },
       [](const P& p) { return std::string(shapeWord(p.EALIGN_NODES_TYPE)); }, echoExpansionShape, 10},
      {"--orient:", "orientation", 0, "TREE", nullptr, nullptr,
       "species tree for oriented spans, e.g. (0,(2,(1))); every species exactly once", nullptr,
       OptionScope::RESULTS, InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE* out) { buildOrientationTrees(v, p, out); },
       [](const P& p) { return p.orientation_str.empty() ? std::string("none") : p.orientation_str; }, nullptr,
       echoOrientation, 8},
      {"-H:", "max-evalue", 0, "X", nullptr, "E-value threshold",
       "largest E-value accepted from the similarity file, >= 0", nullptr, OptionScope::RESULTS,
       InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE*) {
         double x = 0;
         if (!parseReal(v, &x) || x < 0) illegalValue("-H:", v, "expected a number >= 0");
         p->BLAST_THRESHOLD = x;
       },
       [](const P& p) { return number(p.BLAST_THRESHOLD, "%g"); },
       [](const P& p) { return number(p.BLAST_THRESHOLD, "%.17g"); }, echoThreshold, 2},
      {"--maxhoms:", "max-homologs", 0, "N", nullptr, nullptr,
       "most similarity links a protein keeps towards one species, the best surviving; 0 = unlimited", nullptr,
       OptionScope::RESULTS, InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE*) { p->MAX_HOMOLOG_PER_NODE = uintIn("--maxhoms:", v, 0, UINT32_MAX); },
       [](const P& p) {
         return p.MAX_HOMOLOG_PER_NODE == 0 ? std::string("0 (unlimited)") : std::to_string(p.MAX_HOMOLOG_PER_NODE);
       },
       [](const P& p) { return std::to_string(p.MAX_HOMOLOG_PER_NODE); }, echoHomologs, 3},
      {"-B:", "beta", 0, "X", nullptr, "density beta", "density beta of the complex model, in (0, 1]", nullptr,
       OptionScope::RESULTS, InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE*) {
         double x = 0;
         if (!parseReal(v, &x) || !(x > 0 && x <= 1)) illegalValue("-B:", v, "expected a number in (0, 1]");
         p->DENSITY_BETA = x;
       },
       [](const P& p) { return number(p.DENSITY_BETA, "%g"); },
       [](const P& p) { return number(p.DENSITY_BETA, "%.17g"); }, echoBeta, 1},
      {"-D:", "seed-distance", 0, "1|2", nullptr, "seed pair distance",
       "seed pairs outside the anchor species: 1 = interacting only, 2 = also sharing a partner", nullptr,
       OptionScope::RESULTS, InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE*) {
         uint x = 0;
         if (!readUint(v, &x) || (x != 1 && x != 2))
           refuseValue("ERROR: Illegal value for option 'D:' (" + v + "), should be 1..2\n", "expected 1 or 2");
         p->START_SEARCH_FROM_SEED_Dn = x;
       },
       [](const P& p) { return std::to_string(p.START_SEARCH_FROM_SEED_Dn); }, nullptr, echoDistance, 6},
      {"-DUP:", "reuse-from", 0, "N", nullptr, "protein reuse from size",
       "number of aligned nodes from which a complex may reuse its proteins", nullptr, OptionScope::RESULTS,
       InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE*) { p->NODES_DUPS_THRESHOLD = uintIn("-DUP:", v, 0, UINT32_MAX); },
       [](const P& p) { return std::to_string(p.NODES_DUPS_THRESHOLD); }, nullptr, echoDuplicates, 4},
      {"-R:", "refinements", 0, "N", nullptr, "refinement attempts",
       "refinement attempts per complex; 0 turns refinement off", nullptr, OptionScope::RESULTS,
       InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE*) { p->REFINEMENT_ITERATIONS = uintIn("-R:", v, 0, UINT32_MAX); },
       [](const P& p) { return std::to_string(p.REFINEMENT_ITERATIONS); }, nullptr, echoRefinements, 7},
      {"--pval-filter", "pval-filter", 0, "WORD", "1", nullptr,
       "search rewired copies of the network first and filter complexes by their scores; complexes.tsv gains "
       "p-values",
       nullptr, OptionScope::RESULTS, InFingerprint::ALWAYS,
       [](P* p, const std::string&, FILE*) { p->RAND_NET_GROWTH_CONTROL = true; },
       [](const P& p) { return std::string(onOff(p.RAND_NET_GROWTH_CONTROL)); }, nullptr, echoPvalFilter, 5},
      {"--random-passes", "random-passes", 0, "N", nullptr, nullptr,
       "with --pval-filter: rewired copies searched one after another, N >= 1", nullptr, OptionScope::RESULTS,
       InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE*) { p->RANDOM_PASSES = uintIn("--random-passes", v, 1, UINT32_MAX); },
       [](const P& p) { return std::to_string(p.RANDOM_PASSES); }, nullptr, nullptr, 0},
      {"--max-size", "max-size", 0, "N", nullptr, "size cap",
       "aligned nodes at which a complex stops growing, 4..100", nullptr, OptionScope::RESULTS,
       InFingerprint::WHEN_CHANGED,
       [](P* p, const std::string& v, FILE*) { p->MAX_SIZE = uintIn("--max-size", v, MIN_COMPLEX_SIZE, LARGEST_SIZE_CAP); },
       [](const P& p) { return std::to_string(p.MAX_SIZE); }, nullptr, nullptr, 0},
      {"--strict-reuse", "strict-reuse", 0, "0|1", "1", nullptr,
       "with -DUP: N, no aligned node starts at a protein of the complex either, so no protein repeats below N "
       "aligned nodes",
       nullptr, OptionScope::RESULTS, InFingerprint::WHEN_CHANGED,
       [](P* p, const std::string& v, FILE*) { p->STRICT_REUSE = switchValue("--strict-reuse", v); },
       [](const P& p) { return std::string(onOff(p.STRICT_REUSE)); },
       [](const P& p) { return std::string(p.STRICT_REUSE ? "1" : "0"); }, nullptr, 0},
      {"--final-overlap-filter", "final-overlap-filter", 0, "0|1", "1", nullptr,
       "run the overlap filter again on the refined complexes", nullptr, OptionScope::RESULTS,
       InFingerprint::WHEN_CHANGED,
       [](P* p, const std::string& v, FILE*) { p->FINAL_OVERLAP_FILTER = switchValue("--final-overlap-filter", v); },
       [](const P& p) { return std::string(onOff(p.FINAL_OVERLAP_FILTER)); },
       [](const P& p) { return std::string(p.FINAL_OVERLAP_FILTER ? "1" : "0"); }, nullptr, 0},
      {"--final-noise-filter", "final-noise-filter", 0, "0|1", "1", nullptr,
       "with --pval-filter: check the refined complexes again against their size's random threshold", nullptr,
       OptionScope::RESULTS, InFingerprint::WHEN_CHANGED,
       [](P* p, const std::string& v, FILE*) { p->FINAL_NOISE_FILTER = switchValue("--final-noise-filter", v); },
       [](const P& p) { return std::string(onOff(p.FINAL_NOISE_FILTER)); },
       [](const P& p) { return std::string(p.FINAL_NOISE_FILTER ? "1" : "0"); }, nullptr, 0},
      {"--preset", "preset", 0, "NAME", nullptr, nullptr, nullptr, "none", OptionScope::OUTPUT,
       InFingerprint::ALWAYS, [](P* p, const std::string& v, FILE* out) { presetValue(v, p, out); },
       [](const P& p) { return p.PRESET.empty() ? std::string("none") : p.PRESET; }, nullptr, nullptr, 0},
      {"--threads:", "threads", 't', "N", nullptr, nullptr,
       "threads of the seed search, the complex search and the refinement, N >= 1 (results do not change)",
       "the hardware threads", OptionScope::RUN, InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE*) { p->THREADS = uintIn("--threads:", v, 1, UINT32_MAX); }, nullptr,
       nullptr, nullptr, 0},
      {"--stage", "stage", 0, "seeds|grow|refine|finish", nullptr, nullptr,
       "one stage of a run split into processes", "none", OptionScope::RUN, InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE*) { p->STAGE = stageValue(v); }, nullptr, nullptr, nullptr, 0},
      {"--shard", "shard", 0, "I/N", nullptr, nullptr,
       "with --stage seeds, grow or refine: this process does the I-th of N blocks", "none", OptionScope::RUN,
       InFingerprint::ALWAYS, [](P* p, const std::string& v, FILE*) { shardValue(v, p); }, nullptr, nullptr, nullptr,
       0},
      {"--report:", "no-report", 0, "0|1", "0", nullptr,
       "skip the summary outputs (complexes.tsv, complexes.sif, nodes.tsv, report.html)", "written",
       OptionScope::OUTPUT, InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE*) { p->WRITE_REPORT = switchValue("--report:", v); }, nullptr, nullptr,
       nullptr, 0},
      {"--species-names", "species-names", 0, "A,B,...", nullptr, nullptr,
       "names of the species, in order, for the tables, the report and the Cytoscape files", "0, 1, ...",
       OptionScope::OUTPUT, InFingerprint::ALWAYS,
       [](P* p, const std::string& v, FILE*) { speciesNamesValue(v, p); },
       [](const P& p) {
         std::string names;
         for (const std::string& n : p.SPECIES_NAMES) names += (names.empty() ? "" : ",") + n;
         return names.empty() ? std::string("none") : names;
       },
       nullptr, nullptr, 0},
      {nullptr, "verbose", 'v', nullptr, nullptr, nullptr,
       "also print the method's full console (OUT/console.txt) on standard output", "off", OptionScope::MODERN,
       InFingerprint::ALWAYS, nullptr, nullptr, nullptr, nullptr, 0},
  };
}

template <class Match>
const OptionRow* findRow(Match match) {
  for (const OptionRow& row : optionTable())
    if (match(row)) return &row;
  return nullptr;
}

}  // namespace

const std::vector<OptionRow>& optionTable() {
  static const std::vector<OptionRow> table = [] {
    std::vector<OptionRow> rows = makeTable();
    // The preset's help lists what each preset sets, from the preset table.
    static const std::string help = presetHelp();
    for (OptionRow& row : rows)
      if (std::string(row.name) == "preset") row.help = help.c_str();
    return rows;
  }();
  return table;
}

const std::vector<Preset>& presets() {
  static const std::vector<Preset> table = {
      {"interactome",
       {{"-B:", "0.95"}, {"-DUP:", "15"}, {"--strict-reuse", "1"}, {"--final-overlap-filter", "1"}},
       "measured on real interactomes: distinct proteins, no overlap beyond the filter's"},
  };
  return table;
}

namespace {

const OptionRow* rowOf(const char* classic) {
  const OptionRow* row = classicOption(classic);
  TRELLIS_ASSERT(row != nullptr && row->set != nullptr);
  return row;
}

}  // namespace

const OptionRow* classicOption(const std::string& flag) {
  return findRow([&flag](const OptionRow& r) { return r.classic != nullptr && flag == r.classic; });
}

const OptionRow* longOption(const std::string& name) {
  return findRow([&name](const OptionRow& r) { return name == r.name; });
}

const OptionRow* shortOption(char letter) {
  return findRow([letter](const OptionRow& r) { return letter != 0 && r.letter == letter; });
}

std::string defaultText(const OptionRow& row) {
  if (row.defaultNote != nullptr) return row.defaultNote;
  if (row.show == nullptr) return "";
  return row.show(RunParams());
}

std::string reportLabel(const OptionRow& row) {
  if (row.classic == nullptr) return row.brief != nullptr ? row.brief : row.name;
  return row.brief != nullptr ? std::string(row.classic) + " (" + row.brief + ")" : row.classic;
}
