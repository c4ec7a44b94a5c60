#include "tools/annotate/go_ontology.h"

#include <algorithm>

#include "tools/common/text_fields.h"
#include "tools/common/text_input.h"
#include "tools/common/tool_error.h"

namespace {

const char* const ROOTS[] = {"GO:0008150", "GO:0005575", "GO:0003674"};

std::string trim(const std::string& text) {
  const size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return "";
  return text.substr(start, text.find_last_not_of(" \t") + 1 - start);
}

// The first blank-separated word of a value ("GO:0005634 ! nucleus" -> "GO:0005634").
std::string firstWord(const std::string& value) {
  const std::vector<std::string> words = splitBlanks(value);
  return words.empty() ? "" : words[0];
}

std::string aspectOf(const std::string& nameSpace) {
  if (nameSpace == "biological_process") return "P";
  if (nameSpace == "molecular_function") return "F";
  if (nameSpace == "cellular_component") return "C";
  return nameSpace;
}

}  // namespace

// The tags of one [Term] stanza that matter here.
struct GoOntology::Stanza {
  bool isTerm = false;
  std::string where;  // "<file>:<line>: " of the stanza header
  std::string id, name, nameSpace;
  std::vector<std::string> altIds, parents;
  bool obsolete = false;
};

GoOntology::GoOntology(const std::string& path) {
  read(path);
  resolveParents();
  computeClosures();
}

void GoOntology::read(const std::string& path) {
  TextInput in(path);
  Stanza stanza;
  std::string line;
  while (in.next(&line)) {
    line = trim(line);
    if (line.empty() || line[0] == '!') continue;
    if (line[0] == '[') {
      addTerm(stanza, in.where());
      stanza = Stanza();
      stanza.isTerm = line == "[Term]";
      stanza.where = in.where();
      continue;
    }
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0)
      throw ToolError(in.where() + "expected 'tag: value' or a [stanza] line, found " + quoted(line));
    if (!stanza.isTerm) continue;
    const std::string tag = line.substr(0, colon), value = trim(line.substr(colon + 1));
    if (tag == "id") {
      stanza.id = firstWord(value);
    } else if (tag == "name") {
      stanza.name = value;
    } else if (tag == "namespace") {
      stanza.nameSpace = firstWord(value);
    } else if (tag == "alt_id") {
      stanza.altIds.push_back(firstWord(value));
    } else if (tag == "is_a") {
      stanza.parents.push_back(firstWord(value));
    } else if (tag == "relationship") {
      const std::vector<std::string> words = splitBlanks(value);
      if (words.size() >= 2 && words[0] == "part_of") stanza.parents.push_back(words[1]);
    } else if (tag == "is_obsolete") {
      stanza.obsolete = firstWord(value) == "true";
    }
  }
  addTerm(stanza, in.where());
}

void GoOntology::addTerm(Stanza& stanza, const std::string& where) {
  if (!stanza.isTerm) return;
  if (stanza.id.empty())
    throw ToolError(stanza.where + "[Term] without an id (stanza ends at " + where + ")");
  if (m_obsolete.count(stanza.id) ||
      (m_index.count(stanza.id) && m_terms[m_index[stanza.id]].id == stanza.id))
    throw ToolError(stanza.where + "term " + quoted(stanza.id) + " is defined twice");
  if (stanza.obsolete) {
    m_obsolete.insert(stanza.id);
    return;
  }
  const int t = static_cast<int>(m_terms.size());
  m_terms.push_back(Term{stanza.id, stanza.name, aspectOf(stanza.nameSpace), std::move(stanza.parents), {}});
  m_index[stanza.id] = t;  // a primary id wins over an alternative id of another term
  for (const std::string& alt : stanza.altIds) m_index.emplace(alt, t);
}

void GoOntology::resolveParents() {
  for (Term& term : m_terms) {
    for (const std::string& id : term.parentIds) {
      const int p = find(id);
      if (p == NONE)
        ++m_unknownParents;
      else
        term.parents.push_back(p);
    }
    term.parentIds.clear();
  }
}

void GoOntology::computeClosures() {
  // Depth-first, children after their parents; a cycle (never in GO) is cut where it closes.
  enum class State { NEW, OPEN, DONE };
  std::vector<State> state(m_terms.size(), State::NEW);
  m_closure.assign(m_terms.size(), {});
  std::vector<std::pair<int, size_t>> stack;
  for (int root = 0; root < static_cast<int>(m_terms.size()); ++root) {
    if (state[root] != State::NEW) continue;
    stack.emplace_back(root, 0);
    state[root] = State::OPEN;
    while (!stack.empty()) {
      const int t = stack.back().first;
      size_t& next = stack.back().second;
      if (next < m_terms[t].parents.size()) {
        const int p = m_terms[t].parents[next++];
        if (state[p] == State::NEW) {
          state[p] = State::OPEN;
          stack.emplace_back(p, 0);
        }
        continue;
      }
      std::vector<int>& closure = m_closure[t];
      closure.push_back(t);
      for (int p : m_terms[t].parents)
        closure.insert(closure.end(), m_closure[p].begin(), m_closure[p].end());
      std::sort(closure.begin(), closure.end());
      closure.erase(std::unique(closure.begin(), closure.end()), closure.end());
      state[t] = State::DONE;
      stack.pop_back();
    }
  }
}

int GoOntology::find(const std::string& id) const {
  const auto it = m_index.find(id);
  return it == m_index.end() ? NONE : it->second;
}

bool GoOntology::isRoot(int t) const {
  for (const char* root : ROOTS)
    if (m_terms[t].id == root) return true;
  return false;
}
