// The empirical p-value of a complex from the random scores of its size, as
// complexes.tsv writes it; and the run manifest beside the results.
#include "report/run_summary.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "report/run_manifest.h"
#include "report/summary_table.h"
#include "test_util.h"

namespace {

TEST(EmpiricalPTest, CountsRandomScoresAtLeastAsHigh) {
  RandomSizeStat st;
  st.scores = {1.0, 2.5, 2.5, 4.0};               // ascending, as takeRandomStats leaves them
  EXPECT_DOUBLE_EQ(*st.empiricalP(5.0), 1.0 / 5);  // none as high
  EXPECT_DOUBLE_EQ(*st.empiricalP(4.0), 2.0 / 5);  // a tie counts
  EXPECT_DOUBLE_EQ(*st.empiricalP(2.5), 4.0 / 5);
  EXPECT_DOUBLE_EQ(*st.empiricalP(-3.0), 5.0 / 5);
  EXPECT_FALSE(RandomSizeStat().empiricalP(7.0)) << "no random complex of the size, no p-value";
}

std::string tableOf(const std::vector<ComplexRow>& rows, const RunSummary& summary) {
  return testutil::captureStdout([&] { writeSummaryTable(stdout, rows, summary); });
}

TEST(EmpiricalPTest, LastColumnOfTheSummaryTableEmptyWithoutASample) {
  RunSummary summary;
  ComplexRow row;
  row.id = 5;
  row.rank = 1;
  row.alignedNodes = 4;
  row.proteins = 8;
  row.score = 12.5;
  EXPECT_EQ(tableOf({row}, summary),
            "id\trank\taligned_nodes\tproteins\tscore\toverlapping\tempirical_p\n5\t1\t4\t8\t12.500000\t0\t\n");
  summary.randomFilter = true;
  row.hasRandom = true;
  row.randomThreshold = 10;
  row.randomBest = 11;
  row.randomSamples = 2;
  row.empiricalP = 1.0 / 3;
  row.qValue = 0.5;
  EXPECT_EQ(tableOf({row}, summary),
            "id\trank\taligned_nodes\tproteins\tscore\trandom_threshold\trandom_best\toverlapping\t"
            "random_samples\ttail_p\tq_value\tempirical_p\n"
            "5\t1\t4\t8\t12.500000\t10.000000\t11.000000\t0\t2\t\t0.5\t0.333333\n");
}

TEST(RunManifestTest, WritesAbsoluteInputAndReadsItBack) {
  testutil::TempDir dir;
  ASSERT_TRUE(writeRunManifest(dir.path(), 3, "/data/in\tput\\x"));
  EXPECT_EQ(testutil::readFile(dir.file("manifest.tsv")),
            "key\tvalue\nformat\t1\nspecies\t3\ninput\t/data/in\\tput\\\\x\n");
  RunManifest m;
  std::string error;
  ASSERT_TRUE(readRunManifest(dir.file("manifest.tsv"), &m, &error)) << error;
  EXPECT_EQ(m.speciesNum, 3u);
  EXPECT_EQ(m.inPrefix, "/data/in\tput\\x");
  EXPECT_FALSE(testutil::fileExists(dir.file("manifest.tsv.tmp")));

  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(absolutePrefix("./ydc/in"), std::string(cwd) + "/ydc/in");
  EXPECT_EQ(absolutePrefix("/abs"), "/abs");
  EXPECT_FALSE(writeRunManifest(dir.file("missing"), 3, "x"));

  testutil::writeFile(dir.file("manifest.tsv"), "key\tvalue\nformat\t2\nspecies\t3\ninput\t/x\n");
  EXPECT_FALSE(readRunManifest(dir.file("manifest.tsv"), &m, &error));
  EXPECT_EQ(error, dir.file("manifest.tsv") + ":2: format '2': this program reads format 1");
  testutil::writeFile(dir.file("manifest.tsv"), "key\tvalue\nformat\t1\nspecies\t11\ninput\t/x\n");
  EXPECT_FALSE(readRunManifest(dir.file("manifest.tsv"), &m, &error));
  EXPECT_EQ(error, dir.file("manifest.tsv") + ":3: species '11': expected 2..10");
  testutil::writeFile(dir.file("manifest.tsv"), "key\tvalue\nformat\t1\nspecies\t3\n");
  EXPECT_FALSE(readRunManifest(dir.file("manifest.tsv"), &m, &error));
  EXPECT_EQ(error, dir.file("manifest.tsv") + ": no input line");
}

}  // namespace
