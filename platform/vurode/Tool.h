// Cutting tools for drop-cutter queries. Every cutter is one convex solid of revolution: a core
// (a disc, or a cone frustum from a bottom radius up to a top radius) grown by a rounding
// radius. The kinds only choose the core and the rounding; all contact geometry is shared.
// Heights are measured from the tool tip (the lowest point), radii from the axis. A cutter made
// from a dimension that is not a finite number is NaN throughout: GetDia answers NaN, and
// callers refuse such a cutter.
#pragma once

#include "platform/afx/Object.h"
#include "platform/numora/Records.h"

// Tip height answered when the cutter cannot touch the queried feature.
constexpr double kToolNoContact = -1e12;

class CTool : public CObject {
  DECLARE_SERIAL(CTool)

 public:
  CTool();

  // Schema 1: core bottom radius, core top radius, core height, rounding radius (doubles).
  void Serialize(CArchive& ar) override;

  virtual int Type() const;
  // New cutter of the same class, owned by the caller.
  virtual CTool* Copy() const;
  // The cutter grown by allowance a on every side (its tip a lower); a < 0 is taken as 0.
  virtual CTool* GetInflateTool(float a) const;
  virtual float GetDia() const;
  virtual double GetRadInHeight(float h) const;
  // Radius at height dz above the tip, plus the radial allowance.
  virtual double GetRadiusComp(double dz, double allowance) const;
  virtual void SetAidParam();
  // Offset from the contact point to the tip for a unit facet normal n (n[2] >= 0).
  virtual void Eval_FacetCC_OffVec(const double* n, double* out) const;
  // Tip height at (x, y) touching segment a-b / vertex v; kToolNoContact when out of reach.
  virtual double Zval_EdgeCC(const double* a, const double* b, double x, double y) const;
  virtual double Zval_VertCC(const double* v, double x, double y) const;
  // Sideways step between sweep lines for a step value given in percent of the diameter.
  virtual double IntervalDist(double v) const;

  // Height of the cutter's surface above the tip at radial distance d (d within reach).
  double HeightAt(double d) const;
  double MaxRadius() const { return m_top + m_round; }

 protected:
  // Sets the profile and derives the query constants.
  void SetProfile(double bottom, double top, double height, double round);
  void CopyProfile(const CTool& from);

  double m_bottom = 0.0;  // core bottom radius
  double m_top = 0.0;     // core top radius (>= bottom)
  double m_height = 0.0;  // core height (0: a disc)
  double m_round = 0.0;   // rounding radius
  // Derived: slant of the core side (sine and cosine from the vertical).
  double m_sin = 1.0;
  double m_cos = 0.0;
};

// Flat end mill.
class CTCylindrical : public CTool {
  DECLARE_SERIAL(CTCylindrical)

 public:
  CTCylindrical();
  explicit CTCylindrical(double dia);
  int Type() const override;
};

// Conical (V) cutter: tip diameter, half angle from the axis (radians), shank diameter.
class CTConnic : public CTool {
  DECLARE_SERIAL(CTConnic)

 public:
  CTConnic();
  CTConnic(double dia, double tipDia, double halfAngle);
  int Type() const override;
};

// Ball end mill.
class CTBall : public CTool {
  DECLARE_SERIAL(CTBall)

 public:
  CTBall();
  explicit CTBall(double dia);
  int Type() const override;
};

// Bull nose: flat end with rounded corners of the given radius.
class CTBull : public CTool {
  DECLARE_SERIAL(CTBull)

 public:
  CTBull();
  CTBull(double dia, double cornerRadius);
  int Type() const override;
};
