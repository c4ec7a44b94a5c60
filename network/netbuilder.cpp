#include "network/netbuilder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/error.h"
#include "common/run_files.h"
#include "network/input_line.h"

namespace {

// Separates identical values of one file: line k gets k times this increment.
constexpr weight_t LINE_INCREMENT = 1e-12;

// Whole lines of a text file, whatever their length. Owns the stream.
class LineReader {
 public:
  explicit LineReader(FILE* fp) : m_fp(fp), m_buf(nullptr), m_cap(0) {}
  ~LineReader() {
    std::free(m_buf);
    std::fclose(m_fp);
  }
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line without its line break and without a carriage return in
  // front of it; false at the end of the file or on a read error. A last line
  // without a line break is still a line.
  bool next(std::string* line) {
    ssize_t len = getline(&m_buf, &m_cap, m_fp);
    if (len < 0) return false;
    line->assign(m_buf, static_cast<size_t>(len));
    if (!line->empty() && line->back() == '\n') line->pop_back();
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return true;
  }
  bool failed() const { return std::ferror(m_fp) != 0; }

 private:
  FILE* m_fp;
  char* m_buf;
  size_t m_cap;
};

Error unreadable(const std::string& file, int status) {
  return Error(status, "ERROR: Can't open file: " + file + "\n");
}

FILE* openOrThrow(const std::string& file, int status) {
  FILE* fp = std::fopen(file.c_str(), "r");
  if (!fp) throw unreadable(file, status);
  return fp;
}

// A read error in the middle of a file is as fatal as a file that cannot be opened.
void throwOnReadError(const LineReader& reader, const std::string& file, int status) {
  if (reader.failed()) throw unreadable(file, status);
}

constexpr int PPI_FILE_ERROR = EXIT_USAGE;
constexpr int BLAST_FILE_ERROR = EXIT_MODEL;

}  // namespace

NetworkBuiler::NetworkBuiler(Network* network, weight_t blastTreshold, uint maxBlastEdgesPerNode, FILE* console)
    : m_network(network),
      m_blastTreshold(blastTreshold),
      m_maxBlastEdgesPerNode(maxBlastEdgesPerNode),
      m_console(console) {}

NetworkBuiler::~NetworkBuiler() { m_network = nullptr; }

void NetworkBuiler::readNetwork(const std::string& prefix) {
  for (uint i = 0; i < m_network->SPECIES_NUM; ++i) {
    const std::string file = interactionFile(prefix, i);
    std::fprintf(m_console, " Reading PPI data:\t%s\n", file.c_str());
    readPPIdata(static_cast<byte>(i), file);
  }
  const std::string file = similarityFile(prefix);
  std::fprintf(m_console, " Reading BLAST data:\t%s, threshold: %lG\n", file.c_str(), m_blastTreshold);
  readBLASTdata(file);
  std::fprintf(m_console, "Ok\n\n");
}

void NetworkBuiler::readPPIdata(byte species, const std::string& file) {
  LineReader reader(openOrThrow(file, PPI_FILE_ERROR));
  uint k = 0;
  readInteractionRecords(
      reader,
      [&](const InputRecord& rec) {
        ++k;
        Node* n1 = m_network->createNode(rec.name1.c_str(), species);
        Node* n2 = m_network->createNode(rec.name2.c_str(), species);
        weight_t weight = rec.value + k * LINE_INCREMENT;
        n1->add_neighbor(n2, weight);
        n2->add_neighbor(n1, weight);
      },
      [this](const std::string& line) {
        std::fprintf(m_console, " WARNING: SKIPPING illegal interactions line: %s\n\n", line.c_str());
      });
  throwOnReadError(reader, file, PPI_FILE_ERROR);
}

void NetworkBuiler::readBLASTdata(const std::string& file) {
  LineReader reader(openOrThrow(file, BLAST_FILE_ERROR));
  std::string line;
  InputRecord rec;
  uint k = 0;
  int isolated = 0;
  while (reader.next(&line)) {
    const InputLineStatus status = parseInputLine(line, InputFileKind::SIMILARITY, &rec);
    if (status == InputLineStatus::COMMENT) continue;
    if (status != InputLineStatus::RECORD) {
      std::fprintf(m_console, " INFO: SKIPPING illegal homologs line: %s\n\n", line.c_str());
      continue;
    }
    if (rec.value > m_blastTreshold) continue;
    ++k;
    weight_t weight = std::max(rec.value, TINY_WEIGHT) + k * LINE_INCREMENT;
    Node* n1 = m_network->getNodeByName(rec.name1.c_str());
    Node* n2 = m_network->getNodeByName(rec.name2.c_str());
    if (!n1 || !n2) {
      ++isolated;
      continue;
    }
    if (n1 == n2) continue;
    n1->add_homolog(n2, weight);
    n2->add_homolog(n1, weight);
    if (m_maxBlastEdgesPerNode != 0) {
      enforceHomologLimit(n1, n2->m_speciesIdx);
      enforceHomologLimit(n2, n1->m_speciesIdx);
    }
  }
  throwOnReadError(reader, file, BLAST_FILE_ERROR);
  std::fprintf(m_console, " INFO: Ignored %d isolated homologs pairs\n", isolated);
}

void NetworkBuiler::enforceHomologLimit(Node* node, byte species) const {
  if (node->getHomologsNum(species) <= m_maxBlastEdgesPerNode) return;
  Node* worst = node->removeWorstHomolog(species);
  TRELLIS_ASSERT(worst != nullptr);
  worst->removeHomolog(node);
}
