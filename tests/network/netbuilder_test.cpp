#include "network/netbuilder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "test_util.h"

using testutil::captureStdout;
using testutil::TempDir;
using testutil::writeFile;

namespace {

const char* const PPI_WARNING = " WARNING: SKIPPING illegal interactions line: ";
const char* const BLAST_INFO = " INFO: SKIPPING illegal homologs line: ";

class NetBuilderTest : public ::testing::Test {
 protected:
  NetBuilderTest() : m_net(2), m_builder(&m_net, 1e-07, 0) {}

  std::string readPPI(byte species, const std::string& text) {
    std::string path = m_dir.file("int-" + std::to_string(species) + ".txt");
    writeFile(path, text);
    return captureStdout([&] { m_builder.readPPIdata(species, path); });
  }

  std::string readBLAST(const std::string& text, NetworkBuiler* builder = nullptr) {
    std::string path = m_dir.file("blast.txt");
    writeFile(path, text);
    NetworkBuiler* b = builder ? builder : &m_builder;
    return captureStdout([&] { b->readBLASTdata(path); });
  }

  Node* node(const char* name) const { return m_net.getNodeByName(name); }

  std::vector<std::string> layerNames(byte spec) const {
    std::vector<std::string> names;
    for (const Node* n : m_net.layer(spec)) names.push_back(n->m_name);
    return names;
  }

  TempDir m_dir;
  Network m_net;
  NetworkBuiler m_builder;
};

TEST_F(NetBuilderTest, InteractionsCreateNodesInOrderAndBothDirections) {
  EXPECT_EQ(readPPI(0, "A B 0.25\nC A 0.75\n"), "");
  EXPECT_EQ(layerNames(0), (std::vector<std::string>{"A", "B", "C"}));
  const edges_list_t& a = node("A")->getD1();
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].node, node("B"));
  EXPECT_DOUBLE_EQ(a[0].weight, 0.25 + 1e-12);
  EXPECT_EQ(a[1].node, node("C"));
  EXPECT_DOUBLE_EQ(a[1].weight, 0.75 + 2e-12);
  ASSERT_EQ(node("C")->getD1().size(), 1u);
  EXPECT_EQ(node("C")->getD1()[0].weight, a[1].weight);
}

TEST_F(NetBuilderTest, DuplicateInteractionLinesAreBothKeptWithIncreasingWeights) {
  readPPI(0, "A B 0.5\nA B 0.5\n");
  for (const char* name : {"A", "B"}) {
    const edges_list_t& edges = node(name)->getD1();
    ASSERT_EQ(edges.size(), 2u) << name;
    EXPECT_DOUBLE_EQ(edges[0].weight, 0.5 + 1e-12);
    EXPECT_DOUBLE_EQ(edges[1].weight, 0.5 + 2e-12);
    EXPECT_LT(edges[0].weight, edges[1].weight);
  }
}

TEST_F(NetBuilderTest, SelfPairIsSkippedSilentlyAndDoesNotCountAsALine) {
  EXPECT_EQ(readPPI(0, "A A 0.5\nB C 0.5\n"), "");
  EXPECT_EQ(node("A"), nullptr);
  EXPECT_DOUBLE_EQ(node("B")->getD1()[0].weight, 0.5 + 1e-12);
}

TEST_F(NetBuilderTest, CommentsAreSilentButBlankPrefixedHashIsData) {
  std::string out = readPPI(0, "# header line\n#A B 0.5\n  # not a comment\n #x y 0.5\n");
  EXPECT_EQ(out, std::string(PPI_WARNING) + "  # not a comment\n\n");
  EXPECT_EQ(layerNames(0), (std::vector<std::string>{"#x", "y"}));
}

TEST_F(NetBuilderTest, IllegalInteractionLinesAreReportedWithTheirBreak) {
  std::string out = readPPI(0, "\nA\nA B\nA B x\nA B nan\nA B inf\nA B 1.5\nA B -0.1\nA B 1e400\n");
  std::string expected;
  for (const char* l : {"", "A", "A B", "A B x", "A B nan", "A B inf", "A B 1.5", "A B -0.1", "A B 1e400"})
    expected += std::string(PPI_WARNING) + l + "\n\n";
  EXPECT_EQ(out, expected);
  EXPECT_EQ(m_net.layer(0).size(), 0u);
}

TEST_F(NetBuilderTest, InteractionWeightBoundsAndExtraColumnsAreAccepted) {
  EXPECT_EQ(readPPI(0, "A B 0 extra columns\nC D 1\nE F 0.5xyz\n"), "");
  EXPECT_DOUBLE_EQ(node("A")->getD1()[0].weight, 0 + 1e-12);
  EXPECT_DOUBLE_EQ(node("C")->getD1()[0].weight, 1 + 2e-12);
  EXPECT_DOUBLE_EQ(node("E")->getD1()[0].weight, 0.5 + 3e-12);
}

