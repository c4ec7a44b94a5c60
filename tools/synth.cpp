// trellis2_synth: writes a synthetic multi-species data set in the input format of trellis2.
//
// Per species a background network with a heavy-tailed degree distribution (sparse by default,
// or of a chosen mean degree and largest hub degree, like today's dense interactomes), a number of
// planted conserved complexes (dense in every species, matched across species by small E-values,
// with lost proteins, missing edges and missing similarity links), background ortholog families,
// spurious similarity links near the E-value threshold, and a truth file naming the planted
// complexes. The output depends on the seed alone: all randomness comes from std::mt19937 through
// the hand-written draws of Rng, and E-values are built from integer mantissas and exponents, so no
// library distribution or transcendental function can change a file between platforms.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/run_files.h"

namespace {

constexpr unsigned kMaxSpecies = 10;
constexpr unsigned kMaxProteinsPerSpecies = 1000000;  // far beyond today's proteomes
constexpr unsigned kMaxProteinsTotal = 4000000;
constexpr unsigned kMinProteins = 20;
constexpr unsigned kMinComplexPositions = 5;
constexpr unsigned kMaxComplexPositions = 10;
constexpr unsigned kCorePositions = 4;  // positions of a complex that no species loses
constexpr double kAverageDegree = 4.5;
// A chosen background density keeps every species below this many interactions in all, so that a
// mistyped degree cannot exhaust memory (about 60 bytes an interaction while generating).
constexpr double kMaxBackgroundInteractions = 20e6;
constexpr int kHubAttempts = 8;         // of placing a dense background to meet the hub degree
constexpr double kHubTolerance = 0.02;  // of the hub degree
constexpr double kHubTargetLimit = 4;   // the top target stays within this multiple of it
constexpr double kMaxDenseLinks = 50e6;
// Every protein has an interaction, so a mean degree below 2 cannot be met, and near it the
// proteins that get theirs last leave no room for the heavy tail.
constexpr double kMinMeanDegree = 3;
constexpr double kMaxMeanDegreeShare = 0.25;  // of the proteins a species has
constexpr double kDefaultHubShare = 0.1;      // default largest degree: a tenth of the species
constexpr double kComplexDensity = 0.7;
constexpr double kLossRate = 0.15;
constexpr double kMissingOrthologRate = 0.1;
constexpr double kComplexParalogRate = 0.1;
constexpr double kHubShare = 0.8;  // part of its species a hub interacts with
constexpr double kHubWeight = 0.9;
constexpr double kFamilyPresence = 0.7;
constexpr double kReverseHitRate = 0.5;

class Rng {
 public:
  explicit Rng(uint32_t seed) : m_gen(seed) {}
  // Uniform in [0, 1) with 53 random bits.
  double uniform() {
    const uint32_t a = m_gen() >> 5, b = m_gen() >> 6;
    return (a * 67108864.0 + b) / 9007199254740992.0;
  }
  // Uniform integer in [0, n).
  unsigned below(unsigned n) { return static_cast<unsigned>(uniform() * n); }
  // Uniform integer in [lo, hi].
  int between(int lo, int hi) { return lo + static_cast<int>(below(static_cast<unsigned>(hi - lo + 1))); }
  bool chance(double p) { return uniform() < p; }
  template <typename T>
  void shuffle(std::vector<T>* v) {
    for (size_t i = v->size(); i > 1; --i) std::swap((*v)[i - 1], (*v)[below(static_cast<unsigned>(i))]);
  }

