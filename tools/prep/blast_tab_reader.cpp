#include "tools/prep/blast_tab_reader.h"

#include <algorithm>

#include "tools/common/text_fields.h"
#include "tools/common/text_input.h"
#include "tools/prep/drop_log.h"
#include "tools/prep/pair_table.h"
#include "tools/prep/prep_error.h"

namespace {

const std::vector<std::string> DEFAULT_COLUMNS = {"qseqid",   "sseqid",  "pident", "length",
                                                  "mismatch", "gapopen", "qstart", "qend",
                                                  "sstart",   "send",    "evalue", "bitscore"};
const char* const FIELDS_PREFIX = "# Fields: ";

bool isOneOf(const std::string& s, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return s == n; });
}

// "6 std qlen" or "qseqid,sseqid,evalue" into keywords, the format number dropped, std expanded.
std::vector<std::string> columnKeywords(const std::string& list) {
  std::string text = list;
  std::replace(text.begin(), text.end(), ',', ' ');
  std::vector<std::string> out;
  for (const std::string& w : splitBlanks(text)) {
    if (out.empty() && (w == "6" || w == "7")) continue;
    if (w == "std") {
      out.insert(out.end(), DEFAULT_COLUMNS.begin(), DEFAULT_COLUMNS.end());
    } else {
      out.push_back(w);
    }
  }
  return out;
}

std::vector<std::string> fieldNames(const std::string& line) {
  std::vector<std::string> names;
  for (std::string name : splitOn(line.substr(std::string(FIELDS_PREFIX).size()), ',')) {
    const size_t start = name.find_first_not_of(' ');
    const size_t end = name.find_last_not_of(' ');
    names.push_back(start == std::string::npos ? std::string() : name.substr(start, end - start + 1));
  }
  return names;
}

}  // namespace

BlastTabReader::BlastTabReader(const SimilarityOptions& opts)
    : m_opts(opts), m_layout{0, 1, 10}, m_fixed(false) {
  if (opts.from != "blast6") throw PrepError("unknown --from " + quoted(opts.from) + " (blast6)");
  if (opts.columns.empty()) return;
  if (!layoutOf(columnKeywords(opts.columns), true, &m_layout)) {
    throw PrepError("--columns " + quoted(opts.columns) +
                    " needs a query (qseqid, qacc, qaccver), a subject (sseqid, sacc, saccver) and evalue");
  }
  m_fixed = true;
}

bool BlastTabReader::layoutOf(const std::vector<std::string>& names, bool keywords, Layout* out) {
  const size_t none = names.size();
  Layout l{none, none, none};
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& n = names[i];
    const bool query = keywords ? isOneOf(n, {"qseqid", "qacc", "qaccver", "qgi"})
                                : isOneOf(n, {"query id", "query acc.", "query acc.ver", "query gi"});
    const bool subject = keywords
                             ? isOneOf(n, {"sseqid", "sacc", "saccver", "sgi"})
                             : isOneOf(n, {"subject id", "subject acc.", "subject acc.ver", "subject gi"});
    if (query && l.query == none) l.query = i;
    if (subject && l.subject == none) l.subject = i;
    if (n == "evalue" && l.evalue == none) l.evalue = i;
  }
  if (l.query == none || l.subject == none || l.evalue == none) return false;
  *out = l;
  return true;
}

void BlastTabReader::read(TextInput* in, PairTable* table, DropLog* log) {
  std::string line;
  while (in->next(&line)) {
    if (line.empty()) {
      log->drop("empty line", in->lineNumber());
    } else if (line[0] == '#') {
      if (!m_fixed && line.compare(0, std::string(FIELDS_PREFIX).size(), FIELDS_PREFIX) == 0 &&
          !layoutOf(fieldNames(line), false, &m_layout)) {
        throw PrepError(in->where() + "the \"# Fields:\" line names no query, subject or evalue column");
      }
      log->drop("comment line", in->lineNumber());
    } else {
      readHit(line, *in, table, log);
    }
  }
}

void BlastTabReader::readHit(const std::string& line, const TextInput& in, PairTable* table,
                             DropLog* log) const {
  const std::vector<std::string> fields = splitTabsOrBlanks(line);
  const size_t needed = std::max({m_layout.query, m_layout.subject, m_layout.evalue}) + 1;
  if (fields.size() < needed) {
    throw PrepError(in.where() + "found " + std::to_string(fields.size()) +
                    " columns, but the E-value is column " + std::to_string(m_layout.evalue + 1) +
                    (m_fixed ? "" : " of the default -outfmt 6 columns; name the columns with --columns"));
  }
  double evalue = 0;
  const std::string& text = fields[m_layout.evalue];
  if (!parseNumber(text, &evalue) || evalue < 0) {
    throw PrepError(in.where() + "E-value " + quoted(text) + " (column " +
                    std::to_string(m_layout.evalue + 1) + ") is not a number >= 0");
  }
  if (m_opts.maxEvalueGiven && evalue > m_opts.maxEvalue) {
    log->drop("E-value above --max-evalue " + formatNumber(m_opts.maxEvalue), in.lineNumber());
    return;
  }
  table->add(fields[m_layout.query], fields[m_layout.subject], evalue, in.lineNumber(), log);
}
