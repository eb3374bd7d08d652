#include "platform/afx/Afx.h"

#include <gtest/gtest.h>

using Kind = CRecordingDC::Kind;

TEST(CRecordingDC, RecordsPrimitivesWithThePenInForce) {
  CRecordingDC dc;
  CPen green(PS_SOLID, 2, RGB(0, 0x7D, 0));
  CPen dotted(PS_DOT, 1, 0xAA00C3);
  CPen* original = dc.SelectObject(&green);
  ASSERT_NE(original, nullptr);
  EXPECT_EQ(original->GetStyle(), PS_SOLID);  // a default pen is always selected

  dc.MoveTo(1, 2);
  EXPECT_EQ(dc.LineTo(5, 6), TRUE);
  EXPECT_EQ(dc.GetCurrentPosition(), CPoint(5, 6));
  EXPECT_EQ(dc.SelectObject(&dotted), &green);
  const POINT bez[4] = {{0, 0}, {1, 1}, {2, 1}, {3, 0}};
  EXPECT_EQ(dc.PolyBezier(bez, 4), TRUE);
  EXPECT_EQ(dc.SelectObject(original), &dotted);
  dc.Ellipse(CRect(-4, -4, 4, 4));

  const auto& calls = dc.GetCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].kind, Kind::MoveTo);
  EXPECT_EQ(calls[1].kind, Kind::LineTo);
  EXPECT_EQ(calls[1].points, (std::vector<CPoint>{{1, 2}, {5, 6}}));
  EXPECT_EQ(calls[1].penColor, RGB(0, 0x7D, 0));
  EXPECT_EQ(calls[1].penWidth, 2);
  EXPECT_EQ(calls[2].kind, Kind::PolyBezier);
  EXPECT_EQ(calls[2].penStyle, PS_DOT);
  EXPECT_EQ(calls[2].points.size(), 4u);
  EXPECT_EQ(calls[3].kind, Kind::Ellipse);
  EXPECT_EQ(calls[3].points, (std::vector<CPoint>{{-4, -4}, {4, 4}}));
  EXPECT_EQ(calls[3].penColor, RGB(0, 0, 0));
  EXPECT_EQ(dc.Count(Kind::LineTo), 1u);
}

TEST(CRecordingDC, RejectsMalformedPointRuns) {
  CRecordingDC dc;
  const POINT pts[7] = {};
  EXPECT_EQ(dc.Polyline(pts, 1), FALSE);
  EXPECT_EQ(dc.Polyline(nullptr, 3), FALSE);
  EXPECT_EQ(dc.Polyline(pts, 2), TRUE);
  for (int n : {1, 3, 5, 6}) EXPECT_EQ(dc.PolyBezier(pts, n), FALSE) << n;
  EXPECT_EQ(dc.PolyBezier(pts, 7), TRUE);
  EXPECT_EQ(dc.GetCalls().size(), 2u);
  EXPECT_EQ(dc.SelectObject(static_cast<CPen*>(nullptr)), nullptr);
}

TEST(CRecordingDC, ModesReturnPreviousValuesAndCaps) {
  CRecordingDC dc(800, 600, 120, 96);
  EXPECT_EQ(dc.SetROP2(R2_XORPEN), R2_COPYPEN);
  EXPECT_EQ(dc.SetROP2(99), 0);
  EXPECT_EQ(dc.SetROP2(R2_COPYPEN), R2_XORPEN);
  EXPECT_EQ(dc.SetBkMode(TRANSPARENT), OPAQUE);
  EXPECT_EQ(dc.SetBkColor(RGB(1, 2, 3)), RGB(255, 255, 255));
  EXPECT_EQ(dc.GetBkColor(), RGB(1, 2, 3));
  EXPECT_EQ(dc.SetPixel(3, 4, 0x55FF3C), 0x55FF3Cu);
  EXPECT_EQ(dc.GetCalls().back().pixelColor, 0x55FF3Cu);
  EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 800);
  EXPECT_EQ(dc.GetDeviceCaps(VERTRES), 600);
  EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 120);
  EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 96);
}

TEST(CRect, LayoutArithmetic) {
  CRect r(10, 20, 30, 60);
  EXPECT_EQ(r.Width(), 20);
  EXPECT_EQ(r.Height(), 40);
  EXPECT_EQ(r.CenterPoint(), CPoint(20, 40));
  EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
  EXPECT_FALSE(r.PtInRect(CPoint(30, 20)));  // right edge is outside
  r.InflateRect(2, 3);
  EXPECT_EQ(r, CRect(8, 17, 32, 63));
  r.OffsetRect(-8, -17);
  EXPECT_EQ(r.TopLeft(), CPoint(0, 0));
  CRect x;
  EXPECT_FALSE(x.IntersectRect(CRect(0, 0, 5, 5), CRect(5, 0, 9, 5)));
  EXPECT_TRUE(x.IsRectNull());
  EXPECT_TRUE(x.UnionRect(CRect(0, 0, 5, 5), CRect(3, -1, 9, 2)));
  EXPECT_EQ(x, CRect(0, -1, 9, 5));
  CRect flipped(5, 5, 0, 0);
  EXPECT_TRUE(flipped.IsRectEmpty());
  flipped.NormalizeRect();
  EXPECT_EQ(flipped, CRect(0, 0, 5, 5));
  EXPECT_EQ(CPoint(5, 7) - CPoint(2, 3), CSize(3, 4));
}

TEST(CRecordingDC, TextAndSolidFillsKeepTheirTextColourAndNormalisedRectangle) {
  CRecordingDC dc;
  EXPECT_EQ(dc.SetTextColor(RGB(1, 2, 3)), RGB(0, 0, 0));
  const wchar_t text[] = L"abcdef";
  struct Case {
    int count;
    std::wstring expected;
  } cases[] = {{-1, L"abcdef"}, {3, L"abc"}, {0, L""}};
  for (const Case& c : cases) {
    dc.ClearCalls();
    ASSERT_TRUE(dc.TextOut(5, 7, text, c.count));
    ASSERT_EQ(dc.GetCalls().size(), 1u);
    const auto& call = dc.GetCalls()[0];
    EXPECT_EQ(call.kind, CRecordingDC::Kind::TextOut);
    EXPECT_EQ(call.text, c.expected);
    EXPECT_EQ(call.points[0], CPoint(5, 7));
    EXPECT_EQ(call.pixelColor, RGB(1, 2, 3));
  }
  dc.ClearCalls();
  EXPECT_FALSE(dc.TextOut(0, 0, nullptr));
  EXPECT_TRUE(dc.GetCalls().empty());
  // A rectangle given corner-swapped is filled as the same area.
  ASSERT_TRUE(dc.FillSolidRect(RECT{30, 40, 10, 20}, RGB(9, 8, 7)));
  ASSERT_EQ(dc.GetCalls().size(), 1u);
  EXPECT_EQ(dc.GetCalls()[0].kind, CRecordingDC::Kind::FillSolidRect);
  EXPECT_EQ(dc.GetCalls()[0].points[0], CPoint(10, 20));
  EXPECT_EQ(dc.GetCalls()[0].points[1], CPoint(30, 40));
  EXPECT_EQ(dc.GetCalls()[0].pixelColor, RGB(9, 8, 7));
}
