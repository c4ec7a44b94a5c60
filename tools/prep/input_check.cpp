#include "tools/prep/input_check.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "common/run_files.h"
#include "network/input_line.h"
#include "tools/common/text_fields.h"
#include "tools/common/text_input.h"
#include "tools/prep/prep_error.h"
#include "tools/prep/trellis_probe.h"

namespace {

constexpr size_t NAMES_LISTED = 10;
constexpr size_t NAMES_SHOWN = 3;  // of a species and of the similarity file, to compare by eye
constexpr double RAW_OUTFMT6_SHARE =
    0.9;  // share of hits above the threshold that suggests column 3 is not an E-value

std::string count(uint64_t n) { return std::to_string(n); }

// The first names of a list, for messages: "a, b, c, ...".
std::string firstNames(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size() && i < NAMES_SHOWN; ++i) text += (i ? ", " : "") + names[i];
  return text + (names.size() > NAMES_SHOWN ? ", ..." : "");
}

// Writes `text` after `lead`, its further lines indented under it.
void printIndented(FILE* out, const char* lead, const std::string& text) {
  std::string body = text;
  while (!body.empty() && body.back() == '\n') body.pop_back();
  size_t pos = 0;
  while ((pos = body.find('\n', pos)) != std::string::npos) {
    body.replace(pos, 1, "\n    ");
    pos += 5;
  }
  std::fprintf(out, "%s%s\n", lead, body.c_str());
}

// A skipped weight that is a whole number in (1, 1000], as STRING's raw scores are.
bool looksLikeStringScore(const InputRecord& rec) {
  return rec.value > 1 && rec.value <= 1000 && std::floor(rec.value) == rec.value;
}

}  // namespace

InputCheck::InputCheck(const CheckOptions& opts) : m_opts(opts), m_species(opts.species) {
  for (uint32_t s = 0; s < opts.species; ++s)
    m_species[s].file = interactionFile(opts.prefix, s);
  m_similarity.file = similarityFile(opts.prefix);
}

std::unique_ptr<TextInput> InputCheck::openOrRefuse(const std::string& file) {
  std::unique_ptr<TextInput> in;
  try {
    in.reset(new TextInput(file));
  } catch (const PrepError& e) {
    refuse(e.what());
    return nullptr;
  }
  if (in->compressed()) {
    refuse(file + ": is gzip-compressed; trellis2 reads plain text (gunzip it)");
    return nullptr;
  }
  return in;
}

uint32_t InputCheck::protein(uint32_t s, const std::string& name, uint64_t line) {
  auto found = m_ids.find(name);
  if (found != m_ids.end()) {
    Protein& p = m_proteins[found->second];
    const uint32_t bit = 1u << s;
    if (p.species != s && !(p.sharedMask & bit)) {
      p.sharedMask |= bit;
      ++m_sharedCount;
      m_shared.push_back(SharedName{name, p.species, p.line, s, line});
    }
    return found->second;
  }
  const uint32_t id = static_cast<uint32_t>(m_proteins.size());
  m_proteins.push_back(Protein{s, line, false, 0, {}});
  m_names.push_back(&m_ids.emplace(name, id).first->first);
  m_species[s].proteins.push_back(id);
  return id;
}

void InputCheck::addInteraction(uint32_t s, const std::string& a, const std::string& b, double w,
                                uint64_t line) {
  Species& sp = m_species[s];
  if (a == b) {
    ++sp.selfPairs;  // trellis2 ignores these without a message
    return;
  }
  sp.minWeight = sp.accepted == 0 ? w : std::min(sp.minWeight, w);
  sp.maxWeight = sp.accepted == 0 ? w : std::max(sp.maxWeight, w);
  ++sp.accepted;
  const uint32_t ia = protein(s, a, line), ib = protein(s, b, line);
  // A name of another species stops trellis2 here; it adds nothing to this species.
  if (m_proteins[ia].species != s || m_proteins[ib].species != s) return;
  m_proteins[ia].partners.push_back(ib);
  m_proteins[ib].partners.push_back(ia);
}