 private:
  std::mt19937 m_gen;
};

// An E-value mantissa/10 x 10^-exponent; mantissa 0 is the exact zero that BLAST reports for
// very strong hits.
struct Evalue {
  int mantissa;  // 10..99, or 0
  int exponent;
};

Evalue orthologEvalue(Rng* rng) {
  if (rng->chance(0.04)) return {0, 0};
  return {rng->between(10, 99), rng->between(10, 150)};
}
// Weak but accepted: between 1e-15 and 9.9e-8.
Evalue weakEvalue(Rng* rng) { return {rng->between(10, 99), rng->between(8, 15)}; }
// Just above the default threshold of 1e-7: a homology the reader drops.
Evalue nearMissEvalue(Rng* rng) {
  return rng->chance(0.7) ? Evalue{rng->between(11, 50), 7} : Evalue{rng->between(10, 99), 6};
}
// Chance similarity: 1e-9 .. 9.9e-5, roughly a third below the default threshold.
Evalue spuriousEvalue(Rng* rng) { return {rng->between(10, 99), rng->between(5, 9)}; }

std::string formatEvalue(const Evalue& e) {
  if (e.mantissa == 0) return "0.0";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d.%de-%02d", e.mantissa / 10, e.mantissa % 10, e.exponent);
  return buf;
}

// Interaction confidences: mostly 0.3-0.95, with a tail of weak background evidence.
double backgroundWeight(Rng* rng) {
  return rng->chance(0.15) ? 0.05 + 0.25 * rng->uniform() : 0.3 + 0.65 * rng->uniform();
}
double complexWeight(Rng* rng) { return 0.5 + 0.48 * rng->uniform(); }

struct Options {
  unsigned species = 3;
  unsigned proteins = 300;
  unsigned complexes = 6;
  unsigned seed = 1;
  unsigned hubs = 0;           // proteins per species that interact with most of their species
  double familyShare = 0.4;    // ortholog families per background protein
  double spuriousRate = 0.25;  // chance similarity links per protein
  unsigned dense = 0;          // extra accepted links per protein and other species
  double meanDegree = 0;       // background mean degree; 0 keeps the sparse background
  unsigned hubDegree = 0;      // largest background degree; 0 picks a tenth of the species
  std::string out = "synth";
};

// The largest background degree asked for: --hub-degree, else a tenth of the species (but at
// least the mean degree).
unsigned hubDegree(const Options& opt) {
  if (opt.hubDegree > 0) return opt.hubDegree;
  const double mean = opt.meanDegree > 0 ? opt.meanDegree : kAverageDegree;
  const unsigned share = static_cast<unsigned>(opt.proteins * kDefaultHubShare);
  return std::min(opt.proteins - 1, std::max(static_cast<unsigned>(std::ceil(mean)), share));
}

struct Interaction {
  unsigned a, b;
  double weight;
};

struct Similarity {
  unsigned speciesA, a, speciesB, b;
  Evalue evalue;
};

// One planted complex: members[s][j] is the protein of species s at position j, or -1 when lost.
struct Complex {
  std::vector<std::vector<int>> members;
};

class Generator {
 public:
  explicit Generator(const Options& opt)
      : m_opt(opt), m_rng(opt.seed), m_edges(opt.species), m_edgeKeys(opt.species), m_free(opt.species) {}

  // False (with a message) when a background network cannot reach its number of interactions.
  bool run() {
    for (unsigned s = 0; s < m_opt.species; ++s) {
      m_free[s].resize(m_opt.proteins);
      for (unsigned i = 0; i < m_opt.proteins; ++i) m_free[s][i] = i;
      m_rng.shuffle(&m_free[s]);
      if (!makeBackground(s)) return false;
      makeHubs(s);
    }
    for (unsigned c = 0; c < m_opt.complexes; ++c) plantComplex();
    makeOrthologFamilies();
    makeSpuriousLinks();
    makeDenseLinks();
    return true;
  }

  bool write() const {
    for (unsigned s = 0; s < m_opt.species; ++s)
      if (!writeInteractions(s)) return false;
    return writeSimilarities() && writeTruth();
  }

 private:
  std::string name(unsigned species, unsigned protein) const {
    return std::string(1, static_cast<char>('a' + species)) + std::to_string(protein);
  }

  bool addEdge(unsigned s, unsigned a, unsigned b, double weight) {
    if (a == b) return false;
    const uint64_t key = static_cast<uint64_t>(std::min(a, b)) * m_opt.proteins + std::max(a, b);
    if (!m_edgeKeys[s].insert(key).second) return false;
    m_edges[s].push_back({a, b, weight});
    return true;
  }

  bool denseBackground() const { return m_opt.meanDegree > 0 || m_opt.hubDegree > 0; }

  // The background is a Chung-Lu style graph: endpoints are drawn in proportion to a target
  // degree per protein, until the mean degree is reached.
  bool makeBackground(unsigned s) {
    if (denseBackground()) return makeDenseBackground(s);
    const unsigned edges = static_cast<unsigned>(m_opt.proteins * kAverageDegree / 2);
    return placed(s, connectByTargets(s, sparseTargets(), edges, false), edges);
  }

