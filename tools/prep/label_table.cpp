#include "tools/prep/label_table.h"

#include "tools/common/text_fields.h"
#include "tools/prep/drop_log.h"
#include "tools/prep/prep_error.h"

namespace {

std::string trimmed(const std::string& text) {
  const char* const blanks = " \t\r\v\f";
  const size_t start = text.find_first_not_of(blanks);
  if (start == std::string::npos) return std::string();
  return text.substr(start, text.find_last_not_of(blanks) - start + 1);
}

}  // namespace

void LabelTable::add(const std::string& id, const std::string& rawLabel, uint64_t line, DropLog* log) {
  const std::string label = trimmed(rawLabel);
  if (!isValidName(id)) {
    log->drop("id that is no protein name (empty, with blanks, or starting with '#')", line);
  } else if (label.empty()) {
    log->drop("id without a label", line);
  } else if (label == id) {
    log->drop("label that is the id itself", line);
  } else {
    const auto found = m_index.emplace(id, m_entries.size());
    if (found.second) {
      m_entries.push_back(Entry{id, label});
    } else if (m_entries[found.first->second].label == label) {
      log->drop("repeated label of an id", line);
    } else {
      log->drop("other label of an id already labelled (the first one kept)", line);
    }
  }
}

void LabelTable::write(FILE* out) const {
  for (const Entry& e : m_entries) std::fprintf(out, "%s\t%s\n", e.id.c_str(), e.label.c_str());
  if (std::fflush(out) != 0 || std::ferror(out)) throw PrepError("cannot write the output (disk full?)");
}
