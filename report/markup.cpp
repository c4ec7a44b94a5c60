#include "report/markup.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

const char* const REPLACEMENT = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence starting at s[i], 0 when there is none.
size_t utf8Length(const std::string& s, size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  size_t len;
  unsigned lowest;  // smallest code point this length may encode
  unsigned cp;
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) {
    len = 2, lowest = 0x80, cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    len = 3, lowest = 0x800, cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    len = 4, lowest = 0x10000, cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const unsigned char t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (t & 0x3F);
  }
  const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
  const bool nonCharacter = cp == 0xFFFE || cp == 0xFFFF;  // not allowed in XML
  if (cp < lowest || cp > 0x10FFFF || surrogate || nonCharacter) return 0;
  return len;
}

}  // namespace

std::string escapeMarkup(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    const size_t len = utf8Length(text, i);
    if (len == 0) {
      out += REPLACEMENT;
      ++i;
      continue;
    }
    i += len;
    if (len > 1) {
      out.append(text, i - len, len);
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F)
          out += REPLACEMENT;
        else
          out += c;
    }
  }
  return out;
}