  // A hub draws some partners twice, above all other hubs, and a pair counts once: the largest
  // degree falls short of its target. The top target is raised until the largest degree comes
  // within 2% of the hub degree; every attempt replays the same draws, so that only the targets
  // change between attempts.
  bool makeDenseBackground(unsigned s) {
    const double mean = m_opt.meanDegree > 0 ? m_opt.meanDegree : kAverageDegree;
    const unsigned edges = static_cast<unsigned>(m_opt.proteins * mean / 2 + 0.5);
    const double hub = hubDegree(m_opt);
    const Rng start = m_rng;
    double top = hub, lastTop = 0, lastLargest = 0;
    for (int attempt = 1;; ++attempt) {
      m_rng = start;
      m_edges[s].clear();
      m_edgeKeys[s].clear();
      if (!placed(s, connectByTargets(s, denseTargets(mean, top), edges, true), edges)) return false;
      const double largest = largestDegree(s);
      if (attempt == kHubAttempts || std::fabs(largest - hub) <= std::max(1.0, kHubTolerance * hub))
        return true;
      // The secant through the last two attempts, once they rise; the ratio before.
      const double slope = lastTop > 0 ? (largest - lastLargest) / (top - lastTop) : 0;
      const double next = slope > 0 ? top + (hub - largest) / slope : top * hub / largest;
      lastTop = top;
      lastLargest = largest;
      top = std::min(kHubTargetLimit * hub, std::max(1.0, next));
    }
  }

  bool placed(unsigned s, bool complete, unsigned edges) const {
    if (complete) return true;
    std::printf(
        "ERROR: species %u: only %zu of %u background interactions could be placed; the hubs take too many "
        "of the possible pairs (lower --mean-degree or --hub-degree)\n",
        s, m_edges[s].size(), edges);
    return false;
  }

  unsigned largestDegree(unsigned s) const {
    std::vector<unsigned> degree(m_opt.proteins, 0);
    for (const Interaction& e : m_edges[s]) {
      ++degree[e.a];
      ++degree[e.b];
    }
    return *std::max_element(degree.begin(), degree.end());
  }

  // Pareto targets (tail exponent 7/3, computed with square roots only), capped at sqrt(2E) so
  // that no two hubs are expected to be more connected than a dense complex.
  std::vector<double> sparseTargets() {
    const unsigned n = m_opt.proteins;
    const double cap = std::sqrt(2.0 * static_cast<unsigned>(n * kAverageDegree / 2));
    std::vector<double> target(n);
    for (unsigned i = 0; i < n; ++i) {
      const double u = 1.0 - m_rng.uniform();  // (0, 1]
      const double root = std::sqrt(u);
      target[i] = std::min(cap, (kAverageDegree / 4) / (root * std::sqrt(root)));
    }
    return target;
  }

  // Targets of a dense interactome: the quantiles of a power law of density x^-2 between a floor
  // and the hub degree, the floor chosen so that the targets average `mean`, dealt to the
  // proteins in random order. Quantiles rather than draws put one protein at about the hub degree
  // whatever the size, and divisions alone keep the files the same on every platform.
  std::vector<double> denseTargets(double mean, double top) {
    const unsigned n = m_opt.proteins;
    double low = 0, high = top;
    std::vector<double> target;
    for (int step = 0; step < 64; ++step) {
      const double floor = (low + high) / 2;
      target = powerLawQuantiles(n, floor, top);
      double sum = 0;
      for (double t : target) sum += t;
      (sum < mean * n ? low : high) = floor;
    }
    target = powerLawQuantiles(n, high, top);
    m_rng.shuffle(&target);
    return target;
  }

  static std::vector<double> powerLawQuantiles(unsigned n, double floor, double top) {
    std::vector<double> q(n);
    for (unsigned r = 0; r < n; ++r) {
      const double u = (r + 0.5) / n;
      q[r] = 1.0 / (1.0 / floor - u * (1.0 / floor - 1.0 / top));
    }
    return q;
  }

