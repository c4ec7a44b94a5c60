#include "progress/progress_meter.h"

#include <cerrno>
#include <cmath>
#include <cstdio>

constexpr std::chrono::milliseconds ProgressMeter::REDRAW_INTERVAL;

ProgressMeter::ProgressMeter(std::string label, uint64_t total, int fd)
    : m_label(std::move(label)),
      m_total(total),
      m_fd(fd),
      m_enabled(isatty(fd) == 1),
      m_start(Clock::now()),
      m_lastDraw(m_start) {}

ProgressMeter::~ProgressMeter() { finish(); }

void ProgressMeter::advance(uint64_t n) {
  const uint64_t done = m_done.fetch_add(n, std::memory_order_relaxed) + n;
  if (!m_enabled) return;
  std::unique_lock<std::mutex> lock(m_drawMutex, std::try_to_lock);
  if (!lock.owns_lock() || m_finished) return;
  const Clock::time_point now = Clock::now();
  // The first drawing also waits one interval, so a phase that ends quickly
  // leaves no trace on the terminal.
  if (now - m_lastDraw < REDRAW_INTERVAL) return;
  draw(done, now);
}

void ProgressMeter::finish() {
  std::lock_guard<std::mutex> lock(m_drawMutex);
  if (m_finished) return;
  m_finished = true;
  if (m_drawn) writeAll("\r\033[K");
}

void ProgressMeter::draw(uint64_t done, Clock::time_point now) {
  m_lastDraw = now;
  m_drawn = true;
  const double elapsed = std::chrono::duration<double>(now - m_start).count();
  // Clear what a longer earlier text left, and park the cursor at the line
  // start so that standard output, sharing the terminal, writes over the meter.
  writeAll("\r" + formatLine(m_label, done, m_total, elapsed) + "\033[K\r");
}

void ProgressMeter::writeAll(const std::string& text) const {
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(m_fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // a meter that cannot be drawn is not worth stopping for
    written += static_cast<size_t>(n);
  }
}

std::string ProgressMeter::formatDuration(double seconds) {
  if (!(seconds >= 0)) seconds = 0;
  if (seconds > 359999) seconds = 359999;  // 99:59:59
  const long total = std::lround(seconds);
  char buf[32];
  if (total >= 3600)
    std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  else
    std::snprintf(buf, sizeof buf, "%ld:%02ld", total / 60, total % 60);
  return buf;
}

std::string ProgressMeter::formatLine(const std::string& label, uint64_t done, uint64_t total,
                                      double elapsedSec) {
  const uint64_t shown = done > total ? total : done;
  const unsigned percent = total == 0 ? 100u : static_cast<unsigned>(100 * shown / total);
  const std::string left =
      shown == 0 ? "--:--" : formatDuration(elapsedSec * static_cast<double>(total - shown) / shown);
  char buf[96];
  std::snprintf(buf, sizeof buf, " %llu/%llu %u%% in ", static_cast<unsigned long long>(shown),
                static_cast<unsigned long long>(total), percent);
  return label + buf + formatDuration(elapsedSec) + ", " + left + " left";
}
