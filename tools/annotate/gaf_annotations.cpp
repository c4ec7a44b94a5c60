#include "tools/annotate/gaf_annotations.h"

#include <algorithm>

#include "tools/common/text_fields.h"
#include "tools/common/text_input.h"
#include "tools/common/tool_error.h"

namespace {

constexpr size_t MIN_COLUMNS = 15;  // GAF 2.x has 17, the last two optional

// GAF column numbers (1-based, as the format describes them) as indexes.
constexpr size_t OBJECT_ID = 1, SYMBOL = 2, QUALIFIER = 3, TERM = 4, SYNONYMS = 10;

bool hasNot(const std::string& qualifier) {
  for (const std::string& q : splitOn(qualifier, '|'))
    if (q == "NOT") return true;
  return false;
}

}  // namespace

GafAnnotations::GafAnnotations(const std::string& path, const GoOntology& go) : m_file(path) {
  TextInput in(path);
  std::string line;
  while (in.next(&line)) {
    if (line.empty() || line[0] == '!') continue;
    const std::vector<std::string> f = splitOn(line, '\t');
    if (f.size() < MIN_COLUMNS)
      throw ToolError(in.where() + std::to_string(f.size()) + " tab-separated columns, a GAF row has " +
                      std::to_string(MIN_COLUMNS) + " to 17: " + quoted(line));
    ++m_rows;
    if (hasNot(f[QUALIFIER])) {
      ++m_notRows;
      continue;
    }
    const int term = go.find(f[TERM]);
    if (term == GoOntology::NONE) {
      ++(go.isObsolete(f[TERM]) ? m_obsoleteRows : m_unknownRows);
      continue;
    }
    add(&m_byObjectId, f[OBJECT_ID], term);
    add(&m_bySymbol, f[SYMBOL], term);
    for (const std::string& synonym : splitOn(f[SYNONYMS], '|')) add(&m_bySynonym, synonym, term);
  }
}

void GafAnnotations::add(Index* index, const std::string& key, int term) {
  if (key.empty()) return;
  std::vector<int>& terms = (*index)[key];
  if (std::find(terms.begin(), terms.end(), term) == terms.end()) terms.push_back(term);
}

std::vector<int> GafAnnotations::termsOf(const std::string& name, Match* how) const {
  const std::pair<const Index*, Match> order[] = {
      {&m_byObjectId, Match::OBJECT_ID}, {&m_bySymbol, Match::SYMBOL}, {&m_bySynonym, Match::SYNONYM}};
  for (const auto& by : order) {
    const auto it = by.first->find(name);
    if (it == by.first->end()) continue;
    std::vector<int> terms = it->second;
    std::sort(terms.begin(), terms.end());
    *how = by.second;
    return terms;
  }
  *how = Match::NONE;
  return {};
}