void InputCheck::readInteractions(uint32_t s) {
  Species& sp = m_species[s];
  std::unique_ptr<TextInput> in = openOrRefuse(sp.file);
  if (!in) return;
  std::string line;
  InputRecord rec;
  while (in->next(&line)) {
    ++sp.lines;
    const InputLineStatus status = parseInputLine(line, InputFileKind::INTERACTIONS, &rec);
    if (status == InputLineStatus::COMMENT) continue;
    if (status == InputLineStatus::RECORD) {
      addInteraction(s, rec.name1, rec.name2, rec.value, in->lineNumber());
      continue;
    }
    sp.skipped.drop(inputLineStatusText(status, InputFileKind::INTERACTIONS), in->lineNumber());
    if (status == InputLineStatus::OUT_OF_RANGE && looksLikeStringScore(rec)) ++sp.scoreLike;
  }
  finishSpecies(s);
}

void InputCheck::finishSpecies(uint32_t s) {
  Species& sp = m_species[s];
  uint64_t ends = 0;
  for (uint32_t id : sp.proteins) {
    std::vector<uint32_t>& partners = m_proteins[id].partners;
    std::sort(partners.begin(), partners.end());
    partners.erase(std::unique(partners.begin(), partners.end()), partners.end());
    ends += partners.size();
    if (partners.size() > sp.maxDegree) {
      sp.maxDegree = partners.size();
      sp.maxDegreeProtein = *m_names[id];
    }
    partners.shrink_to_fit();
  }
  sp.distinctPairs = ends / 2;
  const std::string scores = sp.scoreLike == 0
                                 ? std::string()
                                 : "; " + count(sp.scoreLike) +
                                       " skipped weights look like STRING scores (0 to 1000): prepare "
                                       "the file with 'trellis2-prep interactions --from string'";
  if (sp.accepted == 0) {
    refuse("species " + count(s) + " has no interaction: " +
           (sp.lines == 0 ? sp.file + " is empty" : "no line of " + sp.file + " is accepted") + scores);
  } else if (sp.scoreLike > 0) {
    warn("species " + count(s) + ": " + count(sp.skipped.total()) + " of " + count(sp.lines) +
         " lines skipped" + scores);
  }
  if (sp.accepted > sp.distinctPairs && sp.distinctPairs > 0) {
    warn("species " + count(s) + ": " + count(sp.accepted - sp.distinctPairs) +
         " interaction lines repeat a pair (both directions, or listed again); trellis2 counts each line, "
         "so the pair weighs more in the model: merge them with 'trellis2-prep interactions --from edges'");
  }
}

void InputCheck::noteUnknown(const std::string& name, uint64_t line) {
  if (m_ids.count(name) || !m_similarity.unknownNames.insert(name).second) return;
  if (m_similarity.unknownListed.size() < NAMES_LISTED) m_similarity.unknownListed.emplace_back(name, line);
}

void InputCheck::readSimilarity() {
  Similarity& sim = m_similarity;
  std::unique_ptr<TextInput> in = openOrRefuse(sim.file);
  if (!in) return;
  sim.read = true;
  std::string line;
  InputRecord rec;
  while (in->next(&line)) {
    ++sim.lines;
    const InputLineStatus status = parseInputLine(line, InputFileKind::SIMILARITY, &rec);
    if (status == InputLineStatus::COMMENT) continue;
    if (status != InputLineStatus::RECORD) {
      sim.skipped.drop(inputLineStatusText(status, InputFileKind::SIMILARITY), in->lineNumber());
      continue;
    }
    if (rec.value > m_opts.threshold) {
      ++sim.aboveThreshold;
      if (splitBlanks(line).size() >= 12) ++sim.wideAboveThreshold;
      continue;
    }
    auto a = m_ids.find(rec.name1), b = m_ids.find(rec.name2);
    if (a == m_ids.end() || b == m_ids.end()) {
      ++sim.unknownPairs;
      noteUnknown(rec.name1, in->lineNumber());
      noteUnknown(rec.name2, in->lineNumber());
      continue;
    }
    if (a->second == b->second) {
      ++sim.selfPairs;
      continue;
    }
    ++sim.accepted;
    Protein& pa = m_proteins[a->second];
    Protein& pb = m_proteins[b->second];
    if (pa.species != pb.species) pa.linked = pb.linked = true;
  }
  const uint64_t records = sim.accepted + sim.aboveThreshold + sim.unknownPairs + sim.selfPairs;
  if (sim.wideAboveThreshold > RAW_OUTFMT6_SHARE * records && records > 0) {
    warn(sim.file +
         ": most lines have 12 or more columns and a third column above the threshold: this looks "
         "like raw BLAST/DIAMOND -outfmt 6, whose third column is the percent identity, not the E-value; "
         "prepare it with 'trellis2-prep similarity --from blast6'");
  }
}

