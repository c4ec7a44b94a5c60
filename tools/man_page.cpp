// Writes trellis2(1) to standard output: the page template given, with its
// OPTIONS section made from the option table, so that the man page always
// describes the options the program parses.
//
//   trellis2_man_page docs/trellis2.1.in > trellis2.1
#include <cstdio>
#include <string>

#include "app/option_docs.h"
#include "common/file_io.h"

int main(int argc, char** argv) {
  std::string pageTemplate;
  if (argc != 2 || !readWholeFile(argv[1], &pageTemplate)) {
    std::fprintf(stderr, "usage: trellis2_man_page TEMPLATE (a readable file)\n");
    return 2;
  }
  std::fputs(manPage(pageTemplate).c_str(), stdout);
  return std::ferror(stdout) ? 1 : 0;
}
