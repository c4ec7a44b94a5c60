#include "app/output_files.h"

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "report/report.h"

namespace {

// Opens path for writing; reports and counts a file that cannot be created.
FILE* createOutputFile(const std::string& path, uint* failures, FILE* console) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(console, "ERROR: Can't create file: %s\n", path.c_str());
    ++*failures;
  }
  return f;
}

// Closes a file written by the writers; a failed write or close loses the file.
void closeOutputFile(FILE* f, const std::string& path, uint* failures, FILE* console) {
  bool bad = std::ferror(f) != 0;
  if (std::fclose(f) != 0) bad = true;
  if (bad) {
    std::fprintf(console, "ERROR: Can't create file: %s\n", path.c_str());
    ++*failures;
  }
}

std::string formatId(const char* pattern, const std::string& dir, uint id) {
  std::vector<char> buf(dir.size() + 64);
  std::snprintf(buf.data(), buf.size(), pattern, dir.c_str(), id);
  return buf.data();
}

}  // namespace

uint writeAlignmentsToFiles(const std::string& dir, const std::list<Complex>& complexes, FILE* console) {
  uint failures = 0;
  for (const Complex& c : complexes) {
    std::string path = formatId("%s/ucomplex_%05u.txt", dir, c.m_id);
    FILE* f = createOutputFile(path, &failures, console);
    if (!f) continue;
    c.fprint(f);
    closeOutputFile(f, path, &failures, console);
  }
  return failures;
}

uint writeComplexesToFiles(const std::string& prefix, byte speciesNum, const std::list<Complex>& complexes,
                           FILE* console) {
  uint failures = 0;
  for (byte s = 0; s < speciesNum; ++s) {
    std::string dir = formatId("%s/species_%u", prefix, s);
    mkdir(dir.c_str(), 0777);
    for (const Complex& c : complexes) {
      std::string path = formatId("%s/complex_%05u.txt", dir, c.m_id);
      FILE* f = createOutputFile(path, &failures, console);
      if (!f) continue;
      c.fprint(s, f);
      closeOutputFile(f, path, &failures, console);
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
      {"nodes.tsv", [&](FILE* f) { writeNodeTable(f, complexes, summary.speciesNum); }},
      {"report.html", [&](FILE* f) { writeHtmlReport(f, summary, rows); }},
  };
  uint failures = 0;
  for (const auto& file : files) {
    const std::string path = dir + "/" + file.first;
    FILE* f = createOutputFile(path, &failures, console);
    if (!f) continue;
    file.second(f);
    closeOutputFile(f, path, &failures, console);
  }
  return failures;
}
