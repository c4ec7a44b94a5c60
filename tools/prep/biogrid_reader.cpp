#include "tools/prep/biogrid_reader.h"

#include <algorithm>
#include <cctype>

#include "tools/common/text_fields.h"
#include "tools/common/text_input.h"
#include "tools/prep/drop_log.h"
#include "tools/prep/prep_error.h"

namespace {

// Header names of the identifier columns of interactor A, by --id value.
struct IdColumn {
  const char* id;
  const char* header;
  size_t tab3A;  // 0-based positions in a TAB3 file
  size_t tab3B;
};
const IdColumn ID_COLUMNS[] = {
    {"systematic", "systematic name interactor a", 5, 6},
    {"symbol", "official symbol interactor a", 7, 8},
    {"entrez", "entrez gene interactor a", 1, 2},
    {"uniprot", "swiss-prot accessions interactor a", 23, 26},
};

const IdColumn& idColumn(const std::string& id) {
  for (const IdColumn& c : ID_COLUMNS) {
    if (id == c.id) return c;
  }
  throw PrepError("unknown --id " + quoted(id) + " (systematic, symbol, entrez or uniprot)");
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The column named `name` (lower case) or, for a name ending in " a", its " b" twin.
size_t findColumn(const std::vector<std::string>& header, const std::string& name, const TextInput& in) {
  for (size_t i = 0; i < header.size(); ++i) {
    std::string h = lower(header[i]);
    if (i == 0 && !h.empty() && h[0] == '#') h.erase(0, 1);
    if (h == name) return i;
  }
  throw PrepError(in.where() + "the header line has no column " + quoted(name));
}

std::string twin(const std::string& nameA) { return nameA.substr(0, nameA.size() - 1) + "b"; }

// The organism of a cell: the taxonomy id, or empty for '-'.
std::string organism(const std::string& cell) { return cell == "-" ? std::string() : cell; }

}  // namespace

BiogridReader::BiogridReader(const InteractionOptions& opts)
    : InteractionReader(opts), m_layout{12, 15, 16, 0, 0}, m_organisms(opts.taxid) {
  const IdColumn& c = idColumn(opts.id);
  m_layout.idA = c.tab3A;
  m_layout.idB = c.tab3B;
  m_minColumns = std::max({m_layout.type, m_layout.organismB, m_layout.idA, m_layout.idB}) + 1;
}

void BiogridReader::setLayout(const std::vector<std::string>& header, const TextInput& in) {
  const std::string idName = idColumn(m_opts.id).header;
  m_layout.type = findColumn(header, "experimental system type", in);
  // TAB3 says "Organism ID Interactor A", TAB2 "Organism Interactor A".
  const bool tab3 = std::any_of(header.begin(), header.end(),
                                [](const std::string& h) { return lower(h) == "organism id interactor a"; });
  const std::string org = tab3 ? "organism id interactor a" : "organism interactor a";
  m_layout.organismA = findColumn(header, org, in);
  m_layout.organismB = findColumn(header, twin(org), in);
  m_layout.idA = findColumn(header, idName, in);
  m_layout.idB = findColumn(header, twin(idName), in);
  m_minColumns =
      std::max({m_layout.type, m_layout.organismA, m_layout.organismB, m_layout.idA, m_layout.idB}) + 1;
}

void BiogridReader::read(TextInput* in, PairTable* table, DropLog* log) {
  std::string line;
  while (in->next(&line)) {
    if (line.empty()) {
      log->drop("empty line", in->lineNumber());
    } else if (line[0] == '#') {
      const bool header = in->lineNumber() == 1 && lower(line).find("interactor a") != std::string::npos;
      if (header) setLayout(splitOn(line, '\t'), *in);
      log->drop(header ? "header line" : "comment line", in->lineNumber());
    } else {
      readRow(splitOn(line, '\t'), *in, table, log);
    }
  }
  m_organisms.finish(in->name());
}

void BiogridReader::readRow(const std::vector<std::string>& fields, const TextInput& in, PairTable* table,
                            DropLog* log) {
  const uint64_t n = in.lineNumber();
  if (fields.size() < m_minColumns) {
    throw PrepError(in.where() + "expected at least " + std::to_string(m_minColumns) +
                    " tab-separated columns, found " + std::to_string(fields.size()));
  }
  if (!m_organisms.accept(organism(fields[m_layout.organismA]), organism(fields[m_layout.organismB]), n,
                          log)) {
    return;
  }
  const std::string type = lower(fields[m_layout.type]);
  if (type != "physical" && !m_opts.allTypes) {
    log->drop((type == "genetic" ? std::string("genetic") : "'" + type + "'") +
                  " interaction (--all-types keeps it)",
              n);
    return;
  }
  // Accession lists hold several values; the first one names the protein.
  const std::string a = splitOn(fields[m_layout.idA], '|')[0];
  const std::string b = splitOn(fields[m_layout.idB], '|')[0];
  if (a == "-" || b == "-" || a.empty() || b.empty()) {
    log->drop("no " + m_opts.id + " identifier ('-')", n);
    return;
  }
  addWeighted(a, b, 1.0, n, table, log);
}
