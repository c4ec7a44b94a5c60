// Known complexes of one species, from a Complex Portal complextab file, a
// CORUM allComplexes.txt file, or plain "name<TAB>members" lines, told apart
// by their first line.
#pragma once

#include <string>
#include <vector>

#include "tools/annotate/run_results.h"

// References with fewer proteins in the network than this are dropped.
constexpr size_t MIN_REFERENCE_PROTEINS = 3;

struct ReferenceComplex {
  std::string id;    // complextab "#Complex ac", CORUM ComplexID, or the plain line's name
  std::string name;  // complextab "Recommended name", CORUM ComplexName, or the plain line's name
  std::vector<std::string> members;  // each once, in file order
};

struct ReferenceSet {
  std::string format;  // "complextab", "CORUM" or "plain"
  std::vector<ReferenceComplex> complexes;
  size_t otherMolecules = 0;  // complextab entries left out: small molecules, RNA, complexes
};

// Reads path (gzip accepted).
//  - complextab (first line "#Complex ac<TAB>..."): members from the column
//    "Identifiers (and stoichiometry) of molecules in complex", separated by
//    '|', stoichiometry "(n)" dropped, the paralogs of a set "[A,B](n)" each a
//    member; ChEBI ("CHEBI:"), RNAcentral ("URS") and Complex Portal ("CPX-")
//    entries left out.
//  - CORUM (a first line with the columns "ComplexID" and "subunits(UniProt
//    IDs)"): members from that column, separated by ';'.
//  - plain: "name<TAB>members" lines, members separated by commas or blanks;
//    '#' lines are comments.
// Throws ToolError naming the file, the line and the value at fault.
ReferenceSet readReferenceComplexes(const std::string& path);

// The references cut to the proteins of net: a member not in the network that
// is a UniProt isoform or chain ("P12345-2", "P12345-PRO_0000012345") counts
// as its accession when that is in the network. References left with fewer
// than MIN_REFERENCE_PROTEINS are dropped and counted in *dropped.
std::vector<ReferenceComplex> cutToNetwork(const std::vector<ReferenceComplex>& references,
                                           const NetworkProteins& net, size_t* dropped);

// Whether text is a UniProtKB accession (6 or 10 characters).
bool isUniProtAccession(const std::string& text);
