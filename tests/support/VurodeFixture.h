// Test fixture that puts the application-services state (tolerances, settings object, view
// state, drawing context, animation flag, application path) back to its defaults before and
// after each test, so tests can install what they need without leaking it into the next.
//
//   class SnapTest : public VurodeTest {};
//   TEST_F(SnapTest, ...) { CVurode view; gSetVurode(&view); gSetCurveDicTol(0.001); ... }
#pragma once

#include "platform/vurode/Accessors.h"

#include <gtest/gtest.h>

class VurodeTest : public ::testing::Test {
 protected:
  void SetUp() override { gRestoreVurodeDefaults(); }
  void TearDown() override { gRestoreVurodeDefaults(); }
};