void InputCheck::checkLinks() {
  if (!m_similarity.read) return;
  for (uint32_t s = 0; s < m_opts.species; ++s) {
    const Species& sp = m_species[s];
    uint64_t unlinked = 0;
    for (uint32_t id : sp.proteins) unlinked += !m_proteins[id].linked;
    if (sp.proteins.empty() || 2 * unlinked <= sp.proteins.size()) continue;
    if (unlinked == sp.proteins.size()) {
      refuseAsEmpty("species " + count(s) +
                    " has no similarity link to another species: " + linkAdvice(s, unlinked));
    } else {
      warn("species " + count(s) + ": " + count(unlinked) + " of " + count(sp.proteins.size()) +
           " proteins have no similarity link to another species: " + linkAdvice(s, unlinked));
    }
  }
}

std::string InputCheck::linkAdvice(uint32_t s, uint64_t unlinked) const {
  const Species& sp = m_species[s];
  const Similarity& sim = m_similarity;
  std::vector<std::string> own, unknown;
  for (uint32_t id : sp.proteins) {
    if (!m_proteins[id].linked) own.push_back(*m_names[id]);
    if (own.size() > NAMES_SHOWN) break;
  }
  for (const auto& name : sim.unknownListed) unknown.push_back(name.first);
  std::string advice = unknown.empty() ? "every name in " + sim.file + " is in a network; "
                                       : "do the names in " + sim.file + " and " + sp.file + " match?";
  if (unknown.empty()) {
    advice += sim.aboveThreshold > 0
                  ? count(sim.aboveThreshold) + " of its pairs are above the E-value threshold " +
                        formatNumber(m_opts.threshold) + " (--threshold)"
                  : "it links too few of these proteins";
  }
  advice += "\nnames in " + sp.file + (unlinked < sp.proteins.size() ? " without a link: " : ": ") +
            firstNames(own);
  if (!unknown.empty()) advice += "\nnames in " + sim.file + " found in no network: " + firstNames(unknown);
  return advice;
}

int InputCheck::run(FILE* out) {
  for (uint32_t s = 0; s < m_opts.species; ++s) readInteractions(s);
  readSimilarity();
  checkLinks();
  if (m_sharedCount > 0) {
    refuse(count(m_sharedCount) +
           " protein name(s) occur in the interaction files of two species; trellis2 stops "
           "at the first (a name may belong to one species only)");
  }
  std::vector<uint64_t> hubPairs;
  if (m_refusals.empty()) {
    TrellisProbe probe(m_opts.species, m_opts.prefix, m_opts.threshold, m_opts.beta);
    if (probe.run()) {
      for (uint32_t s = 0; s < m_opts.species; ++s) hubPairs.push_back(probe.hubPairs(s));
    } else {
      refuse("trellis2 stops while reading or fitting the model:\n" + probe.failure());
    }
  }
  std::fprintf(out, "Input set %s: %u species (E-value threshold %s, beta %s)\n\n", m_opts.prefix.c_str(),
               m_opts.species, formatNumber(m_opts.threshold).c_str(), formatNumber(m_opts.beta).c_str());
  for (uint32_t s = 0; s < m_opts.species; ++s) reportSpecies(out, s, hubPairs.empty() ? nullptr : &hubPairs);
  reportSimilarity(out);
  reportSharedNames(out);
  reportVerdict(out);
  if (std::fflush(out) != 0) throw PrepError("cannot write the report");
  return m_refusals.empty() && m_emptyRun.empty() ? 0 : 1;
}

