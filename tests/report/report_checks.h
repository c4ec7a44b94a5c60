// Readers the report tests check the summary outputs with: an XML
// well-formedness check for the SVG drawings and a tab-separated table reader
// that follows the quoting rule of data-frame readers.
#pragma once

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace reportcheck {

// Whether text[i..] starts a predefined entity or a character reference; moves i past it.
inline bool reference(const std::string& text, size_t* i) {
  const size_t end = text.find(';', *i);
  if (end == std::string::npos) return false;
  const std::string name = text.substr(*i + 1, end - *i - 1);
  *i = end + 1;
  static const std::set<std::string> named = {"amp", "lt", "gt", "quot", "apos"};
  const bool hex = name.size() > 2 && name[0] == '#' && name[1] == 'x';
  const std::string digits = name.substr(hex ? 2 : 1);
  return named.count(name) ||
         (name[0] == '#' && !digits.empty() &&
          digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") == std::string::npos);
}

// Empty when text is one well-formed XML element; otherwise what is wrong and
// where: nesting, quoted unique attributes, references, no '<' or bare '&' in
// text or values, no control characters.
inline std::string xmlProblem(const std::string& text) {
  std::vector<std::string> open;
  size_t i = 0, roots = 0;
  const auto fail = [&](const std::string& what) { return what + " at " + std::to_string(i); };
  const auto name = [&](size_t* j) {
    const size_t start = *j;
    while (*j < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[*j])) || text[*j] == '-' || text[*j] == ':'))
      ++*j;
    return text.substr(start, *j - start);
  };
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '&') {
      if (!reference(text, &i)) return fail("bad reference");
    } else if (c != '<') {
      if ((c < 0x20 && !std::isspace(c)) || (open.empty() && !std::isspace(c)))
        return fail("stray character");
      ++i;
    } else if (text[i + 1] == '/') {
      size_t j = i + 2;
      const std::string tag = name(&j);
      if (open.empty() || open.back() != tag || text[j] != '>') return fail("bad closing tag");
      open.pop_back();
      i = j + 1;
    } else {
      size_t j = i + 1;
      const std::string tag = name(&j);
      if (tag.empty() || (open.empty() && roots++)) return fail("bad start tag");
      std::set<std::string> attrs;
      while (j < text.size() && std::isspace(static_cast<unsigned char>(text[j]))) {
        while (std::isspace(static_cast<unsigned char>(text[j]))) ++j;
        if (text[j] == '>' || text[j] == '/') break;
        const std::string attr = name(&j);
        if (attr.empty() || !attrs.insert(attr).second || text.compare(j, 2, "=\""))
          return fail("bad attribute");
        for (i = j + 2; i < text.size() && text[i] != '"';) {
          if (text[i] == '<') return fail("'<' in an attribute value");
          if (text[i] != '&')
            ++i;
          else if (!reference(text, &i))
            return fail("bad reference in an attribute value");
        }
        j = i + 1;
      }
      if (text.compare(j, 2, "/>") == 0) {
        i = j + 2;
      } else if (j < text.size() && text[j] == '>') {
        open.push_back(tag);
        i = j + 1;
      } else {
        return fail("unclosed tag");
      }
    }
  }
  return !open.empty() ? "unclosed <" + open.back() + ">" : roots != 1 ? "no root element" : "";
}

// Every <svg ...>...</svg> element of an HTML page (drawings do not nest).
inline std::vector<std::string> svgElements(const std::string& html) {
  std::vector<std::string> out;
  for (size_t at = html.find("<svg"); at != std::string::npos; at = html.find("<svg", at + 1))
    out.push_back(html.substr(at, html.find("</svg>", at) + 6 - at));
  return out;
}

// A tab-separated table with a header line, one column name -> field map per
// row, as data-frame readers take it: a field starting with '"' runs to the
// closing quote, "" inside standing for one quote. Sets problem on a row of
// another width than the header.
inline std::vector<std::map<std::string, std::string>> readTsv(const std::string& text,
                                                               std::string* problem) {
  std::vector<std::vector<std::string>> rows(1);
  rows[0].emplace_back();
  for (size_t i = 0; i < text.size(); ++i) {
    std::string& field = rows.back().back();
    if (text[i] == '"' && field.empty()) {
      for (++i; i < text.size(); ++i) {
        if (text[i] == '"' && text[++i] != '"') break;  // a doubled quote stands for one
        field += text[i];
      }
      --i;  // back on the character after the closing quote
    } else if (text[i] == '\t') {
      rows.back().emplace_back();
    } else if (text[i] == '\n') {
      if (i + 1 < text.size()) rows.push_back({""});
    } else {
      field += text[i];
    }
  }
  std::vector<std::map<std::string, std::string>> out;
  for (size_t r = 1; r < rows.size(); ++r) {
    if (rows[r].size() != rows[0].size()) *problem = "row " + std::to_string(r) + " has another width";
    out.emplace_back();
    for (size_t c = 0; c < rows[0].size() && c < rows[r].size(); ++c) out.back()[rows[0][c]] = rows[r][c];
  }
  if (rows[0].size() < 2) *problem = "no header";
  return out;
}

// The column names of a tab-separated table.
inline std::vector<std::string> header(const std::string& text) {
  std::vector<std::string> names(1);
  for (size_t i = 0; i < text.size() && text[i] != '\n'; ++i) {
    if (text[i] == '\t')
      names.emplace_back();
    else
      names.back() += text[i];
  }
  return names;
}

}  // namespace reportcheck
