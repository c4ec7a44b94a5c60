#include "app/modern_command_line.h"

#include <cctype>
#include <cstdio>
#include <utility>

#include "app/command_line.h"
#include "app/option_table.h"
#include "common/console.h"
#include "common/error.h"
#include "common/text.h"

namespace {

// One option as given: its row and its value (a flag's classic value).
struct Given {
  const OptionRow* row;
  std::string value;
};

std::string spelled(const OptionRow& row) { return std::string("--") + row.name; }

// Span shapes are words here: tree, oriented or path (or their first letter).
void checkShape(const OptionRow& row, const std::string& value) {
  std::string lower;
  for (char c : value) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* word : {"tree", "oriented", "path", "t", "o", "p"})
    if (lower == word) return;
  throw UsageError("option " + spelled(row) + ": '" + value + "': expected tree, oriented or path");
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : m_args(args) {}

  std::vector<Given> run(bool* verbose) {
    std::vector<Given> given;
    for (m_at = 0; m_at < m_args.size(); ++m_at) {
      const std::string& arg = m_args[m_at];
      if (arg == "--") {
        if (m_at + 1 < m_args.size()) throw UsageError("unexpected argument '" + m_args[m_at + 1] + "'");
        break;
      }
      if (arg.size() < 2 || arg[0] != '-') throw UsageError("unexpected argument '" + arg + "'");
      const Given g = arg[1] == '-' ? longForm(arg.substr(2)) : shortForm(arg);
      if (g.row->scope == OptionScope::MODERN) {
        *verbose = true;
        continue;
      }
      given.push_back(g);
    }
    return given;
  }

 private:
  Given longForm(const std::string& text) {
    const size_t eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const OptionRow* row = longOption(name);
    if (row == nullptr) throw UsageError("unknown option '--" + name + "'");
    if (row->value == nullptr || row->flagValue != nullptr) {
      if (eq != std::string::npos) throw UsageError("option " + spelled(*row) + " takes no value");
      return Given{row, row->flagValue != nullptr ? row->flagValue : ""};
    }
    if (eq != std::string::npos) return Given{row, text.substr(eq + 1)};
    return Given{row, nextValue(*row)};
  }

  Given shortForm(const std::string& arg) {
    const OptionRow* row = shortOption(arg[1]);
    if (row == nullptr) throw UsageError("unknown option '" + arg.substr(0, 2) + "'");
    if (row->value == nullptr || row->flagValue != nullptr) {
      if (arg.size() > 2) throw UsageError("option -" + std::string(1, arg[1]) + " takes no value");
      return Given{row, row->flagValue != nullptr ? row->flagValue : ""};
    }
    if (arg.size() > 2) return Given{row, arg.substr(2)};
    return Given{row, nextValue(*row)};
  }

  std::string nextValue(const OptionRow& row) {
    if (m_at + 1 >= m_args.size()) throw UsageError("option " + spelled(row) + " needs a value (" + row.value + ")");
    return m_args[++m_at];
  }

  const std::vector<std::string>& m_args;
  size_t m_at = 0;
};

// The value of the INPUT row `name`, given once; empty when not given.
std::string inputValue(const std::vector<Given>& given, const char* name) {
  std::string value;
  for (const Given& g : given)
    if (std::string(g.row->name) == name) value = g.value;
  return value;
}

// Every value checked by its row, the species count first (an orientation tree needs it).
void checkValues(const std::vector<Given>& given, const std::string& species) {
  RunParams scratch;
  long long count = 0;
  if (!parseInteger(species, &count) || count < 2 || count > static_cast<long long>(MAX_SPECIES))
    throw UsageError("option --species: '" + species + "': expected a whole number in 2..10");
  scratch.species_num = static_cast<uint>(count);
  Console quiet(Console::BUFFER);
  for (const Given& g : given) {
    if (g.row->set == nullptr) continue;
    if (std::string(g.row->name) == "seed-spans" || std::string(g.row->name) == "expansion-spans")
      checkShape(*g.row, g.value);
    try {
      g.row->set(&scratch, g.value, quiet.out());
    } catch (const BadOptionValue& bad) {
      throw UsageError("option " + spelled(*g.row) + ": '" + g.value + "': " + bad.reason);
    }
  }
}

// A classic message names the classic flags; this grammar's user knows the long names.
std::string inModernTerms(std::string message) {
  for (const OptionRow& row : optionTable()) {
    if (row.classic == nullptr) continue;
    const std::string classic = std::string("'") + row.classic, modern = std::string("'--") + row.name;
    for (size_t at = message.find(classic); at != std::string::npos; at = message.find(classic, at + modern.size())) {
      const size_t end = at + classic.size();
      if (end < message.size() && message[end] != '\'' && message[end] != ' ') continue;
      message.replace(at, classic.size(), modern);
    }
  }
  return message;
}

}  // namespace

std::string oneLine(const std::string& message) {
  std::string line;
  for (size_t start = 0; start < message.size();) {
    size_t end = message.find('\n', start);
    if (end == std::string::npos) end = message.size();
    std::string part = message.substr(start, end - start);
    if (part.compare(0, 7, "ERROR: ") == 0) part = part.substr(7);
    if (!part.empty()) line += (line.empty() ? "" : " ") + part;
    start = end + 1;
  }
  return line;
}

ModernCommandLine parseModernCommandLine(const std::vector<std::string>& args) {
  ModernCommandLine out;
  const std::vector<Given> given = Parser(args).run(&out.verbose);
  const std::string species = inputValue(given, "species"), input = inputValue(given, "input");
  if (species.empty() || input.empty()) throw UsageError("search needs --species N and --input PREFIX");
  std::string output = inputValue(given, "output");
  if (output.empty()) output = RunParams().out_prefix;
  checkValues(given, species);
  out.classic = {species, input, output};
  for (const Given& g : given) {
    if (g.row->scope == OptionScope::INPUT) continue;
    out.classic.push_back(g.row->classic);
    out.classic.push_back(g.value);
  }
  // What only the whole command line tells (a stage without its shard, oriented
  // spans without a tree), by the classic grammar's own rules.
  std::vector<std::string> argv = {"trellis2"};
  argv.insert(argv.end(), out.classic.begin(), out.classic.end());
  std::vector<char*> pointers;
  for (std::string& a : argv) pointers.push_back(&a[0]);
  RunParams scratch;
  Console quiet(Console::BUFFER);
  try {
    parseCommandLine(static_cast<uint>(pointers.size()), pointers.data(), &scratch, quiet.out());
    printParameters(scratch, quiet.out());
  } catch (const Error& e) {
    throw UsageError(inModernTerms(oneLine(e.what())));
  }
  return out;
}