  // Draws distinct interactions until `edges` are placed, then gives every protein left without
  // one an interaction. With `reserveIsolated` the proteins still without one count as placed
  // interactions, so that the fill keeps the total near `edges` even for small degrees. False when
  // the draws ran out first.
  bool connectByTargets(unsigned s, const std::vector<double>& target, unsigned edges, bool reserveIsolated) {
    const unsigned n = m_opt.proteins;
    std::vector<double> cumulative(n);
    double total = 0;
    for (unsigned i = 0; i < n; ++i) cumulative[i] = total += target[i];
    auto pick = [&]() {
      const double x = m_rng.uniform() * total;
      const auto it = std::upper_bound(cumulative.begin(), cumulative.end(), x);
      return std::min(n - 1, static_cast<unsigned>(it - cumulative.begin()));
    };
    std::vector<bool> linked(n, false);
    unsigned made = 0, isolated = reserveIsolated ? n : 0;
    auto link = [&](unsigned p) {
      if (linked[p]) return;
      linked[p] = true;
      if (reserveIsolated) --isolated;
    };
    for (unsigned tries = 0; made + isolated < edges && tries < 20 * edges; ++tries) {
      const unsigned a = pick(), b = pick();
      if (addEdge(s, a, b, backgroundWeight(&m_rng))) {
        ++made;
        link(a);
        link(b);
      }
    }
    const bool complete = made + isolated >= edges;
    // Proteins exist only through their interactions: give every protein at least one.
    for (unsigned i = 0; i < n; ++i) {
      while (!linked[i]) {
        const unsigned partner = pick();
        if (addEdge(s, i, partner, backgroundWeight(&m_rng))) linked[i] = linked[partner] = true;
      }
    }
    return complete;
  }

  // Hubs interact with most of their species, so two hubs are more likely to
  // interact at random than two members of a dense complex.
  void makeHubs(unsigned s) {
    for (unsigned h = 0; h < m_opt.hubs && !m_free[s].empty(); ++h) {
      const unsigned hub = takeFree(s);
      for (unsigned p = 0; p < m_opt.proteins; ++p)
        if (m_rng.chance(kHubShare)) addEdge(s, hub, p, kHubWeight);
    }
  }

  void plantComplex() {
    const unsigned positions =
        static_cast<unsigned>(m_rng.between(kMinComplexPositions, kMaxComplexPositions));
    Complex cx;
    cx.members.assign(m_opt.species, std::vector<int>(positions, -1));
    for (unsigned s = 0; s < m_opt.species; ++s) {
      std::vector<unsigned> present;
      for (unsigned j = 0; j < positions; ++j) {
        if (j >= kCorePositions && m_rng.chance(kLossRate)) continue;
        cx.members[s][j] = static_cast<int>(takeFree(s));
        present.push_back(static_cast<unsigned>(cx.members[s][j]));
      }
      connectDensely(s, present);
    }
    linkOrthologs(cx, positions);
    m_complexes.push_back(cx);
  }

  unsigned takeFree(unsigned s) {
    const unsigned p = m_free[s].back();
    m_free[s].pop_back();
    return p;
  }

  void connectDensely(unsigned s, const std::vector<unsigned>& members) {
    const size_t k = members.size();
    std::vector<bool> linked(k, false);
    for (size_t i = 0; i < k; ++i)
      for (size_t j = i + 1; j < k; ++j)
        if (m_rng.chance(kComplexDensity)) {
          addEdge(s, members[i], members[j], complexWeight(&m_rng));
          linked[i] = linked[j] = true;
        }
    for (size_t i = 0; i < k; ++i) {
      if (linked[i]) continue;
      const size_t j = (i + 1 + m_rng.below(static_cast<unsigned>(k - 1))) % k;
      addEdge(s, members[i], members[j], complexWeight(&m_rng));
    }
  }

  void linkOrthologs(const Complex& cx, unsigned positions) {
    for (unsigned s = 0; s < m_opt.species; ++s)
      for (unsigned t = s + 1; t < m_opt.species; ++t)
        for (unsigned j = 0; j < positions; ++j) {
          const int a = cx.members[s][j], b = cx.members[t][j];
          if (a < 0 || b < 0) continue;
          const Evalue e =
              m_rng.chance(kMissingOrthologRate) ? nearMissEvalue(&m_rng) : orthologEvalue(&m_rng);
          m_links.push_back({s, static_cast<unsigned>(a), t, static_cast<unsigned>(b), e});
          // An occasional weaker paralog hit to another member blurs the position matching.
          const int other = cx.members[t][m_rng.below(positions)];
          if (other >= 0 && other != b && m_rng.chance(kComplexParalogRate))
            m_links.push_back(
                {s, static_cast<unsigned>(a), t, static_cast<unsigned>(other), weakEvalue(&m_rng)});
        }
  }

