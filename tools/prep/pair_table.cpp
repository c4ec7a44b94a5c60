#include "tools/prep/pair_table.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "tools/common/text_fields.h"
#include "tools/prep/drop_log.h"
#include "tools/prep/prep_error.h"

namespace {

uint64_t pairHash(uint32_t a, uint32_t b) {
  if (a > b) std::swap(a, b);
  uint64_t x = (static_cast<uint64_t>(a) << 32) | b;
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdULL;
  x ^= x >> 33;
  return x;
}

}  // namespace

PairTable::PairTable(Keep keep, std::string duplicateReason, std::string selfReason)
    : m_keep(keep),
      m_duplicateReason(std::move(duplicateReason)),
      m_selfReason(std::move(selfReason)),
      m_slots(1024, 0) {}

uint32_t PairTable::intern(const std::string& name) {
  auto found = m_ids.find(name);
  if (found != m_ids.end()) return found->second;
  if (m_names.size() >= UINT32_MAX) throw PrepError("more than 4294967295 distinct protein names");
  const uint32_t id = static_cast<uint32_t>(m_names.size());
  auto inserted = m_ids.emplace(name, id).first;
  m_names.push_back(&inserted->first);
  return id;
}

size_t PairTable::findSlot(uint32_t a, uint32_t b) const {
  const size_t mask = m_slots.size() - 1;
  size_t i = pairHash(a, b) & mask;
  for (;;) {
    const uint32_t s = m_slots[i];
    if (s == 0) return i;
    const Pair& p = m_pairs[s - 1];
    if ((p.a == a && p.b == b) || (p.a == b && p.b == a)) return i;
    i = (i + 1) & mask;
  }
}

void PairTable::grow() {
  std::vector<uint32_t> old(m_slots.size() * 2, 0);
  m_slots.swap(old);
  for (uint32_t s : old) {
    if (s != 0) m_slots[findSlot(m_pairs[s - 1].a, m_pairs[s - 1].b)] = s;
  }
}

void PairTable::add(const std::string& a, const std::string& b, double value, uint64_t line, DropLog* log) {
  if (!isValidName(a) || !isValidName(b)) {
    log->drop(a.empty() || b.empty() ? "empty name" : "name with a blank or a leading '#'", line);
    return;
  }
  if (a == b) {
    log->drop(m_selfReason, line);
    return;
  }
  const uint32_t ia = intern(a), ib = intern(b);
  const size_t slot = findSlot(ia, ib);
  if (m_slots[slot] != 0) {
    Pair& p = m_pairs[m_slots[slot] - 1];
    p.value = m_keep == Keep::HIGHEST ? std::max(p.value, value) : std::min(p.value, value);
    log->drop(m_duplicateReason, line);
    return;
  }
  if (m_pairs.size() >= UINT32_MAX - 1) throw PrepError("more than 4294967294 distinct pairs");
  m_pairs.push_back(Pair{ia, ib, value});
  m_slots[slot] = static_cast<uint32_t>(m_pairs.size());
  if (m_pairs.size() * 2 > m_slots.size()) grow();
}

void PairTable::write(FILE* out) const {
  for (const Pair& p : m_pairs) {
    std::fprintf(out, "%s\t%s\t%s\n", m_names[p.a]->c_str(), m_names[p.b]->c_str(),
                 formatNumber(p.value).c_str());
  }
  if (std::fflush(out) != 0 || std::ferror(out)) throw PrepError("cannot write the output (disk full?)");
}
