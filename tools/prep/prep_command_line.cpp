#include "tools/prep/prep_command_line.h"

#include <cstdlib>
#include <functional>

#include "app/run_params.h"
#include "tools/common/text_fields.h"
#include "tools/prep/prep_error.h"

namespace {

const char* const PROGRAM_HELP =
    "Usage: trellis2-prep COMMAND [options] ...\n"
    "Turns public interaction and similarity data into the input files of trellis2, and checks an input "
    "set.\n"
    "\n"
    "Commands:\n"
    "  interactions --from string|biogrid|mitab|edges [options] INPUT   interactions of one species\n"
    "  similarity --from blast6 [options] INPUT                          E-values between proteins\n"
    "  check N PREFIX [options]                                          reads an input set as trellis2 "
    "would\n"
    "  labels --from fasta|string-info|gaf [options] INPUT               names users know for the proteins\n"
    "\n"
    "INPUT may be gzip-compressed; '-' reads standard input. Output lines (on standard output) are\n"
    "A<TAB>B<TAB>number (labels: id<TAB>label); counts and messages go to standard error.\n"
    "'trellis2-prep COMMAND --help' describes a command; 'trellis2-prep --version' prints the version.\n";

const char* const INTERACTIONS_HELP =
    "Usage: trellis2-prep interactions --from FORMAT [options] INPUT > PREFIX_int-<i>.txt\n"
    "Writes 'A<TAB>B<TAB>weight' lines for one species: each unordered pair once (the highest weight\n"
    "of its lines), in order of first appearance; self-interactions and weight 0 are left out.\n"
    "\n"
    "FORMAT:\n"
    "  string   STRING protein.links[.detailed|.full] files: weight = score / 1000\n"
    "  biogrid  BioGRID TAB3 (or TAB2) files: weight 1, physical interactions only\n"
    "  mitab    PSI-MITAB 2.5-2.8 files: UniProtKB names, weight = intact-miscore (1 without one)\n"
    "  edges    'A B' or 'A B weight' lines, or Cytoscape SIF ('A relation B C ...')\n"
    "\n"
    "Options:\n"
    "  --min-score X   keep weights >= X, X in [0, 1] (STRING's 700 is 0.7)\n"
    "  --channel NAME  string: score column to use (e.g. experimental); default combined_score\n"
    "  --taxid N       biogrid, mitab: keep interactions whose two interactors are of organism N\n"
    "                  (without it, a file that holds several organisms is refused)\n"
    "  --id KIND       biogrid: names from the systematic (default), symbol, entrez or uniprot\n"
    "                  (SWISS-PROT) column; rows with '-' there are left out (human genes have no\n"
    "                  systematic name)\n"
    "  --all-types     biogrid: keep genetic interactions too\n"
    "\n"
    "What is left out is counted by reason on standard error, with the first line numbers.\n";

const char* const SIMILARITY_HELP =
    "Usage: trellis2-prep similarity --from blast6 [options] INPUT > PREFIX_blast.txt\n"
    "Reads BLAST+ or DIAMOND tabular output (-outfmt 6, or 7 with comment lines) and writes\n"
    "'A<TAB>B<TAB>evalue' lines: the smallest E-value of each unordered pair, in order of first\n"
    "appearance; self-hits are left out.\n"
    "\n"
    "Options:\n"
    "  --columns LIST  the columns as given to -outfmt, e.g. \"6 qseqid sseqid evalue\" or\n"
    "                  \"std qlen\"; default: the \"# Fields:\" line of outfmt 7, else the 12 default\n"
    "                  columns (qseqid sseqid pident length mismatch gapopen qstart qend sstart send\n"
    "                  evalue bitscore)\n"
    "  --max-evalue X  keep E-values <= X\n";

const char* const CHECK_HELP =
    "Usage: trellis2-prep check N PREFIX [options]\n"
    "Reads PREFIX_int-0.txt .. PREFIX_int-<N-1>.txt and PREFIX_blast.txt the way 'trellis2 N PREFIX'\n"
    "would, without searching, and reports per species the proteins, interactions, weight range,\n"
    "largest degree and hub pairs; names shared by two species; similarity names found in no\n"
    "network; proteins without similarity links; and the lines trellis2 would skip, by reason.\n"
    "Exits with status 1 when trellis2 would refuse the input, and says why.\n"
    "\n"
    "Options (as the run will use them):\n"
    "  --threshold X   largest accepted E-value (trellis2 -H:), default 1e-07\n"
    "  --beta X        density beta (trellis2 -B:), default 0.8\n";

const char* const LABELS_HELP =
    "Usage: trellis2-prep labels --from FORMAT [options] INPUT > PREFIX_labels.txt\n"
    "Writes 'id<TAB>label' lines: the gene symbol or preferred name of each protein, which trellis2\n"
    "shows beside the ids (it reads PREFIX_labels.txt when present). One line per id, its first label,\n"
    "in order of first appearance; ids without a label are left out.\n"
    "\n"
    "FORMAT:\n"
    "  fasta        UniProt FASTA files: the GN= gene name of each header\n"
    "  string-info  STRING protein.info files: preferred_name by #string_protein_id\n"
    "  gaf          GAF 2.x annotation files: the DB Object Symbol (column 3) by DB Object ID (column 2)\n"
    "\n"
    "Options:\n"
    "  --fasta-id KIND  fasta: the id of a header, as the networks name the protein: accession (the\n"
    "                   default), the second |-separated field of the first word when it has one\n"
    "                   ('>sp|P34253|KAE1_YEAST ...' gives P34253), else the word; or word, the first\n"
    "                   word as it stands\n"
    "\n"
    "What is left out is counted by reason on standard error, with the first line numbers.\n";

[[noreturn]] void usage(const std::string& message) { throw PrepError(message, true); }

// Walks the arguments; options may be "--name value" or "--name=value".
class ArgWalker {
 public:
  explicit ArgWalker(const std::vector<std::string>& args) : m_args(args), m_i(0) {}
  bool done() const { return m_i >= m_args.size(); }
  // The next argument; sets *name (and *inlineValue after '=') for an option.
  bool nextOption(std::string* name) {
    const std::string& a = m_args[m_i++];
    m_inline.clear();
    m_hasInline = false;
    if (a.size() < 3 || a.compare(0, 2, "--") != 0) {
      *name = a;
      return false;
    }
    const size_t eq = a.find('=');
    *name = a.substr(0, eq);
    if (eq != std::string::npos) {
      m_inline = a.substr(eq + 1);
      m_hasInline = true;
    }
    return true;
  }
  std::string value(const std::string& option) {
    if (m_hasInline) return m_inline;
    if (done()) usage(option + " needs a value");
    return m_args[m_i++];
  }
  void noValue(const std::string& option) const {
    if (m_hasInline) usage(option + " takes no value");
  }