  // Families of background proteins with one member in most species, linked pairwise: conserved
  // sequence without conserved interactions.
  void makeOrthologFamilies() {
    const unsigned families = static_cast<unsigned>(m_opt.proteins * m_opt.familyShare);
    for (unsigned f = 0; f < families; ++f) {
      std::vector<int> member(m_opt.species, -1);
      for (unsigned s = 0; s < m_opt.species; ++s)
        if (!m_free[s].empty() && m_rng.chance(kFamilyPresence)) member[s] = static_cast<int>(takeFree(s));
      for (unsigned s = 0; s < m_opt.species; ++s)
        for (unsigned t = s + 1; t < m_opt.species; ++t) {
          if (member[s] < 0 || member[t] < 0) continue;
          const Evalue e =
              m_rng.chance(kMissingOrthologRate) ? nearMissEvalue(&m_rng) : orthologEvalue(&m_rng);
          m_links.push_back({s, static_cast<unsigned>(member[s]), t, static_cast<unsigned>(member[t]), e});
        }
    }
  }

  void makeSpuriousLinks() {
    for (unsigned s = 0; s < m_opt.species; ++s)
      for (unsigned p = 0; p < m_opt.proteins; ++p) {
        if (!m_rng.chance(m_opt.spuriousRate)) continue;
        const unsigned t = (s + 1 + m_rng.below(m_opt.species - 1)) % m_opt.species;
        m_links.push_back({s, p, t, m_rng.below(m_opt.proteins), spuriousEvalue(&m_rng)});
      }
  }

  // Dense similarity data, as all-against-all searches of large families give:
  // every protein gets `dense` accepted links into every other species.
  void makeDenseLinks() {
    for (unsigned s = 0; s < m_opt.species; ++s)
      for (unsigned t = 0; t < m_opt.species; ++t) {
        if (s == t) continue;
        for (unsigned p = 0; p < m_opt.proteins; ++p)
          for (unsigned k = 0; k < m_opt.dense; ++k)
            m_links.push_back({s, p, t, m_rng.below(m_opt.proteins), weakEvalue(&m_rng)});
      }
  }

  FILE* create(const std::string& path) const {
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) std::printf("ERROR: Can't write file: %s (%s)\n", path.c_str(), std::strerror(errno));
    return f;
  }

  bool close(FILE* f, const std::string& path) const {
    const bool ok = !std::ferror(f);
    if (std::fclose(f) != 0 || !ok) {
      std::printf("ERROR: Can't write file: %s\n", path.c_str());
      return false;
    }
    return true;
  }

  // Lines in random order and random orientation, as a merged database export would have them.
  bool writeInteractions(unsigned s) const {
    const std::string path = interactionFile(m_opt.out, s);
    FILE* f = create(path);
    if (!f) return false;
    Rng rng(m_opt.seed * 1000003u + s);
    std::vector<Interaction> lines = m_edges[s];
    rng.shuffle(&lines);
    std::fprintf(f, "# species %u interactions: protein protein confidence\n", s);
    for (const Interaction& e : lines) {
      const bool swap = rng.chance(0.5);
      std::fprintf(f, "%s\t%s\t%.3f\n", name(s, swap ? e.b : e.a).c_str(), name(s, swap ? e.a : e.b).c_str(),
                   e.weight);
    }
    return close(f, path);
  }

  // Half of the hits also appear in the reverse search, with a slightly different E-value.
  bool writeSimilarities() const {
    const std::string path = similarityFile(m_opt.out);
    FILE* f = create(path);
    if (!f) return false;
    Rng rng(m_opt.seed * 1000003u + kMaxSpecies);
    std::vector<std::string> lines;
    for (const Similarity& l : m_links) {
      const std::string a = name(l.speciesA, l.a), b = name(l.speciesB, l.b);
      lines.push_back(a + "\t" + b + "\t" + formatEvalue(l.evalue));
      if (rng.chance(kReverseHitRate)) {
        Evalue back = l.evalue;
        if (back.mantissa != 0)
          back.mantissa = std::min(99, std::max(10, back.mantissa + rng.between(-3, 3)));
        lines.push_back(b + "\t" + a + "\t" + formatEvalue(back));
      }
    }
    rng.shuffle(&lines);
    std::fprintf(f, "# similarity hits: protein protein E-value\n");
    for (const std::string& line : lines) std::fprintf(f, "%s\n", line.c_str());
    return close(f, path);
  }

