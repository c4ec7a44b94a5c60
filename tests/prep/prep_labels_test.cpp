// trellis2-prep labels, run as a binary on the samples of tests/data/prep/:
// exact output and counts per source, and input of the wrong kind refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_util.h"

namespace {

using testutil::runPrep;
using testutil::RunResult;

const std::string SAMPLES = std::string(TEST_DATA_DIR) + "/prep/";

RunResult labels(const std::vector<std::string>& args, const std::string& input = "") {
  std::vector<std::string> full = {"labels"};
  full.insert(full.end(), args.begin(), args.end());
  return runPrep(full, SAMPLES, input);
}

TEST(PrepLabels, UniprotFastaGivesTheGeneNameByAccessionOrByWord) {
  RunResult r = labels({"--from", "fasta", "UP000005640_9606.fasta.gz"});
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.output,
            "P60709\tACTB\nP63000\tRAC1\nP60953\tCDC42\nO00401\tWASL\nQ13813\tSPTAN1\nP35579\tMYH9\n"
            "P18206\tVCL\nP12814\tACTN1\nP21333\tFLNA\n");
  EXPECT_EQ(r.errors,
            "trellis2-prep: UP000005640_9606.fasta.gz: 20 lines read, 9 labels written\n"
            "trellis2-prep: left out:\n  1 header without a GN= gene name (line 17)\n");

  r = labels({"--from", "fasta", "--fasta-id", "word", "-"},
             ">sp|P1|A_HUMAN Protein GN=A1 PE=1\nMK\n>plain GN=B2\nMK\n>plain GN=C3\n>\n");
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.output, "sp|P1|A_HUMAN\tA1\nplain\tB2\n");
  EXPECT_NE(r.errors.find("1 other label of an id already labelled (the first one kept) (line 5)"),
            std::string::npos)
      << r.errors;
  EXPECT_NE(r.errors.find("1 header without a protein name (line 6)"), std::string::npos) << r.errors;

  // A proteome without gene names (STRING's) gives no label: a warning, not an error.
  r = labels({"--from", "fasta", "9606.protein.sequences.v12.0.fa.gz"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "");
  EXPECT_NE(r.errors.find("warning: 9606.protein.sequences.v12.0.fa.gz: no label found"), std::string::npos);
}

TEST(PrepLabels, StringInfoGivesThePreferredNameAndReadsConcatenatedFiles) {
  const std::string mouse =
      "#string_protein_id\tpreferred_name\tprotein_size\tannotation\n10090."
      "ENSMUSP00000020329\tActb\t375\tx\n";
  RunResult r = labels({"--from", "string-info", "9606.protein.info.v12.0.txt.gz"});
  EXPECT_EQ(r.status, 0) << r.errors;
  const std::string h = "9606.ENSP00000";
  EXPECT_EQ(r.output, h + "216181\tMYH9\n" + h + "263025\tMAPK3\n" + h + "269305\tTP53\n" + h +
                          "275493\tEGFR\n" + h + "300093\tPLK1\n" + h + "344818\tUBC\n" + h +
                          "354033\tCDK2\n" + h + "377045\tCCNB1\n");
  EXPECT_EQ(r.errors,
            "trellis2-prep: 9606.protein.info.v12.0.txt.gz: 11 lines read, 8 labels written\n"
            "trellis2-prep: left out:\n  1 header line (line 1)\n  1 id without a label (line 10)\n"
            "  1 label that is the id itself (line 11)\n");

  // zcat of two species: the second header is skipped.
  r = labels({"--from", "string-info", "-"}, mouse + mouse);
  EXPECT_EQ(r.output, "10090.ENSMUSP00000020329\tActb\n");
  EXPECT_NE(r.errors.find("1 comment or repeated header line ('#') (line 3)"), std::string::npos) << r.errors;
}

TEST(PrepLabels, GafGivesTheSymbolOfEachObjectIdOnce) {
  RunResult r = labels({"--from", "gaf", "goa_yeast.gaf.gz"});
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.output, "P60010\tACT1\nP06787\tCMD1\nP19073\tCDC42\nQ12446\tLAS17\nP17555\tSRV2\n");
  EXPECT_EQ(r.errors,
            "trellis2-prep: goa_yeast.gaf.gz: 13 lines read, 5 labels written\n"
            "trellis2-prep: left out:\n  3 comment line ('!') (lines 1, 2, 3)\n"
            "  3 repeated label of an id (lines 5, 6, 9)\n"
            "  1 other label of an id already labelled (the first one kept) (line 12)\n"
            "  1 id without a label (line 13)\n");
}

TEST(PrepLabels, RefusesInputOfAnotherKindAndBadOptions) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"--from", "gaf", "9606.protein.info.v12.0.txt.gz"},
       1,
       "9606.protein.info.v12.0.txt.gz:1: 4 tab-separated columns, a GAF row has 15 to 17"},
      {{"--from", "string-info", "goa_yeast.gaf.gz"},
       1,
       "goa_yeast.gaf.gz:1: not the header of a STRING protein.info file"},
      {{"--from", "fasta", "goa_yeast.gaf.gz"}, 1, "goa_yeast.gaf.gz: no FASTA header line"},
      {{"--from", "string-info", "missing.txt"}, 1, "missing.txt: cannot open"},
      {{"--from", "gaf", "--fasta-id", "word", "goa_yeast.gaf.gz"},
       2,
       "--fasta-id applies to --from fasta only"},
      {{"--from", "fasta", "--fasta-id", "uniprot", "x.fa"},
       2,
       "--fasta-id: 'uniprot' is neither accession nor word"},
      {{"--from", "tsv", "x.tsv"}, 2, "--from: 'tsv' is not a label source"},
      {{"--from", "gaf"}, 2, "no INPUT file given"},
  };
  for (const auto& c : cases) {
    const RunResult r = labels(c.args);
    EXPECT_EQ(r.status, c.status) << c.message;
    EXPECT_NE(r.errors.find(c.message), std::string::npos) << r.errors;
    EXPECT_EQ(r.output, "");
  }
}

}  // namespace
