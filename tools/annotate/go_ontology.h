// The Gene Ontology as read from an OBO 1.2 file (go-basic.obo): the current
// terms with their name and aspect, alternative ids mapped to their term, and
// every term's ancestors through is_a and part_of.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class GoOntology {
 public:
  // Reads path (gzip accepted). Only [Term] stanzas count; obsolete terms are
  // left out. Throws ToolError naming the file, the line and the value at
  // fault: a line that is not "tag: value", a term without an id, an id given
  // twice.
  explicit GoOntology(const std::string& path);

  static constexpr int NONE = -1;

  // The term of id, alternative ids leading to their term; NONE for an
  // unknown or obsolete id.
  int find(const std::string& id) const;
  bool isObsolete(const std::string& id) const { return m_obsolete.count(id) != 0; }

  size_t size() const { return m_terms.size(); }
  size_t obsoleteCount() const { return m_obsolete.size(); }
  // is_a and part_of links naming a term that is not in the file (or obsolete); they are left out.
  size_t unknownParents() const { return m_unknownParents; }

  const std::string& id(int t) const { return m_terms[t].id; }
  const std::string& name(int t) const { return m_terms[t].name; }
  // "P", "F" or "C" (as GAF column 9 writes them) for the three GO namespaces, else the namespace.
  const std::string& aspect(int t) const { return m_terms[t].aspect; }
  // Whether t is one of the three aspect roots, which are never tested.
  bool isRoot(int t) const;
  // t with all its ancestors through is_a and part_of, ascending.
  const std::vector<int>& withAncestors(int t) const { return m_closure[t]; }

 private:
  struct Term {
    std::string id, name, aspect;
    std::vector<std::string> parentIds;  // is_a and part_of targets as written
    std::vector<int> parents;
  };
  struct Stanza;

  void read(const std::string& path);
  void addTerm(Stanza& stanza, const std::string& where);
  void resolveParents();
  void computeClosures();

  std::vector<Term> m_terms;
  std::unordered_map<std::string, int> m_index;  // primary and alternative ids
  std::unordered_set<std::string> m_obsolete;
  std::vector<std::vector<int>> m_closure;
  size_t m_unknownParents = 0;
};
