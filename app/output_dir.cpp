#include "app/output_dir.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

namespace {

bool isDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The id of a file named prefix + "%05u" + ".txt", as the writers name them.
bool complexFileId(const char* name, const char* prefix, uint* id) {
  const size_t n = std::strlen(prefix);
  if (std::strncmp(name, prefix, n) != 0) return false;
  const char* digits = name + n;
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(digits, &end, 10);
  if (end == digits || errno == ERANGE || v > 0xFFFFFFFFull || std::strcmp(end, ".txt") != 0) return false;
  char expected[64];
  std::snprintf(expected, sizeof expected, "%s%05u.txt", prefix, static_cast<uint>(v));
  if (std::strcmp(expected, name) != 0) return false;
  *id = static_cast<uint>(v);
  return true;
}

std::vector<std::string> entries(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return names;
  while (const dirent* e = readdir(d)) names.emplace_back(e->d_name);
  closedir(d);
  return names;
}

// Removes the complex files of dir whose id is not kept; returns how many.
uint removeStale(const std::string& dir, const char* prefix, const std::set<uint>& kept, FILE* console) {
  uint removed = 0;
  for (const std::string& name : entries(dir)) {
    uint id = 0;
    if (!complexFileId(name.c_str(), prefix, &id) || kept.count(id) != 0) continue;
    const std::string path = dir + "/" + name;
    if (std::remove(path.c_str()) == 0) {
      ++removed;
    } else {
      std::fprintf(console, " WARNING: could not remove %s of an earlier run: %s\n", path.c_str(),
                  std::strerror(errno));
    }
  }
  return removed;
}

}  // namespace

bool makeOutputDirectory(const std::string& path) {
  // Each parent in turn; one that exists already is fine.
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    static_cast<void>(mkdir(path.substr(0, slash).c_str(), 0777));
  static_cast<void>(mkdir(path.c_str(), 0777));
  return isDirectory(path) && access(path.c_str(), W_OK | X_OK) == 0;
}

uint removeEarlierResults(const std::string& outDir, uint speciesNum, const std::list<Complex>& complexes,
                          FILE* console) {
  std::set<uint> kept;
  for (const Complex& c : complexes) kept.insert(c.m_id);
  const std::set<uint> none;
  uint removed = removeStale(outDir + "/alignments", "ucomplex_", kept, console);
  for (const std::string& name : entries(outDir)) {
    // species_<s>, as the writer names the directory of species s.
    if (name.compare(0, 8, "species_") != 0) continue;
    char* end = nullptr;
    const unsigned long v = std::strtoul(name.c_str() + 8, &end, 10);
    if (end == name.c_str() + 8 || *end != '\0' || std::to_string(v) != name.substr(8)) continue;
    const std::string dir = outDir + "/" + name;
    if (!isDirectory(dir)) continue;
    const bool beyond = v >= speciesNum;
    removed += removeStale(dir, "complex_", beyond ? none : kept, console);
    if (beyond) static_cast<void>(rmdir(dir.c_str()));  // only when nothing else is left
  }
  return removed;
}