 private:
  const std::vector<std::string>& m_args;
  size_t m_i;
  std::string m_inline;
  bool m_hasInline = false;
};

// Hands every argument that is not an option to `positional` and every option to
// `option`, which returns false for an option it does not know.
void walkArgs(const std::vector<std::string>& args, const std::function<void(const std::string&)>& positional,
              const std::function<bool(const std::string&, ArgWalker&)>& option) {
  ArgWalker w(args);
  std::string name;
  while (!w.done()) {
    if (!w.nextOption(&name)) {
      positional(name);
    } else if (!option(name, w)) {
      usage("unknown option " + quoted(name));
    }
  }
}

double numberValue(const std::string& option, const std::string& text) {
  double v = 0;
  if (!parseNumber(text, &v)) usage(option + ": " + quoted(text) + " is not a number");
  return v;
}

std::string taxidValue(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
    usage("--taxid: " + quoted(text) + " is not an NCBI taxonomy id (a whole number)");
  }
  return text;
}

void setInput(const std::string& arg, std::string* input) {
  if (!input->empty()) usage("more than one INPUT: " + quoted(*input) + " and " + quoted(arg));
  *input = arg;
}

void requireFromAndInput(const std::string& from, const std::string& input) {
  if (from.empty()) usage("--from is required");
  if (input.empty()) usage("no INPUT file given");
}

}  // namespace