TEST_F(NetBuilderTest, LongNamesAndLinesStayWhole) {
  std::string name25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
  std::string huge(1 << 20, 'z');
  std::string out = readPPI(0, name25 + " B 0.5\nC D 0.5 " + huge + "\n" + huge + "\n");
  EXPECT_EQ(out, std::string(PPI_WARNING) + huge + "\n\n");
  EXPECT_EQ(layerNames(0), (std::vector<std::string>{name25, "B", "C", "D"}));

  std::string longName(5000, 'n');
  readPPI(1, longName + " q 0.5\n");
  EXPECT_EQ(layerNames(1), (std::vector<std::string>{longName, "q"}));
}

TEST_F(NetBuilderTest, CrlfLinesAndMissingFinalBreak) {
  std::string out = readPPI(0, "A B 0.5\r\nbad\r\nC D 0.25");
  EXPECT_EQ(out, std::string(PPI_WARNING) + "bad\n\n");
  EXPECT_EQ(layerNames(0), (std::vector<std::string>{"A", "B", "C", "D"}));
  EXPECT_DOUBLE_EQ(node("D")->getD1()[0].weight, 0.25 + 2e-12);

  EXPECT_EQ(readPPI(1, "x y 0.5\nbroken"), std::string(PPI_WARNING) + "broken\n\n");
}

TEST_F(NetBuilderTest, BinaryGarbageDoesNotCrash) {
  const char raw[] = "\0\x01\xff\x7f A\0B 0.5\n\0\0\0\n\x80\x81 \x82 0.1";
  std::string garbage(raw, sizeof(raw) - 1);
  readPPI(0, garbage);
  // NUL separates tokens: the first line has no number, the second no token at all.
  EXPECT_EQ(layerNames(0), (std::vector<std::string>{"\x80\x81", "\x82"}));
}

TEST_F(NetBuilderTest, SimilarityThresholdCountersAndFloor) {
  readPPI(0, "A B 0.5\n");
  readPPI(1, "X Y 0.5\n");
  // k = 1 (isolated), dropped, k = 2 (self pair), k = 3, k = 4 (threshold itself).
  std::string out = readBLAST("A Unknown 1e-30\nA X 1.1e-07\nA A 1e-30\nA X 0\nB Y 1e-07\n");
  EXPECT_EQ(out, " INFO: Ignored 1 isolated homologs pairs\n");
  ASSERT_EQ(node("A")->getHomologsNum(1), 1u);
  EXPECT_DOUBLE_EQ(node("A")->getHomologs(1)[0].weight, 1e-50 + 3e-12);
  EXPECT_EQ(node("A")->getHomologsNum(0), 0u);
  ASSERT_EQ(node("Y")->getHomologsNum(0), 1u);
  EXPECT_DOUBLE_EQ(node("Y")->getHomologs(0)[0].weight, 1e-07 + 4e-12);
  EXPECT_EQ(node("Unknown"), nullptr);
}

TEST_F(NetBuilderTest, SimilarityPairListedTwiceKeepsTheSmallerValue) {
  readPPI(0, "A B 0.5\n");
  readPPI(1, "X Y 0.5\n");
  readBLAST("A X 1e-10\nX A 1e-20\nB Y 1e-20\nY B 1e-10\n");
  ASSERT_EQ(node("A")->getHomologsNum(1), 1u);
  EXPECT_DOUBLE_EQ(node("A")->getHomologs(1)[0].weight, 1e-20 + 2e-12);
  EXPECT_DOUBLE_EQ(node("X")->getHomologs(0)[0].weight, 1e-20 + 2e-12);
  ASSERT_EQ(node("Y")->getHomologsNum(0), 1u);
  EXPECT_DOUBLE_EQ(node("Y")->getHomologs(0)[0].weight, 1e-20 + 3e-12);
  EXPECT_DOUBLE_EQ(node("B")->getHomologs(1)[0].weight, 1e-20 + 3e-12);
}

TEST_F(NetBuilderTest, SameSpeciesPairsAreAccepted) {
  readPPI(0, "A B 0.5\n");
  readBLAST("A B 1e-9\n");
  ASSERT_EQ(node("A")->getHomologsNum(0), 1u);
  EXPECT_EQ(node("A")->getHomologs(0)[0].node, node("B"));
  EXPECT_EQ(node("B")->getHomologs(0)[0].node, node("A"));
}

TEST_F(NetBuilderTest, HomologLimitKeepsTheBestEdgeOnBothEnds) {
  readPPI(0, "P Q 0.5\n");
  readPPI(1, "X Y 0.5\n");
  NetworkBuiler limited(&m_net, 1e-07, 1);
  readBLAST("P X 1e-20\nP Y 1e-10\n", &limited);
  ASSERT_EQ(node("P")->getHomologsNum(1), 1u);
  EXPECT_EQ(node("P")->getHomologs(1)[0].node, node("X"));
  EXPECT_DOUBLE_EQ(node("P")->getHomologs(1)[0].weight, 1e-20 + 1e-12);
  EXPECT_EQ(node("X")->getHomologsNum(0), 1u);
  EXPECT_EQ(node("Y")->getHomologsNum(0), 0u);
}

