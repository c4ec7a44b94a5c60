// Where the costly results of each search pass come from. A whole run
// computes them. A stage of a split run computes its own block of one phase
// (seeds, growth or refinement) and writes it to its shard file, after reading
// what the stages before it wrote; the finish stage reads everything. The
// driver prints, filters and writes alike in every case, so the finish stage
// gives the console and the files of the whole run.
//
// Passes are numbered in the order a run makes them: the random passes
// first, then the real pass.
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "complexes/complexes_crawler.h"
#include "network/network.h"
#include "seeds/edges_seeds_generator.h"
#include "stages/fingerprint.h"
#include "stages/shard_file.h"

class PassResults {
 public:
  explicit PassResults(const RunParams& params);
  PassResults(const PassResults&) = delete;
  PassResults& operator=(const PassResults&) = delete;

  RunStage stage() const { return m_params.STAGE; }
  // Whether this process goes on to filter a pass's seeds and grow them, and
  // to filter and refine its complexes (a stage stops after its own phase).
  bool growsSeeds() const { return stage() != RunStage::SEEDS; }
  bool refinesComplexes() const { return stage() != RunStage::SEEDS && stage() != RunStage::GROW; }
  // Whether this process writes the output files.
  bool writesOutputs() const { return stage() == RunStage::WHOLE || stage() == RunStage::FINISH; }

  typedef std::function<void(size_t anchor, std::optional<Seed>& seed)> TakeSeed;
  typedef std::function<void(size_t seed, std::unique_ptr<Complex>& complex)> TakeComplex;
  typedef std::function<void(size_t complex, Complex& refined)> TakeRefined;

  // The seed of every anchor of the pass, in anchor order (a seeds stage:
  // only the anchors of its block).
  void seeds(uint pass, const Network& network, EdgesSeedsGenerator& generator, const TakeSeed& take);
  // The complex grown from every kept seed (null for none), in order (a grow
  // stage: only its block, whose complexes it also refines in a random pass).
  void growth(uint pass, bool randomPass, const Network& network, ComplexesCrawler& crawler,
              const std::vector<const Seed*>& seeds, const TakeComplex& take);
  // Every complex refined, in order (a refine stage: only its block).
  void refinement(uint pass, bool randomPass, const Network& network, ComplexesCrawler& crawler,
                  const std::vector<const Complex*>& complexes, const TakeRefined& take);

  // A stage of a split run: writes its shard file. Returns the exit status.
  int commitShard();
  // The stage's own log: what it did, the file it wrote or why it could not.
  void printLog() const;
  // The finish stage, before it writes: the number of shards of the split
  // (found from the refine shards; the run stops when it cannot tell).
  uint32_t shardCount() const { return m_count; }

 private:
  // The shard files of one kind, read in order; each holds one section per pass.
  std::vector<std::unique_ptr<ShardReader>> openShards(ShardKind kind) const;
  // Moves each reader to the section of `pass`, reading past the earlier ones.
  static void seekPass(std::vector<std::unique_ptr<ShardReader>>* readers, uint pass);
  uint32_t findShardCount() const;
  void checkBlock(ShardReader* reader, uint32_t index, size_t items, size_t* first, size_t* last) const;
  // This stage's block of `items`, and a section that starts with it.
  ShardWriter startBlock(size_t items, size_t* first, size_t* last) const;
  void logLine(const std::string& text);

  const RunParams& m_params;
  RunFingerprint m_fingerprint;
  uint32_t m_count = 0;                  // shards of the split
  ShardWriter m_shard;                   // this stage's sections, one per pass
  std::vector<Complex> m_randomRefined;  // a random pass's, read with its growth
  std::vector<std::string> m_log;
};

// The shard files of a split run live in <out>/shards.
std::string shardsDir(const std::string& outDir);
