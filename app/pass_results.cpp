#include "app/pass_results.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "app/output_dir.h"
#include "common/error.h"
#include "common/run_files.h"
#include "complexes/refinement.h"
#include "stages/shard_codec.h"

namespace {

std::vector<std::string> inputFiles(const RunParams& params) {
  std::vector<std::string> files;
  for (uint s = 0; s < params.species_num; ++s)
    files.push_back(interactionFile(params.in_prefix, s));
  files.push_back(similarityFile(params.in_prefix));
  return files;
}

uint passCount(const RunParams& params) {
  return (params.RAND_NET_GROWTH_CONTROL ? params.RANDOM_PASSES : 0) + 1;
}

// The shards a stage other than finish writes.
ShardKind shardKindOf(RunStage stage) {
  TRELLIS_ASSERT(stage == RunStage::SEEDS || stage == RunStage::GROW || stage == RunStage::REFINE);
  return stage == RunStage::SEEDS  ? ShardKind::SEEDS
         : stage == RunStage::GROW ? ShardKind::GROW
                                   : ShardKind::REFINE;
}

// Writes a block's entries as takeSparseBlock reads them: their count, then
// each entry's position and item.
template <class Item, class Write>
void putSparseBlock(const std::vector<std::pair<size_t, Item>>& entries, ShardWriter* out, Write write) {
  out->putU32(static_cast<uint32_t>(entries.size()));
  for (const auto& entry : entries) {
    out->putU64(entry.first);
    write(entry.second, out);
  }
}

// Reads a block's entries (position, item), each after the one before and
// inside the block, and hands take every position of the block in order,
// with its item or with an empty holder.
template <class Holder, class Read, class Take>
void takeSparseBlock(ShardReader* in, uint32_t entries, size_t first, size_t last, Read read, Take take) {
  size_t next = first;
  for (uint32_t k = 0; k < entries; ++k) {
    const uint64_t at = in->getU64();
    if (at < next || at >= last) in->refuse("holds results out of order");
    Holder none;
    for (; next < at; ++next) take(next, none);
    Holder item = read(at);
    take(next++, item);
  }
  Holder none;
  for (; next < last; ++next) take(next, none);
}

}  // namespace

std::string shardsDir(const std::string& outDir) { return outDir + "/shards"; }

PassResults::PassResults(const RunParams& params) : m_params(params) {
  if (stage() == RunStage::WHOLE) return;
  m_fingerprint = RunFingerprint::of(resultOptions(params), inputFiles(params));
  m_count = stage() == RunStage::FINISH ? findShardCount() : params.SHARD_COUNT;
  // A refine stage refines the real pass alone.
  m_shard.putU32(stage() == RunStage::REFINE ? 1 : passCount(params));
}

uint32_t PassResults::findShardCount() const {
  const std::string dir = shardsDir(m_params.out_prefix);
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) {
    throw Error(EXIT_USAGE, "ERROR: no shard files in " + dir + ": run the seeds, grow and refine stages first\n");
  }
  std::set<uint32_t> counts;
  while (const dirent* e = readdir(d)) {
    unsigned index = 0, count = 0;
    char tail[8] = {};
    if (std::sscanf(e->d_name, "refine-%u-of-%u%7s", &index, &count, tail) == 3 && !std::strcmp(tail, ".bin"))
      counts.insert(count);
  }
  closedir(d);
  if (counts.empty()) {
    throw Error(
        EXIT_USAGE, "ERROR: no refine shard files in " + dir + ": run the seeds, grow and refine stages first\n");
  }
  if (counts.size() > 1) {
    throw Error(EXIT_USAGE, "ERROR: " + dir + " holds refine shards of " + std::to_string(counts.size()) +
                         " different splits (of " + std::to_string(*counts.begin()) + " and of " +
                         std::to_string(*counts.rbegin()) + "): remove the files of the splits not wanted\n");
  }
  return *counts.begin();
}

std::vector<std::unique_ptr<ShardReader>> PassResults::openShards(ShardKind kind) const {
  std::vector<std::unique_ptr<ShardReader>> readers;
  for (uint32_t i = 1; i <= m_count; ++i) {
    readers.emplace_back(
        new ShardReader(shardPath(m_params.out_prefix, kind, i, m_count), kind, i, m_count, m_fingerprint));
    if (readers.back()->getU32() != passCount(m_params))
      readers.back()->refuse("holds another number of passes");
  }
  return readers;
}

