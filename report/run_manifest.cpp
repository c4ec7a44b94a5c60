#include "report/run_manifest.h"

#include "common/file_io.h"
#include "common/text.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int FORMAT = 1;

std::string escapeValue(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// False on an escape the writer never produces.
bool unescapeValue(const std::string& text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      *out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        *out += '\\';
        break;
      case 't':
        *out += '\t';
        break;
      case 'n':
        *out += '\n';
        break;
      case 'r':
        *out += '\r';
        break;
      default:
        return false;
    }
  }
  return true;
}

std::string currentDirectory() {
  std::vector<char> buf(4096);
  while (getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return "";
    buf.resize(buf.size() * 2);
  }
  return buf.data();
}

bool readAll(const std::string& path, std::string* text, std::string* error) {
  if (readWholeFile(path, text)) return true;
  *error = path + ": cannot open: " + std::strerror(errno);
  return false;
}

// A whole decimal number in [low, high].
bool parseCount(const std::string& text, long low, long high, long* out) {
  uint64_t v = 0;
  if (!parseDigits(text, 999999999, &v)) return false;
  *out = static_cast<long>(v);
  return *out >= low && *out <= high;
}

}  // namespace

std::string absolutePrefix(const std::string& prefix) {
  if (!prefix.empty() && prefix[0] == '/') return prefix;
  const std::string cwd = currentDirectory();
  if (cwd.empty()) return "";
  size_t start = 0;
  while (prefix.compare(start, 2, "./") == 0) {
    start += 2;
    while (start < prefix.size() && prefix[start] == '/') ++start;
  }
  return (cwd == "/" ? "" : cwd) + "/" + prefix.substr(start);
}

bool writeRunManifest(const std::string& outDir, uint speciesNum, const std::string& inPrefix,
                      const std::vector<std::string>& speciesNames) {
  const std::string input = absolutePrefix(inPrefix);
  if (input.empty()) return false;
  std::string text = "key\tvalue\n";
  text += "format\t" + std::to_string(FORMAT) + "\n";
  text += "species\t" + std::to_string(speciesNum) + "\n";
  text += "input\t" + escapeValue(input) + "\n";
  if (!speciesNames.empty()) {
    std::string names;
    for (const std::string& name : speciesNames) names += (names.empty() ? "" : ",") + name;
    text += "names\t" + escapeValue(names) + "\n";
  }
  return writeWholeFile(outDir + "/manifest.tsv", text);
}

bool readRunManifest(const std::string& path, RunManifest* out, std::string* error) {
  std::string text;
  if (!readAll(path, &text, error)) return false;
  bool haveFormat = false, haveSpecies = false, haveInput = false;
  size_t lineNo = 0;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string at = path + ":" + std::to_string(lineNo) + ": ";
    const size_t tab = line.find('\t');
    if (tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos) {
      *error = at + "expected key<TAB>value, found '" + line + "'";
      return false;
    }
    const std::string key = line.substr(0, tab), value = line.substr(tab + 1);
    if (lineNo == 1) {
      if (key != "key" || value != "value") {
        *error = at + "expected the header key<TAB>value, found '" + line + "'";
        return false;
      }
      continue;
    }
    long number = 0;
    if (key == "format") {
      if (!parseCount(value, 1, 1000000, &number) || number != FORMAT) {
        *error = at + "format '" + value + "': this program reads format " + std::to_string(FORMAT);
        return false;
      }
      haveFormat = true;
    } else if (key == "species") {
      if (!parseCount(value, 2, MAX_SPECIES, &number)) {
        *error = at + "species '" + value + "': expected 2.." + std::to_string(MAX_SPECIES);
        return false;
      }
      out->speciesNum = static_cast<uint>(number);
      haveSpecies = true;
    } else if (key == "input") {
      if (!unescapeValue(value, &out->inPrefix) || out->inPrefix.empty() || out->inPrefix[0] != '/') {
        *error = at + "input '" + value + "': expected an absolute path";
        return false;
      }
      haveInput = true;
    } else if (key == "names") {
      std::string names;
      if (!unescapeValue(value, &names) || names.empty()) {
        *error = at + "names '" + value + "': expected names separated by commas";
        return false;
      }
      out->speciesNames.clear();
      for (size_t start = 0;;) {
        const size_t comma = names.find(',', start);
        out->speciesNames.push_back(names.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
    }  // other keys belong to later versions of the same format
  }
  const char* missing = lineNo == 0    ? "the header"
                        : !haveFormat  ? "format"
                        : !haveSpecies ? "species"
                        : !haveInput   ? "input"
                                       : nullptr;
  if (missing) {
    *error = path + ": no " + missing + " line";
    return false;
  }
  if (!out->speciesNames.empty() && out->speciesNames.size() != out->speciesNum) {
    *error = path + ": " + std::to_string(out->speciesNames.size()) + " names for " +
             std::to_string(out->speciesNum) + " species";
    return false;
  }
  return true;
}
