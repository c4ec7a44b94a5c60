// Black-box runs on inputs shaped like today's proteomes: hub proteins that
// interact with most of their species, and networks beyond 65535 proteins.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "network/netbuilder.h"
#include "network/network.h"
#include "test_util.h"

namespace {

using testutil::readFile;
using testutil::RunResult;
using testutil::runSynth;
using testutil::runTrellis;
using testutil::TempDir;

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::vector<std::string> filesIn(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] != '.') names.push_back(dir + "/" + e->d_name);
    }
    closedir(d);
  }
  return names;
}

std::vector<std::string> split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::stringstream ss(text);
  std::string part;
  while (std::getline(ss, part, sep)) parts.push_back(part);
  return parts;
}

// The count printed in the hub warning of species s, or -1 without one.
long long hubWarningCount(const std::string& console, unsigned s) {
  const std::string head = " WARNING: species " + std::to_string(s) + ": ";
  const size_t at = console.find(head);
  if (at == std::string::npos) return -1;
  return std::atoll(console.c_str() + at + head.size());
}

class HubNetworks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(runSynth({"--species", "3", "--proteins", "1000", "--hubs", "3", "--seed", "2", "--out",
                        dir.file("hub")}),
              0);
  }
  TempDir dir;
};

TEST_F(HubNetworks, RunToTheEndWithOneWarningPerSpecies) {
  const RunResult r = runTrellis({"3", dir.file("hub"), dir.file("out")});
  EXPECT_EQ(r.status, 0) << r.output.substr(r.output.size() > 3000 ? r.output.size() - 3000 : 0);
  EXPECT_TRUE(contains(r.output, "--= FINISHED =--"));
  EXPECT_FALSE(contains(r.output, "Illegal model configuration"));
  EXPECT_FALSE(filesIn(dir.file("out/alignments")).empty());

  // The printed counts are the pairs whose missing interaction scores 0,
  // counted here pair by pair; every interaction between two hubs keeps its
  // negative score.
  Network net(3);
  NetworkBuiler builder(&net, 1e-7, 0);
  testutil::captureStdout([&] { builder.readNetwork(dir.file("hub")); });
  const weight_t tf[] = {2.0, 2.0, 2.0};
  testutil::captureStdout([&] { net.finalize(0.8, tf); });
  for (byte s = 0; s < 3; ++s) {
    const std::vector<Node*>& layer = net.layer(s);
    long long capped = 0;
    for (size_t i = 0; i < layer.size(); ++i) {
      for (size_t j = i + 1; j < layer.size(); ++j) capped += net.scoreNonEdge(layer[i], layer[j]) == 0.0;
    }
    EXPECT_GT(capped, 0);
    EXPECT_EQ(hubWarningCount(r.output, s), capped) << "species " << int(s);
    int hubEdges = 0;
    for (const Node* n : layer) {
      if (n->getD1().size() < 500) continue;
      for (const edge_t& e : n->getD1()) {
        if (e.node->getD1().size() < 500) continue;
        EXPECT_LT(e.score, 0) << n->name() << " " << e.node->name();
        ++hubEdges;
      }
    }
    EXPECT_GT(hubEdges, 0) << "species " << int(s);
  }
}

TEST(UndefinedPairScore, StillStopsTheRun) {
  // A confidence of 1 is stored just above 1, so with a tiny beta the complex
  // model gives the interaction a negative probability.
  TempDir dir;
  testutil::writeFile(dir.file("in_int-0.txt"), "a b 1\nb c 0.5\nc d 0.5\n");
  testutil::writeFile(dir.file("in_int-1.txt"), "e f 0.5\nf g 0.5\ng h 0.5\n");
  testutil::writeFile(dir.file("in_blast.txt"), "a e 1e-20\n");
  const RunResult r = runTrellis({"2", dir.file("in"), dir.file("out"), "-B:", "1e-15"});
  EXPECT_EQ(r.status, 253);
  EXPECT_TRUE(contains(r.output, "Illegal model configuration detected. Pair score of a and b is undefined"))
      << r.output;
}

// Every aligned node must be held together by similarity links of the input.
void expectAlignedNodesLinked(const std::string& blastFile, const std::string& alignDir) {
  std::map<std::string, std::set<std::string>> links;
  for (const std::string& line : split(readFile(blastFile), '\n')) {
    if (line.empty() || line[0] == '#') continue;
    std::stringstream ss(line);
    std::string a, b;
    double e = 1;
    ss >> a >> b >> e;
    if (e > 1e-7) continue;
    links[a].insert(b);
    links[b].insert(a);
  }
  const std::vector<std::string> files = filesIn(alignDir);
  ASSERT_FALSE(files.empty());
  for (const std::string& f : files) {
    for (const std::string& line : split(readFile(f), '\n')) {
      if (line.empty() || line[0] == '#') continue;
      const std::vector<std::string> proteins = split(line, ',');
      std::set<std::string> reached{proteins[0]};
      for (bool grew = true; grew;) {
        grew = false;
        for (const std::string& p : proteins) {
          if (reached.count(p)) continue;
          for (const std::string& q : links[p]) {
            if (reached.count(q)) {
              reached.insert(p);
              grew = true;
              break;
            }
          }
        }
      }
      EXPECT_EQ(reached.size(), proteins.size()) << f << ": " << line;
    }
  }
}

TEST(BeyondTheOldLimits, TwoSpeciesOf9000Proteins) {
  TempDir dir;
  ASSERT_EQ(runSynth({"--species", "2", "--proteins", "9000", "--complexes", "20", "--families", "0.02",
                      "--spurious", "0.01", "--seed", "5", "--out", dir.file("in")}),
            0);
  const RunResult r = runTrellis({"2", dir.file("in"), dir.file("out")});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(contains(r.output, " Specie 1 net: 9000 proteins")) << r.output.substr(0, 3000);
  EXPECT_TRUE(contains(r.output, "--= FINISHED =--"));
  expectAlignedNodesLinked(dir.file("in_blast.txt"), dir.file("out/alignments"));
}

TEST(BeyondTheOldLimits, TenSpeciesOf7000ProteinsWithOrientedSpans) {
  TempDir dir;
  ASSERT_EQ(runSynth({"--species", "10", "--proteins", "7000", "--complexes", "20", "--families", "0.01",
                      "--spurious", "0.01", "--seed", "5", "--out", dir.file("in")}),
            0);
  const RunResult r = runTrellis({"10", dir.file("in"), dir.file("out"), "-S:", "o", "-E:", "o",
                                  "--orient:", "(0,(1,(2,(3,(4,(5,(6,(7,(8,(9))))))))))"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(contains(r.output, " Total: 70000 proteins")) << r.output.substr(0, 3000);
  EXPECT_TRUE(contains(r.output, "--= FINISHED =--"));
  expectAlignedNodesLinked(dir.file("in_blast.txt"), dir.file("out/alignments"));
  // The last species holds ids above 65535: its proteins must be found too.
  bool lastSpeciesFound = false;
  for (const std::string& f : filesIn(dir.file("out/species_9")))
    lastSpeciesFound |= split(readFile(f), '\n').size() > 1;
  EXPECT_TRUE(lastSpeciesFound);
}

}  // namespace
