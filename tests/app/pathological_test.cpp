// Runs of the real binary on hostile or degenerate input: each either runs
// normally or stops with a clear message and the documented exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

using testutil::fileExists;
using testutil::readFile;
using testutil::RunResult;
using testutil::runTrellis;
using testutil::TempDir;
using testutil::writeFile;

// Interactions of one species with prefix p: a dense 4-protein core and a
// sparse ring of 14 proteins, so the model holds and one complex is found.
std::vector<std::string> speciesLines(char p) {
  std::vector<std::string> lines;
  const auto name = [p](int i) { return std::string(1, p) + std::to_string(i); };
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) lines.push_back(name(i) + " " + name(j) + " 0.9");
  for (int i = 3; i < 14; ++i) lines.push_back(name(i) + " " + name((i + 1) % 14) + " 0.3");
  for (int i = 0; i < 14; i += 3) lines.push_back(name(i) + " " + name((i + 5) % 14) + " 0.2");
  return lines;
}

// Similarity links between the proteins of equal number in every two species.
std::vector<std::string> similarityLines(const std::string& prefixes, const std::string& evalue = "1e-30") {
  std::vector<std::string> lines;
  for (size_t x = 0; x < prefixes.size(); ++x)
    for (size_t y = x + 1; y < prefixes.size(); ++y)
      for (int i = 0; i < 14; ++i)
        lines.push_back(prefixes[x] + std::to_string(i) + " " + prefixes[y] + std::to_string(i) + " " +
                        evalue);
  return lines;
}

std::string join(const std::vector<std::string>& lines, const std::string& eol = "\n", bool finalEol = true) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    text += lines[i];
    if (i + 1 < lines.size() || finalEol) text += eol;
  }
  return text;
}

// Writes the three-species data set as <dir>/in_*.txt.
void writeDataSet(const TempDir& dir, const std::string& eol = "\n", bool finalEol = true,
                  const std::string& evalue = "1e-30") {
  for (int s = 0; s < 3; ++s)
    writeFile(dir.file("in_int-" + std::to_string(s) + ".txt"), join(speciesLines("abc"[s]), eol, finalEol));
  writeFile(dir.file("in_blast.txt"), join(similarityLines("abc", evalue), eol, finalEol));
}

// A run in dir with relative paths, so that runs in two directories print alike.
RunResult run3(const TempDir& dir, const std::vector<std::string>& options = {}) {
  std::vector<std::string> args{"3", "in", "out"};
  args.insert(args.end(), options.begin(), options.end());
  RunResult r = runTrellis(args, dir.path());
  r.output = testutil::normalizeConsole(r.output);
  return r;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Deterministic bytes of every value, NUL and line breaks included.
std::string garbage(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 16);
  }
  return bytes;
}

TEST(PathologicalTest, BaselineFindsOneComplex) {
  TempDir dir;
  writeDataSet(dir);
  RunResult r = run3(dir);
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(contains(r.output, "Done, for 1 complexes\n")) << r.output;
  EXPECT_TRUE(fileExists(dir.file("out/alignments/ucomplex_00001.txt")));
}

TEST(PathologicalTest, MegabyteLinesAreReadWhole) {
  TempDir dir;
  writeDataSet(dir);
  const std::string junk(1 << 20, 'x');
  const std::string longName(1 << 20, 'n');
  writeFile(dir.file("in_int-0.txt"), join(speciesLines('a')) + junk + "\n" + longName + " a0 0.5\n");
  writeFile(dir.file("in_blast.txt"), join(similarityLines("abc")) + junk + "\n" + longName + " b0 1e-30\n");
  RunResult r = run3(dir);
  ASSERT_EQ(r.status, 0);
  // The whole line is reported, and the long name became one protein, not pieces of one.
  EXPECT_TRUE(contains(r.output, " WARNING: SKIPPING illegal interactions line: " + junk + "\n"));
  EXPECT_TRUE(contains(r.output, " INFO: SKIPPING illegal homologs line: " + junk + "\n"));
  EXPECT_TRUE(contains(r.output, " Specie 0 net: 15 proteins, 23 PPI, 29 homologs\n"))
      << r.output.substr(0, 4000);
}

