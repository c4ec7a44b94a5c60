#include "tools/annotate/report_annotation.h"

#include <cstdint>

#include "report/annotation_slots.h"
#include "report/markup.h"
#include "tools/common/file_output.h"

namespace {

std::string esc(const std::string& text) { return escapeMarkup(text); }

std::string num(double v) { return strFormat("%.3g", v); }

// The anchor of an enrichment row in the Function section.
std::string termAnchor(unsigned id, unsigned species, const std::string& term) {
  return esc(strFormat("f%u-%u-", id, species) + term);
}

// Header cells; those from firstLeft to lastLeft are left-aligned like their text columns.
std::string headerCells(const std::vector<std::string>& names, size_t firstLeft = SIZE_MAX,
                        size_t lastLeft = 0) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i)
    out += (i >= firstLeft && i <= lastLeft ? "<th class=\"l\">" : "<th>") + esc(names[i]) + "</th>";
  return out;
}

// What the control column of the GO summary compares the fraction with, in words.
std::string controlNote(const AnnotationResults& r) {
  const unsigned count = r.function.front().controls;
  if (count == 0)
    return "<p class=\"note\">No matched control was drawn, so the fractions stand without a baseline: "
           "connected groups of proteins share GO terms more often than chance, and random connected "
           "groups of the same sizes already reach a part of these fractions. <code>trellis2-annotate "
           "--controls N</code> measures how much.</p>\n";
  size_t undrawable = 0;
  for (const SpeciesFunction& f : r.function) undrawable += f.undrawable;
  std::string out = strFormat(
      "<p class=\"note\">Control: for every complex and species, %u random groups of as many distinct "
      "proteins, each a connected piece of that species' network (grown from a random protein by "
      "joining, one at a time, a random protein that interacts with the group; seed %llu), get the same "
      "enrichment test. <em>control fraction</em> is the share of these groups that are coherent: what "
      "size and connectedness alone give, the baseline against which the complexes' fraction is to be "
      "read.",
      count, static_cast<unsigned long long>(r.seed));
  if (undrawable > 0)
    out += strFormat(" %zu parts are larger than every connected piece of their network and have no control.",
                     undrawable);
  return out + "</p>\n";
}

std::string goSummaryTable(const AnnotationResults& r) {
  std::string out = strFormat(
      "<p>Gene Ontology enrichment (<code>%s</code>): a complex is <em>coherent</em> in a species when "
      "some term carried by at least two of its proteins has a corrected p of at most %g.</p>\n",
      esc(r.oboFile).c_str(), COHERENT_P);
  out += "<table>\n<tr>" +
         headerCells({"species", "annotations", "annotated proteins", "complexes", "coherent", "fraction",
                      "control fraction", "terms"},
                     1, 1) +
         "</tr>\n";
  for (const SpeciesFunction& f : r.function) {
    const std::string control =
        f.controlTested == 0 ? "&#8211;" : num(double(f.controlCoherent) / double(f.controlTested));
    out += strFormat(
        "<tr><td>%s</td><td class=\"l\"><code>%s</code></td><td>%zu of %zu</td><td>%zu</td>"
        "<td>%zu</td><td>%s</td><td>%s</td><td>%zu</td></tr>\n",
        esc(r.run->speciesKey(f.species)).c_str(), esc(f.gafFile).c_str(), f.population, f.networkProteins, f.tested, f.coherent,
        num(f.tested == 0 ? 0 : double(f.coherent) / double(f.tested)).c_str(), control.c_str(), f.terms);
  }
  return out + "</table>\n" + controlNote(r);
}

