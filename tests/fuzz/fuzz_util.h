// Shared pieces of the fuzz targets: a silent standard output, fuzz input
// split into file sections and scratch directories for the files a run reads
// and writes. The program's errors are thrown (common/error.h); a target
// catches them, so an error ends the input instead of the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzutil {

// Sends standard output to /dev/null (the program reports everything there).
// Call once per process.
void setUp();

// Splits the input at every SECTION_SEPARATOR; at most maxSections pieces
// (the last one keeps the rest, separators included).
constexpr const char* SECTION_SEPARATOR = "%%%\n";
std::vector<std::string> splitSections(const uint8_t* data, size_t size, size_t maxSections);

// Blank-separated words of text, at most maxWords of at most maxLength bytes each.
std::vector<std::string> splitWords(const std::string& text, size_t maxWords, size_t maxLength);

// Stops the input when cond fails: a broken harness-level invariant is a finding.
void check(bool cond, const char* what);

// A fresh directory under /tmp, removed with its contents on destruction.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return m_path; }
  std::string file(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

void writeFile(const std::string& path, const std::string& contents);

// A mutable argument vector for functions that take char**.
class ArgVector {
 public:
  explicit ArgVector(const std::vector<std::string>& args);
  int argc() const { return static_cast<int>(m_ptrs.size()) - 1; }
  char** argv() { return m_ptrs.data(); }

 private:
  std::vector<std::vector<char>> m_storage;
  std::vector<char*> m_ptrs;  // null-terminated
};

}  // namespace fuzzutil
