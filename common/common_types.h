// Shared scalar types, limits and the invariant check used by every module.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

typedef unsigned char byte;  // species index or small count
typedef uint32_t uint;       // unsigned 32-bit
typedef uint16_t ushort;     // unsigned 16-bit
typedef double weight_t;     // weight, probability or score
typedef int64_t hashval_t;

constexpr uint MAX_SPECIES = 10;                 // species in one network
constexpr uint MAX_SPECNODES_NUM = 4294967295u;  // proteins in one species layer
constexpr uint MAX_NETNODES_NUM = 4294967295u;   // node ids stay below this value
constexpr uint MIN_COMPLEX_SIZE = 4;             // aligned nodes of the smallest kept complex
constexpr uint MAX_COMPLEX_SIZE = 15;            // aligned nodes at which growth stops, by default
constexpr uint LARGEST_SIZE_CAP = 100;           // the largest size cap "--max-size" takes
constexpr double TINY_WEIGHT = 1e-50;
// Seeds the process-wide generator (the shuffling of random passes) and, with
// a complex's id added, that complex's refinement coins.
constexpr long RANDOM_SEED = 2345;

// Shape of a span (a partial aligned node grown from an anchor).
enum gen_type_t { PATH = 0, TREE = 1, ORIENTED = 2 };

// Prints the failed expression with file, line and function on standard output
// and aborts. Active in every build type: a broken invariant must never go on.
[[noreturn]] void trellisAssertFail(const char* expr, const char* file, int line, const char* func);

#define TRELLIS_ASSERT(expr) \
  ((expr) ? static_cast<void>(0) : trellisAssertFail(#expr, __FILE__, __LINE__, __func__))

// Flushes standard output and ends the process with the given exit code.
// Every error exit of the program goes through here.
[[noreturn]] void fatalExit(int code);

// Prints text on standard output and ends the process with the given exit
// code, like every error report of the program. On a worker thread nothing is
// printed: the report is thrown as a DeferredExit, for the thread that gathers
// the results to make when it reaches that result, so that the console reads
// as in a run on one thread.
[[noreturn]] void fatalMessage(int code, const std::string& text);
struct DeferredExit {
  int code;
  std::string text;
};
// Marks the calling thread as a worker (or not) for fatalMessage.
void setWorkerThread(bool worker);

// Installs a process-wide handler that fatalExit calls (after flushing) before
// it exits; null removes it. The program itself never installs one: it lets a
// test harness that runs the program in-process turn an error exit into an
// exception of its own. A handler that returns does not stop the exit.
typedef void (*fatal_exit_handler_t)(int code);
void setFatalExitHandler(fatal_exit_handler_t handler);

// Installs a function that every ending of the process on an error (a fatal
// exit, a broken invariant, exhausted memory) calls first, after flushing
// standard output; null removes it. It lets a process that diverted its
// console show it after all.
typedef void (*exit_reporter_t)();
void setExitReporter(exit_reporter_t reporter);
// Calls the installed reporter, if any, once.
void reportExit();
