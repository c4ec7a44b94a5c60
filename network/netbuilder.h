// Fills an empty Network from text files: one interaction file per species
// ("<prefix>_int-<i>.txt") and one similarity file of BLAST E-values between
// proteins of all species ("<prefix>_blast.txt").
//
// Both formats hold one record per line: two protein names and a number,
// separated by white space; further columns are ignored. A line whose first
// character is '#' is a comment. Any other line that does not hold two names
// and a number in range is reported and skipped. Lines and names may be of any
// length, and a line ending in "\r\n" reads like one ending in "\n". The line
// rules themselves are in network/input_line.h.
#pragma once

#include <cstdio>
#include <string>

#include "common/common_types.h"
#include "network/network.h"

class NetworkBuiler {
 public:
  // blastTreshold: largest E-value accepted; maxBlastEdgesPerNode: largest
  // number of similarity edges a protein keeps towards one species (0: no limit).
  // What it reads and skips is reported on console.
  NetworkBuiler(Network* network, weight_t blastTreshold, uint maxBlastEdgesPerNode, FILE* console = stdout);
  ~NetworkBuiler();
  NetworkBuiler(const NetworkBuiler&) = delete;
  NetworkBuiler& operator=(const NetworkBuiler&) = delete;

  // Reads the interaction file of every species in index order, then the
  // similarity file, reporting each file read.
  void readNetwork(const std::string& prefix);

  // Reads one interaction file into layer `species`: creates the proteins in
  // order of first appearance and adds both directions of every interaction,
  // with weight = value + k * 1e-12 (k: 1-based number of the accepted line).
  // Self pairs are skipped silently; weights must lie in [0, 1]. Throws an
  // Error (EXIT_USAGE) when the file cannot be read.
  void readPPIdata(byte species, const std::string& file);

  // Reads the similarity file: every E-value up to the threshold counts as
  // accepted line k and is stored as max(E, TINY_WEIGHT) + k * 1e-12 on both
  // directions between two existing proteins, a listed pair keeping its
  // smaller value. Pairs naming an unknown protein are counted and reported at
  // the end; the homolog limit is enforced after every pair. Throws an Error
  // (EXIT_MODEL) when the file cannot be read.
  void readBLASTdata(const std::string& file);

 private:
  // Drops the worst similarity edge of `node` towards `spec` (and its mirror)
  // when the list has grown over the limit.
  void enforceHomologLimit(Node* node, byte species) const;

  Network* m_network;  // not owned
  const weight_t m_blastTreshold;
  const uint m_maxBlastEdgesPerNode;
  FILE* const m_console;
};
