// Progress of a long loop as a one-line meter on a terminal: items done of the
// total, elapsed time and estimated time left.
#pragma once

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

// Counts the items a loop has finished and redraws a one-line meter on fd at
// most ten times a second. On anything but a terminal it draws nothing at all,
// so logs and pipes receive no byte from it. advance() may be called from
// several threads at once.
class ProgressMeter {
 public:
  typedef std::chrono::steady_clock Clock;

  // label names the phase ("Seeds"); total is the number of items expected.
  ProgressMeter(std::string label, uint64_t total, int fd = STDERR_FILENO);
  // Calls finish().
  ~ProgressMeter();
  ProgressMeter(const ProgressMeter&) = delete;
  ProgressMeter& operator=(const ProgressMeter&) = delete;

  // Counts n more items done; redraws when the last drawing is old enough and
  // no other thread is drawing.
  void advance(uint64_t n = 1);
  // Clears the meter line when something was drawn. Later calls do nothing;
  // call it once the loop's threads have finished.
  void finish();

  uint64_t done() const { return m_done.load(std::memory_order_relaxed); }
  // Whether the meter draws at all (fd is a terminal).
  bool drawing() const { return m_enabled; }

  // The meter text, "<label> <done>/<total> <pct>% in <elapsed>, <left> left",
  // with "--:--" left while nothing is done. Kept short: the program's own
  // progress lines on standard output overwrite it from the line start.
  static std::string formatLine(const std::string& label, uint64_t done, uint64_t total, double elapsedSec);
  // "m:ss", or "h:mm:ss" from one hour on.
  static std::string formatDuration(double seconds);

  static constexpr std::chrono::milliseconds REDRAW_INTERVAL{100};

 private:
  void draw(uint64_t done, Clock::time_point now);
  void writeAll(const std::string& text) const;

  const std::string m_label;
  const uint64_t m_total;
  const int m_fd;
  const bool m_enabled;
  const Clock::time_point m_start;
  std::atomic<uint64_t> m_done{0};
  std::mutex m_drawMutex;        // held while drawing; guards the members below
  Clock::time_point m_lastDraw;  // m_start until the first drawing
  bool m_drawn = false;
  bool m_finished = false;
};
