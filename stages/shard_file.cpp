#include "stages/shard_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/common_types.h"
#include "common/error.h"
#include "common/file_io.h"

namespace {

const char MAGIC[] = "TRELLIS2 SHARD 1\n";
const size_t MAGIC_SIZE = sizeof MAGIC - 1;
const char END[] = "END\n";
const size_t END_SIZE = sizeof END - 1;
// Payload length and hash, then END.
const size_t TRAILER_SIZE = 16 + END_SIZE;

void append(std::vector<char>* out, const void* data, size_t n) {
  const char* p = static_cast<const char*>(data);
  out->insert(out->end(), p, p + n);
}

uint64_t payloadHash(const char* data, size_t n) {
  ContentHash hash;
  hash.add(data, n);
  return hash.value();
}

}  // namespace

const char* shardKindName(ShardKind kind) {
  switch (kind) {
    case ShardKind::SEEDS:
      return "seeds";
    case ShardKind::GROW:
      return "grow";
    case ShardKind::REFINE:
      return "refine";
  }
  return "?";
}

std::string shardPath(const std::string& outDir, ShardKind kind, uint32_t index, uint32_t count) {
  return outDir + "/shards/" + shardKindName(kind) + "-" + std::to_string(index) + "-of-" +
         std::to_string(count) + ".bin";
}

void ShardWriter::putU32(uint32_t v) { append(&m_bytes, &v, sizeof v); }
void ShardWriter::putU64(uint64_t v) { append(&m_bytes, &v, sizeof v); }
void ShardWriter::putDouble(double v) { append(&m_bytes, &v, sizeof v); }

void ShardWriter::putSection(const ShardWriter& section) {
  putU64(section.m_bytes.size());
  append(&m_bytes, section.m_bytes.data(), section.m_bytes.size());
}

bool ShardWriter::commit(const std::string& path, ShardKind kind, uint32_t index, uint32_t count,
                         const RunFingerprint& fingerprint) const {
  std::vector<char> file;
  append(&file, MAGIC, MAGIC_SIZE);
  const uint32_t header[3] = {static_cast<uint32_t>(kind), index, count};
  append(&file, header, sizeof header);
  append(&file, &fingerprint.hash, sizeof fingerprint.hash);
  const uint32_t textSize = static_cast<uint32_t>(fingerprint.text.size());
  append(&file, &textSize, sizeof textSize);
  append(&file, fingerprint.text.data(), textSize);
  append(&file, m_bytes.data(), m_bytes.size());
  const uint64_t trailer[2] = {m_bytes.size(), payloadHash(m_bytes.data(), m_bytes.size())};
  append(&file, trailer, sizeof trailer);
  append(&file, END, END_SIZE);

  // On the disk before its name is: a shard that exists is whole.
  return writeWholeFile(path, std::string(file.begin(), file.end()), true);
}

ShardReader::ShardReader(const std::string& path, ShardKind kind, uint32_t index, uint32_t count,
                         const RunFingerprint& fingerprint)
    : m_path(path) {
  std::string bytes;
  if (!readWholeFile(path, &bytes)) refuse(errno == ENOENT ? "missing: run its stage first" : std::strerror(errno));
  m_bytes.assign(bytes.begin(), bytes.end());
  if (m_bytes.size() < MAGIC_SIZE || std::memcmp(m_bytes.data(), MAGIC, MAGIC_SIZE) != 0)
    refuse("is not a trellis2 shard file");
  if (m_bytes.size() < MAGIC_SIZE + 24 + TRAILER_SIZE ||
      std::memcmp(m_bytes.data() + m_bytes.size() - END_SIZE, END, END_SIZE) != 0)
    refuse("is truncated");
  uint64_t trailer[2];
  std::memcpy(trailer, m_bytes.data() + m_bytes.size() - TRAILER_SIZE, sizeof trailer);
  m_end = m_bytes.size() - TRAILER_SIZE;
  m_pos = MAGIC_SIZE;
  const uint32_t fileKind = getU32(), fileIndex = getU32(), fileCount = getU32();
  const uint64_t fileHash = getU64();
  const uint32_t textSize = getU32();
  need(textSize);
  const std::string text(m_bytes.data() + m_pos, textSize);
  m_pos += textSize;
  if (m_end < m_pos || trailer[0] != m_end - m_pos) refuse("is truncated");
  if (trailer[1] != payloadHash(m_bytes.data() + m_pos, m_end - m_pos))
    refuse("is damaged (its content hash differs)");
  if (fileKind != static_cast<uint32_t>(kind))
    refuse(std::string("holds ") + shardKindName(static_cast<ShardKind>(fileKind)) + " results");
  if (fileHash != fingerprint.hash || text != fingerprint.text)
    refuse("comes from another run (other inputs or options): " + text);
  if (fileIndex != index || fileCount != count)
    refuse("holds shard " + std::to_string(fileIndex) + "/" + std::to_string(fileCount) + ", a duplicate");
}

void ShardReader::refuse(const std::string& why) const {
  throw Error(EXIT_USAGE, "ERROR: shard file " + m_path + " " + why + "\n");
}

void ShardReader::need(size_t n) {
  if (m_end < m_pos || m_end - m_pos < n) refuse("is truncated");
}

template <class T>
T ShardReader::get() {
  T v;
  need(sizeof v);
  std::memcpy(&v, m_bytes.data() + m_pos, sizeof v);
  m_pos += sizeof v;
  return v;
}

uint8_t ShardReader::getU8() { return get<uint8_t>(); }
uint32_t ShardReader::getU32() { return get<uint32_t>(); }
uint64_t ShardReader::getU64() { return get<uint64_t>(); }
double ShardReader::getDouble() { return get<double>(); }

uint32_t ShardReader::getCount(size_t itemBytes) {
  const uint32_t n = getU32();
  need(static_cast<size_t>(n) * itemBytes);
  return n;
}

void ShardReader::skipSection() {
  const uint64_t n = getU64();
  need(n);
  m_pos += n;
}

void ShardReader::expectEnd() {
  if (m_pos != m_end) refuse("holds more than its stage wrote");
}
