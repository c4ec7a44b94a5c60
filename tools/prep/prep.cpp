#include "tools/prep/prep.h"

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "tools/common/text_input.h"
#include "tools/prep/blast_tab_reader.h"
#include "tools/prep/drop_log.h"
#include "tools/prep/input_check.h"
#include "tools/prep/interaction_reader.h"
#include "tools/prep/label_reader.h"
#include "tools/prep/label_table.h"
#include "tools/prep/pair_table.h"
#include "tools/prep/prep_command_line.h"
#include "tools/prep/prep_error.h"

namespace {

const char* const PROGRAM = "trellis2-prep";

// The counts of a command on standard error: lines read, records written, what was left out.
void reportCounts(const TextInput& in, size_t written, const DropLog& log, const char* what) {
  std::fprintf(stderr, "%s: %s: %llu lines read, %zu %s written\n", PROGRAM, in.name().c_str(),
               static_cast<unsigned long long>(in.lineNumber()), written, what);
  if (log.total() > 0) {
    std::fprintf(stderr, "%s: left out:\n", PROGRAM);
    log.print(stderr, "  ");
  }
}

// Writes the pairs, then the counts on standard error; an empty result is an error.
int finish(const TextInput& in, const PairTable& table, const DropLog& log, const char* what) {
  table.write(stdout);
  reportCounts(in, table.size(), log, what);
  if (table.size() == 0) throw PrepError(in.name() + ": nothing left to write");
  return 0;
}

// Labels are optional for a run, so a source without any (a FASTA file whose headers carry no
// GN=) gives an empty file and a warning rather than an error.
int runLabels(const LabelOptions& opts) {
  const LabelReader reader(opts);
  TextInput in(opts.input);
  LabelTable table;
  DropLog log;
  reader.read(&in, &table, &log);
  table.write(stdout);
  reportCounts(in, table.size(), log, "labels");
  if (table.size() == 0)
    std::fprintf(stderr, "%s: warning: %s: no label found\n", PROGRAM, in.name().c_str());
  return 0;
}

int runInteractions(const InteractionOptions& opts) {
  std::unique_ptr<InteractionReader> reader = InteractionReader::create(opts);
  TextInput in(opts.input);
  PairTable table(PairTable::Keep::HIGHEST,
                  "duplicate (the other direction, or listed again; highest weight kept)",
                  "self-interaction");
  DropLog log;
  reader->read(&in, &table, &log);
  return finish(in, table, log, "interactions");
}

int runSimilarity(const SimilarityOptions& opts) {
  BlastTabReader reader(opts);
  TextInput in(opts.input);
  PairTable table(PairTable::Keep::LOWEST, "repeated pair (reciprocal or further hit; smallest E-value kept)",
                  "self-hit");
  DropLog log;
  reader.read(&in, &table, &log);
  return finish(in, table, log, "similarity pairs");
}

int runCommand(const std::string& command, const std::vector<std::string>& args) {
  if (command == "interactions") return runInteractions(parseInteractionArgs(args));
  if (command == "similarity") return runSimilarity(parseSimilarityArgs(args));
  if (command == "check") return InputCheck(parseCheckArgs(args)).run(stdout);
  if (command == "labels") return runLabels(parseLabelArgs(args));
  throw PrepError("unknown command '" + command + "' (interactions, similarity, check or labels)", true);
}

bool isCommand(const std::string& s) {
  return s == "interactions" || s == "similarity" || s == "check" || s == "labels";
}

}  // namespace

int prepMain(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  if (args.empty()) {
    std::fputs(helpText(""), stderr);
    return 2;
  }
  const std::string& command = args[0];
  if (command == "--version") {
    std::printf("%s %s\n", PROGRAM, TRELLIS2_VERSION);
    return 0;
  }
  if (command == "--help" || command == "help") {
    std::fputs(helpText(args.size() > 1 ? args[1] : ""), stdout);
    return 0;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  for (const std::string& a : rest) {
    if (a == "--help" && isCommand(command)) {
      std::fputs(helpText(command), stdout);
      return 0;
    }
  }
  try {
    return runCommand(command, rest);
  } catch (const PrepError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", PROGRAM, e.what());
    if (e.usage())
      std::fprintf(stderr, "Try '%s %s --help'.\n", PROGRAM, isCommand(command) ? command.c_str() : "");
    return e.usage() ? 2 : 1;
  } catch (const std::bad_alloc&) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: out of memory\n", PROGRAM);
    return 1;
  }
}
