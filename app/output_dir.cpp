#include "app/output_dir.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "common/run_files.h"
#include "common/text.h"

namespace {

// The entry itself, never what a link points to.
bool entryIs(const std::string& path, mode_t type) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

bool isDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The id of a file named prefix + "%05u" + ".txt", exactly as the writers name them.
bool complexFileId(const std::string& name, const char* prefix, uint* id) {
  const size_t n = std::strlen(prefix);
  if (name.compare(0, n, prefix) != 0 || name.size() < n + 4 || name.compare(name.size() - 4, 4, ".txt") != 0)
    return false;
  uint64_t v = 0;
  if (!parseDigits(name.substr(n, name.size() - n - 4), 0xFFFFFFFFu, &v)) return false;
  if (complexFileName(prefix, static_cast<uint>(v)) != name) return false;
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
// Only regular files go: a link or a directory of that name is not the
// program's own.
uint removeStale(const std::string& dir, const char* prefix, const std::set<uint>& kept, FILE* console) {
  uint removed = 0;
  for (const std::string& name : entries(dir)) {
    uint id = 0;
    if (!complexFileId(name, prefix, &id) || kept.count(id) != 0) continue;
    const std::string path = dir + "/" + name;
    if (!entryIs(path, S_IFREG)) continue;
    if (std::remove(path.c_str()) == 0) {
      ++removed;
    } else {
      std::fprintf(console, " WARNING: could not remove %s of an earlier run: %s\n", path.c_str(),
                   std::strerror(errno));
    }
  }
  return removed;
}

// species_<s>, exactly as the writer names the directory of species s.
bool speciesDirIndex(const std::string& name, uint64_t* s) {
  return name.compare(0, 8, "species_") == 0 && parseDigits(name.substr(8), 0xFFFFFFFFu, s) &&
         std::to_string(*s) == name.substr(8);
}

}  // namespace

bool makeOutputDirectory(const std::string& path) {
  // Each parent in turn; one that exists already is fine.
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    static_cast<void>(mkdir(path.substr(0, slash).c_str(), 0777));
  static_cast<void>(mkdir(path.c_str(), 0777));
  return isDirectory(path) && access(path.c_str(), W_OK | X_OK) == 0;
}

void makeOwnDirectory(const std::string& path) {
  if (entryIs(path, S_IFLNK)) static_cast<void>(unlink(path.c_str()));
  static_cast<void>(mkdir(path.c_str(), 0777));
}

uint removeEarlierResults(const std::string& outDir, uint speciesNum, const std::list<Complex>& complexes,
                          FILE* console) {
  std::set<uint> kept;
  for (const Complex& c : complexes) kept.insert(c.m_id);
  const std::set<uint> none;
  uint removed = 0;
  // Directories that are links are never entered: what they point to is not the run's.
  if (entryIs(alignmentsDir(outDir), S_IFDIR))
    removed += removeStale(alignmentsDir(outDir), ALIGNMENT_FILE_PREFIX, kept, console);
  for (const std::string& name : entries(outDir)) {
    uint64_t s = 0;
    const std::string dir = outDir + "/" + name;
    if (!speciesDirIndex(name, &s) || !entryIs(dir, S_IFDIR)) continue;
    const bool beyond = s >= speciesNum;
    removed += removeStale(dir, SPECIES_FILE_PREFIX, beyond ? none : kept, console);
    if (beyond) static_cast<void>(rmdir(dir.c_str()));  // only when nothing else is left
  }
  return removed;
}
