// Shard files: the results one stage of a split run hands to the next. A
// file holds a header (kind, shard number, split, the run's fingerprint), a
// payload of plain numbers, and a trailer with the payload's length and hash,
// so a file from another run, another shard or cut short is recognised. A
// file appears whole or not at all: it is written under a temporary name and
// renamed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "stages/fingerprint.h"

enum class ShardKind : uint32_t { SEEDS = 0, GROW = 1, REFINE = 2 };

const char* shardKindName(ShardKind kind);

// <dir>/shards/<kind>-<index>-of-<count>.bin
std::string shardPath(const std::string& outDir, ShardKind kind, uint32_t index, uint32_t count);

class ShardWriter {
 public:
  void putU8(uint8_t v) { m_bytes.push_back(static_cast<char>(v)); }
  void putU32(uint32_t v);
  void putU64(uint64_t v);
  void putDouble(double v);
  // Appends section's bytes after their count, so that a reader can skip them.
  void putSection(const ShardWriter& section);
  size_t size() const { return m_bytes.size(); }

  // Writes the shard file atomically; false (errno set) when it cannot.
  bool commit(const std::string& path, ShardKind kind, uint32_t index, uint32_t count,
              const RunFingerprint& fingerprint) const;

 private:
  std::vector<char> m_bytes;
};

class ShardReader {
 public:
  // Reads and checks the shard file; on any fault stops the run with a
  // message that names the file and the fault (exit status 255).
  ShardReader(const std::string& path, ShardKind kind, uint32_t index, uint32_t count,
              const RunFingerprint& fingerprint);

  uint8_t getU8();
  uint32_t getU32();
  uint64_t getU64();
  double getDouble();
  // A count of items of at least itemBytes each, checked against what is
  // left, so that a damaged count cannot ask for more than the file holds.
  uint32_t getCount(size_t itemBytes);
  // Skips a section written by putSection.
  void skipSection();
  // Stops the run unless the whole payload was read.
  void expectEnd();
  // Stops the run: "ERROR: shard file <path> <why>".
  [[noreturn]] void refuse(const std::string& why) const;

 private:
  void need(size_t n);
  template <class T>
  T get();

  std::string m_path;
  std::vector<char> m_bytes;
  size_t m_pos = 0;
  size_t m_end = 0;  // end of the payload
};
