// The lock-free table under two threads that store and read the same keys:
// every key stored is found with its value until the table is emptied, and a
// full table refuses rather than loses.
#include "common/concurrent_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct Value {
  uint64_t a;
  uint64_t b;
};

TEST(ConcurrentTableTest, TwoThreadsStoreAndFindTheSameKeys) {
  ConcurrentTable<Value> table(8u << 20);
  std::atomic<int> wrong{0};
  for (int round = 0; round < 20; ++round) {
    const auto work = [&](uint64_t seed) {
      std::vector<WideKey> stored;
      for (uint64_t i = 0; i < 20000; ++i) {
        const uint64_t k = ((i + static_cast<uint64_t>(round) * 7919) * 2654435761u + seed) % 50000 + 1;
        const WideKey key{k, static_cast<uint32_t>(k % 5)};
        Value v{};
        if (table.find(key, &v)) {
          wrong += v.a != k || v.b != 3 * k;
        } else if (table.insert(key, Value{k, 3 * k})) {
          stored.push_back(key);
        }
      }
      for (const WideKey& key : stored) {
        Value v{};
        wrong += !table.find(key, &v) || v.a != key.high;
      }
    };
    std::thread a(work, 1), b(work, 2);
    a.join();
    b.join();
    table.maintain();  // empties it once half full
  }
  EXPECT_EQ(wrong.load(), 0);
}

TEST(ConcurrentTableTest, FullTableRefusesNewKeysAndKeepsOld) {
  ConcurrentTable<Value> table(1u << 15);  // the smallest table: 1024 slots
  size_t stored = 0;
  for (uint64_t k = 1; k <= 5000; ++k) stored += table.insert(WideKey{k, 0}, Value{k, k});
  EXPECT_LT(stored, 1024u);
  for (uint64_t k = 1; k <= 5000; ++k) {
    Value v{};
    if (table.find(WideKey{k, 0}, &v)) {
      EXPECT_EQ(v.a, k);
    }
  }
  EXPECT_TRUE(table.full());
  table.maintain();
  EXPECT_FALSE(table.full());
  Value v{};
  EXPECT_FALSE(table.find(WideKey{1, 0}, &v));
}

}  // namespace
