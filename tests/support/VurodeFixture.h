// Test fixture that puts the application-services state (tolerances, settings object, view
// state, drawing context, animation flag, application path, and the progress display with its
// cancel hook) back to its defaults before and after each test, so tests can install what they
// need without leaking it into the next.
//
//   class SnapTest : public VurodeTest {};
//   TEST_F(SnapTest, ...) { CVurode view; gSetVurode(&view); gSetCurveDicTol(0.001); ... }
//   TEST_F(LoopTest, ...) { gSetProgressCancelAfter(3); ...; EXPECT_TRUE(loops.IsEmpty()); }
#pragma once

#include "platform/panlet/Progress.h"
#include "platform/vurode/Accessors.h"

#include <gtest/gtest.h>

class VurodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gRestoreVurodeDefaults();
    gResetProgress();
  }
  void TearDown() override {
    gRestoreVurodeDefaults();
    gResetProgress();
  }
};