  bool writeTruth() const {
    const std::string path = m_opt.out + "_truth.txt";
    FILE* f = create(path);
    if (!f) return false;
    std::fprintf(
        f,
        "# planted complexes: complex species proteins; the proteins are listed by position, so\n"
        "# the same column of one complex holds orthologs; '-' marks a protein lost in that species\n");
    for (size_t c = 0; c < m_complexes.size(); ++c)
      for (unsigned s = 0; s < m_opt.species; ++s) {
        std::fprintf(f, "%zu\t%u\t", c + 1, s);
        const std::vector<int>& row = m_complexes[c].members[s];
        for (size_t j = 0; j < row.size(); ++j)
          std::fprintf(f, "%s%s", j ? " " : "",
                       row[j] < 0 ? "-" : name(s, static_cast<unsigned>(row[j])).c_str());
        std::fprintf(f, "\n");
      }
    return close(f, path);
  }

  const Options m_opt;
  Rng m_rng;
  std::vector<std::vector<Interaction>> m_edges;
  std::vector<std::unordered_set<uint64_t>> m_edgeKeys;  // pairs per species, for uniqueness
  std::vector<std::vector<unsigned>> m_free;             // proteins not yet in a complex or family
  std::vector<Similarity> m_links;
  std::vector<Complex> m_complexes;
};

void usage() {
  std::printf(
      "Usage: trellis2_synth [--species N] [--proteins N] [--complexes N] [--hubs N] [--families X]\n"
      "                      [--spurious X] [--dense N] [--mean-degree D] [--hub-degree H] [--seed N]\n"
      "                      [--out PREFIX]\n"
      "  --species N    number of species, 2..10 (default 3)\n"
      "  --proteins N   proteins per species, %u..%u (default 300)\n"
      "  --complexes N  planted conserved complexes (default 6)\n"
      "  --hubs N       proteins per species interacting with about 80%% of their species (default 0)\n"
      "  --families X   background ortholog families per protein, 0..1 (default 0.4)\n"
      "  --spurious X   chance similarity links per protein, 0..1 (default 0.25)\n"
      "  --dense N      extra accepted similarity links per protein and other species (default 0)\n"
      "  --mean-degree D\n"
      "                 background interactions per protein on average, 3..proteins/4 (default:\n"
      "                 a sparse background of mean degree 4.5, hubs of degree up to about\n"
      "                 sqrt(4.5 x proteins)); 22 imitates today's human interactome\n"
      "  --hub-degree H\n"
      "                 largest background degree, D..proteins-1 (default with --mean-degree: a\n"
      "                 tenth of the proteins, at least D); the degrees in between follow a power\n"
      "                 law, most proteins having a few interactions and a few having hundreds\n"
      "  --seed N       random seed (default 1); equal seeds give identical files\n"
      "  --out PREFIX   writes PREFIX_int-<i>.txt, PREFIX_blast.txt and PREFIX_truth.txt (default synth)\n",
      kMinProteins, kMaxProteinsPerSpecies);
}

bool parseUnsigned(const char* text, unsigned* value) {
  if (!*text || *text == '-' || *text == '+') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long v = std::strtoul(text, &end, 10);
  if (errno || *end || v > 0xffffffffUL) return false;
  *value = static_cast<unsigned>(v);
  return true;
}

bool parseFraction(const char* text, double* value) {
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || *end || !(v >= 0 && v <= 1)) return false;
  *value = v;
  return true;
}

bool parseNumber(const char* text, double* value) {
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || *end || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

bool parseOptions(int argc, char** argv, Options* opt) {
  for (int i = 1; i < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--help" || flag == "-h") {
      usage();
      std::exit(0);
    }
    if (i + 1 >= argc) {
      std::printf("ERROR: Option %s needs a value\n", flag.c_str());
      return false;
    }
    const char* value = argv[i + 1];
    unsigned* target = flag == "--species"      ? &opt->species
                       : flag == "--proteins"   ? &opt->proteins
                       : flag == "--complexes"  ? &opt->complexes
                       : flag == "--seed"       ? &opt->seed
                       : flag == "--hubs"       ? &opt->hubs
                       : flag == "--dense"      ? &opt->dense
                       : flag == "--hub-degree" ? &opt->hubDegree
                                                : nullptr;
    double* fraction = flag == "--families"   ? &opt->familyShare
                       : flag == "--spurious" ? &opt->spuriousRate
                                              : nullptr;
    if (flag == "--out") {
      opt->out = value;
    } else if (flag == "--mean-degree") {
      if (!parseNumber(value, &opt->meanDegree) || opt->meanDegree <= 0) {
        std::printf("ERROR: Not a positive number for %s: %s\n", flag.c_str(), value);
        return false;
      }
    } else if (fraction) {
      if (!parseFraction(value, fraction)) {
        std::printf("ERROR: Not a number in [0, 1] for %s: %s\n", flag.c_str(), value);
        return false;
      }
    } else if (!target) {
      std::printf("ERROR: Unknown option: %s\n", flag.c_str());
      return false;
    } else if (!parseUnsigned(value, target)) {
      std::printf("ERROR: Not a non-negative integer for %s: %s\n", flag.c_str(), value);
      return false;
    } else if (target == &opt->hubDegree && opt->hubDegree == 0) {
      std::printf("ERROR: Not a positive integer for %s: %s\n", flag.c_str(), value);
      return false;
    }
  }
  return true;
}

