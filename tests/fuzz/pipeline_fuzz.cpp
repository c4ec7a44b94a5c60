// Complete runs on tiny inputs. Input: a header line of command-line options
// (blank-separated, at most 16), then "%%%\n"-separated files: 2-4 interaction
// files and, last, the similarity file. The run reads them from a scratch
// directory and writes its output files there.
#include <cstdlib>
#include <string>
#include <vector>

#include "app/trellis2.h"
#include "common/error.h"
#include "fuzz_util.h"

namespace {

constexpr size_t MAX_OPTION_WORDS = 16;
constexpr long long MAX_REFINEMENTS = 8;

// Refinement attempts are the one option whose cost the user scales at will;
// cap them so that a run stays within the time limit.
void capRefinements(std::vector<std::string>* words) {
  for (size_t i = 0; i + 1 < words->size(); ++i) {
    if ((*words)[i] != "-R:") continue;
    std::string& value = (*words)[i + 1];
    char* end = nullptr;
    const long long v = std::strtoll(value.c_str(), &end, 10);
    if (end != value.c_str() && *end == '\0' && v > static_cast<long long>(MAX_REFINEMENTS))
      value = std::to_string(MAX_REFINEMENTS);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzutil::setUp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::vector<std::string> sections = fuzzutil::splitSections(data, size, 6);
  size_t species = sections.size() >= 4 ? sections.size() - 2 : 2;
  fuzzutil::ScratchDir dir;
  const std::string prefix = dir.file("in");
  for (size_t i = 0; i <= species; ++i) {
    const std::string name = i < species ? "_int-" + std::to_string(i) + ".txt" : "_blast.txt";
    fuzzutil::writeFile(prefix + name, i + 1 < sections.size() ? sections[i + 1] : "");
  }
  std::vector<std::string> words = fuzzutil::splitWords(sections[0], MAX_OPTION_WORDS, 64);
  capRefinements(&words);
  std::vector<std::string> args{"trellis2", std::to_string(species), prefix, dir.file("out")};
  args.insert(args.end(), words.begin(), words.end());
  fuzzutil::ArgVector argv(args);
  // Bad input ends the run with its message and status; output files that
  // cannot be written never happen in a scratch directory.
  const int status = trellis2Main(argv.argc(), argv.argv());
  fuzzutil::check(status != EXIT_OUTPUTS && status != EXIT_THREADS, "a run on writable output reports success");
  return 0;
}
