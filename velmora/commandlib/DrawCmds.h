// The commands that draw new curves by clicking points: line, polyline, rectangle, three-point
// arc and circle. Each follows the pointer with a rubber band, adds every finished curve to the
// drawing as one undoable action and stays for the next curve until Esc (or a right click with
// nothing pending) ends it.
#pragma once

#include "velmora/commandlib/EditCmd.h"

#include <array>
#include <vector>

class CGeCurve;

class CPointsDrawCmd : public CEditCmd {
 public:
  using Point = std::array<double, 2>;
  using CEditCmd::CEditCmd;

  int StartUp(int sub) override;
  int OnLButtonDown(UINT flags, Position& pos) override;
  int OnMouseMove(UINT flags, Position& pos) override;
  // A right click finishes what can be finished (the polyline), else drops what is pending,
  // or ends the command when nothing is.
  int OnRButtonDown(UINT flags, Position& pos) override;
  // Enter finishes an open-ended curve; Esc drops what is pending and ends the command.
  int OnKeyDown(UINT key, UINT repeat, UINT flags) override;
  int OnReturn() override;
  int Cancel() override;

  // Points clicked for the curve under way.
  const std::vector<Point>& Pending() const { return m_pts; }

 protected:
  // Clicks that finish a curve; 0: any number, finished by Enter or a right click.
  virtual int Needed() const = 0;
  // The curve through the points (the cursor appended while previewing); null when the points
  // give none (a click that would give none is refused).
  virtual CGeCurve* Build(const std::vector<Point>& pts) const = 0;
  // What the band shows for the points and the cursor; Build by default.
  virtual CGeCurve* Preview(const std::vector<Point>& pts) const { return Build(pts); }
  // Prompts for the next click.
  virtual void PromptNext();
  // The undo name of the curves added.
  virtual const wchar_t* ActionName() const = 0;

  // Adds the curve of the pending points; drops them either way.
  BOOL Finish();
  void Drop();

  std::vector<Point> m_pts;
};

class CGenLineCmd : public CPointsDrawCmd {
 public:
  CGenLineCmd(int flag, const wchar_t* name) : CPointsDrawCmd(flag, name, 0) {}

 protected:
  int Needed() const override { return 2; }
  CGeCurve* Build(const std::vector<Point>& pts) const override;
  const wchar_t* ActionName() const override { return L"Line"; }
};

// Open polyline: every click adds a vertex; Enter or a right click adds the polyline.
class CGenPLineCmd : public CPointsDrawCmd {
 public:
  CGenPLineCmd(int flag, const wchar_t* name) : CPointsDrawCmd(flag, name, 0) {}

 protected:
  int Needed() const override { return 0; }
  CGeCurve* Build(const std::vector<Point>& pts) const override;
  const wchar_t* ActionName() const override { return L"Polyline"; }
};

// Axis-parallel rectangle from two opposite corners: a closed polyline of five points, first
// corner first, counter-clockwise when the second corner lies up and to the right.
class CGenRectCmd : public CPointsDrawCmd {
 public:
  CGenRectCmd(int flag, const wchar_t* name) : CPointsDrawCmd(flag, name, 0) {}

 protected:
  int Needed() const override { return 2; }
  CGeCurve* Build(const std::vector<Point>& pts) const override;
  const wchar_t* ActionName() const override { return L"Rectangle"; }
};

// Arc through three points: start, a point on the arc, end.
class CGenArcCmd : public CPointsDrawCmd {
 public:
  CGenArcCmd(int flag, const wchar_t* name) : CPointsDrawCmd(flag, name, 0) {}

 protected:
  int Needed() const override { return 3; }
  CGeCurve* Build(const std::vector<Point>& pts) const override;
  // Before the second click the band is the chord.
  CGeCurve* Preview(const std::vector<Point>& pts) const override;
  const wchar_t* ActionName() const override { return L"Arc"; }
};

// Circle from its centre and a point on it (counter-clockwise).
class CGenCircleCmd : public CPointsDrawCmd {
 public:
  CGenCircleCmd(int flag, const wchar_t* name) : CPointsDrawCmd(flag, name, 0) {}

 protected:
  int Needed() const override { return 2; }
  CGeCurve* Build(const std::vector<Point>& pts) const override;
  const wchar_t* ActionName() const override { return L"Circle"; }
};