std::string knownSummaryTable(const AnnotationResults& r) {
  std::string out = strFormat(
      "<p>Known complexes: a complex and a reference match when their overlap score reaches %g "
      "(references cut to the network; those left with fewer than %zu proteins dropped).</p>\n",
      r.overlap, MIN_REFERENCE_PROTEINS);
  out += "<div class=\"wide\"><table>\n<tr>" +
         headerCells({"species", "known complexes", "format", "references", "dropped", "predicted",
                      "precision", "recall", "MMR", "Sn", "PPV", "Acc", "Sep"},
                     1, 2) +
         "</tr>\n";
  for (const SpeciesKnown& k : r.known) {
    const MatchFigures& m = k.figures;
    out += strFormat(
        "<tr><td>%s</td><td class=\"l\"><code>%s</code></td><td class=\"l\">%s</td><td>%zu</td><td>%zu</td>"
        "<td>%zu</td>",
        esc(r.run->speciesKey(k.species)).c_str(), esc(k.file).c_str(), esc(k.format).c_str(), k.references.size(), k.dropped,
        k.predictedCount);
    for (double v : {m.precision, m.recall, m.mmr, m.sn, m.ppv, m.acc, m.sep})
      out += "<td>" + num(v) + "</td>";
    out += "</tr>\n";
    if (k.controls == 0) continue;
    const MatchFigures& c = k.controlFigures;
    out += strFormat(
        "<tr><td>%s</td><td class=\"l\" colspan=\"2\">control: mean of %u draws of random connected "
        "groups</td><td></td><td></td><td></td>",
        esc(r.run->speciesKey(k.species)).c_str(), k.controls);
    for (double v : {c.precision, c.recall, c.mmr, c.sn, c.ppv, c.acc, c.sep})
      out += "<td>" + num(v) + "</td>";
    out += "</tr>\n";
  }
  return out + "</table></div>\n";
}

std::string summary(const AnnotationResults& r) {
  std::string out = "<h2 id=\"function-summary\">Function summary</h2>\n";
  if (!r.function.empty()) out += goSummaryTable(r);
  if (!r.known.empty()) out += knownSummaryTable(r);
  return out;
}

std::string head(const AnnotationResults& r) {
  std::string out;
  for (const SpeciesFunction& f : r.function)
    out += "<th class=\"l\">best term " + esc(r.run->speciesKey(f.species)) + "</th>";
  for (const SpeciesKnown& k : r.known) out += "<th class=\"l\">known complex " + esc(r.run->speciesKey(k.species)) + "</th>";
  return out;
}

// A complex's cells: per species its best term (linked to its row) and its best reference.
// "No term" sorts after every p, which is at most 1.
std::string rowCells(const AnnotationResults& r, const RunComplex* c, size_t index) {
  std::string out;
  for (const SpeciesFunction& f : r.function) {
    const ComplexEnrichment* e = c ? &f.complexes[index] : nullptr;
    if (!e || e->tests.empty() || e->tests.front().correctedP > r.maxP) {
      out += "<td class=\"l\" data-v=\"2\"></td>";
      continue;
    }
    const TermTest& t = e->tests.front();
    out += strFormat("<td class=\"l\" data-v=\"%.6g\"><a href=\"#%s\">%s</a> (%s)</td>", t.correctedP,
                     termAnchor(c->id, f.species, r.go->id(t.term)).c_str(), esc(r.go->name(t.term)).c_str(),
                     num(t.correctedP).c_str());
  }
  for (const SpeciesKnown& k : r.known) {
    const BestReference* b = c && k.predicted[index] ? &k.best[index] : nullptr;
    if (!b || b->reference < 0) {
      out += "<td class=\"l\" data-v=\"-1\"></td>";
      continue;
    }
    const ReferenceComplex& ref = k.references[b->reference];
    out += strFormat("<td class=\"l\" data-v=\"%.6g\" title=\"%s\">%s (OS %s)</td>", b->os,
                     esc(ref.id).c_str(), esc(ref.name).c_str(), num(b->os).c_str());
  }
  return out;
}

