#include "fuzz_util.h"

#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>


namespace fuzzutil {

namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

void setUp() {
  int devnull = open("/dev/null", O_WRONLY);
  if (devnull >= 0) {
    std::fflush(stdout);
    dup2(devnull, STDOUT_FILENO);
    close(devnull);
  }
}

std::vector<std::string> splitSections(const uint8_t* data, size_t size, size_t maxSections) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string sep = SECTION_SEPARATOR;
  std::vector<std::string> sections;
  size_t pos = 0;
  while (sections.size() + 1 < maxSections) {
    size_t found = text.find(sep, pos);
    if (found == std::string::npos) break;
    sections.push_back(text.substr(pos, found - pos));
    pos = found + sep.size();
  }
  sections.push_back(text.substr(pos));
  return sections;
}

std::vector<std::string> splitWords(const std::string& text, size_t maxWords, size_t maxLength) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size() && words.size() < maxWords) {
    while (i < text.size() && isBlank(text[i])) ++i;
    size_t start = i;
    while (i < text.size() && !isBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, std::min(i - start, maxLength)));
  }
  return words;
}

void check(bool cond, const char* what) {
  if (cond) return;
  std::fprintf(stderr, "harness invariant broken: %s\n", what);
  std::abort();
}

ScratchDir::ScratchDir() {
  char templ[] = "/tmp/trellis2-fuzz-XXXXXX";
  const char* made = mkdtemp(templ);
  check(made != nullptr, "mkdtemp");
  m_path = made;
}

ScratchDir::~ScratchDir() { nftw(m_path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS); }

void writeFile(const std::string& path, const std::string& contents) {
  FILE* f = std::fopen(path.c_str(), "wb");
  check(f != nullptr, "scratch file cannot be created");
  std::fwrite(contents.data(), 1, contents.size(), f);
  std::fclose(f);
}

ArgVector::ArgVector(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    // An argument ends at its first NUL, as it would coming from a shell.
    m_storage.emplace_back(a.c_str(), a.c_str() + std::strlen(a.c_str()) + 1);
  }
  for (std::vector<char>& s : m_storage) m_ptrs.push_back(s.data());
  m_ptrs.push_back(nullptr);
}

}  // namespace fuzzutil
