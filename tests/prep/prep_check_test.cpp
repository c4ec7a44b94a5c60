// trellis2-prep check, run as a binary: the report on a good set, and each
// pitfall it has to find (a shared name, raw STRING scores, both directions,
// raw -outfmt 6, an illegal model, files trellis2 cannot read, names that the
// similarity file and a network spell differently).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_util.h"

namespace {

using testutil::runPrep;
using testutil::RunResult;
using testutil::TempDir;
using testutil::writeFile;

const std::string SAMPLES = std::string(TEST_DATA_DIR) + "/prep/";
const std::string HITS = SAMPLES + "aligner_output/";

// Writes the output of a successful trellis2-prep command to dir/file.
void prepare(const TempDir& dir, const std::string& file, const std::vector<std::string>& args) {
  RunResult r = runPrep(args, SAMPLES);
  ASSERT_EQ(r.status, 0) << r.errors;
  writeFile(dir.file(file), r.output);
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(PrepCheck, ReportsAGoodSet) {
  TempDir dir;
  prepare(dir, "s_int-0.txt", {"interactions", "--from", "string", "9606.protein.links.v12.0.txt.gz"});
  prepare(dir, "s_int-1.txt", {"interactions", "--from", "string", "10090.protein.links.v12.0.txt.gz"});
  prepare(dir, "s_blast.txt", {"similarity", "--from", "blast6", HITS + "string_hsmm_hits.tsv"});
  RunResult r = runPrep({"check", "2", "s"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.output << r.errors;
  const std::string h = "9606.ENSP00000", m = "10090.ENSMUSP00000";
  EXPECT_EQ(r.output,
            "Input set s: 2 species (E-value threshold 1e-07, beta 0.8)\n\n"
            "species 0: s_int-0.txt\n  proteins: 10\n  interactions: 13 lines, 13 distinct pairs\n"
            "  weights: 0.2 to 0.999\n  largest degree: 4 (" +
                h +
                "275493)\n  hub pairs: 0\n"
                "  isolated proteins (no similarity link to another species): 3 (" +
                h + "419734, " + h + "354033, " + h +
                "398417)\n  skipped lines: 0\n\n"
                "species 1: s_int-1.txt\n  proteins: 9\n  interactions: 12 lines, 12 distinct pairs\n"
                "  weights: 0.2 to 0.98\n  largest degree: 4 (" +
                m +
                "059431)\n  hub pairs: 0\n"
                "  isolated proteins (no similarity link to another species): 2 (" +
                m + "033447, " + m +
                "099560)\n  skipped lines: 0\n\n"
                "similarity: s_blast.txt\n  pairs accepted: 8\n  above the threshold (ignored): 1\n"
                "  pairs naming a protein in no network (ignored): 0\n  skipped lines: 0\n\n"
                "names shared by two species: 0\n\nresult: trellis2 would accept this input\n");
  EXPECT_EQ(r.errors, "");

  // A looser threshold accepts the 0.0021 hit, which links the last mouse protein.
  r = runPrep({"check", "2", "s", "--threshold", "0.01"}, dir.path());
  EXPECT_TRUE(contains(r.output, "  pairs accepted: 9\n  above the threshold (ignored): 0\n")) << r.output;
  EXPECT_TRUE(contains(r.output, "another species): 1 (" + m + "033447)\n")) << r.output;
}

TEST(PrepCheck, RefusesASpeciesWithoutLinksAndWarnsWhenMostProteinsHaveNone) {
  TempDir dir;
  prepare(dir, "s_int-0.txt", {"interactions", "--from", "string", "9606.protein.links.v12.0.txt.gz"});
  prepare(dir, "s_int-1.txt", {"interactions", "--from", "string", "10090.protein.links.v12.0.txt.gz"});
  prepare(dir, "s_blast.txt", {"similarity", "--from", "blast6", HITS + "string_hsmm_hits.tsv"});
  const std::string h = "9606.ENSP00000", m = "10090.ENSMUSP00000";
  // The mouse network under other names (as if from another database) than the similarity file's.
  std::string renamed = testutil::readFile(dir.file("s_int-1.txt"));
  for (size_t at; (at = renamed.find(m)) != std::string::npos;) renamed.replace(at, m.size(), "MGI:");
  writeFile(dir.file("s_int-9.txt"), renamed);
  ASSERT_EQ(std::rename(dir.file("s_int-1.txt").c_str(), dir.file("s_int-8.txt").c_str()), 0);
  ASSERT_EQ(std::rename(dir.file("s_int-9.txt").c_str(), dir.file("s_int-1.txt").c_str()), 0);
  RunResult r = runPrep({"check", "2", "s"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(
      contains(r.output,
               "result: refused: trellis2 would run but find no complex:\n"
               "  - species 0 has no similarity link to another species: do the names in s_blast.txt "
               "and s_int-0.txt match?\n"
               "    names in s_int-0.txt: " +
                   h + "216181, " + h + "263025, " + h +
                   "269305, ...\n"
                   "    names in s_blast.txt found in no network: " +
                   m + "020329, " + m + "026172, " + m +
                   "059431, ...\n"
                   "  - species 1 has no similarity link to another species: do the names in s_blast.txt "
                   "and s_int-1.txt match?\n"
                   "    names in s_int-1.txt: MGI:020329, MGI:026172, MGI:059431, ...\n"))
      << r.output;
  // trellis2 itself would run: the model is fitted as usual.
  EXPECT_TRUE(contains(r.output, "  hub pairs: 0\n")) << r.output;

  // Every name known, but the threshold leaves no link: the message says so.
  ASSERT_EQ(std::rename(dir.file("s_int-8.txt").c_str(), dir.file("s_int-1.txt").c_str()), 0);
  r = runPrep({"check", "2", "s", "--threshold", "1e-300"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(
      contains(r.output,
               "  - species 1 has no similarity link to another species: every name in s_blast.txt is "
               "in a network; 9 of its pairs are above the E-value threshold 1e-300 (--threshold)\n"))
      << r.output;

  // Links for a few proteins only: a warning, and the set is accepted.
  const std::string blast = testutil::readFile(dir.file("s_blast.txt"));
  writeFile(dir.file("s_blast.txt"), blast.substr(0, blast.find('\n', blast.find('\n') + 1) + 1));
  r = runPrep({"check", "2", "s"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(
      contains(r.output,
               "warning: species 1: 8 of 9 proteins have no similarity link to another species: every "
               "name in s_blast.txt is in a network; it links too few of these proteins\n"
               "    names in s_int-1.txt without a link: "))
      << r.output;
  EXPECT_TRUE(contains(r.output, "result: trellis2 would accept this input\n"));
}

TEST(PrepCheck, FindsNamesSharedBySpecies) {
  // Official symbols of budding yeast and Candida: ACT1, CDC42, LAS17 and SAC6 are in both.
  TempDir dir;
  const std::string biogrid = "BIOGRID-ALL-4.4.229.tab3.txt";
  prepare(dir, "y_int-0.txt",
          {"interactions", "--from", "biogrid", "--taxid", "559292", "--id", "symbol", biogrid});
  prepare(dir, "y_int-1.txt",
          {"interactions", "--from", "biogrid", "--taxid", "237561", "--id", "symbol", biogrid});
  writeFile(dir.file("y_blast.txt"), "ACT1\tCMD1\t1e-10\nCDC42\tMYO2\t1e-30\n");
  RunResult r = runPrep({"check", "2", "y"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.output,
                       "names shared by two species: 4\n"
                       "  ACT1: species 0 (y_int-0.txt line 1) and species 1 (y_int-1.txt line 1)\n"
                       "  CDC42: species 0 (y_int-0.txt line 2) and species 1 (y_int-1.txt line 1)\n"
                       "  LAS17: species 0 (y_int-0.txt line 3) and species 1 (y_int-1.txt line 2)\n"
                       "  SAC6: species 0 (y_int-0.txt line 8) and species 1 (y_int-1.txt line 3)\n"))
      << r.output;
  EXPECT_TRUE(contains(r.output, "  names found in no network: 1\n    MYO2 (line 2)\n")) << r.output;
  EXPECT_TRUE(contains(r.output, "  hub pairs: not computed (trellis2 would stop first)\n"));
  EXPECT_TRUE(contains(r.output,
                       "result: trellis2 would refuse this input:\n  - 4 protein name(s) occur in the "
                       "interaction files of two species"))
      << r.output;
}

TEST(PrepCheck, FindsRawStringScoresBothDirectionsAndRawOutfmt6) {
  TempDir dir;
  for (const char* s : {"0", "1"}) {
    const std::string species = s[0] == '0' ? "9606" : "10090";
    ASSERT_EQ(std::system(("zcat '" + SAMPLES + species + ".protein.links.v12.0.txt.gz' > '" +
                           dir.file(std::string("raw_int-") + s + ".txt") + "'")
                              .c_str()),
              0);
  }
  ASSERT_EQ(
      std::system(("cp '" + HITS + "string_hsmm_hits.tsv' '" + dir.file("raw_blast.txt") + "'").c_str()), 0);
  RunResult r = runPrep({"check", "2", "raw"}, dir.path());
  EXPECT_EQ(r.status, 1);
  // Everything but the header (not a number) and the two 0 scores breaks the weight rule.
  EXPECT_TRUE(contains(r.output, "  interactions: 2 lines, 1 distinct pairs\n  weights: 0 to 0\n"))
      << r.output;
  EXPECT_TRUE(contains(r.output,
                       "  skipped lines: 27\n    1 third field is not a number (line 1)\n"
                       "    26 weight outside [0, 1] (lines 2, 3, 4, 5, 6, ...)\n"))
      << r.output;
  EXPECT_TRUE(contains(r.output,
                       "  - species 1 has no interaction: no line of raw_int-1.txt is accepted; 24 skipped "
                       "weights look like STRING scores (0 to 1000): prepare the file with 'trellis2-prep "
                       "interactions --from string'\n"))
      << r.output;
  EXPECT_TRUE(
      contains(r.output, "warning: species 0: 27 of 29 lines skipped; 26 skipped weights look like STRING"));
  EXPECT_TRUE(contains(r.output, "warning: species 0: 1 interaction lines repeat a pair (both directions"));
  EXPECT_TRUE(contains(r.output,
                       "warning: raw_blast.txt: most lines have 12 or more columns and a third column above "
                       "the threshold: this looks like raw BLAST/DIAMOND -outfmt 6"))
      << r.output;
}

TEST(PrepCheck, TurnsTheProgramsErrorsIntoARefusal) {
  TempDir dir;
  // Every pair of five proteins interacts with weight 1: p_true is above 1, an illegal model.
  std::string dense;
  for (char a = 'a'; a <= 'e'; ++a)
    for (char b = static_cast<char>(a + 1); b <= 'e'; ++b) dense += std::string(1, a) + " " + b + " 1\n";
  writeFile(dir.file("d_int-0.txt"), dense);
  writeFile(dir.file("d_int-1.txt"), "v w 0.5\nw x 0.5\nx y 0.5\ny z 0.5\n");
  writeFile(dir.file("d_blast.txt"), "a v 1e-20\nb\tw\t-1\n");
  RunResult r = runPrep({"check", "2", "d"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.output, "    1 negative E-value (line 2)\n")) << r.output;
  EXPECT_TRUE(contains(r.output,
                       "  - trellis2 stops while reading or fitting the model:\n"
                       "    Illegal model configuration detected. Illegal p_true value: 2.000000 (should be "
                       "in [0..1])\n"))
      << r.output;
  // The program's own console lines stay out of the report.
  EXPECT_FALSE(contains(r.output, "Reading PPI data"));
  EXPECT_FALSE(contains(r.output, "SKIPPING"));

  // A missing file and a compressed one: trellis2 could read neither.
  ASSERT_EQ(
      std::system(("gzip -c '" + dir.file("d_int-1.txt") + "' > '" + dir.file("z_int-0.txt") + "'").c_str()),
      0);
  r = runPrep({"check", "2", "z"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.output,
                       "  - z_int-0.txt: is gzip-compressed; trellis2 reads plain text (gunzip it)\n"
                       "  - z_int-1.txt: cannot open: No such file or directory\n"))
      << r.output;
}

}  // namespace
