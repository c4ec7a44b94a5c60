#include "app/option_docs.h"

#include "app/option_table.h"

namespace {

// The usage column of a row in --help: its modern forms and value.
std::string modernForms(const OptionRow& row) {
  std::string forms = row.letter != 0 ? std::string("-") + row.letter + ", " : "    ";
  forms += std::string("--") + row.name;
  if (row.value != nullptr && row.flagValue == nullptr) forms += std::string(" ") + row.value;
  return forms;
}

// The classic form of a row, for --help.
std::string classicForm(const OptionRow& row) {
  if (row.classic == nullptr) return "";
  return std::string(row.classic) + (row.value != nullptr ? std::string(" ") + row.value : "");
}

// roff text: backslashes and minus signs escaped.
std::string roff(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\e";
    else if (c == '-') out += "\\-";
    else out += c;
  }
  return out;
}

// Markdown table cell text: pipes escaped.
std::string cellText(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '|' ? std::string("\\|") : std::string(1, c);
  return out;
}

}  // namespace

std::string helpText() {
  std::string text =
      "Usage: trellis2 search -k N -i PREFIX [-o DIR] [options]\n"
      "       trellis2 <species num> <in prefix> [out prefix] [option value]...   (the classic form)\n"
      "       trellis2 --check-options [option value]...\n"
      "       trellis2 --help | --version\n\n"
      "Finds conserved protein complexes in the interaction networks of 2 to 10 species.\n"
      "The classic form takes the options below as pairs (flag value) after the output directory, in\n"
      "the form in parentheses; the modern one takes --name value, --name=value or -x value, flags alone.\n"
      "--check-options checks classic option pairs and exits with 0, or with 2 and the reason.\n\n"
      "Options (default in brackets):\n\n";
  for (const OptionRow& row : optionTable()) {
    std::string line = "  " + modernForms(row);
    const std::string classic = classicForm(row);
    if (!classic.empty()) line += "    (classic: " + classic + ")";
    const std::string def = defaultText(row);
    if (!def.empty()) line += "    [" + def + "]";
    text += line + "\n        " + row.help + "\n";
  }
  return text;
}

std::string manOptions() {
  std::string out;
  for (const OptionRow& row : optionTable()) {
    out += ".TP\n.B \"" + roff(modernForms(row).substr(4 - (row.letter != 0 ? 4 : 0))) + "\"\n";
    std::string text = row.help;
    const std::string classic = classicForm(row), def = defaultText(row);
    if (!classic.empty()) text += "; classic form: " + classic;
    if (!def.empty()) text += " (default: " + def + ")";
    out += roff(text) + ".\n";
  }
  return out;
}

std::string markdownOptions() {
  std::string out = "| Modern | Classic | Default | Meaning |\n|---|---|---|---|\n";
  for (const OptionRow& row : optionTable()) {
    const std::string modern = modernForms(row);
    const std::string classic = classicForm(row);
    out += "| `" + cellText(modern.substr(modern.find_first_not_of(' '))) + "` | " +
           (classic.empty() ? std::string() : "`" + cellText(classic) + "`") + " | " + cellText(defaultText(row)) +
           " | " + cellText(row.help) + " |\n";
  }
  return out;
}

std::string manPage(const std::string& pageTemplate) {
  const std::string marker = "@OPTIONS@\n";
  const size_t at = pageTemplate.find(marker);
  if (at == std::string::npos) return pageTemplate;
  return pageTemplate.substr(0, at) + manOptions() + pageTemplate.substr(at + marker.size());
}
