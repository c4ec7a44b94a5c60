#include "stages/fingerprint.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

uint64_t mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 33;
  return h;
}

// "name size hash" of one input file; false when it cannot be read.
bool describeFile(const std::string& path, std::string* out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  ContentHash hash;
  std::vector<char> buffer(1 << 20);
  size_t size = 0, n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) {
    hash.add(buffer.data(), n);
    size += n;
  }
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) return false;
  const size_t slash = path.find_last_of('/');
  char line[64];
  std::snprintf(line, sizeof line, " %zu %016" PRIx64, size, hash.value());
  *out += "; " + (slash == std::string::npos ? path : path.substr(slash + 1)) + line;
  return true;
}

}  // namespace

void ContentHash::add(const void* data, size_t size) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  m_length += size;
  while (size >= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    m_state = mix(m_state ^ word) + 0x632BE59BD9B4E019ull;
    p += 8;
    size -= 8;
  }
  uint64_t tail = 0;
  std::memcpy(&tail, p, size);
  if (size > 0) m_state = mix(m_state ^ tail ^ (static_cast<uint64_t>(size) << 56));
}

uint64_t ContentHash::value() const { return mix(m_state ^ m_length); }

RunFingerprint RunFingerprint::of(const std::string& options, const std::vector<std::string>& inputFiles) {
  RunFingerprint fp;
  fp.text = options;
  for (const std::string& path : inputFiles) {
    if (!describeFile(path, &fp.text)) fp.text += "; " + path + " unreadable";
  }
  ContentHash hash;
  hash.add(fp.text.data(), fp.text.size());
  fp.hash = hash.value();
  return fp;
}
