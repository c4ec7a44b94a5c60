// trellis2-prep interactions and similarity, run as a binary on the samples of
// tests/data/prep/: exact output and counts per format, and the errors.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

using testutil::runPrep;
using testutil::RunResult;
using testutil::TempDir;

const std::string SAMPLES = std::string(TEST_DATA_DIR) + "/prep/";
const std::string HITS = SAMPLES + "aligner_output/";

RunResult prep(std::vector<std::string> args) { return runPrep(args, SAMPLES); }

bool startsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

const std::string DUPLICATE = "duplicate (the other direction, or listed again; highest weight kept)";

TEST(PrepInteractions, StringMergesDirectionsDropsZeroAndDividesBy1000) {
  RunResult r = prep({"interactions", "--from", "string", "9606.protein.links.v12.0.txt.gz"});
  EXPECT_EQ(r.status, 0) << r.errors;
  const std::string h = "9606.ENSP00000";
  EXPECT_EQ(r.output, h + "216181\t" + h + "263025\t0.999\n" + h + "216181\t" + h + "269305\t0.95\n" + h +
                          "216181\t" + h + "275493\t0.9\n" + h + "263025\t" + h + "269305\t0.92\n" + h +
                          "263025\t" + h + "275493\t0.88\n" + h + "269305\t" + h + "275493\t0.97\n" + h +
                          "275493\t" + h + "300093\t0.4\n" + h + "300093\t" + h + "344818\t0.3\n" + h +
                          "300093\t" + h + "419734\t0.3\n" + h + "344818\t" + h + "354033\t0.5\n" + h +
                          "354033\t" + h + "377045\t0.25\n" + h + "377045\t" + h + "398417\t0.35\n" + h +
                          "398417\t" + h + "419734\t0.2\n");
  EXPECT_EQ(r.errors,
            "trellis2-prep: 9606.protein.links.v12.0.txt.gz: 29 lines read, 13 interactions written\n"
            "trellis2-prep: left out:\n  1 header line (line 1)\n  13 " +
                DUPLICATE + " (lines 5, 9, 10, 12, 13, ...)\n  2 weight 0 (no evidence) (lines 8, 21)\n");
}

TEST(PrepInteractions, StringChannelMinScoreAndFileWithoutHeader) {
  const std::string detailed =
      "protein1 protein2 neighborhood fusion cooccurence coexpression experimental database textmining "
      "combined_score\n"
      "p.A p.B 0 0 0 62 0 0 310 345\n"
      "p.A p.C 0 0 0 0 801 900 97 981\n"
      "p.B p.A 0 0 0 62 0 0 310 345\n"
      "p.C p.D 0 0 0 0 450 0 0 455\n";
  RunResult r = runPrep({"interactions", "--from", "string", "--channel", "experimental", "-"}, "", detailed);
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.output, "p.A\tp.C\t0.801\np.C\tp.D\t0.45\n");
  EXPECT_NE(r.errors.find("2 weight 0 (no evidence) (lines 2, 4)"), std::string::npos) << r.errors;

  r = runPrep({"interactions", "--from", "string", "--min-score=0.4", "-"}, "", detailed);
  EXPECT_EQ(r.output, "p.A\tp.C\t0.981\np.C\tp.D\t0.455\n");
  EXPECT_NE(r.errors.find("2 weight below --min-score 0.4 (lines 2, 4)"), std::string::npos) << r.errors;

  // Without a header the combined score is the last column.
  r = runPrep({"interactions", "--from", "string", "-"}, "", "x y 700\ny z 1000\n");
  EXPECT_EQ(r.output, "x\ty\t0.7\ny\tz\t1\n");

  r = runPrep({"interactions", "--from", "string", "--min-score", "700", "-"}, "", detailed);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.errors.find("--min-score is a weight in [0, 1] (STRING's score 700 is 0.7)"),
            std::string::npos);
  r = runPrep({"interactions", "--from", "string", "--channel", "experiments", "-"}, "", detailed);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.errors.find("<stdin>:1: no score column 'experiments' in the header"), std::string::npos)
      << r.errors;
}

