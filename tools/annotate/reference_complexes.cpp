#include "tools/annotate/reference_complexes.h"

#include <algorithm>

#include "tools/common/text_fields.h"
#include "tools/common/text_input.h"
#include "tools/common/tool_error.h"

namespace {

const char* const CPX_ID = "#Complex ac";
const char* const CPX_NAME = "Recommended name";
const char* const CPX_MEMBERS = "Identifiers (and stoichiometry) of molecules in complex";
const char* const CORUM_ID = "ComplexID";
const char* const CORUM_NAME = "ComplexName";
const char* const CORUM_MEMBERS = "subunits(UniProt IDs)";

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isUpperOrDigit(char c) { return isDigit(c) || isUpper(c); }

std::string trim(const std::string& text) {
  const size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return "";
  return text.substr(start, text.find_last_not_of(" \t") + 1 - start);
}

void addMember(ReferenceComplex* c, const std::string& member) {
  if (!member.empty() && std::find(c->members.begin(), c->members.end(), member) == c->members.end())
    c->members.push_back(member);
}

// Index of column name in header; throws when a table of this kind lacks it.
size_t column(const std::vector<std::string>& header, const char* name, const TextInput& in,
              const char* kind) {
  const auto it = std::find(header.begin(), header.end(), name);
  if (it == header.end()) throw ToolError(in.where() + kind + " header without the column " + quoted(name));
  return static_cast<size_t>(it - header.begin());
}

// The field at index of a table row; throws when the row is too short.
const std::string& field(const std::vector<std::string>& row, size_t index, const TextInput& in) {
  if (index >= row.size())
    throw ToolError(in.where() + std::to_string(row.size()) + " tab-separated columns, the header has more");
  return row[index];
}

bool isOtherMolecule(const std::string& entry) {
  return entry.compare(0, 6, "CHEBI:") == 0 || entry.compare(0, 3, "URS") == 0 ||
         entry.compare(0, 4, "CPX-") == 0;
}

// One '|'-separated entry of the complextab participants: "P84022(1)", "CHEBI:18420(2)",
// "[O15342,Q8NHE4](1)".
void addParticipant(ReferenceComplex* c, std::string entry, size_t* others) {
  entry = trim(entry);
  if (!entry.empty() && entry.back() == ')') {
    const size_t open = entry.rfind('(');
    if (open != std::string::npos) entry.erase(open);
  }
  if (entry.size() >= 2 && entry.front() == '[' && entry.back() == ']') {
    for (const std::string& paralog : splitOn(entry.substr(1, entry.size() - 2), ','))
      addParticipant(c, paralog, others);
    return;
  }
  if (entry.empty() || entry == "-") return;
  if (isOtherMolecule(entry)) {
    ++*others;
    return;
  }
  addMember(c, entry);
}

void readComplexPortal(TextInput& in, const std::vector<std::string>& header, ReferenceSet* set) {
  const size_t id = column(header, CPX_ID, in, "complextab"),
               name = column(header, CPX_NAME, in, "complextab"),
               members = column(header, CPX_MEMBERS, in, "complextab");
  std::string line;
  while (in.next(&line)) {
    if (line.empty()) continue;
    const std::vector<std::string> row = splitOn(line, '\t');
    ReferenceComplex c{field(row, id, in), field(row, name, in), {}};
    for (const std::string& entry : splitOn(field(row, members, in), '|'))
      addParticipant(&c, entry, &set->otherMolecules);
    set->complexes.push_back(std::move(c));
  }
}

void readCorum(TextInput& in, const std::vector<std::string>& header, ReferenceSet* set) {
  const size_t id = column(header, CORUM_ID, in, "CORUM"), name = column(header, CORUM_NAME, in, "CORUM"),
               members = column(header, CORUM_MEMBERS, in, "CORUM");
  std::string line;
  while (in.next(&line)) {
    if (line.empty()) continue;
    const std::vector<std::string> row = splitOn(line, '\t');
    ReferenceComplex c{field(row, id, in), field(row, name, in), {}};
    for (const std::string& member : splitOn(field(row, members, in), ';')) {
      const std::string m = trim(member);
      if (m != "None" && m != "-") addMember(&c, m);
    }
    set->complexes.push_back(std::move(c));
  }
}

void readPlainLine(const TextInput& in, const std::string& line, ReferenceSet* set) {
  if (trim(line).empty() || line[0] == '#') return;
  const std::vector<std::string> f = splitOn(line, '\t');
  if (f.size() != 2 || trim(f[0]).empty())
    throw ToolError(in.where() + "expected name<TAB>members (or a complextab or CORUM header), found " +
                    quoted(line));
  ReferenceComplex c{trim(f[0]), trim(f[0]), {}};
  std::string members = f[1];
  std::replace(members.begin(), members.end(), ',', ' ');
  for (const std::string& m : splitBlanks(members)) addMember(&c, m);
  set->complexes.push_back(std::move(c));
}

// "P12345" of "P12345-2" or "P12345-PRO_0000012345"; empty for anything else.
std::string isoformAccession(const std::string& name) {
  const size_t dash = name.find('-');
  if (dash == std::string::npos || dash + 1 == name.size()) return "";
  const std::string accession = name.substr(0, dash);
  return isUniProtAccession(accession) ? accession : "";
}

}  // namespace