void InputCheck::reportSpecies(FILE* out, uint32_t s, const std::vector<uint64_t>* hubPairs) const {
  const Species& sp = m_species[s];
  std::fprintf(out, "species %u: %s\n", s, sp.file.c_str());
  std::fprintf(out, "  proteins: %zu\n", sp.proteins.size());
  std::fprintf(out, "  interactions: %llu lines, %llu distinct pairs\n",
               static_cast<unsigned long long>(sp.accepted),
               static_cast<unsigned long long>(sp.distinctPairs));
  if (sp.accepted > 0) {
    std::fprintf(out, "  weights: %s to %s\n", formatNumber(sp.minWeight).c_str(),
                 formatNumber(sp.maxWeight).c_str());
  }
  if (sp.maxDegree > 0)
    std::fprintf(out, "  largest degree: %zu (%s)\n", sp.maxDegree, sp.maxDegreeProtein.c_str());
  if (hubPairs) {
    std::fprintf(out, "  hub pairs: %llu\n", static_cast<unsigned long long>((*hubPairs)[s]));
  } else {
    std::fprintf(out, "  hub pairs: not computed (trellis2 would stop first)\n");
  }
  uint64_t isolated = 0;
  std::string listed;
  for (uint32_t id : sp.proteins) {
    if (m_proteins[id].linked) continue;
    if (++isolated <= NAMES_LISTED) listed += (isolated > 1 ? ", " : "") + *m_names[id];
  }
  std::fprintf(out, "  isolated proteins (no similarity link to another species): %llu%s%s%s%s\n",
               static_cast<unsigned long long>(isolated), isolated ? " (" : "", listed.c_str(),
               isolated > NAMES_LISTED ? ", ..." : "", isolated ? ")" : "");
  if (sp.selfPairs > 0) {
    std::fprintf(out, "  self-interactions (ignored): %llu\n", static_cast<unsigned long long>(sp.selfPairs));
  }
  std::fprintf(out, "  skipped lines: %llu\n", static_cast<unsigned long long>(sp.skipped.total()));
  sp.skipped.print(out, "    ");
  std::fputc('\n', out);
}

void InputCheck::reportSimilarity(FILE* out) const {
  const Similarity& sim = m_similarity;
  auto n = [](uint64_t v) { return static_cast<unsigned long long>(v); };
  std::fprintf(out, "similarity: %s\n", sim.file.c_str());
  std::fprintf(out, "  pairs accepted: %llu\n", n(sim.accepted));
  std::fprintf(out, "  above the threshold (ignored): %llu\n", n(sim.aboveThreshold));
  if (sim.selfPairs > 0) std::fprintf(out, "  self pairs (ignored): %llu\n", n(sim.selfPairs));
  std::fprintf(out, "  pairs naming a protein in no network (ignored): %llu\n", n(sim.unknownPairs));
  if (!sim.unknownNames.empty()) {
    std::fprintf(out, "  names found in no network: %zu\n", sim.unknownNames.size());
    for (const auto& name : sim.unknownListed) {
      std::fprintf(out, "    %s (line %llu)\n", name.first.c_str(), n(name.second));
    }
    if (sim.unknownNames.size() > sim.unknownListed.size()) std::fprintf(out, "    ...\n");
  }
  std::fprintf(out, "  skipped lines: %llu\n", n(sim.skipped.total()));
  sim.skipped.print(out, "    ");
  std::fputc('\n', out);
}

void InputCheck::reportSharedNames(FILE* out) const {
  std::fprintf(out, "names shared by two species: %llu\n", static_cast<unsigned long long>(m_sharedCount));
  size_t listed = 0;
  for (const SharedName& n : m_shared) {
    if (++listed > NAMES_LISTED) {
      std::fprintf(out, "  ...\n");
      break;
    }
    std::fprintf(out, "  %s: species %u (%s line %llu) and species %u (%s line %llu)\n", n.name.c_str(),
                 n.firstSpecies, m_species[n.firstSpecies].file.c_str(),
                 static_cast<unsigned long long>(n.firstLine), n.species, m_species[n.species].file.c_str(),
                 static_cast<unsigned long long>(n.line));
  }
  std::fputc('\n', out);
}

void InputCheck::reportVerdict(FILE* out) const {
  for (const std::string& w : m_warnings) printIndented(out, "warning: ", w);
  if (m_refusals.empty() && m_emptyRun.empty()) {
    std::fprintf(out, "result: trellis2 would accept this input\n");
    return;
  }
  std::fprintf(out, m_refusals.empty() ? "result: refused: trellis2 would run but find no complex:\n"
                                       : "result: trellis2 would refuse this input:\n");
  for (const std::string& why : m_refusals) printIndented(out, "  - ", why);
  for (const std::string& why : m_emptyRun) printIndented(out, "  - ", why);
}