TEST(PathologicalTest, BinaryGarbageIsSkippedLineByLine) {
  TempDir dir;
  writeDataSet(dir);
  writeFile(dir.file("in_int-1.txt"), join(speciesLines('b')) + garbage(8192, 1));
  writeFile(dir.file("in_blast.txt"), garbage(8192, 2) + "\n" + join(similarityLines("abc")));
  RunResult r = run3(dir);
  ASSERT_EQ(r.status, 0) << r.output.substr(0, 4000);
  EXPECT_TRUE(contains(r.output, " WARNING: SKIPPING illegal interactions line: "));
  EXPECT_TRUE(contains(r.output, " INFO: SKIPPING illegal homologs line: "));
  EXPECT_TRUE(contains(r.output, "Done, for 1 complexes\n"));

  // Garbage as the only content leaves species 1 too small for the model.
  writeFile(dir.file("in_int-1.txt"), garbage(8192, 3));
  r = run3(dir);
  EXPECT_EQ(r.status, 253);
  EXPECT_TRUE(contains(r.output, "Illegal model configuration detected. Illegal p_"));
}

// Line endings must not change what is read: no final break, or CR LF
// everywhere, give the same console report and the same files as plain LF.
TEST(PathologicalTest, LineEndingsDoNotChangeTheResult) {
  TempDir plain, noFinal, crlf;
  // E-values at the threshold: a stray CR would make them unreadable or the names unknown.
  writeDataSet(plain, "\n", true, "1e-07");
  writeDataSet(noFinal, "\n", false, "1e-07");
  writeDataSet(crlf, "\r\n", true, "1e-07");
  const RunResult expected = run3(plain);
  ASSERT_EQ(expected.status, 0);
  ASSERT_TRUE(contains(expected.output, " Total: 42 proteins, 66 PPI, 42 homologs (counted once)\n"));
  const std::vector<std::string> files = {"alignments/ucomplex_00001.txt", "species_0/complex_00001.txt",
                                          "species_1/complex_00001.txt", "species_2/complex_00001.txt"};
  for (const TempDir* dir : {&noFinal, &crlf}) {
    const RunResult r = run3(*dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, expected.output);
    for (const std::string& f : files) {
      const std::string text = readFile(dir->file("out/" + f));
      EXPECT_EQ(text, readFile(plain.file("out/" + f))) << f;
      EXPECT_EQ(text.find('\r'), std::string::npos) << f;
    }
  }
}

