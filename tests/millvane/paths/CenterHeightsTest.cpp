// The bucket index of the tool-centre model's heights against the model's own projection with
// every part marked: the same height at every point, whatever the bucket size.
#include "millvane/paths/CenterHeights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "millvane/paths/MillCenter.h"
#include "platform/panlet/Progress.h"
#include "support/MeshOracle.h"

TEST(CenterHeights, SameHeightsAsTheModelWithEveryPartMarked) {
  gResetProgress();
  CTBall ball(3);
  CTCylindrical flat(2);
  struct Case {
    const char* name;
    CTool* tool;
    double bucket;  // 0.01 makes the index widen its buckets
  } cases[] = {{"ball, bucket 1", &ball, 1.0}, {"ball, tiny bucket", &ball, 0.01}, {"flat, bucket 0.3", &flat, 0.3}};
  std::vector<std::unique_ptr<CGeMesh>> meshes;
  meshes.push_back(oracle::Box(3, 2, 4));
  meshes.push_back(oracle::WavyGrid(20, 16));
  CTypedPtrList<CObList, CGeMesh*> list;
  for (auto& m : meshes) list.AddTail(m.get());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<CMillCenter> model(CreateMillCentre(&list, c.tool, 0.0, 0, 0.1));
    ASSERT_TRUE(model);
    ASSERT_FALSE(model->strips.empty());
    ASSERT_GT(model->sharp.count(), 0);
    CCenterHeights index;
    index.Build(model.get(), c.bucket);
    model->DefineMarkedPane({{-1e6, -1e6}, {1e6, 1e6}}, 0.0);
    int raised = 0;
    for (double y = -13; y <= 13; y += 0.37)
      for (double x = -13; x <= 13; x += 0.29)
        for (double from : {-1e6, 1.0}) {
          double a[3] = {x, y, from}, b[3] = {x, y, from};
          model->ProjPntOnMdl(a);
          index.Raise(b);
          ASSERT_EQ(a[2], b[2]) << x << ", " << y << " from " << from;
          raised += a[2] > from;
        }
    EXPECT_GT(raised, 1000);
  }
}

TEST(CenterHeights, EmptyIndexLeavesHeightsAlone) {
  CCenterHeights index;
  double p[3] = {1, 2, 3};
  index.Raise(p);
  EXPECT_EQ(p[2], 3);
  index.Build(nullptr, 1.0);
  index.Raise(p);
  EXPECT_EQ(p[2], 3);
  CMillCenter empty;
  for (double bucket : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1.0}) {
    index.Build(&empty, bucket);
    double q[3] = {std::numeric_limits<double>::quiet_NaN(), 0, 5};
    index.Raise(q);
    index.Raise(p);
    EXPECT_EQ(q[2], 5);
    EXPECT_EQ(p[2], 3);
  }
}
