#include "tools/prep/organism_filter.h"

#include <utility>

#include "tools/prep/drop_log.h"
#include "tools/prep/prep_error.h"

OrganismFilter::OrganismFilter(std::string taxid) : m_taxid(std::move(taxid)) {}

bool OrganismFilter::accept(const std::string& a, const std::string& b, uint64_t line, DropLog* log) {
  if (!m_taxid.empty()) {
    if (a == m_taxid && b == m_taxid) return true;
    log->drop("interactor of another organism (not taxid " + m_taxid + ")", line);
    return false;
  }
  if (a != b) {
    log->drop("interactors of two different organisms", line);
    return false;
  }
  ++m_rowsByOrganism[a];
  return true;
}

void OrganismFilter::finish(const std::string& file) const {
  if (m_rowsByOrganism.size() <= 1) return;
  std::string list;
  for (const auto& entry : m_rowsByOrganism) {
    if (!list.empty()) list += ", ";
    list += (entry.first.empty() ? std::string("unknown") : entry.first) + " (" +
            std::to_string(entry.second) + " rows)";
  }
  throw PrepError(file + ": holds interactions of several organisms: " + list +
                  "; choose one with --taxid (one species per interaction file)");
}
