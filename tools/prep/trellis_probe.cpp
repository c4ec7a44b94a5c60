#include "tools/prep/trellis_probe.h"

#include <utility>

#include "app/run_params.h"
#include "common/console.h"
#include "common/error.h"
#include "network/netbuilder.h"
#include "network/network.h"

TrellisProbe::TrellisProbe(uint32_t species, std::string prefix, double threshold, double beta)
    : m_species(species), m_prefix(std::move(prefix)), m_threshold(threshold), m_beta(beta) {}

void TrellisProbe::readAndFinalize(FILE* console) {
  Network network(m_species);
  NetworkBuiler builder(&network, m_threshold, 0, console);
  builder.readNetwork(m_prefix);
  const RunParams defaults;  // the true-interaction factors of a run
  network.finalize(m_beta, defaults.p_true, console);
  m_hubPairs.clear();
  for (uint32_t s = 0; s < m_species; ++s) m_hubPairs.push_back(network.hubPairs(static_cast<byte>(s)));
}

bool TrellisProbe::run() {
  m_failure.clear();
  // The program's console lines stay out of standard output; its error says why it would stop.
  Console quiet(Console::BUFFER);
  try {
    readAndFinalize(quiet.out());
  } catch (const Error& e) {
    m_failure = e.what();
    return false;
  }
  return true;
}