std::string section(const AnnotationResults& r) {
  if (r.function.empty()) return "";
  std::string rows;
  size_t listed = 0, total = 0;
  const std::vector<RunComplex>& complexes = r.run->complexes();
  for (size_t c = 0; c < complexes.size(); ++c) {
    for (const SpeciesFunction& f : r.function) {
      const ComplexEnrichment& e = f.complexes[c];
      for (size_t i = 0; i < e.tests.size() && e.tests[i].correctedP <= r.maxP; ++i) {
        ++total;
        if (i >= REPORT_TERMS_PER_COMPLEX) continue;
        ++listed;
        const TermTest& t = e.tests[i];
        rows += strFormat("<tr id=\"%s\"><td data-v=\"%u\">%05u</td><td>%u</td>",
                          termAnchor(complexes[c].id, f.species, r.go->id(t.term)).c_str(), complexes[c].id,
                          complexes[c].id, f.species);
        rows += "<td class=\"l\">" + esc(r.go->id(t.term)) + "</td><td class=\"l names\">" +
                esc(r.go->name(t.term)) + "</td><td class=\"l\">" + esc(r.go->aspect(t.term)) + "</td>";
        rows += strFormat(
            "<td>%u</td><td>%u</td><td>%u</td><td>%u</td><td data-v=\"%.6g\">%s</td>"
            "<td data-v=\"%.6g\">%s</td></tr>\n",
            t.k, e.n, t.K, e.N, t.p, num(t.p).c_str(), t.correctedP, num(t.correctedP).c_str());
      }
    }
  }
  std::string out = "<h2 id=\"function\">Function</h2>\n";
  out += strFormat(
      "<p class=\"note\">GO terms enriched in a complex's proteins of one species (corrected p at most %g): "
      "k of its "
      "n proteins in the population carry the term, K of the N proteins of the population. %zu rows",
      r.maxP, total);
  if (listed < total)
    out += strFormat(", of which the best %zu per complex and species are listed here",
                     REPORT_TERMS_PER_COMPLEX);
  out += "; <code>go_enrichment.tsv</code> holds them all.</p>\n";
  out += "<div class=\"wide\"><table class=\"sortable\">\n<thead><tr>" +
         headerCells({"complex", "species", "term", "name", "aspect", "k", "n", "K", "N", "p", "corrected p"},
                     2, 4) +
         "</tr></thead>\n<tbody>\n" + rows + "</tbody></table></div>\n";
  return out;
}

}  // namespace

ReportAnnotation::ReportAnnotation(const AnnotationResults& results) : m_results(results) {
  const std::vector<RunComplex>& complexes = results.run->complexes();
  for (size_t i = 0; i < complexes.size(); ++i) m_complexIndex.emplace(slot::row(complexes[i].id), i);
}

std::string ReportAnnotation::slotContent(const std::string& key) const {
  const AnnotationResults& r = m_results;
  if (key == slot::NAV) {
    // &#183; is the &middot; of the other links, written so that the slot content is plain XML too.
    std::string out = " &#183; <a href=\"#function-summary\">Function summary</a>";
    if (!r.function.empty()) out += " &#183; <a href=\"#function\">Function</a>";
    return out;
  }
  if (key == slot::SUMMARY) return summary(r);
  if (key == slot::HEAD) return head(r);
  if (key == slot::SECTION) return section(r);
  if (key.compare(0, 4, "row ") != 0) return "";
  const auto it = m_complexIndex.find(key);
  return it == m_complexIndex.end() ? rowCells(r, nullptr, 0)
                                    : rowCells(r, &r.run->complexes()[it->second], it->second);
}

ReportExtension extendReport(const AnnotationResults& results, std::string* why) {
  const std::string path = results.run->outDir() + "/report.html";
  std::string page, filled;
  if (!readFileIfThere(path, &page)) return ReportExtension::NO_REPORT;
  const ReportAnnotation annotation(results);
  const auto content = [&annotation](const std::string& key) { return annotation.slotContent(key); };
  if (!fillAnnotationSlots(page, content, &filled, why)) {
    *why = path + ": " + *why;
    return ReportExtension::NO_SLOTS;
  }
  replaceFile(path, filled);
  return ReportExtension::EXTENDED;
}
