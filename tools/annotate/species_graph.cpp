#include "tools/annotate/species_graph.h"

#include <algorithm>
#include <unordered_set>

SpeciesGraph::SpeciesGraph(const NetworkProteins& net) : m_names(net.names), m_partners(net.names.size()) {
  for (uint32_t v = 0; v < m_names.size(); ++v) m_ids.emplace(m_names[v], v);
  for (const auto& pair : net.interactions) {
    m_partners[pair.first].push_back(pair.second);
    m_partners[pair.second].push_back(pair.first);
  }
  for (std::vector<uint32_t>& list : m_partners) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }
  findComponents();
}

void SpeciesGraph::findComponents() {
  const uint32_t unseen = UINT32_MAX;
  m_component.assign(size(), unseen);
  std::vector<uint32_t> stack;
  for (uint32_t start = 0; start < size(); ++start) {
    if (m_component[start] != unseen) continue;
    const uint32_t c = static_cast<uint32_t>(m_componentSize.size());
    m_componentSize.push_back(0);
    m_component[start] = c;
    stack.push_back(start);
    while (!stack.empty()) {
      const uint32_t v = stack.back();
      stack.pop_back();
      ++m_componentSize[c];
      for (uint32_t w : m_partners[v]) {
        if (m_component[w] != unseen) continue;
        m_component[w] = c;
        stack.push_back(w);
      }
    }
    m_largest = std::max(m_largest, m_componentSize[c]);
  }
  m_bySize.resize(size());
  for (uint32_t v = 0; v < size(); ++v) m_bySize[v] = v;
  std::stable_sort(m_bySize.begin(), m_bySize.end(),
                   [this](uint32_t a, uint32_t b) { return componentSize(a) > componentSize(b); });
}

int SpeciesGraph::find(const std::string& name) const {
  const auto it = m_ids.find(name);
  return it == m_ids.end() ? NONE : static_cast<int>(it->second);
}

bool SpeciesGraph::interact(uint32_t a, uint32_t b) const {
  const std::vector<uint32_t>& list = m_partners[a];
  return std::binary_search(list.begin(), list.end(), b);
}

const std::vector<uint32_t>& SpeciesGraph::byComponentSize(size_t size, size_t* count) const {
  const auto end = std::partition_point(m_bySize.begin(), m_bySize.end(),
                                        [&](uint32_t v) { return componentSize(v) >= size; });
  *count = static_cast<size_t>(end - m_bySize.begin());
  return m_bySize;
}

bool SpeciesGraph::connected(const std::vector<uint32_t>& group) const {
  const std::unordered_set<uint32_t> members(group.begin(), group.end());
  if (members.empty()) return false;
  std::unordered_set<uint32_t> reached{group.front()};
  std::vector<uint32_t> stack{group.front()};
  while (!stack.empty()) {
    const uint32_t v = stack.back();
    stack.pop_back();
    for (uint32_t w : m_partners[v])
      if (members.count(w) && reached.insert(w).second) stack.push_back(w);
  }
  return reached.size() == members.size();
}

double SpeciesGraph::density(const std::vector<uint32_t>& group) const {
  std::vector<uint32_t> members(group);
  std::sort(members.begin(), members.end());
  members.erase(std::unique(members.begin(), members.end()), members.end());
  if (members.size() < 2) return 0;
  size_t links = 0;
  for (size_t i = 0; i < members.size(); ++i)
    for (size_t j = i + 1; j < members.size(); ++j) links += interact(members[i], members[j]);
  const double pairs = 0.5 * double(members.size()) * double(members.size() - 1);
  return double(links) / pairs;
}
