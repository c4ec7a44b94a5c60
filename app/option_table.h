// The options of trellis2, one row each: both command-line grammars parse
// through the rows, --help and the man page describe them, the parameter
// printout and the report's parameter list echo them, and the fingerprint of
// split runs is made of them.
//
// The classic grammar takes "flag value" pairs after the positional
// arguments (trellis2 3 in out -B: 0.7); the modern one takes
// `trellis2 search --beta 0.7 ...` with short and long forms.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/run_params.h"

// A value an option refuses: the classic grammar's console message (whole
// lines), and the reason in a few words for the modern grammar's refusal.
struct BadOptionValue {
  std::string classic;
  std::string reason;
};

// What an option is about, which decides where it shows.
enum class OptionScope {
  INPUT,    // the positional arguments of the classic grammar: species, input prefix, output directory
  RESULTS,  // changes the results: in the fingerprint of split runs and the report's parameters
  RUN,      // how the run is done (threads, stage, shard): results do not change
  OUTPUT,   // what is written beside the results (the report, names): results do not change
  MODERN,   // of the modern grammar alone (--verbose)
};

// How the fingerprint of a split run holds a RESULTS option.
enum class InFingerprint { ALWAYS, WHEN_CHANGED };

struct OptionRow {
  const char* classic;      // the classic grammar's flag ("-B:"); null for the modern grammar alone
  const char* name;         // the modern grammar's long name ("beta", for --beta)
  char letter;              // its short form ('t' for -t); 0 for none
  const char* value;        // what the value is ("X", "tree|oriented|path"); null for a flag
  const char* flagValue;    // a flag of the modern grammar: the classic value it stands for
  const char* brief;        // a few words, for the report ("density beta"); null: the flag says it
  const char* help;         // one line for --help and the man page
  const char* defaultNote;  // the default as help shows it, when not the shown value of RunParams()
  OptionScope scope;
  InFingerprint fingerprint;
  // Applies a value (classic text); throws BadOptionValue. The output stream
  // takes what parsing reports on the way (an orientation tree's diagnostics).
  void (*set)(RunParams* params, const std::string& value, FILE* out);
  // The value as the report shows it; null for an option the report does not list.
  std::string (*show)(const RunParams& params);
  // The value as the fingerprint holds it (exactly); null: as shown.
  std::string (*exact)(const RunParams& params);
  // Its lines of the parameter printout; null when it is not echoed.
  void (*echo)(const RunParams& params, FILE* out);
  int echoRank;  // the printout's order: echoed rows by increasing rank
};

// Every row, in the order of --help, the report and the fingerprint.
const std::vector<OptionRow>& optionTable();

// The row of a classic flag, a modern long name or a short letter; null when none.
const OptionRow* classicOption(const std::string& flag);
const OptionRow* longOption(const std::string& name);
const OptionRow* shortOption(char letter);

// The default of a row as --help shows it.
std::string defaultText(const OptionRow& row);

// A named setting: classic option pairs that --preset applies where it stands.
struct Preset {
  const char* name;
  std::vector<std::pair<const char*, const char*>> options;
  const char* why;  // what it is for, in a few words
};
const std::vector<Preset>& presets();

// The report's name of a row: its classic flag with its brief in parentheses
// (a positional argument: its brief).
std::string reportLabel(const OptionRow& row);