TEST(PrepInteractions, BiogridKeepsPhysicalRowsOfOneOrganism) {
  RunResult r = prep({"interactions", "--from", "biogrid", "--taxid", "559292", "--id", "uniprot",
                      "BIOGRID-ALL-4.4.229.tab3.txt"});
  EXPECT_EQ(r.status, 0) << r.errors;
  // P17555|Q8NIK3: the first accession names the protein.
  EXPECT_EQ(r.output,
            "P60010\tP06787\t1\nP60010\tP19073\t1\nP60010\tQ12446\t1\nP06787\tP19073\t1\nP06787\tQ12446\t1\n"
            "P19073\tQ12446\t1\nQ12446\tP17555\t1\nP17555\tP32599\t1\nP32599\tP15891\t1\nP15891\tP32790\t1\n"
            "P32790\tP17555\t1\nP32790\tQ08873\t1\nQ08873\tP29311\t1\n");
  EXPECT_EQ(r.errors,
            "trellis2-prep: BIOGRID-ALL-4.4.229.tab3.txt: 37 lines read, 13 interactions written\n"
            "trellis2-prep: left out:\n  1 header line (line 1)\n  1 " +
                DUPLICATE +
                " (line 15)\n  2 genetic interaction (--all-types keeps it) (lines 16, 17)\n"
                "  1 no uniprot identifier ('-') (line 18)\n  1 self-interaction (line 19)\n"
                "  18 interactor of another organism (not taxid 559292) (lines 20, 21, 22, 23, 24, ...)\n");

  r = prep({"interactions", "--from", "biogrid", "--taxid", "559292", "--all-types",
            "BIOGRID-ALL-4.4.229.tab3.txt"});
  EXPECT_NE(r.output.find("YFL039C\tYDR129C\t1\nYLR229C\tYCR088W\t1\nYLR229C\tYAR010C\t1\n"),
            std::string::npos);
  r = prep({"interactions", "--from", "biogrid", "--taxid", "284812", "--id", "symbol",
            "BIOGRID-ALL-4.4.229.tab3.txt"});
  EXPECT_TRUE(startsWith(r.output, "act1\tcam1\t1\nact1\tcdc42\t1\n")) << r.output;

  r = prep({"interactions", "--from", "biogrid", "BIOGRID-ALL-4.4.229.tab3.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(
      r.errors.find("holds interactions of several organisms: 237561 (5 rows), 284812 (12 rows), 559292 "
                    "(18 rows); choose one with --taxid"),
      std::string::npos)
      << r.errors;
}

TEST(PrepInteractions, MitabTakesUniprotIdsOrganismAndMiscore) {
  RunResult r = prep({"interactions", "--from", "mitab", "--taxid", "9606", "intact.txt"});
  EXPECT_EQ(r.status, 0) << r.errors;
  // The duplicate P63000-P60709 (0.6) keeps 0.92; "-" confidence is weight 1; P35579 comes after an
  // intact: id in its cell, P60953 from the alternative identifiers.
  EXPECT_EQ(r.output,
            "P60709\tP63000\t0.92\nP60709\tP60953\t0.88\nP60709\tO00401\t0.81\nP63000\tP60953\t0.95\n"
            "P63000\tO00401\t0.79\nP60953\tO00401\t0.9\nO00401\tQ13813\t0.4\nQ13813\tP35579\t0.37\n"
            "P35579\tP18206\t0.56\nP18206\tP12814\t0.27\nP12814\tQ9Y490\t0.35\nQ9Y490\tP21333\t1\n"
            "P21333\tQ13813\t0.33\nP35579\tP12814\t0.45\nP60953\tP18206\t0.3\n");
  EXPECT_EQ(r.errors,
            "trellis2-prep: intact.txt: 32 lines read, 15 interactions written\ntrellis2-prep: left out:\n"
            "  1 header line (line 1)\n  1 " +
                DUPLICATE +
                " (line 15)\n  1 interactor without a uniprotkb: identifier (line 18)\n"
                "  1 self-interaction (line 19)\n"
                "  13 interactor of another organism (not taxid 9606) (lines 20, 21, 22, 23, 24, ...)\n");
  r = runPrep(
      {"interactions", "--from", "mitab", "-"}, "",
      "uniprotkb:A\tuniprotkb:B\t-\t-\t-\t-\t-\t-\t-\ttaxid:1\ttaxid:1\t-\t-\t-\tintact-miscore:high\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.errors.find("<stdin>:1: intact-miscore 'high' is not a number in [0, 1]"), std::string::npos);
}

TEST(PrepInteractions, EdgeListsAndSif) {
  RunResult r = prep({"interactions", "--from", "edges", "fly.sif"});
  EXPECT_EQ(r.status, 0) << r.errors;
  const std::string f = "FBpp00";
  EXPECT_TRUE(startsWith(r.output, f + "70001\t" + f + "70002\t1\n" + f + "70001\t" + f + "70037\t1\n" + f +
                                       "70001\t" + f + "71110\t1\n"))
      << r.output;
  EXPECT_EQ(
      r.errors,
      "trellis2-prep: fly.sif: 12 lines read, 12 interactions written\ntrellis2-prep: left out:\n  1 " +
          DUPLICATE +
          " (line 5)\n  1 self-interaction (line 8)\n  1 protein without interactions (SIF node line) (line "
          "12)\n");
  r = prep({"interactions", "--from", "edges", "worm_edges.tsv"});
  EXPECT_TRUE(startsWith(r.output, "T04C12.6\tC09D4.5\t0.97\nT04C12.6\tR07G3.1\t0.85\n")) << r.output;

  r = runPrep({"interactions", "--from", "edges", "-"}, "", "a b\nc d\n");
  EXPECT_EQ(r.output, "a\tb\t1\nc\td\t1\n");
  // A header line makes the file look like SIF; the first weight gives it away.
  r = runPrep({"interactions", "--from", "edges", "-"}, "", "source target weight\na b 0.5\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.errors.find("<stdin>:2: read as SIF (from the first line), but '0.5' is a number"),
            std::string::npos);
  r = runPrep({"interactions", "--from", "edges", "-"}, "", "a b 0.5\nb c 700\n");
  EXPECT_NE(r.errors.find("<stdin>:2: weight '700' is not a number in [0, 1]"), std::string::npos);
  r = runPrep({"interactions", "--from", "edges", "-"}, "", "a\tb c\t0.5\n#x y 1\td\t0.5\n");
  EXPECT_EQ(r.status, 1);  // every line left out: nothing to write
  EXPECT_NE(r.errors.find("1 name with a blank or a leading '#' (line 1)"), std::string::npos) << r.errors;
}

TEST(PrepSimilarity, BlastAndDiamondTables) {
  RunResult r = prep({"similarity", "--from", "blast6", HITS + "string_hsmm_hits.tsv"});
  EXPECT_EQ(r.status, 0) << r.errors;
  const std::string h = "9606.ENSP00000", m = "10090.ENSMUSP00000";
  // The reciprocal hits keep their smaller E-value (1.2e-150, 2.9e-121); self-hits are gone.
  EXPECT_EQ(r.output, h + "216181\t" + m + "020329\t1.2e-150\n" + h + "216181\t" + h + "263025\t4.5e-08\n" +
                          h + "263025\t" + m + "026172\t2.9e-121\n" + h + "269305\t" + m +
                          "059431\t2.2e-90\n" + h + "275493\t" + m + "104340\t1e-100\n" + h + "300093\t" + m +
                          "108917\t6.3e-30\n" + h + "344818\t" + m + "043694\t8.8e-12\n" + h + "377045\t" +
                          m + "077002\t2e-20\n" + m + "099560\t" + h + "398417\t0.0021\n");
  EXPECT_NE(
      r.errors.find(
          "16 lines read, 9 similarity pairs written\ntrellis2-prep: left out:\n"
          "  3 self-hit (lines 1, 4, 11)\n"
          "  4 repeated pair (reciprocal or further hit; smallest E-value kept) (lines 12, 13, 14, 15)\n"),
      std::string::npos)
      << r.errors;

  // outfmt 7: the columns come from the "# Fields:" lines.
  r = prep({"similarity", "--from", "blast6", HITS + "biogrid_yeasts_hits.txt"});
  EXPECT_EQ(r.output,
            "P60010\tP10989\t0\nP60010\tP06787\t2e-04\nP06787\tP05933\t3e-80\nP19073\tQ01112\t4e-95\n"
            "Q12446\tO43082\t2e-60\nP17555\tP36621\t1e-40\nP32599\tO60162\t4e-55\nP32790\tQ10367\t7e-33\n");
  EXPECT_NE(r.errors.find("  50 comment line (lines 1, 2, 3, 4, 5, ...)\n  6 self-hit"), std::string::npos);

  r = prep({"similarity", "--from", "blast6", "--columns", "6 qacc sacc evalue", "--max-evalue", "1e-100",
            HITS + "intact_hsmm_hits.tsv"});
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_TRUE(startsWith(r.output, "P60709\tP60710\t0\nP63000\tP63001\t3e-131\n")) << r.output;
  EXPECT_NE(r.errors.find("2 E-value above --max-evalue 1e-100 (lines 13, 14)"), std::string::npos);

  r = prep({"similarity", "--from", "blast6", HITS + "intact_hsmm_hits.tsv"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(
      r.errors.find("intact_hsmm_hits.tsv:1: found 3 columns, but the E-value is column 11 of the default "
                    "-outfmt 6 columns; name the columns with --columns"),
      std::string::npos);
  r = runPrep({"similarity", "--from", "blast6", "--columns", "qseqid sseqid evalue", "-"}, "",
              "a b 1e-5\nb c -1\n");
  EXPECT_NE(r.errors.find("<stdin>:2: E-value '-1' (column 3) is not a number >= 0"), std::string::npos);
  r = runPrep({"similarity", "--from", "blast6", "--columns", "qseqid pident", "-"}, "", "a b 1\n");
  EXPECT_EQ(r.status, 1);
}

// Every STRING score comes out as the text that reads back as exactly score / 1000.
TEST(PrepInteractions, WeightsReadBackExactly) {
  std::string input;
  for (int s = 1; s <= 1000; ++s) input += "p" + std::to_string(s) + " q " + std::to_string(s) + "\n";
  RunResult r = runPrep({"interactions", "--from", "string", "-"}, "", input);
  ASSERT_EQ(r.status, 0) << r.errors;
  std::istringstream lines(r.output);
  std::string a, b, w;
  int s = 0;
  while (lines >> a >> b >> w) {
    ++s;
    EXPECT_EQ(std::strtod(w.c_str(), nullptr), s / 1000.0) << w;
    EXPECT_LE(w.size(), 5u) << w;
  }
  EXPECT_EQ(s, 1000);
}

TEST(PrepErrors, NameTheFileTheLineAndTheValue) {
  TempDir dir;
  testutil::writeFile(dir.file("bad.txt"), "protein1 protein2 combined_score\na b 999\na c 99x\n");
  RunResult r = runPrep({"interactions", "--from", "string", "bad.txt"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, "trellis2-prep: bad.txt:3: score '99x' is not a whole number from 0 to 1000\n");
  EXPECT_EQ(r.output, "");

  // A gzip file cut short is an error, not a shorter file.
  const std::string whole = SAMPLES + "9606.protein.links.v12.0.txt.gz";
  const std::string cut = dir.file("cut.txt.gz");
  ASSERT_EQ(std::system(("head -c 150 '" + whole + "' > '" + cut + "'").c_str()), 0);
  r = runPrep({"interactions", "--from", "string", cut});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.errors.find("the gzip data ends early (truncated file?)"), std::string::npos) << r.errors;

  testutil::writeFile(dir.file("x.zip"), std::string("PK\x03\x04", 4) + "rest");
  r = runPrep({"interactions", "--from", "biogrid", "x.zip"}, dir.path());
  EXPECT_EQ(r.errors,
            "trellis2-prep: x.zip: is a zip archive; extract the text file from it first (unzip)\n");
  r = runPrep({"similarity", "--from", "blast6", "none.tsv"}, dir.path());
  EXPECT_EQ(r.errors, "trellis2-prep: none.tsv: cannot open: No such file or directory\n");

  for (const std::vector<std::string>& args : {std::vector<std::string>{"interactions", "--from", "string"},
                                               {"interactions", "x"},
                                               {"interactions", "--from", "string", "--bogus", "x"},
                                               {"similarity", "--from", "blast6", "a", "b"},
                                               {"check", "1", "p"},
                                               {"check", "2"},
                                               {"frobnicate"}}) {
    r = runPrep(args, dir.path());
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_NE(r.errors.find("Try 'trellis2-prep"), std::string::npos) << r.errors;
  }
  r = runPrep({"interactions", "--from", "edges", "--taxid", "9606", "x"}, dir.path());
  EXPECT_EQ(r.errors, "trellis2-prep: --taxid does not apply to --from edges\n");
}

TEST(PrepCli, VersionAndHelp) {
  RunResult r = runPrep({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "trellis2-prep " + testutil::runTrellis({"--version"}).output.substr(9));
  for (const char* command : {"interactions", "similarity", "check"}) {
    r = runPrep({command, "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(startsWith(r.output, std::string("Usage: trellis2-prep ") + command)) << r.output;
  }
  r = runPrep({});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(startsWith(r.errors, "Usage: trellis2-prep COMMAND"));
}

}  // namespace
