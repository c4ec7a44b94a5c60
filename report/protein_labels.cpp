#include "report/protein_labels.h"

#include <cctype>

#include "common/file_io.h"

ProteinLabels ProteinLabels::read(const std::string& path) {
  ProteinLabels labels;
  std::string text;
  if (!readWholeFile(path, &text)) return labels;
  labels.found = true;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    const std::string id = line.substr(0, tab), label = tab == std::string::npos ? "" : line.substr(tab + 1);
    if (id.empty() || label.empty() || label.find('\t') != std::string::npos) {
      ++labels.skipped;
      continue;
    }
    labels.byId.emplace(id, label);  // the first label of an id stays
  }
  return labels;
}

std::string Naming::speciesName(uint s) const {
  return s < species.size() ? species[s] : "species " + std::to_string(s);
}

std::string Naming::speciesKey(uint s) const { return s < species.size() ? species[s] : std::to_string(s); }

std::string Naming::labelOf(const Node* n) const {
  const auto found = labels.byId.find(n->m_name);
  return found != labels.byId.end() ? found->second : n->m_name;
}

bool isUniprotAccession(const std::string& name) {
  const std::string base = name.substr(0, name.find('-'));
  if (base.size() != name.size()) {  // an isoform: "-" and digits
    const std::string isoform = name.substr(base.size() + 1);
    if (isoform.empty()) return false;
    for (char c : isoform)
      if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  const auto upperOrDigit = [](char c) { return std::isupper(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)); };
  const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  const auto upper = [](char c) { return std::isupper(static_cast<unsigned char>(c)) != 0; };
  // [OPQ][0-9][A-Z0-9]{3}[0-9]
  if (base.size() == 6 && (base[0] == 'O' || base[0] == 'P' || base[0] == 'Q') && digit(base[1]) &&
      upperOrDigit(base[2]) && upperOrDigit(base[3]) && upperOrDigit(base[4]) && digit(base[5]))
    return true;
  // [A-NR-Z][0-9]([A-Z][A-Z0-9]{2}[0-9]){1,2}
  if ((base.size() != 6 && base.size() != 10) || !upper(base[0]) || base[0] == 'O' || base[0] == 'P' ||
      base[0] == 'Q' || !digit(base[1]))
    return false;
  for (size_t at = 2; at < base.size(); at += 4) {
    if (!upper(base[at]) || !upperOrDigit(base[at + 1]) || !upperOrDigit(base[at + 2]) || !digit(base[at + 3]))
      return false;
  }
  return true;
}
