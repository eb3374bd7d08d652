// Planar sections of the smart-loop engine: a line or a circular arc that knows its box, its
// chain neighbours, the section it came from and the parameters at which others cut it.
// Parameters run from 0 to 1 along a section; an arc maps t linearly onto its angle span.
#pragma once

#include <cstdint>

#include "millvane/loops/SmartPoint.h"

// Section flag bits.
enum : uint8_t {
  kSectSplitStart = 0x01,  // begins at a split point
  kSectSplitEnd = 0x02,    // ends at a split point
  kSectConnect = 0x04,     // a link to or from another loop starts here
  kSectChainEnd = 0x08,    // last section of a chain being closed
  kSectFirstCut = 0x10,    // first section of the loop's cut order
  kSectLink = 0x20,        // generated connecting segment
  kSectNotBound = 0x40,    // not on the user's boundary
  kSectBound = 0x80,       // on the user's boundary
};

// {x, y, t}: a point on a section with its parameter.
struct SmartParamPt {
  double x, y, t;
};

class CSmartSect {
 public:
  CSmartSect(uint8_t kind) : kind(kind) {}
  CSmartSect(const CSmartSect&) = delete;
  CSmartSect& operator=(const CSmartSect&) = delete;

  virtual void Reverse() = 0;
  virtual void UpdateBox() = 0;
  virtual int EvPoint(double t, double out[2]) const = 0;
  virtual int EvNormal(double t, double out[2]) const = 0;
  virtual int EvTangent(double t, double out[2]) const = 0;
  virtual double ParamOf(const double p[2]) const = 0;
  virtual int IsParamOnSpan(const double p[2]) const;
  virtual int IsLeftSide(const double p[2]) const;
  virtual int SetEndAt(int which, const double p[2], int updateBox) = 0;
  virtual double NearestPoint(const double p[2], double out[2]) const = 0;
  virtual void Rotate(double cosA, double sinA) = 0;
  virtual CSmartSect* Offset(double d) const = 0;
  virtual CSmartSect* SubSect(const SmartParamPt& from, const SmartParamPt& to) const = 0;
  virtual CSmartSect* Clone() const = 0;
  virtual double Length() const = 0;
  virtual ~CSmartSect();

  bool IsLine() const { return kind == 1; }
  bool IsArc() const { return kind == 2; }
  void StartPoint(double out[2]) const { EvPoint(0.0, out); }
  void EndPoint(double out[2]) const { EvPoint(1.0, out); }
  // Stores a cut point (x, y, t) in the sorted list, creating it on first use; 0 when refused.
  int AddCutPoint(double x, double y, double t);
  void ClearCutPoints();
  int CutCount() const { return cutPoints ? cutPoints->count : 0; }

  uint8_t kind;
  int32_t tag = 0;
  double box[4] = {0, 0, 0, 0};  // min x, min y, max x, max y
  CSmartSect* next = nullptr;
  CSmartSect* prev = nullptr;
  CSmartSect* offsetCopy = nullptr;
  CSmartSect* origin = nullptr;
  CSmartPointList* cutPoints = nullptr;
  int32_t group = 0;
  uint8_t flags = 0;
};

class CSmartLine : public CSmartSect {
 public:
  CSmartLine(const double start[2], const double end[2]);

  void Reverse() override;
  void UpdateBox() override;
  int EvPoint(double t, double out[2]) const override;
  int EvNormal(double t, double out[2]) const override;
  int EvTangent(double t, double out[2]) const override;
  double ParamOf(const double p[2]) const override;
  int SetEndAt(int which, const double p[2], int updateBox) override;
  double NearestPoint(const double p[2], double out[2]) const override;
  void Rotate(double cosA, double sinA) override;
  CSmartSect* Offset(double d) const override;
  CSmartSect* SubSect(const SmartParamPt& from, const SmartParamPt& to) const override;
  CSmartSect* Clone() const override;
  double Length() const override;

  double start[2];
  double end[2];
};

class CSmartArc : public CSmartSect {
 public:
  CSmartArc(const double centre[2], double radius, double startAngle, double endAngle);
  // Clockwise from start to end about the centre; equal points give a full clockwise circle.
  CSmartArc(const double startPt[2], const double centre[2], const double endPt[2]);
  // Clockwise arc of radius r from p1 to p2 (centre on the chord's right; at the midpoint
  // when the chord is not shorter than the diameter).
  static CSmartArc* FromTwoPoints(const double p1[2], const double p2[2], double r);
  // Arc through three points; null for (nearly) collinear points or a radius above 1e6.
  static CSmartArc* FromThreePoints(const double s[2], const double m[2], const double e[2]);

  void Reverse() override;
  void UpdateBox() override;
  int EvPoint(double t, double out[2]) const override;
  int EvNormal(double t, double out[2]) const override;
  int EvTangent(double t, double out[2]) const override;
  double ParamOf(const double p[2]) const override;
  int SetEndAt(int which, const double p[2], int updateBox) override;
  double NearestPoint(const double p[2], double out[2]) const override;
  void Rotate(double cosA, double sinA) override;
  CSmartSect* Offset(double d) const override;
  CSmartSect* SubSect(const SmartParamPt& from, const SmartParamPt& to) const override;
  CSmartSect* Clone() const override;
  double Length() const override;

  bool IsCcw() const { return endAngle > startAngle; }
  double Sweep() const { return endAngle - startAngle; }
  double AngleAt(double t) const { return startAngle + (endAngle - startAngle) * t; }

  double centre[2];
  double radius;
  double startAngle;
  double endAngle;
};

// Planar routines. Results go to out-parameters; the return value is the number of points.
// Segment × segment: 1 crossing, or 2 ends of a collinear overlap.
int acSegSegInt(const double a0[2], const double a1[2], const double b0[2], const double b1[2],
                double out[2][2]);
// Infinite lines through (a0, a1) and (b0, b1).
int acLineLineInt(const double a0[2], const double a1[2], const double b0[2], const double b1[2],
                  double out[2]);
// Infinite line through p and q against a circle.
int acLineCircleInt(double r, const double c[2], const double p[2], const double q[2],
                    double out[2][2]);
int acCircleCircleInt(double r1, double r2, const double c1[2], const double c2[2],
                      double out[2][2]);
// Crossings lying on both sections' spans.
int acSectSectInt(const CSmartSect* a, const CSmartSect* b, double out[2][2]);
// Stores the crossings of a and b as cut points on both (a parameter below -1e-6 is not
// stored); one crossing within 1e-6 of skip (a shared joint) is passed over. The count stored.
int acCutSects(CSmartSect* a, CSmartSect* b, const double* skip);
int acPtInBox(double margin, const double box[4], const double p[2]);
double acDistN(int n, const double* a, const double* b);
// Chord points of an arc (tolerance at least 0.001); writes steps + 1 points (out holds at
// least maxCount), returns the step count, 0 for a radius below 1e-6.
int acArcToPoints(const CSmartArc* arc, double tol, int maxCount, double (*out)[2]);
