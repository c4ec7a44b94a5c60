// Everything the command line sets for a run, with the method's defaults.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/common_types.h"
#include "orientation/orientation.h"

// A run in one process, or one stage of a run split into processes: the
// seeds, growth and refinement of one block each, then the finishing stage
// that writes everything.
enum class RunStage { WHOLE, SEEDS, GROW, REFINE, FINISH };

// Entries of p_true: one true-interaction factor per species (only the first
// species_num are read).
constexpr uint P_TRUE_ENTRIES = 16;

// Everything the command line sets, with the defaults of a run. Written once
// during start-up and read-only afterwards; later modules receive the values
// (ORIENTATION_TREES by reference) from the driver.
struct RunParams {
  uint species_num = 0;                 // 1st argument, 2..MAX_SPECIES
  std::string in_prefix;                // 2nd argument: prefix of the input files
  std::string out_prefix = "./out";     // 3rd argument: output directory
  gen_type_t SALIGN_NODES_TYPE = TREE;  // "-S:" span type of seeds
  gen_type_t EALIGN_NODES_TYPE = TREE;  // "-E:" span type of expansions
  // "--orient:": entry s is the orientation tree re-rooted at species s
  // (empty when no orientation was given). The trees are owned by ownedTrees.
  std::vector<const VTree*> ORIENTATION_TREES;
  std::string orientation_str;              // "--orient:" value as typed
  double BLAST_THRESHOLD = 1e-07;            // "-H:" largest accepted E-value
  uint MAX_HOMOLOG_PER_NODE = 0;            // "--maxhoms:" homologs per species kept; 0 = unlimited
  double DENSITY_BETA = 0.8;                // "-B:" complex density beta of the score model
  uint START_SEARCH_FROM_SEED_Dn = 2;       // "-D:" seed nodes max distance, 1 or 2
  uint NODES_DUPS_THRESHOLD = 2;            // "-DUP:" complex size from which proteins may repeat
  uint REFINEMENT_ITERATIONS = 5;            // "-R:" refinement attempts per complex; 0 = off
  uint MAX_SIZE = MAX_COMPLEX_SIZE;         // "--max-size" aligned nodes at which growth stops
  bool STRICT_REUSE = false;                // "--strict-reuse" 0 or 1: -DUP: holds for the anchor too
  bool FINAL_OVERLAP_FILTER = false;        // "--final-overlap-filter" 0 or 1: overlap filter after refinement
  bool FINAL_NOISE_FILTER = false;          // "--final-noise-filter" 0 or 1: noise re-check after refinement
  bool RAND_NET_GROWTH_CONTROL = false;     // "--pval-filter" random-network pass
  bool WRITE_REPORT = true;                 // "--report:" 0 or 1: summary table, Cytoscape files, HTML
  uint RANDOM_PASSES = 1;                   // "--random-passes" shuffled clones searched with --pval-filter
  uint THREADS;                             // "--threads:" >= 1; default: the hardware threads
  RunStage STAGE = RunStage::WHOLE;         // "--stage": the part of a split run this process does
  uint SHARD_INDEX = 0;                     // "--shard" I/N: this process's block, 1..N
  uint SHARD_COUNT = 0;                     //   and the number of blocks (0: not given)
  double OVERLAP_THRESHOLD = 0.5;           // complexes filter overlap threshold
  double SEEDS_MAX_ALLOWED_OVERLAP = 0.66;  // protein overlap ratio of overlapping seeds
  std::vector<std::string> SPECIES_NAMES;   // "--species-names": one per species, or none
  std::string PRESET;                       // "--preset": the named setting applied, or none
  weight_t p_true[P_TRUE_ENTRIES];          // per-species true-interaction factor

  std::vector<std::unique_ptr<VTree>> ownedTrees;  // storage behind ORIENTATION_TREES

  RunParams();
};
