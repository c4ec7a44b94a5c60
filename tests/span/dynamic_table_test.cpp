#include "span/dynamic_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Counts live instances so that the tests can see what the table deletes.
struct Counted {
  static int live;
  int value;
  explicit Counted(int v) : value(v) { ++live; }
  ~Counted() { --live; }
};
int Counted::live = 0;

typedef DynTable2<uint, Counted> Table;

// Lets a test jump the entry counter instead of making ten million calls.
struct SizedTable : Table {
  void setSize(uint n) { m_size = n; }
};

TEST(DynTable2Test, LookupDistinguishesMissingFromStoredNull) {
  Table t;
  bool found = true;
  EXPECT_EQ(t.getEntry(7, &found, 3), nullptr);
  EXPECT_FALSE(found);

  EXPECT_EQ(t.setEntry(7, 3, nullptr), nullptr);
  found = false;
  EXPECT_EQ(t.getEntry(7, &found, 3), nullptr);
  EXPECT_TRUE(found);
  EXPECT_EQ(t.size(), 1u);
}

TEST(DynTable2Test, MasksAreIndependentAndOverwriteKeepsOldValue) {
  Table t;
  Counted* first = new Counted(1);
  Counted* second = new Counted(2);
  Counted* other = new Counted(3);
  t.setEntry(5, 1, first);
  t.setEntry(5, 1023, other);
  EXPECT_EQ(t.setEntry(5, 1, second), second);
  EXPECT_EQ(t.size(), 3u);

  bool found = false;
  EXPECT_EQ(t.getEntry(5, &found, 1), second);
  EXPECT_TRUE(found);
  EXPECT_EQ(t.getEntry(5, &found, 1023), other);
  EXPECT_TRUE(found);
  t.getEntry(5, &found, 2);
  EXPECT_FALSE(found);

  // The overwritten value is not the table's any more.
  EXPECT_EQ(Counted::live, 3);
  t.clear();
  EXPECT_EQ(Counted::live, 1);
  delete first;
  EXPECT_EQ(t.size(), 0u);
  t.getEntry(5, &found, 1);
  EXPECT_FALSE(found);
}

TEST(DynTable2Test, DestructorLeavesValuesToTheOwner) {
  Counted* kept = new Counted(9);
  {
    Table t;
    t.setEntry(1, 0, kept);
  }
  EXPECT_EQ(Counted::live, 1);
  delete kept;
}

TEST(DynTable2Test, MaintenceClearsOnlyAboveTenMillion) {
  SizedTable t;
  t.setEntry(4, 9, new Counted(4));
  t.setSize(10000000);
  t.maintence();
  bool found = false;
  t.getEntry(4, &found, 9);
  EXPECT_TRUE(found);
  EXPECT_EQ(t.size(), 10000000u);

  t.setEntry(8, 9, nullptr);  // null answers count as well
  t.maintence();
  EXPECT_EQ(t.size(), 0u);
  t.getEntry(4, &found, 9);
  EXPECT_FALSE(found);
  EXPECT_EQ(Counted::live, 0);

  t.clear();  // empty table: only the counter
  EXPECT_EQ(t.size(), 0u);
}

TEST(DynTable2DeathTest, MaskOutsideTheSpeciesRangeStops) {
  Table t;
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        t.setEntry(1, 1024, nullptr);
      },
      ::testing::KilledBySignal(SIGABRT), "specMask < \\(1u<<MAX_SPECIES\\)");
}

}  // namespace
