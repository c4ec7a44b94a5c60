// Readers the report tests check the summary outputs with: a strict XML
// well-formedness check for the SVG drawings and a tab-separated table reader
// that follows the quoting rules of data-frame readers.
#pragma once

#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace reportcheck {

// Empty when text is one well-formed XML element (no prolog); otherwise what
// is wrong and where. Checks nesting, quoted and unique attributes, entity and
// character references, and that no '<' or bare '&' stands in text or values.
inline std::string xmlProblem(const std::string& text) {
  std::vector<std::string> open;
  size_t i = 0, roots = 0;
  const auto at = [&](const char* what) { return std::string(what) + " at " + std::to_string(i); };
  const auto isNameChar = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':' || c == '.';
  };
  const auto reference = [&]() -> bool {  // text[i] == '&'
    const size_t end = text.find(';', i);
    if (end == std::string::npos || end - i > 10) return false;
    const std::string name = text.substr(i + 1, end - i - 1);
    static const std::set<std::string> named = {"amp", "lt", "gt", "quot", "apos"};
    bool ok = named.count(name) > 0;
    if (!ok && name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      const std::string digits = name.substr(hex ? 2 : 1);
      ok = !digits.empty() && digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") ==
                                  std::string::npos;
    }
    i = end + 1;
    return ok;
  };
  while (i < text.size()) {
    if (text[i] == '&') {
      if (!reference()) return at("bad reference");
      continue;
    }
    if (text[i] != '<') {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return at("control character");
      if (open.empty() && !std::isspace(c)) return at("text outside the root");
      ++i;
      continue;
    }
    if (text.compare(i, 4, "<!--") == 0) {
      const size_t end = text.find("-->", i + 4);
      if (end == std::string::npos) return at("unclosed comment");
      i = end + 3;
      continue;
    }
    const bool closing = i + 1 < text.size() && text[i + 1] == '/';
    size_t j = i + (closing ? 2 : 1);
    const size_t nameStart = j;
    while (j < text.size() && isNameChar(text[j])) ++j;
    const std::string name = text.substr(nameStart, j - nameStart);
    if (name.empty()) return at("tag without a name");
    if (closing) {
      while (j < text.size() && std::isspace(static_cast<unsigned char>(text[j]))) ++j;
      if (j >= text.size() || text[j] != '>') return at("bad closing tag");
      if (open.empty() || open.back() != name) return at(("mismatched </" + name + ">").c_str());
      open.pop_back();
      i = j + 1;
      continue;
    }
    if (open.empty() && roots++ > 0) return at("second root element");
    std::set<std::string> attrs;
    for (;;) {
      const size_t before = j;
      while (j < text.size() && std::isspace(static_cast<unsigned char>(text[j]))) ++j;
      if (j >= text.size()) return at("unclosed tag");
      if (text[j] == '>' || text.compare(j, 2, "/>") == 0) break;
      if (j == before) return at("attributes not separated");
      const size_t attrStart = j;
      while (j < text.size() && isNameChar(text[j])) ++j;
      const std::string attr = text.substr(attrStart, j - attrStart);
      if (attr.empty() || j + 1 >= text.size() || text[j] != '=' || (text[j + 1] != '"' && text[j + 1] != '\''))
        return at("bad attribute");
      if (!attrs.insert(attr).second) return at(("repeated attribute " + attr).c_str());
      const char quote = text[j + 1];
      i = j + 2;
      while (i < text.size() && text[i] != quote) {
        if (text[i] == '<') return at("'<' in an attribute value");
        if (text[i] == '&') {
          if (!reference()) return at("bad reference in an attribute value");
        } else {
          ++i;
        }
      }
      if (i >= text.size()) return at("unclosed attribute value");
      j = i + 1;
    }
    if (text[j] == '>') {
      open.push_back(name);
      i = j + 1;
    } else {
      i = j + 2;
    }
  }
  if (!open.empty()) return "unclosed <" + open.back() + ">";
  if (roots != 1) return "no root element";
  return "";
}

// Every <svg ...>...</svg> element of an HTML page (drawings do not nest).
inline std::vector<std::string> svgElements(const std::string& html) {
  std::vector<std::string> out;
  for (size_t pos = html.find("<svg"); pos != std::string::npos; pos = html.find("<svg", pos)) {
    const size_t end = html.find("</svg>", pos);
    if (end == std::string::npos) {
      out.push_back(html.substr(pos));
      break;
    }
    out.push_back(html.substr(pos, end + 6 - pos));
    pos = end;
  }
  return out;
}

// A tab-separated table as data-frame readers take it: rows of fields split
// at tabs, a field starting with '"' running to the closing quote ("" inside
// standing for one quote).
typedef std::vector<std::vector<std::string>> Table;
inline Table readTsv(const std::string& text, std::string* problem) {
  Table rows;
  size_t i = 0;
  while (i < text.size()) {
    std::vector<std::string> row;
    for (;;) {
      std::string field;
      if (i < text.size() && text[i] == '"') {
        for (++i;; ++i) {
          if (i >= text.size()) {
            *problem = "unclosed quoted field";
            return rows;
          }
          if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
              field += '"';
              ++i;
              continue;
            }
            ++i;
            break;
          }
          field += text[i];
        }
      } else {
        while (i < text.size() && text[i] != '\t' && text[i] != '\n') field += text[i++];
      }
      row.push_back(field);
      if (i >= text.size() || text[i] == '\n') break;
      if (text[i] != '\t') {
        *problem = "text after a quoted field";
        return rows;
      }
      ++i;
    }
    ++i;
    rows.push_back(row);
  }
  return rows;
}

// Rows of a table with a header, each as column name -> field. Sets problem
// when a row's width differs from the header's.
inline std::vector<std::map<std::string, std::string>> records(const Table& table, std::string* problem) {
  std::vector<std::map<std::string, std::string>> out;
  if (table.empty()) {
    *problem = "no header";
    return out;
  }
  for (size_t r = 1; r < table.size(); ++r) {
    if (table[r].size() != table[0].size()) *problem = "row " + std::to_string(r) + " has another width";
    std::map<std::string, std::string> rec;
    for (size_t c = 0; c < table[0].size() && c < table[r].size(); ++c) rec[table[0][c]] = table[r][c];
    out.push_back(rec);
  }
  return out;
}

}  // namespace reportcheck
