#include <gtest/gtest.h>

#include <thread>

#include "raster/Region.h"

using namespace vantora;

// Builders hand their piece memory on to the next builder of the thread; what
// one builder was given must never show up in another's region.
TEST(RegionBuilder, ReusedMemoryCarriesNoPiecesOver) {
  {
    RegionBuilder big;
    for (int k = 0; k < 1000; ++k) big.AddTriangle(k, 0, k + 50, 0, k, 40);
    EXPECT_FALSE(big.Build().IsEmpty());
  }
  {
    RegionBuilder abandoned;  // destroyed with pieces still pending
    abandoned.AddRect(0, 0, 500, 500);
  }
  RegionBuilder next;
  next.AddRect(10, 20, 30, 40);
  next.AddRect(50, 20, 60, 40);
  const Region r = next.Build();
  EXPECT_EQ(r.Area(), 20 * 20 + 10 * 20);
  EXPECT_EQ(r.Extents(), (TRect{10, 20, 60, 40}));
  EXPECT_TRUE(next.Build().IsEmpty());  // and the builder is empty again
}

TEST(RegionBuilder, BuildersAliveAtOnceStayApart) {
  RegionBuilder outer;
  outer.AddRect(0, 0, 10, 10);
  Region inner;
  {
    RegionBuilder b;
    b.AddRect(100, 100, 110, 120);
    inner = b.Build();
  }
  outer.AddRect(5, 5, 20, 10);
  EXPECT_EQ(inner, Region::Rectangle(100, 100, 110, 120));
  const Region o = outer.Build();
  EXPECT_EQ(o.Area(), 100 + 10 * 5);
  EXPECT_FALSE(o.Contains(100, 100));
}

TEST(RegionBuilder, ThreadsBuildIndependently) {
  Region results[4];
  std::thread threads[4];
  for (int t = 0; t < 4; ++t)
    threads[t] = std::thread([t, &results] {
      for (int round = 0; round < 50; ++round) {
        RegionBuilder b;
        for (int k = 0; k <= t; ++k) b.AddRect(100 * k, t, 100 * k + 50, t + 10);
        results[t] = b.Build();
      }
    });
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(results[t].Area(), (t + 1) * 50 * 10) << "thread " << t;
}