TEST_F(NetBuilderTest, HomologLimitTrimsTheSecondProteinToo) {
  readPPI(0, "P Q 0.5\n");
  readPPI(1, "X Y 0.5\n");
  NetworkBuiler limited(&m_net, 1e-07, 1);
  // X already holds P; the better pair Q X evicts X--P from both ends.
  readBLAST("P X 1e-10\nQ X 1e-20\n", &limited);
  ASSERT_EQ(node("X")->getHomologsNum(0), 1u);
  EXPECT_EQ(node("X")->getHomologs(0)[0].node, node("Q"));
  EXPECT_EQ(node("P")->getHomologsNum(1), 0u);
  EXPECT_EQ(node("Q")->getHomologsNum(1), 1u);
}

TEST_F(NetBuilderTest, IllegalSimilarityLinesAreReported) {
  readPPI(0, "x y 0.5\n");
  std::string out = readBLAST("\nx y\nx y -1\nx y nan\nx y inf\nx y 1e-9\r\n# comment\nx y 1e-9 junk");
  std::string expected;
  for (const char* l : {"", "x y", "x y -1", "x y nan", "x y inf"})
    expected += std::string(BLAST_INFO) + l + "\n\n";
  expected += " INFO: Ignored 0 isolated homologs pairs\n";
  EXPECT_EQ(out, expected);
  EXPECT_DOUBLE_EQ(node("x")->getHomologs(0)[0].weight, 1e-9 + 1e-12);
}

class NetBuilderFilesTest : public ::testing::Test {
 protected:
  void writeInputs(const std::string& prefix, int species, bool withBlast) {
    for (int i = 0; i < species; ++i)
      writeFile(prefix + "_int-" + std::to_string(i) + ".txt",
                "a" + std::to_string(i) + " b" + std::to_string(i) + " 0.5\n");
    if (withBlast) writeFile(prefix + "_blast.txt", "a0 a1 1e-20\n");
  }
  TempDir m_dir;
};

TEST_F(NetBuilderFilesTest, ReadNetworkReportsEveryFile) {
  // A prefix far longer than any fixed path buffer.
  std::string sub = m_dir.file(std::string(200, 'd'));
  ASSERT_EQ(mkdir(sub.c_str(), 0777), 0);
  std::string prefix = sub + "/" + std::string(200, 'p');
  writeInputs(prefix, 2, true);
  Network net(2);
  NetworkBuiler builder(&net, 1e-07, 0);
  std::string out = captureStdout([&] { builder.readNetwork(prefix); });
  EXPECT_EQ(out, " Reading PPI data:\t" + prefix + "_int-0.txt\n" + " Reading PPI data:\t" + prefix +
                     "_int-1.txt\n" + " Reading BLAST data:\t" + prefix + "_blast.txt, threshold: 1E-07\n" +
                     " INFO: Ignored 0 isolated homologs pairs\n" + "Ok\n\n");
  EXPECT_EQ(net.getNodeByName("a1")->getHomologsNum(0), 1u);
}

TEST_F(NetBuilderFilesTest, MissingInteractionFileIsAnErrorOfStatus255) {
  std::string prefix = m_dir.file("in");
  writeInputs(prefix, 2, true);
  Network net(3);
  NetworkBuiler builder(&net, 1e-07, 0);
  const testutil::Thrown t = testutil::errorOf([&] { builder.readNetwork(prefix); });
  EXPECT_EQ(t.status, 255);
  EXPECT_EQ(t.message, "ERROR: Can't open file: " + prefix + "_int-2.txt\n");
  EXPECT_NE(t.console.find("Reading PPI data:\t" + prefix + "_int-1.txt\n Reading PPI data:\t" + prefix +
                           "_int-2.txt\n"),
            std::string::npos);
}

TEST_F(NetBuilderFilesTest, MissingSimilarityFileIsAnErrorOfStatus253) {
  std::string prefix = m_dir.file("in");
  writeInputs(prefix, 2, false);
  Network net(2);
  NetworkBuiler builder(&net, 1e-07, 0);
  const testutil::Thrown t = testutil::errorOf([&] { builder.readNetwork(prefix); });
  EXPECT_EQ(t.status, 253);
  EXPECT_EQ(t.message, "ERROR: Can't open file: " + prefix + "_blast.txt\n");
}

TEST_F(NetBuilderFilesTest, UnreadableInputIsNotTakenForAnEmptyFile) {
  Network net(1);
  NetworkBuiler builder(&net, 1e-07, 0);
  const std::string dir = m_dir.path();
  EXPECT_EQ(testutil::errorOf([&] { builder.readPPIdata(0, dir); }).status, 255);
  EXPECT_EQ(testutil::errorOf([&] { builder.readBLASTdata(dir); }).status, 253);
}

}  // namespace
