#include "tools/annotate/annotate_command_line.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "common/text.h"
#include "tools/common/text_fields.h"
#include "tools/common/tool_error.h"

namespace {

const char* const HELP =
    "Usage: trellis2-annotate OUTDIR [options]\n"
    "Tells what the complexes of a finished trellis2 run mean: Gene Ontology enrichment per complex and\n"
    "species, and the recovery of known complexes. Reads OUTDIR/manifest.tsv, complexes.tsv and\n"
    "species_<s>/, and the run's interaction files; writes its tables into OUTDIR and adds the\n"
    "\"Function\" section to OUTDIR/report.html (replacing that of an earlier annotation).\n"
    "\n"
    "GO enrichment (go_enrichment.tsv, function_summary.tsv):\n"
    "  --obo FILE        the ontology, OBO 1.2 (go-basic.obo)\n"
    "  --gaf S=FILE      annotations of species S, GAF 2.1 or 2.2 (repeat per species)\n"
    "  --max-p X         largest corrected p written to go_enrichment.tsv, in (0, 1]; default 0.05\n"
    "Known complexes (reference_match.tsv, reference_hits.tsv):\n"
    "  --reference S=FILE  known complexes of species S (repeat per species): Complex Portal complextab,\n"
    "                    CORUM allComplexes.txt, or 'name<TAB>members' lines (members separated by\n"
    "                    commas or blanks)\n"
    "  --overlap X       overlap score a match must reach, in [0, 1]; default 0.2\n"
    "Matched random controls (controls.tsv, and control columns in the other tables):\n"
    "  --controls N      per complex and species, N random connected groups of the part's size\n"
    "                    drawn from the species' network, tested like the complexes; default 0\n"
    "  --seed S          seed of the controls, a whole number; default 1\n"
    "Other:\n"
    "  --input PREFIX    the run's input prefix, when its files have moved since the run\n"
    "  --threads N       threads for the controls; default: the hardware's (results do not depend on it)\n"
    "\n"
    "Input files may be gzip-compressed. At least one analysis, or --controls alone (controls.tsv for\n"
    "every species), must be asked for. Exit status 0 on\n"
    "success, 1 on an input error (the message names the file, the line and the value), 2 on a bad\n"
    "command line. 'man trellis2-annotate' describes the tables and the formulas.\n";

[[noreturn]] void usage(const std::string& message) { throw ToolError(message, true); }

// "S=FILE" with S a species index.
void speciesFile(const std::string& option, const std::string& value, std::map<unsigned, std::string>* into) {
  const size_t eq = value.find('=');
  const std::string index = value.substr(0, eq == std::string::npos ? 0 : eq);
  uint64_t s = 0;
  if (eq == std::string::npos || index.size() > 2 || !parseDigits(index, 99, &s) || eq + 1 == value.size())
    usage(option + " " + quoted(value) + ": expected S=FILE, S a species index (0, 1, ...)");
  if (!into->emplace(static_cast<unsigned>(s), value.substr(eq + 1)).second) usage(option + ": species " + index + " given twice");
}

double numberIn(const std::string& option, const std::string& value, double low, bool lowOpen, double high) {
  double v = 0;
  if (!parseNumber(value, &v) || v > high || v < low || (lowOpen && v == low))
    usage(option + " " + quoted(value) + ": expected a number in " + (lowOpen ? "(" : "[") +
          formatNumber(low) + ", " + formatNumber(high) + "]");
  return v;
}

// A whole number in [low, high].
uint64_t wholeIn(const std::string& option, const std::string& value, uint64_t low, uint64_t high) {
  const bool digits =
      !value.empty() && value.size() <= 20 && value.find_first_not_of("0123456789") == std::string::npos;
  errno = 0;
  const unsigned long long v = digits ? std::strtoull(value.c_str(), nullptr, 10) : 0;
  if (!digits || errno == ERANGE || v < low || v > high)
    usage(option + " " + quoted(value) + ": expected a whole number in [" + std::to_string(low) + ", " +
          std::to_string(high) + "]");
  return v;
}

}  // namespace

const char* annotateHelpText() { return HELP; }

AnnotateOptions parseAnnotateArgs(const std::vector<std::string>& args) {
  AnnotateOptions opts;
  bool haveOutDir = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      if (haveOutDir) usage("unexpected argument " + quoted(arg) + " (one OUTDIR only)");
      opts.outDir = arg;
      haveOutDir = true;
      continue;
    }
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    std::string value;
    if (eq != std::string::npos) {
      value = arg.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      usage(name + " needs a value");
    }
    if (name == "--obo") {
      opts.obo = value;
    } else if (name == "--gaf") {
      speciesFile(name, value, &opts.gafs);
    } else if (name == "--max-p") {
      opts.maxP = numberIn(name, value, 0, true, 1);
    } else if (name == "--reference") {
      speciesFile(name, value, &opts.references);
    } else if (name == "--overlap") {
      opts.overlap = numberIn(name, value, 0, false, 1);
    } else if (name == "--input") {
      opts.input = value;
    } else if (name == "--controls") {
      opts.controls = static_cast<unsigned>(wholeIn(name, value, 0, MAX_CONTROLS));
    } else if (name == "--seed") {
      opts.seed = wholeIn(name, value, 0, UINT64_MAX);
    } else if (name == "--threads") {
      opts.threads = static_cast<unsigned>(wholeIn(name, value, 1, 1024));
    } else {
      usage("unknown option " + quoted(name));
    }
    if (value.empty()) usage(name + " needs a value");
  }
  if (!haveOutDir) usage("no OUTDIR given");
  if (opts.obo.empty() != opts.gafs.empty())
    usage(opts.obo.empty() ? "--gaf needs --obo (the ontology)" : "--obo needs at least one --gaf S=FILE");
  if (!opts.goEnrichment() && !opts.knownComplexes() && opts.controls == 0)
    usage("nothing to do: give --obo with --gaf S=FILE, or --reference S=FILE");
  return opts;
}
