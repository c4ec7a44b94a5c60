#include "tools/prep/interaction_reader.h"

#include "tools/common/text_fields.h"
#include "tools/prep/biogrid_reader.h"
#include "tools/prep/drop_log.h"
#include "tools/prep/edge_list_reader.h"
#include "tools/prep/mitab_reader.h"
#include "tools/prep/pair_table.h"
#include "tools/prep/prep_error.h"
#include "tools/prep/string_links_reader.h"

namespace {

void refuseOption(bool given, const char* option, const std::string& from) {
  if (given) throw PrepError(std::string(option) + " does not apply to --from " + from);
}

}  // namespace

std::unique_ptr<InteractionReader> InteractionReader::create(const InteractionOptions& opts) {
  const std::string& f = opts.from;
  if (f != "biogrid") {
    refuseOption(opts.idGiven, "--id", f);
    refuseOption(opts.allTypes, "--all-types", f);
  }
  if (f != "string") refuseOption(!opts.channel.empty(), "--channel", f);
  if (f != "biogrid" && f != "mitab") refuseOption(!opts.taxid.empty(), "--taxid", f);
  if (f == "string") return std::unique_ptr<InteractionReader>(new StringLinksReader(opts));
  if (f == "biogrid") return std::unique_ptr<InteractionReader>(new BiogridReader(opts));
  if (f == "mitab") return std::unique_ptr<InteractionReader>(new MitabReader(opts));
  if (f == "edges") return std::unique_ptr<InteractionReader>(new EdgeListReader(opts));
  throw PrepError("unknown --from " + quoted(f) + " (string, biogrid, mitab or edges)");
}

void InteractionReader::addWeighted(const std::string& a, const std::string& b, double weight, uint64_t line,
                                    PairTable* table, DropLog* log) const {
  if (weight == 0) {
    log->drop("weight 0 (no evidence)", line);
  } else if (m_opts.minScoreGiven && weight < m_opts.minScore) {
    log->drop("weight below --min-score " + formatNumber(m_opts.minScore), line);
  } else {
    table->add(a, b, weight, line, log);
  }
}
