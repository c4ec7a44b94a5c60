// Keeps the rows of one organism in files that mix several (BioGRID, PSI-MITAB).
#pragma once

#include <cstdint>
#include <map>
#include <string>

class DropLog;

class OrganismFilter {
 public:
  // taxid: the NCBI taxonomy id both interactors must have; empty when none
  // was chosen, in which case every kept row must be of one and the same organism.
  explicit OrganismFilter(std::string taxid);

  // Whether a row whose interactors have these organism ids (empty: unknown)
  // is kept; a row left out is counted in *log.
  bool accept(const std::string& a, const std::string& b, uint64_t line, DropLog* log);

  // Throws PrepError, naming the organisms, when no taxid was chosen and the
  // kept rows are of more than one organism.
  void finish(const std::string& file) const;

 private:
  const std::string m_taxid;
  std::map<std::string, uint64_t> m_rowsByOrganism;
};
