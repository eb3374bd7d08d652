// NC records: type ids, copies that stay independent, blocks sharing one storage area.
#include "platform/gorsey/Gorsey.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

struct EngineRecord {  // stands in for an engine definition kept in a block's bytes
  uint8_t flags;
  int32_t kind;
  double threshold;
  double gap;
};

}  // namespace

TEST(ParamSrfTest, RecordsAnswerTheirTypes) {
  CNCData base;
  CParamSrfFinish finish;
  CParamSrfRough rough;
  EXPECT_EQ(base.GetType(), 0);
  EXPECT_EQ(rough.GetType(), 18);
  EXPECT_EQ(finish.GetType(), 19);
  std::unique_ptr<CNCData> c(static_cast<CNCData&>(finish).Copy());
  EXPECT_EQ(c->GetType(), 19);
  std::unique_ptr<CNCData> r(rough.Copy());
  EXPECT_EQ(r->GetType(), 18);
  EXPECT_EQ(finish.GetTopHeight(), 0.0);
  EXPECT_EQ(finish.Contour().rampLength, 0.0);
}

// A generator keeps its own copy: later edits of the caller's record do not reach it.
TEST(ParamSrfTest, CopiesCarryEveryBlockAndStayIndependent) {
  CParamSrfFinish finish;
  finish.m_dTopHeight = 12.5;
  finish.m_dCutDepth = 4;
  finish.Contour().stepDown = 0.25;
  finish.Contour().layerOrder = 1;
  BlockSet(finish.Contour().cutArea, EngineRecord{2, 7, 0.5, 1.25});
  CParamSrfFinish kept;
  kept = finish;
  std::unique_ptr<CParamSrfFinish> copy(static_cast<CParamSrfFinish*>(finish.Copy()));
  finish.Contour().stepDown = 9;
  BlockSet(finish.Contour().cutArea, EngineRecord{1, 1, 1, 1});
  for (CParamSrfFinish* p : {&kept, copy.get()}) {
    EXPECT_EQ(p->GetTopHeight(), 12.5);
    EXPECT_EQ(p->GetCutDepth(), 4);
    EXPECT_EQ(p->Contour().stepDown, 0.25);
    EXPECT_EQ(p->Contour().layerOrder, 1);
    const auto area = BlockGet<EngineRecord>(p->Contour().cutArea);
    EXPECT_EQ(area.flags, 2);
    EXPECT_EQ(area.kind, 7);
    EXPECT_EQ(area.gap, 1.25);
  }

  CParamSrfRough rough;
  rough.Sweep().layerStep = 2;
  rough.Parallel().angle = 30;  // the parallel block replaces the sweep block
  CParamSrfRough roughCopy;
  roughCopy = rough;
  EXPECT_EQ(roughCopy.Parallel().angle, 30);
}

// The flat-area block lies over the contour block: its strategy in the user cell's place.
TEST(ParamSrfTest, FlatBlockOverlaysTheContourBlock) {
  CParamSrfFinish finish;
  finish.Contour().options = 0x80;
  finish.Flat().strategy = 1;
  EXPECT_EQ(finish.Contour().options, 0x80u);
  int32_t inCell = 0;
  std::memcpy(&inCell, &finish.Contour().userCell, sizeof inCell);
  EXPECT_EQ(inCell, 1);
}
