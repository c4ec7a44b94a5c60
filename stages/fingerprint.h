// What identifies a run for its shard files: the content of every input
// file (size and a hash) and every option that changes results. Shards of
// runs that differ in any of these must never be merged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RunFingerprint {
  std::string text;   // human-readable: "species 3; S tree; ...; small_int-0.txt 1234 9f2c..."
  uint64_t hash = 0;  // of text

  // options: every option that changes results, as text. Reads every input
  // file once; one that cannot be read is named as such (reading the network
  // then stops the run with its own message).
  static RunFingerprint of(const std::string& options, const std::vector<std::string>& inputFiles);
};

// A 64-bit hash of bytes, for file contents and fingerprints; not for
// security, only to tell different inputs apart.
class ContentHash {
 public:
  void add(const void* data, size_t size);
  uint64_t value() const;

 private:
  uint64_t m_state = 0x9E3779B97F4A7C15ull;
  uint64_t m_length = 0;
};
