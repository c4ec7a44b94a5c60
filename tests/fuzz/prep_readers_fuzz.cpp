// Arbitrary files through the readers of trellis2-prep. Input: one byte that picks
// the format and its options, then the file. Whatever a reader writes must read
// back through trellis2's own line rules as a record with the same names and
// value, each unordered pair once and no protein paired with itself.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "fuzz_util.h"
#include "network/input_line.h"
#include "tools/common/text_fields.h"
#include "tools/common/text_input.h"
#include "tools/prep/blast_tab_reader.h"
#include "tools/prep/drop_log.h"
#include "tools/prep/interaction_reader.h"
#include "tools/prep/pair_table.h"
#include "tools/prep/prep_error.h"

namespace {

constexpr int FORMATS = 8;

// The pairs written, read back with the rules of trellis2.
void checkOutput(const std::string& text, InputFileKind kind) {
  std::set<std::pair<std::string, std::string>> seen;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find('\n', pos);
    fuzzutil::check(end != std::string::npos, "output line without a line break");
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    InputRecord rec;
    fuzzutil::check(parseInputLine(line, kind, &rec) == InputLineStatus::RECORD, "output line not a record");
    fuzzutil::check(line == rec.name1 + "\t" + rec.name2 + "\t" + formatNumber(rec.value),
                    "output not exact");
    fuzzutil::check(rec.name1 != rec.name2, "self pair written");
    std::pair<std::string, std::string> key = std::minmax(rec.name1, rec.name2);
    fuzzutil::check(seen.insert(key).second, "pair written twice");
  }
}

void run(int format, const std::string& file) {
  const bool similarity = format >= 6;
  InputFileKind kind = similarity ? InputFileKind::SIMILARITY : InputFileKind::INTERACTIONS;
  PairTable table(similarity ? PairTable::Keep::LOWEST : PairTable::Keep::HIGHEST, "duplicate", "self");
  DropLog log;
  TextInput in(file);
  if (similarity) {
    SimilarityOptions opts;
    opts.from = "blast6";
    if (format == 7) opts.columns = "6 qseqid sseqid evalue";
    BlastTabReader(opts).read(&in, &table, &log);
  } else {
    static const char* const FROM[] = {"string", "string", "biogrid", "biogrid", "mitab", "edges"};
    InteractionOptions opts;
    opts.from = FROM[format];
    if (format == 1) opts.channel = "experimental";
    if (format == 3) {
      opts.taxid = "9606";
      opts.allTypes = true;
      opts.id = "uniprot";
      opts.idGiven = true;
    }
    InteractionReader::create(opts)->read(&in, &table, &log);
  }
  char* buf = nullptr;
  size_t size = 0;
  FILE* out = open_memstream(&buf, &size);
  fuzzutil::check(out != nullptr, "open_memstream");
  table.write(out);
  std::fclose(out);
  const std::string text(buf, size);
  std::free(buf);
  fuzzutil::check((text.empty()) == (table.size() == 0), "pair count");
  checkOutput(text, kind);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzutil::setUp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzzutil::ScratchDir dir;
  const std::string file = dir.file("in.txt");
  fuzzutil::writeFile(file, std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  try {
    run(data[0] % FORMATS, file);
  } catch (const PrepError&) {
  }
  return 0;
}
