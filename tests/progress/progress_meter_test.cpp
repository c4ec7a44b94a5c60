// The meter draws on a terminal only, at most ten times a second, counts
// correctly from several threads and leaves a clean line behind.
#include "progress/progress_meter.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using std::chrono::milliseconds;

// A pseudo-terminal; the meter draws on its terminal end, the test reads the other.
struct Pty {
  int master = -1, terminal = -1;
  Pty() { EXPECT_EQ(openpty(&master, &terminal, nullptr, nullptr, nullptr), 0); }
  ~Pty() {
    close(master);
    close(terminal);
  }
  std::string drawn() const {
    std::string out;
    char buf[4096];
    pollfd p{master, POLLIN, 0};
    for (ssize_t n; poll(&p, 1, 50) > 0 && (n = read(master, buf, sizeof buf)) > 0;) out.append(buf, n);
    return out;
  }
};

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(ProgressMeterTest, DrawsOnATerminalAndClearsTheLineAtTheEnd) {
  Pty pty;
  {
    ProgressMeter meter("Seeds", 10, pty.terminal);
    meter.advance();  // too early: the first drawing waits one interval
    std::this_thread::sleep_for(milliseconds(130));
    meter.advance();
    meter.advance();  // too soon after the last drawing
    EXPECT_EQ(meter.done(), 3u);
  }
  // One drawing of two items (its times depend on the machine), then the clearing.
  const std::string text = pty.drawn(), head = "\rSeeds 2/10 20% in 0:0", tail = " left\033[K\r\r\033[K";
  ASSERT_GE(text.size(), head.size() + tail.size()) << text;
  EXPECT_EQ(text.substr(0, head.size()), head) << text;
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
  EXPECT_EQ(count(text, "\r"), 3u) << text;
}

TEST(ProgressMeterTest, RedrawsAtMostTenTimesASecond) {
  Pty pty;
  const auto start = std::chrono::steady_clock::now();
  {
    ProgressMeter meter("Complexes", 1u << 30, pty.terminal);
    while (std::chrono::steady_clock::now() - start < milliseconds(450)) meter.advance();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const size_t draws = count(pty.drawn(), "left\033[K\r");
  EXPECT_GE(draws, 2u);
  EXPECT_LE(draws, static_cast<size_t>(seconds * 10));
}

TEST(ProgressMeterTest, SilentWhenNotATerminal) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  {
    ProgressMeter meter("Seeds", 5, fds[1]);
    meter.advance(2);
    std::this_thread::sleep_for(milliseconds(120));
    meter.advance(3);
    EXPECT_EQ(meter.done(), 5u);
  }
  close(fds[1]);
  char c;
  EXPECT_EQ(read(fds[0], &c, 1), 0);  // end of file: not one byte written
  close(fds[0]);
}

TEST(ProgressMeterTest, CountsEveryItemFromSeveralThreads) {
  Pty pty;
  constexpr unsigned THREADS = 4, EACH = 20000;
  ProgressMeter meter("Seeds", THREADS * EACH, pty.terminal);
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < THREADS; ++t)
    workers.emplace_back([&meter] {
      for (unsigned i = 0; i < EACH; ++i) meter.advance();
    });
  for (std::thread& w : workers) w.join();
  EXPECT_EQ(meter.done(), THREADS * EACH);
  meter.finish();
  const std::string text = pty.drawn();  // whole drawings only, never interleaved
  EXPECT_EQ(count(text, "\rSeeds "), count(text, "left\033[K\r"));
}

TEST(ProgressMeterTest, TimeLeftFollowsTheRateSoFar) {
  EXPECT_EQ(ProgressMeter::formatLine("Seeds", 0, 8000, 0.2), "Seeds 0/8000 0% in 0:00, --:-- left");
  EXPECT_EQ(ProgressMeter::formatLine("Seeds", 2000, 8000, 75), "Seeds 2000/8000 25% in 1:15, 3:45 left");
  EXPECT_EQ(ProgressMeter::formatLine("Refinement", 12, 10, 3700),
            "Refinement 10/10 100% in 1:01:40, 0:00 left");
}

}  // namespace