void PassResults::seekPass(std::vector<std::unique_ptr<ShardReader>>* readers, uint pass) {
  for (std::unique_ptr<ShardReader>& reader : *readers) {
    for (uint p = 0; p < pass; ++p) reader->skipSection();
    reader->getU64();  // the section's length
  }
}

void PassResults::checkBlock(ShardReader* reader, uint32_t index, size_t items, size_t* first,
                             size_t* last) const {
  shardBlock(index, m_count, items, first, last);
  const uint64_t from = reader->getU64(), to = reader->getU64();
  if (from != *first || to != *last)
    reader->refuse("holds items " + std::to_string(from) + ".." + std::to_string(to) + " where " +
                   std::to_string(*first) + ".." + std::to_string(*last) + " belong");
}

ShardWriter PassResults::startBlock(size_t items, size_t* first, size_t* last) const {
  shardBlock(m_params.SHARD_INDEX, m_count, items, first, last);
  ShardWriter section;
  section.putU64(*first);
  section.putU64(*last);
  return section;
}

void PassResults::logLine(const std::string& text) { m_log.push_back(text); }

void PassResults::seeds(uint pass, const Network& network, EdgesSeedsGenerator& generator,
                        const TakeSeed& take) {
  const size_t anchors = generator.anchorCount();
  if (stage() == RunStage::WHOLE) {
    generator.searchAnchors(0, anchors, take);
    return;
  }
  if (stage() == RunStage::SEEDS) {
    size_t first = 0, last = 0;
    ShardWriter section = startBlock(anchors, &first, &last);
    std::vector<std::pair<size_t, Seed>> found;
    generator.searchAnchors(first, last, [&](size_t anchor, std::optional<Seed>& seed) {
      if (seed) found.emplace_back(anchor, *seed);
      take(anchor, seed);
    });
    putSparseBlock(found, &section, writeSeed);
    m_shard.putSection(section);
    logLine("pass " + std::to_string(pass + 1) + ": anchors " + std::to_string(first) + ".." +
            std::to_string(last) + " of " + std::to_string(anchors) + ", " + std::to_string(found.size()) +
            " seeds");
    return;
  }
  // Read: every shard's seeds, in anchor order.
  const NodesById nodes(network);
  std::vector<std::unique_ptr<ShardReader>> readers = openShards(ShardKind::SEEDS);
  seekPass(&readers, pass);
  for (uint32_t i = 1; i <= m_count; ++i) {
    ShardReader* in = readers[i - 1].get();
    size_t first = 0, last = 0;
    checkBlock(in, i, anchors, &first, &last);
    takeSparseBlock<std::optional<Seed>>(
        in, in->getCount(16), first, last, [&](size_t) { return std::optional<Seed>(readSeed(in, nodes)); },
        take);
  }
}

void PassResults::growth(uint pass, bool randomPass, const Network& network, ComplexesCrawler& crawler,
                         const std::vector<const Seed*>& seeds, const TakeComplex& take) {
  if (stage() == RunStage::WHOLE) {
    crawler.growSeeds(seeds, 0, seeds.size(), take);
    return;
  }
  if (stage() == RunStage::GROW) {
    size_t first = 0, last = 0;
    ShardWriter section = startBlock(seeds.size(), &first, &last);
    std::vector<std::pair<size_t, Complex>> grown;
    crawler.growSeeds(seeds, first, last, [&](size_t i, std::unique_ptr<Complex>& complex) {
      if (complex) grown.emplace_back(i, *complex);
      take(i, complex);
    });
    putSparseBlock(grown, &section, writeComplex);
    if (randomPass) {
      // A random pass has no complex filter: its complexes are refined here.
      std::vector<const Complex*> in;
      for (const auto& entry : grown) in.push_back(&entry.second);
      const uint iterations = m_params.REFINMENT_ITERATIONS;
      refineComplexes(&network, crawler, iterations, in, 0, in.size(),
                      [&](size_t, Complex& refined) { writeComplex(refined, &section); });
    }
    m_shard.putSection(section);
    logLine("pass " + std::to_string(pass + 1) + ": seeds " + std::to_string(first) + ".." +
            std::to_string(last) + " of " + std::to_string(seeds.size()) + ", " +
            std::to_string(grown.size()) + " complexes" + (randomPass ? " grown and refined" : ""));
    return;
  }
  const NodesById nodes(network);
  std::vector<std::unique_ptr<ShardReader>> readers = openShards(ShardKind::GROW);
  seekPass(&readers, pass);
  m_randomRefined.clear();
  for (uint32_t i = 1; i <= m_count; ++i) {
    ShardReader* in = readers[i - 1].get();
    size_t first = 0, last = 0;
    checkBlock(in, i, seeds.size(), &first, &last);
    const uint32_t n = in->getCount(16);
    takeSparseBlock<std::unique_ptr<Complex>>(
        in, n, first, last,
        [&](size_t seed) {
          std::unique_ptr<Complex> complex(new Complex(readComplex(in, network, nodes)));
          if (complex->m_id != seed + 1) in->refuse("holds a complex under another id");
          return complex;
        },
        take);
    if (randomPass) {
      for (uint32_t k = 0; k < n; ++k) m_randomRefined.push_back(readComplex(in, network, nodes));
    }
  }
}

