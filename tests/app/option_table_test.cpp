// The option table behind both grammars: --help, the man page and the
// README describe what the program parses, and the two grammars set the same
// run parameters for every option.
#include "app/option_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/modern_command_line.h"
#include "app/option_docs.h"
#include "common/console.h"
#include "common/error.h"
#include "test_util.h"

namespace {

// A valid value other than the default, for each option that takes one.
std::string otherValue(const OptionRow& row) {
  const std::string name = row.name;
  if (name == "seed-spans" || name == "expansion-spans") return "path";
  if (name == "orientation") return "(0,(2,(1)))";
  if (name == "max-evalue") return "1e-5";
  if (name == "beta") return "0.65";
  if (name == "seed-distance") return "1";
  if (name == "stage") return "grow";
  if (name == "shard") return "2/3";
  if (name == "species-names") return "yeast,fly,S. human";
  if (name == "max-size") return "9";
  if (name == "preset") return "interactome";
  return "3";
}

// Everything a grammar sets, as text.
std::string described(const RunParams& p) {
  std::string text = resultOptions(p) + "|" + p.in_prefix + "|" + p.out_prefix;
  for (const auto& entry : parameterList(p)) text += "|" + entry.first + "=" + entry.second;
  text += "|" + std::to_string(p.THREADS) + "|" + std::to_string(static_cast<int>(p.STAGE)) + "|" +
          std::to_string(p.SHARD_INDEX) + "/" + std::to_string(p.SHARD_COUNT) + "|" +
          std::to_string(p.WRITE_REPORT) + "|" + std::to_string(p.ORIENTATION_TREES.size());
  return text;
}

RunParams classicParams(std::vector<std::string> args) {
  args.insert(args.begin(), "trellis2");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  RunParams params;
  Console quiet(Console::BUFFER);
  parseCommandLine(static_cast<uint>(argv.size()), argv.data(), &params, quiet.out());
  return params;
}

TEST(OptionTableTest, BothGrammarsSetTheSameParametersForEveryOption) {
  const std::vector<std::string> base = {"-k", "3", "-i", "data/in", "-o", "run"};
  for (const OptionRow& row : optionTable()) {
    if (row.scope == OptionScope::INPUT || row.scope == OptionScope::MODERN) continue;
    std::vector<std::string> modern = base;
    const bool flag = row.flagValue != nullptr;
    modern.push_back(std::string("--") + row.name);
    if (!flag) modern.push_back(otherValue(row));
    // A shard needs a stage that takes one, oriented spans a tree, the noise re-check the random pass.
    const std::string name = row.name;
    if (name == "shard") modern.insert(modern.end(), {"--stage", "seeds"});
    if (name == "stage") modern.insert(modern.end(), {"--shard", "1/2"});
    if (name == "final-noise-filter") modern.push_back("--pval-filter");
    const ModernCommandLine parsed = parseModernCommandLine(modern);
    std::vector<std::string> classic = {"3", "data/in", "run", row.classic, flag ? row.flagValue : otherValue(row)};
    if (name == "shard") classic.insert(classic.end(), {"--stage", "seeds"});
    if (name == "stage") classic.insert(classic.end(), {"--shard", "1/2"});
    if (name == "final-noise-filter") classic.insert(classic.end(), {"--pval-filter", "1"});
    const std::string want = described(classicParams(classic));
    EXPECT_EQ(described(classicParams(parsed.classic)), want) << row.name;
    EXPECT_NE(want, described(classicParams({"3", "data/in", "run"}))) << row.name << " changes nothing";
  }
}

TEST(OptionTableTest, ShortAndLongFormsAndInlineValues) {
  const auto classicOf = [](const std::vector<std::string>& args) { return parseModernCommandLine(args).classic; };
  const std::vector<std::string> want = {"3", "in", "out", "--threads:", "2", "-B:", "0.5"};
  EXPECT_EQ(classicOf({"-k", "3", "-i", "in", "-o", "out", "-t", "2", "--beta", "0.5"}), want);
  EXPECT_EQ(classicOf({"-k3", "-iin", "-oout", "-t2", "--beta=0.5", "--"}), want);
  EXPECT_EQ(classicOf({"--species=3", "--input", "in", "--output=out", "--threads=2", "--beta", "0.5"}), want);
  EXPECT_EQ(classicOf({"-k", "3", "-i", "in"}).at(2), "./out");
  EXPECT_TRUE(parseModernCommandLine({"-k", "2", "-i", "in", "--verbose"}).verbose);
}

TEST(OptionTableTest, EveryMistakeIsRefusedWithOneLine) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-k", "3", "-i", "in", "--bogus"}, "unknown option '--bogus'"},
      {{"-k", "3", "-i", "in", "-x"}, "unknown option '-x'"},
      {{"-k", "3", "-i", "in", "--beta"}, "option --beta needs a value (X)"},
      {{"-k", "3", "-i", "in", "--beta", "1.5"}, "option --beta: '1.5': expected a number in (0, 1]"},
      {{"-k", "3", "-i", "in", "--max-size", "3"}, "option --max-size: '3': expected a whole number in 4..100"},
      {{"-k", "3", "-i", "in", "--seed-spans", "trees"}, "option --seed-spans: 'trees': expected tree, oriented or path"},
      {{"-k", "3", "-i", "in", "--pval-filter=1"}, "option --pval-filter takes no value"},
      {{"-k", "3", "-i", "in", "out"}, "unexpected argument 'out'"},
      {{"-k", "3", "-i", "in", "--", "out"}, "unexpected argument 'out'"},
      {{"-k", "3"}, "search needs --species N and --input PREFIX"},
      {{"-k", "1", "-i", "in"}, "option --species: '1': expected a whole number in 2..10"},
      {{"-k", "3", "-i", "in", "--species-names", "a,b"}, "option --species-names: 'a,b': expected 3 names"},
      {{"-k", "3", "-i", "in", "--orientation", "(0,(1))"},
       "option --orientation: '(0,(1))': the tree must hold species 0..2 once each"},
      {{"-k", "3", "-i", "in", "--seed-spans", "oriented"},
       "orientation tree wasn't provided. Use '--orientation' option to fix this"},
      {{"-k", "3", "-i", "in", "--stage", "grow"}, "'--stage seeds', 'grow' and 'refine' need '--shard I/N'"},
  };
  for (const auto& c : cases) {
    try {
      parseModernCommandLine(c.first);
      ADD_FAILURE() << "accepted: " << c.second;
    } catch (const UsageError& e) {
      EXPECT_EQ(e.what(), c.second);
    }
  }
}

// The README's table is the one the program makes; --help and the man page name every option.
TEST(OptionTableTest, DescriptionsComeFromTheTable) {
  const std::string readme = testutil::readFile(std::string(TEST_DATA_DIR) + "/../../README.md");
  const std::string begin = "<!-- option table -->\n", end = "<!-- /option table -->";
  const size_t from = readme.find(begin), to = readme.find(end);
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  EXPECT_EQ(readme.substr(from + begin.size(), to - from - begin.size()), markdownOptions())
      << "the README's option table, as the program makes it:\n"
      << markdownOptions();
  const std::string help = helpText(), man = manPage("head\n@OPTIONS@\ntail\n");
  EXPECT_EQ(man.rfind("head\n.TP\n", 0), 0u);
  for (const OptionRow& row : optionTable()) {
    EXPECT_NE(help.find(std::string("--") + row.name), std::string::npos) << row.name;
    std::string roffName = "\\-\\-";
    for (char c : std::string(row.name)) roffName += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(man.find(roffName), std::string::npos) << row.name;
    if (row.classic != nullptr) {
      EXPECT_NE(help.find(std::string("(classic: ") + row.classic), std::string::npos) << row.name;
    }
  }
}

}  // namespace