InteractionOptions parseInteractionArgs(const std::vector<std::string>& args) {
  InteractionOptions o;
  walkArgs(
      args, [&](const std::string& arg) { setInput(arg, &o.input); },
      [&](const std::string& name, ArgWalker& w) {
        if (name == "--from") {
          o.from = w.value(name);
        } else if (name == "--taxid") {
          o.taxid = taxidValue(w.value(name));
        } else if (name == "--id") {
          o.id = w.value(name);
          o.idGiven = true;
        } else if (name == "--min-score") {
          o.minScore = numberValue(name, w.value(name));
          o.minScoreGiven = true;
          if (o.minScore < 0 || o.minScore > 1) {
            usage("--min-score is a weight in [0, 1] (STRING's score 700 is 0.7), not " +
                  formatNumber(o.minScore));
          }
        } else if (name == "--all-types") {
          w.noValue(name);
          o.allTypes = true;
        } else if (name == "--channel") {
          o.channel = w.value(name);
        } else {
          return false;
        }
        return true;
      });
  requireFromAndInput(o.from, o.input);
  return o;
}

SimilarityOptions parseSimilarityArgs(const std::vector<std::string>& args) {
  SimilarityOptions o;
  walkArgs(
      args, [&](const std::string& arg) { setInput(arg, &o.input); },
      [&](const std::string& name, ArgWalker& w) {
        if (name == "--from") {
          o.from = w.value(name);
        } else if (name == "--columns") {
          o.columns = w.value(name);
        } else if (name == "--max-evalue") {
          o.maxEvalue = numberValue(name, w.value(name));
          o.maxEvalueGiven = true;
          if (o.maxEvalue < 0) usage("--max-evalue must be >= 0");
        } else {
          return false;
        }
        return true;
      });
  requireFromAndInput(o.from, o.input);
  return o;
}

CheckOptions parseCheckArgs(const std::vector<std::string>& args) {
  CheckOptions o;
  const RunParams run;  // the defaults of a trellis2 run
  o.threshold = run.BLAST_TRESHOLD;
  o.beta = run.DENSITY_BETA;
  std::vector<std::string> positional;
  walkArgs(
      args, [&](const std::string& arg) { positional.push_back(arg); },
      [&](const std::string& name, ArgWalker& w) {
        if (name == "--threshold") {
          o.threshold = numberValue(name, w.value(name));
          if (o.threshold < 0) usage("--threshold must be >= 0");
        } else if (name == "--beta") {
          o.beta = numberValue(name, w.value(name));
          if (!(o.beta > 0 && o.beta <= 1)) usage("--beta must be in (0, 1]");
        } else {
          return false;
        }
        return true;
      });
  if (positional.size() != 2) usage("check needs N (the number of species) and PREFIX");
  const std::string& n = positional[0];
  if (n.empty() || n.size() > 2 || n.find_first_not_of("0123456789") != std::string::npos ||
      std::atoi(n.c_str()) < 2 || std::atoi(n.c_str()) > 10) {
    usage("N must be a number of species from 2 to 10, not " + quoted(n));
  }
  o.species = static_cast<uint32_t>(std::atoi(n.c_str()));
  o.prefix = positional[1];
  return o;
}

LabelOptions parseLabelArgs(const std::vector<std::string>& args) {
  LabelOptions o;
  walkArgs(
      args, [&](const std::string& arg) { setInput(arg, &o.input); },
      [&](const std::string& name, ArgWalker& w) {
        if (name == "--from") {
          o.from = w.value(name);
        } else if (name == "--fasta-id") {
          o.fastaId = w.value(name);
          o.fastaIdGiven = true;
        } else {
          return false;
        }
        return true;
      });
  requireFromAndInput(o.from, o.input);
  return o;
}

const char* helpText(const std::string& command) {
  if (command == "interactions") return INTERACTIONS_HELP;
  if (command == "similarity") return SIMILARITY_HELP;
  if (command == "check") return CHECK_HELP;
  if (command == "labels") return LABELS_HELP;
  return PROGRAM_HELP;
}
