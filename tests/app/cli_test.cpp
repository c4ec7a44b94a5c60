#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/trellis2.h"
#include "test_util.h"

namespace {

using testutil::normalizeConsole;
using testutil::RunResult;
using testutil::runTrellis;
using testutil::TempDir;

const std::string BANNER = "-- TRELLIS (TRM) --\n-- Software version: 4.2, build: STAMP;\n----\n\n";
const std::string RULE(60, '-');

std::string cmdLine(const std::vector<std::string>& args) {
  std::string s = "Cmd line: [";
  for (const std::string& a : args) s += a + " ";
  return s + "]\n";
}

RunResult run(const std::vector<std::string>& args, const TempDir& dir) {
  RunResult r = runTrellis(args, dir.path());
  r.output = normalizeConsole(r.output);
  return r;
}

// The parameter lines from "Start parameters" to the refinement line.
std::string paramsHead(const std::string& in, const std::string& out, uint species, const char* beta = "0.80",
                       const char* blast = "1e-07", const char* homs = "Unlimited", uint dups = 2,
                       const char* pval = "Disabled", uint dn = 2, uint refine = 5) {
  char buf[1024];
  std::snprintf(
      buf, sizeof buf,
      "Start parameters\nSpecies num: %u\nFiles paths: in:%s, out:%s\nBeta (complexes density): %s\n"
      "Blast threshold: %s\nMax Allowed Homologs per node (best survives): %s\n"
      "Complexes nodes duplication treshold %u\nComplexes max overlap allowed: 50%%\n"
      "Random alignment p-values guided growth control: %s\nSeed nodes max distance: D%u\n"
      "Complexes refinment iterations: %u\n",
      species, in.c_str(), out.c_str(), beta, blast, homs, dups, pval, dn, refine);
  return buf;
}

std::string typesTail(const char* seeds, const char* expansion) {
  return std::string("Seeds alignment nodes v-conectivity type: ") + seeds +
         "\nExpansion alignment nodes v-conectivity type: " + expansion +
         "\n\nInitializing pseudo-random generator to 2345\n";
}

const std::string RELAXED = "RELAXED homology trees orientation mode\n";

// Start-up ends where the reading phase begins; these tests give no input
// files, so every run that gets past start-up stops there with status 255.
constexpr int NO_INPUT_STATUS = 255;
std::string noInput(const std::string& prefix) {
  return "Reading data network..\n Reading PPI data:\t" + prefix +
         "_int-0.txt\nERROR: Can't open file: " + prefix + "_int-0.txt\n";
}

TEST(CliTest, UsageTextOnTooFewArguments) {
  TempDir dir;
  const std::string usage =
      "***************************\nERROR: Illegal command line\n***************************\n"
      "Usage: trellis2 <species num> <in prefix> [out prefix] [-S: t|o] [-E: t|o] [--orient: ...] [-H: x] "
      "[-DUP: x] [-D: x>] [-R: x>] [-B: x] \n\n"
      "Where:\n<species num> - Number of aligned species\n"
      "<in prefix>   - Location prefix for input files,\n"
      " where <prefix>_int-{0,1,2,...}.txt are species PPI interactions files,\n"
      "       <prefix>_blast.txt is a proteins pairwise BLAST data file (for proteins of all species)\n"
      "-S: x - Seeds spans configuration: t == relaxed order, o == restricted order\n"
      "-E: x - Expansion spans configuration: t == relaxed order, o == restricted order\n"
      "--orient: x - Specifies restricted spans orientation when '-S: o' or '-E: o' are used. Syntax "
      "examples: (0,(2,(1))), (0,(1),(2),(3))\n"
      "-H: x - BLAST threshold\n\n*** Typical usage ***\n"
      "./trellis2 3 ydc/in out\n: Run TRM for 3 species,\n"
      "  get input from ydc/in_int-{0,1,2}.txt and ydc/in_blast.txt,\n  create output files in out/*.\n"
      "  Use relaxed orientation of seeds/expansions spines, by default\n\n"
      "./trellis2 3 ydc/in out -S: o -E: o --orient: '(0,(2,(1)))'\n: Run TRM for 3 species,\n"
      "  get input from ydc/in_int-{0,1,2}.txt and ydc/in_blast.txt,\n  create output files in out/*.\n"
      "  Use restricted orientation: (0,(2,(1))) for seeds and expansion spines\n";
  for (const std::vector<std::string>& args : {std::vector<std::string>{}, std::vector<std::string>{"3"}}) {
    RunResult r = run(args, dir);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.output, BANNER + cmdLine(args) + usage);
  }
  EXPECT_FALSE(testutil::fileExists(dir.file("out")));
}

