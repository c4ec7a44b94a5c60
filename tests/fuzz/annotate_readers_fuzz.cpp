// Arbitrary files through the readers of trellis2-annotate. Input: one byte
// that picks the reader, then the file. Readers may refuse a file (ToolError)
// but must not crash, and what they accept must hold together: every term's
// ancestors include it, annotations name terms of the ontology, references
// hold distinct non-empty members, a manifest names 2..10 species and an
// absolute prefix, and filling report slots twice gives the page of filling
// them once.
#include <algorithm>
#include <string>

#include "fuzz_util.h"
#include "report/annotation_slots.h"
#include "report/run_manifest.h"
#include "tools/annotate/gaf_annotations.h"
#include "tools/annotate/go_ontology.h"
#include "tools/annotate/reference_complexes.h"
#include "tools/common/tool_error.h"

namespace {

constexpr int READERS = 5;

const char* const ONTOLOGY =
    "[Term]\nid: GO:0008150\nname: biological_process\nnamespace: biological_process\n\n"
    "[Term]\nid: GO:1\nname: a\nalt_id: GO:2\nis_a: GO:0008150\n\n[Term]\nid: GO:3\nis_obsolete: true\n";

void ontology(const std::string& file) {
  const GoOntology go(file);
  for (size_t t = 0; t < go.size(); ++t) {
    const std::vector<int>& up = go.withAncestors(static_cast<int>(t));
    fuzzutil::check(std::binary_search(up.begin(), up.end(), static_cast<int>(t)),
                    "term not among its ancestors");
    fuzzutil::check(std::is_sorted(up.begin(), up.end()), "ancestors not sorted");
    fuzzutil::check(go.find(go.id(static_cast<int>(t))) == static_cast<int>(t),
                    "term id does not find the term");
  }
}

void annotations(const std::string& file, const fuzzutil::ScratchDir& dir) {
  fuzzutil::writeFile(dir.file("go.obo"), ONTOLOGY);
  const GoOntology go(dir.file("go.obo"));
  const GafAnnotations gaf(file, go);
  fuzzutil::check(gaf.notRows() + gaf.obsoleteRows() + gaf.unknownRows() <= gaf.rows(),
                  "more rows dropped than read");
  for (const char* name : {"P1", "p1", "", "GO:1"}) {
    GafAnnotations::Match how;
    for (int t : gaf.termsOf(name, &how))
      fuzzutil::check(t >= 0 && static_cast<size_t>(t) < go.size(), "annotation outside the ontology");
  }
}

void references(const std::string& file) {
  const ReferenceSet set = readReferenceComplexes(file);
  for (const ReferenceComplex& c : set.complexes) {
    std::vector<std::string> members = c.members;
    std::sort(members.begin(), members.end());
    fuzzutil::check(std::adjacent_find(members.begin(), members.end()) == members.end(),
                    "member listed twice");
    fuzzutil::check(members.empty() || !members.front().empty(), "empty member");
  }
}

void manifest(const std::string& file) {
  RunManifest m;
  std::string error;
  if (!readRunManifest(file, &m, &error)) return;
  fuzzutil::check(m.speciesNum >= 2 && m.speciesNum <= MAX_SPECIES, "species out of range");
  fuzzutil::check(!m.inPrefix.empty() && m.inPrefix[0] == '/', "input prefix not absolute");
}

void slots(const std::string& page) {
  const auto content = [](const std::string& key) { return "<td>" + std::to_string(key.size()) + "</td>"; };
  std::string once, twice, error;
  if (!fillAnnotationSlots(page, content, &once, &error)) return;
  fuzzutil::check(fillAnnotationSlots(once, content, &twice, &error), "a filled page refused");
  fuzzutil::check(once == twice, "filling twice differs from filling once");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzutil::setUp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzzutil::ScratchDir dir;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string file = dir.file("in.txt");
  fuzzutil::writeFile(file, text);
  try {
    switch (data[0] % READERS) {
      case 0:
        ontology(file);
        break;
      case 1:
        annotations(file, dir);
        break;
      case 2:
        references(file);
        break;
      case 3:
        manifest(file);
        break;
      default:
        slots(text);
    }
  } catch (const ToolError&) {
  }
  return 0;
}
