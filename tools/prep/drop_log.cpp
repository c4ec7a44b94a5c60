#include "tools/prep/drop_log.h"

void DropLog::drop(const std::string& reason, uint64_t line) {
  Entry* entry = nullptr;
  for (Entry& e : m_entries) {
    if (e.reason == reason) entry = &e;
  }
  if (!entry) {
    m_entries.push_back(Entry{reason, 0, {}});
    entry = &m_entries.back();
  }
  ++entry->count;
  if (line != 0 && entry->lines.size() < LINES_KEPT) entry->lines.push_back(line);
}

uint64_t DropLog::count(const std::string& reason) const {
  for (const Entry& e : m_entries) {
    if (e.reason == reason) return e.count;
  }
  return 0;
}

uint64_t DropLog::total() const {
  uint64_t n = 0;
  for (const Entry& e : m_entries) n += e.count;
  return n;
}

void DropLog::print(FILE* out, const std::string& prefix) const {
  for (const Entry& e : m_entries) {
    std::fprintf(out, "%s%llu %s", prefix.c_str(), static_cast<unsigned long long>(e.count),
                 e.reason.c_str());
    for (size_t i = 0; i < e.lines.size(); ++i) {
      std::fprintf(out, "%s%llu", i == 0 ? (e.lines.size() == 1 ? " (line " : " (lines ") : ", ",
                   static_cast<unsigned long long>(e.lines[i]));
    }
    if (!e.lines.empty()) std::fprintf(out, "%s)", e.count > e.lines.size() ? ", ..." : "");
    std::fputc('\n', out);
  }
}