// --help prints the usage text of a bad command line without its error banner, --version the
// version of the console banner; both exit 0 and make no output directory.
TEST(CliTest, HelpAndVersion) {
  TempDir dir;
  const std::string errorBanner =
      BANNER + cmdLine({}) +
      "***************************\nERROR: Illegal command line\n***************************\n";
  const std::string usageError = run({}, dir).output;
  ASSERT_EQ(usageError.rfind(errorBanner, 0), 0u);
  // --help describes both grammars and every option (app/option_table_test.cpp holds it to the table).
  RunResult help = run({"--help"}, dir);
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.output.rfind("Usage: trellis2 search -k N -i PREFIX [-o DIR] [options]\n", 0), 0u);
  RunResult version = run({"--version"}, dir);
  EXPECT_EQ(version.status, 0);
  EXPECT_FALSE(testutil::fileExists(dir.file("out")));

  const std::string banner = runTrellis({"2", "in"}, dir.path()).output;
  const std::string versionTag = "-- Software version: ";
  const size_t start = banner.find(versionTag) + versionTag.size();
  EXPECT_EQ(version.output, "trellis2 " + banner.substr(start, banner.find(',', start) - start) + "\n");
}

TEST(CliTest, SpeciesNumberOutOfRange) {
  TempDir dir;
  struct Case {
    const char* arg;
    const char* shown;
  } cases[] = {{"1", "1"},
               {"11", "11"},
               {"abc", "0"},
               {"-1", "4294967295"},
               {"4294967298", "4294967298"},
               {"99999999999999999999999", "9223372036854775807"}};
  for (const Case& c : cases) {
    RunResult r = run({c.arg, "in"}, dir);
    EXPECT_EQ(r.status, 255) << c.arg;
    EXPECT_EQ(r.output, BANNER + cmdLine({c.arg, "in"}) + "ERROR: Illegal species number: " + c.shown +
                            "\nValid range: 2..10\n")
        << c.arg;
  }
  EXPECT_FALSE(testutil::fileExists(dir.file("out")));
}

TEST(CliTest, DefaultsAndOutputDirectory) {
  TempDir dir;
  RunResult r = run({"2", "data/in"}, dir);
  EXPECT_EQ(r.status, NO_INPUT_STATUS);
  EXPECT_EQ(r.output, BANNER + cmdLine({"2", "data/in"}) + paramsHead("data/in", "./out", 2) + RELAXED +
                          typesTail("Tree", "Tree") + noInput("data/in"));
  EXPECT_TRUE(testutil::fileExists(dir.file("out")));
  // An existing output directory is fine.
  EXPECT_EQ(run({"10", "in"}, dir).status, NO_INPUT_STATUS);
}

TEST(CliTest, EveryOptionSet) {
  TempDir dir;
  std::vector<std::string> args = {
      "3",  "in",  "res",   "-S:",        "Paths", "-E:",       "tree", "--pval-filter",
      "no", "-B:", "0.5",   "-R:",        "0",     "-D:",       "1",    "-DUP:",
      "3",  "-H:", "1e-10", "--maxhoms:", "4",     "--report:", "0",    "--threads:",
      "3"};
  RunResult r = run(args, dir);
  EXPECT_EQ(r.status, NO_INPUT_STATUS);
  EXPECT_EQ(r.output, BANNER + cmdLine(args) +
                          paramsHead("in", "res", 3, "0.50", "1e-10", "4", 3, "Enabled", 1, 0) + RELAXED +
                          typesTail("Path", "Tree") + noInput("in"));
  EXPECT_TRUE(testutil::fileExists(dir.file("res")));
}

TEST(CliTest, LaterOptionsOverrideAndLeftoversAreIgnored) {
  TempDir dir;
  RunResult r =
      run({"2", "in", "o", "-R:", "3", "--maxhoms:", "0", "-R:", "7", "--pval-filter", "0", "-R:"}, dir);
  EXPECT_EQ(r.status, NO_INPUT_STATUS);
  EXPECT_NE(r.output.find("Complexes refinment iterations: 7\n"), std::string::npos);
  EXPECT_NE(r.output.find("(best survives): Unlimited\n"), std::string::npos);
  EXPECT_NE(r.output.find("growth control: Enabled\n"), std::string::npos);

  // Options start after the output directory: an option there is refused
  // before anything is read or made, not taken for a directory.
  for (const char* early : {"-S:", "-o", "--pval-filter"}) {
    r = run({"3", "in", early, "o"}, dir);
    EXPECT_EQ(r.status, 255);
    EXPECT_NE(r.output.find(std::string("ERROR: Output directory '") + early + "' begins with '-'"),
              std::string::npos)
        << r.output;
    EXPECT_EQ(r.output.find("Reading data network"), std::string::npos);
    EXPECT_FALSE(testutil::fileExists(dir.file(early)));
  }
}