TEST(PathologicalTest, SpeciesBeyondEightThousandProteinsRuns) {
  TempDir dir;
  writeDataSet(dir);
  std::string pairs;  // proteins 0..8000, each in one interaction at least
  for (int i = 0; i + 1 < 8001; i += 2)
    pairs += "p" + std::to_string(i) + " p" + std::to_string(i + 1) + " 0.5\n";
  pairs += "p8000 p0 0.5\n";
  writeFile(dir.file("in_int-2.txt"), pairs);
  const RunResult r = run3(dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(contains(r.output, " Specie 2 net: 8001 proteins")) << r.output.substr(0, 4000);
}

TEST(PathologicalTest, NameSharedBetweenSpeciesStopsTheRun) {
  TempDir dir;
  writeDataSet(dir);
  writeFile(dir.file("in_int-1.txt"), join(speciesLines('b')) + "b0 a3 0.5\n");
  const RunResult r = run3(dir);
  EXPECT_EQ(r.status, 255);
  EXPECT_TRUE(
      contains(r.output,
               " Reading PPI data:\tin_int-1.txt\nERROR: There is a problem with input interactions files\n"
               "ERROR: protein name a3 was found in interaction files of two different species (1 and 0)\n"))
      << r.output;
}

// Without any usable similarity link there is nothing to align: a normal run
// that finds nothing and writes no complex file.
TEST(PathologicalTest, NoSimilarityLinksGiveAnEmptyResult) {
  TempDir empty, isolated;
  writeDataSet(empty);
  writeFile(empty.file("in_blast.txt"), "");
  writeDataSet(isolated);
  writeFile(isolated.file("in_blast.txt"), join(similarityLines("xyz")));
  for (const TempDir* dir : {&empty, &isolated}) {
    const RunResult r = run3(*dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains(r.output, "Done, for 0 complexes\n")) << r.output;
    EXPECT_TRUE(contains(r.output, "--= FINISHED =--"));
    EXPECT_FALSE(fileExists(dir->file("out/alignments/ucomplex_00001.txt")));
  }
  EXPECT_TRUE(contains(run3(isolated).output, " INFO: Ignored 42 isolated homologs pairs\n"));
}

TEST(PathologicalTest, InputThatIsADirectory) {
  TempDir dir;
  writeDataSet(dir);
  ASSERT_EQ(mkdir(dir.file("in_int-3.txt").c_str(), 0777), 0);
  RunResult r = runTrellis({"4", "in", "out"}, dir.path());
  EXPECT_EQ(r.status, 255);
  EXPECT_TRUE(contains(r.output, "ERROR: Can't open file: in_int-3.txt\n")) << r.output;

  std::remove(dir.file("in_blast.txt").c_str());
  ASSERT_EQ(mkdir(dir.file("in_blast.txt").c_str(), 0777), 0);
  r = run3(dir);
  EXPECT_EQ(r.status, 253);
  EXPECT_TRUE(contains(r.output, "ERROR: Can't open file: in_blast.txt\n")) << r.output;
}

// An output directory below a regular file cannot be made, even by root.
// An output directory that cannot be made stops the run before any input is
// read, so that no search runs for nothing; missing parents are made.
TEST(PathologicalTest, OutputDirectoryThatCannotBeCreated) {
  TempDir dir;
  writeDataSet(dir);
  writeFile(dir.file("plain"), "");
  const RunResult r = runTrellis({"3", "in", "plain/out"}, dir.path());
  EXPECT_EQ(r.status, 255);
  EXPECT_TRUE(contains(r.output, "ERROR: Can't create output directory: plain/out\n")) << r.output;
  EXPECT_FALSE(contains(r.output, "Reading data network"));
  const RunResult deep = runTrellis({"3", "in", "a/b/out"}, dir.path());
  EXPECT_EQ(deep.status, 0) << deep.output;
  EXPECT_TRUE(fileExists(dir.file("a/b/out/alignments/ucomplex_00001.txt")));
}

// A directory standing where one output file belongs loses that file only.
TEST(PathologicalTest, OutputFileThatCannotBeWritten) {
  TempDir dir;
  writeDataSet(dir);
  ASSERT_EQ(mkdir(dir.file("out").c_str(), 0777), 0);
  ASSERT_EQ(mkdir(dir.file("out/species_1").c_str(), 0777), 0);
  ASSERT_EQ(mkdir(dir.file("out/species_1/complex_00001.txt").c_str(), 0777), 0);
  const RunResult r = run3(dir);
  EXPECT_EQ(r.status, 252);
  EXPECT_TRUE(contains(r.output, "ERROR: Can't create file: out/species_1/complex_00001.txt\n")) << r.output;
  EXPECT_TRUE(contains(r.output, "ERROR: 1 output files could not be written\n"));
  EXPECT_TRUE(contains(r.output, "--= FINISHED =--"));
  EXPECT_TRUE(fileExists(dir.file("out/alignments/ucomplex_00001.txt")));
  EXPECT_TRUE(fileExists(dir.file("out/species_2/complex_00001.txt")));
}

}  // namespace
