#include "complexes/refinement.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>

#include "common/worker_pool.h"
#include "progress/progress_meter.h"

DrawStream::DrawStream() {
  // seed48 hands back the state it replaces; putting it straight back leaves
  // the sequence untouched.
  unsigned short probe[3] = {0, 0, 0};
  std::memcpy(m_start, seed48(probe), sizeof m_start);
  seed48(m_start);
}

void DrawStream::drawAhead(size_t n) {
  while (m_draws.size() < n) m_draws.push_back(drand48());
}

void DrawStream::commit(size_t used) {
  seed48(m_start);
  for (size_t i = 0; i < used; ++i) drand48();
  m_draws.clear();
}

namespace {

// The draws of one attempt on a complex: one per aligned node from the third.
size_t drawsFor(const Complex& c) { return c.size() > 2 ? c.size() - 2 : 0; }

// One complex refined on a worker thread, from a given first draw.
struct Chain {
  size_t firstDraw = 0;
  // Written by the worker, read once done is set (both under the pool's lock).
  std::unique_ptr<Complex> best;
  size_t draws = 0;  // numbers its attempts drew
  std::unique_ptr<DeferredExit> failure;
  bool done = false;
};

// The attempts of one complex, in order, as one thread makes them.
void refineOne(ComplexesCrawler* crawler, const Network* network, uint iterations, const DrawStream& stream,
               Chain* chain) {
  size_t next = chain->firstDraw;
  for (uint attempt = 0; attempt < iterations; ++attempt) {
    const Complex& best = *chain->best;
    Seed seed(0);
    size_t index = 0;
    for (const VPath& path : best.paths()) {
      // The first two aligned nodes always stay; each later one survives a coin flip.
      if (index++ < 2 || static_cast<int>(2 * stream.at(next++)) == 0) seed.m_vpaths.push_back(path);
    }
    std::unique_ptr<Complex> candidate(new Complex(best.m_id, network));
    if (crawler->expandComplex(seed, candidate.get()) && candidate->getScore() > best.getScore())
      chain->best = std::move(candidate);
  }
  chain->draws = next - chain->firstDraw;
}

}  // namespace

void refineInParallel(const Network* network, const ComplexesCrawler& prototype, uint threads,
                      uint iterations, const std::list<Complex>& in, std::list<Complex>* out,
                      ProgressMeter* meter) {
  const std::vector<const Complex*> originals = [&in] {
    std::vector<const Complex*> v;
    for (const Complex& c : in) v.push_back(&c);
    return v;
  }();
  // A refined complex is never larger than its original or the size limit,
  // so this is more than all attempts can draw.
  size_t most = 0;
  for (const Complex* c : originals) most += iterations * (std::max<size_t>(c->size(), MAX_COMPLEX_SIZE) - 2);
  DrawStream stream;
  stream.drawAhead(most);

  WorkerPool<ComplexesCrawler> pool(threads, [&prototype] { return prototype.twin(); });
  auto start = [&](size_t j, size_t firstDraw) {
    std::shared_ptr<Chain> chain(new Chain);
    chain->firstDraw = firstDraw;
    chain->best.reset(new Complex(*originals[j]));
    pool.submit([chain, network, iterations, &stream, &pool](ComplexesCrawler& crawler) {
      std::unique_ptr<DeferredExit> failure;
      try {
        refineOne(&crawler, network, iterations, stream, chain.get());
      } catch (const DeferredExit& e) {
        failure.reset(new DeferredExit(e));
      }
      pool.locked([&] {
        chain->failure = std::move(failure);
        chain->done = true;
      });
    });
    return chain;
  };

  const size_t ahead = 2 * static_cast<size_t>(threads);
  std::deque<std::shared_ptr<Chain>> window;  // complexes from `checked` on, in order
  size_t guessed = 0;                         // first draw of the next complex to start
  size_t used = 0;                            // numbers drawn by the complexes checked so far
  for (size_t checked = 0; checked < originals.size(); ++checked) {
    while (window.size() < ahead && checked + window.size() < originals.size()) {
      const size_t j = checked + window.size();
      window.push_back(start(j, guessed));
      guessed += iterations * drawsFor(*originals[j]);  // as if it kept its size
    }
    std::shared_ptr<Chain> chain = window.front();
    window.pop_front();
    pool.waitUntil([&chain] { return chain->done; });
    if (chain->firstDraw != used) {
      // Its draws start elsewhere: so do those of every complex after it.
      window.clear();
      chain = start(checked, used);
      pool.waitUntil([&chain] { return chain->done; });
    }
    if (chain->failure) {
      const DeferredExit failure = *chain->failure;
      pool.shutdown();  // no thread may run on while the process ends
      fatalMessage(failure.code, failure.text);
    }
    used += chain->draws;
    // A complex that changed size moves the draws of all after it.
    if (chain->draws != iterations * drawsFor(*originals[checked])) window.clear();
    if (window.empty()) guessed = used;
    out->push_back(*chain->best);
    if (meter) meter->advance();
  }
  pool.shutdown();
  stream.commit(used);
}