TEST(CliTest, SpanTypeValues) {
  TempDir dir;
  struct Case {
    const char* value;
    const char* name;
  } cases[] = {{"Path", "Path"}, {"p", "Path"},  {"PATHS", "Path"},
               {"t", "Tree"},    {"Tx", "Tree"}, {"T", "Tree"}};
  for (const Case& c : cases) {
    RunResult r = run({"2", "in", "o", "-S:", c.value, "-E:", c.value}, dir);
    EXPECT_EQ(r.status, NO_INPUT_STATUS) << c.value;
    EXPECT_NE(r.output.find(typesTail(c.name, c.name)), std::string::npos) << c.value;
  }
}

TEST(CliTest, OptionErrors) {
  struct Case {
    std::string opt, value, message;
  } cases[] = {
      {"-X:", "1", "ERROR: Illegal option/flag: -X:"},
      {"-s:", "t", "ERROR: Illegal option/flag: -s:"},
      {"-S:", "x", "Illegal -S option value (Can be Tree/Path/Oriented): x"},
      {"-E:", "", "Illegal -E option value (Can be Tree/Path/Oriented): "},
      {"-D:", "0", "ERROR: Illegal value for option 'D:' (0), should be 1..2"},
      {"-D:", "3", "ERROR: Illegal value for option 'D:' (3), should be 1..2"},
      {"-D:", "4294967297", "ERROR: Illegal value for option 'D:' (4294967297), should be 1..2"},
      {"-D:", "1x", "ERROR: Illegal value for option 'D:' (1x), should be 1..2"},
      {"-B:", "0", "ERROR: Illegal value for option '-B:' (0)"},
      {"-B:", "1.5", "ERROR: Illegal value for option '-B:' (1.5)"},
      {"-B:", "abc", "ERROR: Illegal value for option '-B:' (abc)"},
      {"-B:", "nan", "ERROR: Illegal value for option '-B:' (nan)"},
      {"-R:", "-1", "ERROR: Illegal value for option '-R:' (-1)"},
      {"-R:", "5x", "ERROR: Illegal value for option '-R:' (5x)"},
      {"-R:", "", "ERROR: Illegal value for option '-R:' ()"},
      {"-R:", "4294967296", "ERROR: Illegal value for option '-R:' (4294967296)"},
      {"-DUP:", "1.5", "ERROR: Illegal value for option '-DUP:' (1.5)"},
      {"-H:", "-1", "ERROR: Illegal value for option '-H:' (-1)"},
      {"-H:", "inf", "ERROR: Illegal value for option '-H:' (inf)"},
      {"--maxhoms:", "x", "ERROR: Illegal value for option '--maxhoms:' (x)"},
      {"--report:", "x", "ERROR: Illegal value for option '--report:' (x)"},
      {"--report:", "2", "ERROR: Illegal value for option '--report:' (2)"},
      {"--report:", "-1", "ERROR: Illegal value for option '--report:' (-1)"},
      {"--threads:", "0", "ERROR: Illegal value for option '--threads:' (0)"},
      {"--threads:", "2x", "ERROR: Illegal value for option '--threads:' (2x)"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    std::vector<std::string> args = {"2", "in", "o", "-R:", "1", c.opt, c.value};
    RunResult r = run(args, dir);
    EXPECT_EQ(r.status, 255) << c.opt << " " << c.value;
    EXPECT_EQ(r.output, BANNER + cmdLine(args) + c.message + "\n") << c.opt << " " << c.value;
    EXPECT_FALSE(testutil::fileExists(dir.file("o")));
  }
}

TEST(CliTest, OrientationBlocks) {
  TempDir dir;
  RunResult r = run({"3", "in", "o", "-S:", "o", "--orient:", "(0,(2,(1)))"}, dir);
  EXPECT_EQ(r.status, NO_INPUT_STATUS);
  EXPECT_EQ(r.output, BANNER + cmdLine({"3", "in", "o", "-S:", "o", "--orient:", "(0,(2,(1)))"}) +
                          paramsHead("in", "o", 3) + RULE +
                          "\nRESTRICTED homology trees orientation mode: (0,(2,(1)))\n"
                          "[At s:0]\n+ (0)<06>\n`-+ (2)<02>\n  `-- (1)<00>\n"
                          "[At s:1]\n+ (1)<05>\n`-+ (2)<01>\n  `-- (0)<00>\n"
                          "[At s:2]\n+ (2)<03>\n+-- (0)<00>\n`-- (1)<00>\n" +
                          RULE + "\n" + typesTail("Restricted Orientation", "Tree") + noInput("in"));

  r = run({"4", "in", "o", "--orient:", "(0,(1),(2),(3))", "-E:", "O"}, dir);
  EXPECT_EQ(r.status, NO_INPUT_STATUS);
  EXPECT_NE(r.output.find(RULE +
                          "\nRESTRICTED homology trees orientation mode: (0,(1),(2),(3))\n"
                          "[At s:0]\n+ (0)<0E>\n+-- (1)<00>\n+-- (2)<00>\n`-- (3)<00>\n"
                          "[At s:1]\n+ (1)<0D>\n`-+ (0)<0C>\n  +-- (2)<00>\n  `-- (3)<00>\n"
                          "[At s:2]\n+ (2)<0B>\n`-+ (0)<0A>\n  +-- (3)<00>\n  `-- (1)<00>\n"
                          "[At s:3]\n+ (3)<07>\n`-+ (0)<06>\n  +-- (1)<00>\n  `-- (2)<00>\n" +
                          RULE + "\n" + typesTail("Tree", "Restricted Orientation")),
            std::string::npos);

  // Trees are built with relaxed spans too, but only restricted spans print them.
  r = run({"2", "in", "o", "--orient:", "(1,(0))"}, dir);
  EXPECT_EQ(r.status, NO_INPUT_STATUS);
  EXPECT_NE(r.output.find(RELAXED), std::string::npos);
  EXPECT_EQ(r.output.find("RESTRICTED"), std::string::npos);
}

TEST(CliTest, OrientationErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string tail;
  } cases[] = {
      {{"2", "in", "o", "--orient:", "(0,(1),(1))"},
       "ERROR: duplicate node id detected: 1\nERROR: Failed parsing tree description string\n"
       "ERROR: Error parsing orientation string: (0,(1),(1))\n"},
      {{"2", "in", "o", "--orient:", "(256,(1))"},
       "ERROR: Illegal specie id: (256,(1))[1..8]\nERROR: Failed parsing tree description string\n"
       "ERROR: Error parsing orientation string: (256,(1))\n"},
      {{"3", "in", "o", "--orient:", "(0,(1))"}, "ERROR: Orientation tree must contain 3 species: (0,(1))\n"},
      {{"2", "in", "o", "--orient:", "(0,(2))"}, "ERROR: Orientation tree must contain 2 species: (0,(2))\n"},
      {{"2", "in", "o", "-S:", "t", "-E:", "o"},
       paramsHead("in", "o", 2) +
           "ERROR: orientation tree wasn't provided.\nUse '--orient:' option to fix this\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    RunResult r = run(c.args, dir);
    EXPECT_EQ(r.status, 255) << c.args.back();
    EXPECT_EQ(r.output, BANNER + cmdLine(c.args) + c.tail) << c.args.back();
    EXPECT_FALSE(testutil::fileExists(dir.file("o")));
  }
}

// In-process checks of what the printout does not show.
TEST(RunParamsTest, DefaultsAndTreesHandedToTheSearch) {
  RunParams params;
  for (weight_t p : params.p_true) EXPECT_EQ(p, 2.0);
  EXPECT_EQ(params.SEEDS_MAX_ALLOWED_OVERLAP, 0.66);
  EXPECT_EQ(params.OVERLAP_THRESHOLD, 0.5);
  EXPECT_TRUE(params.WRITE_REPORT);

  // A repeated "--orient:" replaces the trees of the earlier one.
  std::vector<std::string> args = {"trellis2",  "3",           "in",        "o",
                                   "--orient:", "(0,(1),(2))", "--orient:", "(2,(1),(0))"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  parseCommandLine(static_cast<uint>(argv.size()), argv.data(), &params, stdout);
  ASSERT_EQ(params.ORIENTATION_TREES.size(), 3u);
  EXPECT_EQ(params.orientation_str, "(2,(1),(0))");
  for (uint s = 0; s < 3; ++s) {
    const VNode* root = params.ORIENTATION_TREES[s]->root();
    EXPECT_EQ(root->m_s, s);
    EXPECT_EQ(root->mask() | (1u << s), 7u);
  }
  // The trees are independent copies.
  EXPECT_NE(params.ORIENTATION_TREES[0]->root(), params.ORIENTATION_TREES[1]->root()->children()[0]);
}

}  // namespace

namespace {

TEST(NewHandlerDeathTest, ReportsAndAborts) {
  EXPECT_DEATH(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        newhandler();
      },
      "ERROR: new\\(\\) out of memory");
}

}  // namespace
