#include "tools/annotate/weighted_matching.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <unordered_map>

namespace {

class DisjointSets {
 public:
  explicit DisjointSets(size_t n) : m_parent(n) { std::iota(m_parent.begin(), m_parent.end(), 0); }
  size_t find(size_t x) {
    while (m_parent[x] != x) x = m_parent[x] = m_parent[m_parent[x]];
    return x;
  }
  void join(size_t a, size_t b) { m_parent[find(a)] = find(b); }

 private:
  std::vector<size_t> m_parent;
};

// The smallest total cost of assigning every row to its own column of a dense
// rows x cols matrix (rows <= cols): the Hungarian method with potentials,
// O(rows^2 cols).
double minCostAssignment(const std::vector<std::vector<double>>& cost) {
  const size_t rows = cost.size(), cols = cost[0].size();
  const double INF = std::numeric_limits<double>::infinity();
  std::vector<double> u(rows + 1, 0), v(cols + 1, 0);
  std::vector<size_t> owner(cols + 1, 0), way(cols + 1, 0);  // 1-based; owner[0] is the row being placed
  for (size_t row = 1; row <= rows; ++row) {
    owner[0] = row;
    size_t col0 = 0;
    std::vector<double> minv(cols + 1, INF);
    std::vector<bool> used(cols + 1, false);
    do {
      used[col0] = true;
      const size_t r0 = owner[col0];
      double delta = INF;
      size_t col1 = 0;
      for (size_t c = 1; c <= cols; ++c) {
        if (used[c]) continue;
        const double reduced = cost[r0 - 1][c - 1] - u[r0] - v[c];
        if (reduced < minv[c]) {
          minv[c] = reduced;
          way[c] = col0;
        }
        if (minv[c] < delta) {
          delta = minv[c];
          col1 = c;
        }
      }
      for (size_t c = 0; c <= cols; ++c) {
        if (used[c]) {
          u[owner[c]] += delta;
          v[c] -= delta;
        } else {
          minv[c] -= delta;
        }
      }
      col0 = col1;
    } while (owner[col0] != 0);
    do {
      const size_t col1 = way[col0];
      owner[col0] = owner[col1];
      col0 = col1;
    } while (col0 != 0);
  }
  double total = 0;
  for (size_t c = 1; c <= cols; ++c)
    if (owner[c] != 0) total += cost[owner[c] - 1][c - 1];
  return total;
}

// The best matching within one connected component.
double componentMatching(const std::vector<WeightedPair>& pairs) {
  std::unordered_map<uint32_t, size_t> lefts, rights;
  for (const WeightedPair& p : pairs) {
    lefts.emplace(p.left, lefts.size());
    rights.emplace(p.right, rights.size());
  }
  const bool transpose = lefts.size() > rights.size();  // rows must not outnumber columns
  const size_t rows = transpose ? rights.size() : lefts.size(),
               cols = transpose ? lefts.size() : rights.size();
  std::vector<std::vector<double>> cost(rows, std::vector<double>(cols, 0));  // 0: not matched
  for (const WeightedPair& p : pairs) {
    const size_t l = lefts[p.left], r = rights[p.right];
    double& cell = transpose ? cost[r][l] : cost[l][r];
    cell = std::min(cell, -p.weight);
  }
  return -minCostAssignment(cost);
}

}  // namespace

double maxWeightMatching(const std::vector<WeightedPair>& pairs) {
  // Vertices: lefts first, then rights, numbered in order of appearance.
  std::unordered_map<uint32_t, size_t> leftIds, rightIds;
  for (const WeightedPair& p : pairs) leftIds.emplace(p.left, leftIds.size());
  for (const WeightedPair& p : pairs) rightIds.emplace(p.right, leftIds.size() + rightIds.size());
  DisjointSets sets(leftIds.size() + rightIds.size());
  for (const WeightedPair& p : pairs) sets.join(leftIds[p.left], rightIds[p.right]);
  std::unordered_map<size_t, std::vector<WeightedPair>> components;
  std::vector<size_t> order;  // components in order of first pair, so that the sum is reproducible
  for (const WeightedPair& p : pairs) {
    std::vector<WeightedPair>& component = components[sets.find(leftIds[p.left])];
    if (component.empty()) order.push_back(sets.find(leftIds[p.left]));
    component.push_back(p);
  }
  double total = 0;
  for (size_t root : order) total += componentMatching(components[root]);
  return total;
}
