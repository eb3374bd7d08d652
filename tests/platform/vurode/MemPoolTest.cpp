#include "platform/vurode/MemPool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>

namespace {

void Fill(void* p, size_t n, unsigned char v) { std::memset(p, v, n); }

bool Holds(const void* p, size_t n, unsigned char v) {
  const auto* b = static_cast<const unsigned char*>(p);
  for (size_t i = 0; i < n; ++i)
    if (b[i] != v) return false;
  return true;
}

// A kernel routine that takes scratch, calls a deeper one, and checks its own block survived.
bool Nested(int depth, size_t bytes) {
  void* mine = gAlcMemPool(bytes);
  if (!mine) return false;
  const auto tag = static_cast<unsigned char>(0x40 + depth);
  Fill(mine, bytes, tag);
  bool ok = depth == 0 || Nested(depth - 1, bytes * 2 + 3);
  ok = ok && Holds(mine, bytes, tag);
  gFreMemPool();
  return ok;
}

TEST(MemPool, NestedBlocksAreDistinctAndIntact) {
  ASSERT_EQ(gGetMemPoolDepth(), 0);
  const size_t n1 = 16 * 100, n2 = 24 * 37;
  void* outer = gAlcMemPool(n1);
  ASSERT_NE(outer, nullptr);
  Fill(outer, n1, 0xA5);
  void* inner = gAlcMemPool(n2);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(gGetMemPoolDepth(), 2);
  const auto o = reinterpret_cast<uintptr_t>(outer), i = reinterpret_cast<uintptr_t>(inner);
  EXPECT_TRUE(i + n2 <= o || o + n1 <= i) << "blocks overlap";
  Fill(inner, n2, 0x5A);
  EXPECT_TRUE(Holds(outer, n1, 0xA5));
  gFreMemPool();  // releases the inner block only
  EXPECT_TRUE(Holds(outer, n1, 0xA5));
  EXPECT_EQ(gGetMemPoolDepth(), 1);
  gFreMemPool();
  EXPECT_EQ(gGetMemPoolDepth(), 0);
}

TEST(MemPool, DeepNestingUnwindsCompletely) {
  EXPECT_TRUE(Nested(8, 40));
  EXPECT_EQ(gGetMemPoolDepth(), 0);
}

TEST(MemPool, BlocksSuitDoublesAndZeroIsAValidRequest) {
  void* a = gAlcMemPool(3);
  void* b = gAlcMemPool(0);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % alignof(double), 0u);
  gFreMemPool();
  gFreMemPool();
}

TEST(MemPool, AbsurdRequestFailsWithoutDisturbingTheStack) {
  void* keep = gAlcMemPool(64);
  ASSERT_NE(keep, nullptr);
  // A negative count that became unsigned.
  EXPECT_EQ(gAlcMemPool(static_cast<size_t>(-16)), nullptr);
  EXPECT_EQ(gGetMemPoolDepth(), 1);
  gFreMemPool();
  gFreMemPool();  // releasing with nothing held is harmless
  EXPECT_EQ(gGetMemPoolDepth(), 0);
}

TEST(MemPool, ThreadsKeepTheirOwnStacks) {
  void* mine = gAlcMemPool(32);
  Fill(mine, 32, 0x11);
  bool otherOk = false;
  std::thread t([&] {
    otherOk = gGetMemPoolDepth() == 0 && Nested(3, 100);
  });
  t.join();
  EXPECT_TRUE(otherOk);
  EXPECT_EQ(gGetMemPoolDepth(), 1);
  EXPECT_TRUE(Holds(mine, 32, 0x11));
  gFreMemPool();
}

}  // namespace
