#include "tools/annotate/run_results.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "common/text.h"
#include "common/run_files.h"
#include "network/input_line.h"
#include "report/run_manifest.h"
#include "tools/common/text_fields.h"
#include "tools/common/text_input.h"
#include "tools/common/tool_error.h"

namespace {

bool isDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string complexFile(const std::string& outDir, unsigned s, unsigned id) {
  return speciesDir(outDir, s) + "/" + complexFileName(SPECIES_FILE_PREFIX, id);
}

// A complex id as the file names and complexes.tsv write it.
bool parseId(const std::string& text, unsigned* id) {
  uint64_t v = 0;
  if (text.size() > 9 || !parseDigits(text, 999999999, &v)) return false;
  *id = static_cast<unsigned>(v);
  return true;
}

// The ids of the complex_<id>.txt files of dir, ascending.
std::vector<unsigned> idsInDirectory(const std::string& dir) {
  std::vector<unsigned> ids;
  DIR* d = opendir(dir.c_str());
  if (!d) throw ToolError(dir + ": cannot open the directory of the run's complexes");
  for (const dirent* e = readdir(d); e != nullptr; e = readdir(d)) {
    const std::string name = e->d_name;
    unsigned id = 0;
    if (name.size() > 12 && name.compare(0, 8, "complex_") == 0 &&
        name.compare(name.size() - 4, 4, ".txt") == 0 && parseId(name.substr(8, name.size() - 12), &id))
      ids.push_back(id);
  }
  closedir(d);
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace

RunResults::RunResults(const std::string& outDir, const std::string& inputOverride) : m_outDir(outDir) {
  if (!isDirectory(outDir))
    throw ToolError(outDir + ": not a directory (the output directory of a trellis2 run)");
  readManifest(inputOverride);
  for (unsigned id : complexIds()) readComplex(id);
}

void RunResults::readManifest(const std::string& inputOverride) {
  const std::string path = m_outDir + "/manifest.tsv";
  if (!exists(path) && !inputOverride.empty()) {
    while (m_speciesNum < MAX_SPECIES && isDirectory(speciesDir(m_outDir, m_speciesNum)))
      ++m_speciesNum;
    if (m_speciesNum < 2)
      throw ToolError(m_outDir +
                      ": no manifest.tsv and no species_0, species_1 directories: not a trellis2 run");
    m_inPrefix = inputOverride;
    return;
  }
  RunManifest manifest;
  std::string error;
  if (!readRunManifest(path, &manifest, &error)) {
    if (!exists(path)) error += " (older versions of trellis2 write none: give --input PREFIX)";
    throw ToolError(error);
  }
  m_speciesNum = manifest.speciesNum;
  m_speciesNames = manifest.speciesNames;
  m_inPrefix = inputOverride.empty() ? manifest.inPrefix : inputOverride;
}

std::vector<unsigned> RunResults::complexIds() const {
  const std::string table = m_outDir + "/complexes.tsv";
  if (!exists(table)) return idsInDirectory(m_outDir + "/species_0");
  TextInput in(table);
  std::string line;
  if (!in.next(&line) || splitOn(line, '\t')[0] != "id")
    throw ToolError(in.where() + "expected the header of complexes.tsv (id, rank, ...), found " +
                    quoted(line));
  std::vector<unsigned> ids;
  while (in.next(&line)) {
    const std::string field = splitOn(line, '\t')[0];
    unsigned id = 0;
    if (!parseId(field, &id))
      throw ToolError(in.where() + "complex id " + quoted(field) + " is not a number");
    ids.push_back(id);
  }
  return ids;
}

void RunResults::readComplex(unsigned id) {
  RunComplex c;
  c.id = id;
  for (unsigned s = 0; s < m_speciesNum; ++s) {
    TextInput in(complexFile(m_outDir, s, id));
    std::string line;
    if (!in.next(&line) || line.compare(0, 8, "# Score:") != 0)
      throw ToolError(in.where() + "expected '# Score: ...', found " + quoted(line));
    std::vector<std::string> proteins;
    while (in.next(&line)) {
      if (line.empty()) continue;
      if (std::find(proteins.begin(), proteins.end(), line) == proteins.end()) proteins.push_back(line);
    }
    c.proteins.push_back(std::move(proteins));
  }
  m_complexes.push_back(std::move(c));
}

NetworkProteins RunResults::readNetwork(unsigned s) const {
  NetworkProteins net;
  net.file = interactionFile(m_inPrefix, s);
  TextInput in(net.file);
  std::unordered_map<std::string, uint32_t> index;
  const auto add = [&](const std::string& name) {
    const auto it = index.emplace(name, static_cast<uint32_t>(net.names.size()));
    if (it.second) {
      net.set.insert(name);
      net.names.push_back(name);
    }
    return it.first->second;
  };
  readInteractionRecords(
      in,
      [&](const InputRecord& rec) {
        const uint32_t a = add(rec.name1);
        net.interactions.emplace_back(a, add(rec.name2));
      },
      [](const std::string&) {});
  for (const RunComplex& c : m_complexes) {
    for (const std::string& p : c.proteins[s]) {
      if (!net.has(p))
        throw ToolError(complexFile(m_outDir, s, c.id) + ": protein " + quoted(p) + " is not in " + net.file +
                        ": the run read other input files (give their prefix with --input)");
    }
  }
  return net;
}