bool isUniProtAccession(const std::string& s) {
  if (s.size() == 6 && (s[0] == 'O' || s[0] == 'P' || s[0] == 'Q'))
    return isDigit(s[1]) && isUpperOrDigit(s[2]) && isUpperOrDigit(s[3]) && isUpperOrDigit(s[4]) &&
           isDigit(s[5]);
  if (s.size() != 6 && s.size() != 10) return false;
  if (!isUpper(s[0]) || s[0] == 'O' || s[0] == 'P' || s[0] == 'Q' || !isDigit(s[1])) return false;
  for (size_t block = 2; block < s.size(); block += 4) {
    if (!isUpper(s[block]) || !isUpperOrDigit(s[block + 1]) || !isUpperOrDigit(s[block + 2]) ||
        !isDigit(s[block + 3]))
      return false;
  }
  return true;
}

ReferenceSet readReferenceComplexes(const std::string& path) {
  TextInput in(path);
  ReferenceSet set;
  std::string first;
  if (!in.next(&first)) throw ToolError(path + ": empty file, no known complexes");
  const std::vector<std::string> header = splitOn(first, '\t');
  const bool complexPortal = header[0] == CPX_ID;
  const bool corum = std::find(header.begin(), header.end(), CORUM_ID) != header.end() &&
                     std::find(header.begin(), header.end(), CORUM_MEMBERS) != header.end();
  if (complexPortal) {
    set.format = "complextab";
    readComplexPortal(in, header, &set);
  } else if (corum) {
    set.format = "CORUM";
    readCorum(in, header, &set);
  } else {
    set.format = "plain";
    readPlainLine(in, first, &set);
    std::string line;
    while (in.next(&line)) readPlainLine(in, line, &set);
  }
  return set;
}

std::vector<ReferenceComplex> cutToNetwork(const std::vector<ReferenceComplex>& references,
                                           const NetworkProteins& net, size_t* dropped) {
  std::vector<ReferenceComplex> kept;
  *dropped = 0;
  for (const ReferenceComplex& r : references) {
    ReferenceComplex cut{r.id, r.name, {}};
    for (const std::string& m : r.members) {
      if (net.has(m)) {
        addMember(&cut, m);
        continue;
      }
      const std::string accession = isoformAccession(m);
      if (!accession.empty() && net.has(accession)) addMember(&cut, accession);
    }
    if (cut.members.size() >= MIN_REFERENCE_PROTEINS)
      kept.push_back(std::move(cut));
    else
      ++*dropped;
  }
  return kept;
}