bool checkDensity(const Options& opt);

bool checkOptions(const Options& opt) {
  if (opt.species < 2 || opt.species > kMaxSpecies) {
    std::printf("ERROR: --species must be 2..%u, got %u\n", kMaxSpecies, opt.species);
    return false;
  }
  if (opt.proteins < kMinProteins || opt.proteins > kMaxProteinsPerSpecies ||
      static_cast<uint64_t>(opt.proteins) * opt.species > kMaxProteinsTotal) {
    std::printf("ERROR: --proteins must be %u..%u and at most %u over all species, got %u x %u\n",
                kMinProteins, kMaxProteinsPerSpecies, kMaxProteinsTotal, opt.species, opt.proteins);
    return false;
  }
  // Complexes take at most half of the proteins, so the background stays the larger part.
  const unsigned maxComplexes = opt.proteins / 2 / kMaxComplexPositions;
  if (opt.complexes > maxComplexes) {
    std::printf("ERROR: --complexes must be at most %u for %u proteins, got %u\n", maxComplexes, opt.proteins,
                opt.complexes);
    return false;
  }
  if (opt.hubs > opt.proteins / 10) {
    std::printf("ERROR: --hubs must be at most %u for %u proteins, got %u\n", opt.proteins / 10, opt.proteins,
                opt.hubs);
    return false;
  }
  if (opt.dense > 1000) {
    std::printf("ERROR: --dense must be at most 1000, got %u\n", opt.dense);
    return false;
  }
  const double denseLinks = static_cast<double>(opt.dense) * opt.proteins * opt.species * (opt.species - 1);
  if (denseLinks > kMaxDenseLinks) {
    std::printf("ERROR: --dense %u would make %.0f similarity links for %u x %u proteins, more than %.0f\n",
                opt.dense, denseLinks, opt.species, opt.proteins, kMaxDenseLinks);
    return false;
  }
  return checkDensity(opt);
}

// The chosen background density: a mean degree the species can hold, a hub degree between the
// mean and the species size, and an interaction count that fits in memory.
bool checkDensity(const Options& opt) {
  if (opt.meanDegree == 0 && opt.hubDegree == 0) return true;
  const double mean = opt.meanDegree > 0 ? opt.meanDegree : kAverageDegree;
  const double maxMean = opt.proteins * kMaxMeanDegreeShare;
  if (mean < kMinMeanDegree || mean > maxMean) {
    std::printf("ERROR: --mean-degree must be %g..%g for %u proteins, got %g\n", kMinMeanDegree, maxMean,
                opt.proteins, mean);
    return false;
  }
  const unsigned hub = hubDegree(opt);
  if (hub < mean || hub > opt.proteins - 1) {
    std::printf("ERROR: --hub-degree must be %g..%u (the mean degree .. proteins - 1), got %u\n",
                std::ceil(mean), opt.proteins - 1, hub);
    return false;
  }
  const double interactions = opt.species * (opt.proteins * mean / 2);
  if (interactions > kMaxBackgroundInteractions) {
    std::printf("ERROR: %u species x %u proteins at mean degree %g make %.0f interactions, more than %.0f\n",
                opt.species, opt.proteins, mean, interactions, kMaxBackgroundInteractions);
    return false;
  }
  if (opt.out.empty()) {
    std::printf("ERROR: --out must not be empty\n");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  if (!parseOptions(argc, argv, &opt) || !checkOptions(opt)) {
    usage();
    return 2;
  }
  Generator gen(opt);
  return gen.run() && gen.write() ? 0 : 1;
}