void PassResults::refinement(uint pass, bool randomPass, const Network& network, ComplexesCrawler& crawler,
                             const std::vector<const Complex*>& complexes, const TakeRefined& take) {
  const uint iterations = m_params.REFINMENT_ITERATIONS;
  if (stage() == RunStage::WHOLE) {
    refineComplexes(&network, crawler, iterations, complexes, 0, complexes.size(), take);
    return;
  }
  if (randomPass) {
    // Refined by the grow stage, read with the growth.
    TRELLIS_ASSERT(m_randomRefined.size() == complexes.size());
    for (size_t j = 0; j < m_randomRefined.size(); ++j) take(j, m_randomRefined[j]);
    m_randomRefined.clear();
    return;
  }
  if (stage() == RunStage::REFINE) {
    size_t first = 0, last = 0;
    ShardWriter section = startBlock(complexes.size(), &first, &last);
    refineComplexes(&network, crawler, iterations, complexes, first, last, [&](size_t j, Complex& refined) {
      writeComplex(refined, &section);
      take(j, refined);
    });
    m_shard.putSection(section);
    logLine("pass " + std::to_string(pass + 1) + ": complexes " + std::to_string(first) + ".." +
            std::to_string(last) + " of " + std::to_string(complexes.size()) + " refined");
    return;
  }
  const NodesById nodes(network);
  std::vector<std::unique_ptr<ShardReader>> readers;
  for (uint32_t i = 1; i <= m_count; ++i) {
    // Only the real pass is refined in a refine stage: its one section.
    readers.emplace_back(new ShardReader(shardPath(m_params.out_prefix, ShardKind::REFINE, i, m_count),
                                         ShardKind::REFINE, i, m_count, m_fingerprint));
    if (readers.back()->getU32() != 1) readers.back()->refuse("holds another number of passes");
    readers.back()->getU64();
  }
  for (uint32_t i = 1; i <= m_count; ++i) {
    ShardReader* in = readers[i - 1].get();
    size_t first = 0, last = 0;
    checkBlock(in, i, complexes.size(), &first, &last);
    for (size_t j = first; j < last; ++j) {
      Complex refined = readComplex(in, network, nodes);
      if (refined.m_id != complexes[j]->m_id) in->refuse("holds a complex under another id");
      take(j, refined);
    }
    in->expectEnd();
  }
}

int PassResults::commitShard() {
  const ShardKind kind = shardKindOf(stage());
  const std::string path = shardPath(m_params.out_prefix, kind, m_params.SHARD_INDEX, m_count);
  makeOwnDirectory(shardsDir(m_params.out_prefix));
  if (!m_shard.commit(path, kind, m_params.SHARD_INDEX, m_count, m_fingerprint)) {
    logLine("ERROR: Can't create file: " + path + " (" + std::strerror(errno) + ")");
    return 252;
  }
  logLine("Wrote " + path + " (" + std::to_string(m_shard.size()) + " bytes)");
  return 0;
}

void PassResults::printLog() const {
  std::printf("trellis2 stage %s, shard %u/%u\n", shardKindName(shardKindOf(stage())), m_params.SHARD_INDEX,
              m_count);
  for (const std::string& line : m_log) std::printf("  %s\n", line.c_str());
  printElapsedTime(stdout);
  std::fflush(stdout);
}
