// Shared scalar types, limits and the invariant check used by every module.
#pragma once

#include <sys/types.h>

#include <cstdint>

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
// (Errors that a user can cause are thrown as an Error, common/error.h.)
[[noreturn]] void trellisAssertFail(const char* expr, const char* file, int line, const char* func);

#define TRELLIS_ASSERT(expr) \
  ((expr) ? static_cast<void>(0) : trellisAssertFail(#expr, __FILE__, __LINE__, __func__))
