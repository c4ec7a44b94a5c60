#include "app/output_files.h"

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/output_dir.h"
#include "common/file_io.h"
#include "common/run_files.h"
#include "report/report.h"

namespace {

// Writes one file through write(stream); reports and counts a file that
// cannot be written, which then is not there under its name.
void writeOutput(const std::string& path, const std::function<void(FILE*)>& write, uint* failures,
                 FILE* console) {
  OutputFile file(path);
  if (file.ok()) {
    write(file.stream());
    if (file.commit()) return;
  }
  std::fprintf(console, "ERROR: Can't create file: %s\n", path.c_str());
  ++*failures;
}

}  // namespace

uint writeAlignmentsToFiles(const std::string& dir, const std::list<Complex>& complexes, FILE* console) {
  uint failures = 0;
  for (const Complex& c : complexes) {
    writeOutput(dir + "/" + complexFileName(ALIGNMENT_FILE_PREFIX, c.m_id), [&c](FILE* f) { c.fprint(f); },
                &failures, console);
  }
  return failures;
}

uint writeComplexesToFiles(const std::string& outDir, byte speciesNum, const std::list<Complex>& complexes,
                           FILE* console) {
  uint failures = 0;
  for (byte s = 0; s < speciesNum; ++s) {
    const std::string dir = speciesDir(outDir, s);
    makeOwnDirectory(dir);
    for (const Complex& c : complexes) {
      writeOutput(dir + "/" + complexFileName(SPECIES_FILE_PREFIX, c.m_id), [&c, s](FILE* f) { c.fprint(s, f); },
                  &failures, console);
    }
  }
  return failures;
}

uint writeReportFiles(const std::string& dir, const RunSummary& summary, FILE* console) {
  struct stat st;
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return 0;
  const std::vector<ComplexRow> rows = complexRows(summary);
  const std::list<Complex>& complexes = *summary.complexes;
  const std::pair<const char*, std::function<void(FILE*)>> files[] = {
      {"complexes.tsv", [&](FILE* f) { writeSummaryTable(f, rows, summary); }},
      {"complexes.sif", [&](FILE* f) { writeSif(f, complexes, summary.speciesNum); }},
      {"nodes.tsv", [&](FILE* f) { writeNodeTable(f, complexes, summary.speciesNum, summary.naming); }},
      {"report.html", [&](FILE* f) { writeHtmlReport(f, summary, rows); }},
  };
  uint failures = 0;
  for (const auto& file : files) writeOutput(dir + "/" + file.first, file.second, &failures, console);
  return failures;
}
