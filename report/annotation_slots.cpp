#include "report/annotation_slots.h"

namespace {

const std::string OPEN = "<!--trellis2-annotate:";
const std::string CLOSE = "<!--/trellis2-annotate:";
const std::string END = "-->";

}  // namespace

std::string slot::row(unsigned id) { return "row " + std::to_string(id); }

std::string annotationSlot(const std::string& key) { return OPEN + key + END + CLOSE + key + END; }

bool fillAnnotationSlots(const std::string& page,
                         const std::function<std::string(const std::string&)>& content, std::string* out,
                         std::string* error) {
  out->clear();
  size_t pos = 0;
  bool found = false;
  for (size_t open = page.find(OPEN); open != std::string::npos; open = page.find(OPEN, pos)) {
    const size_t keyStart = open + OPEN.size();
    const size_t keyEnd = page.find(END, keyStart);
    const std::string key = keyEnd == std::string::npos ? "" : page.substr(keyStart, keyEnd - keyStart);
    const std::string closing = CLOSE + key + END;
    const size_t close = key.empty() ? std::string::npos : page.find(closing, keyEnd + END.size());
    if (close == std::string::npos || page.find(OPEN, keyEnd) < close) {
      *error = "annotation slot without its end at byte " + std::to_string(open);
      return false;
    }
    out->append(page, pos, keyEnd + END.size() - pos);
    *out += content(key);
    *out += closing;
    pos = close + closing.size();
    found = true;
  }
  out->append(page, pos, std::string::npos);
  if (!found) *error = "no annotation slots";
  return found;
}
