// The program's settings object: pick radius, snap reference and alignment, the document
// version being loaded, chaining tolerance, current layer, units, automatic backup, view and
// start-up switches. Kernels read it from worker threads while the GUI thread changes it: each value is
// atomic, and the snap reference point (two coordinates and a flag) changes under a lock, so a
// reader never sees half of an update.
#pragma once

#include <atomic>
#include <mutex>

#include "platform/win/WinTypes.h"

class CKXGlobal {
 public:
  // Version number of the documents this program writes.
  static constexpr int kCurrentDocVersion = 5;

  CKXGlobal();
  virtual ~CKXGlobal();
  CKXGlobal(const CKXGlobal&) = delete;
  CKXGlobal& operator=(const CKXGlobal&) = delete;

  // Pick radius in pixels, as the operator sets it (at least 1).
  int GetPickRad() const { return m_pickRad.load(); }
  void SetPickRad(int pixels);
  // The pick radius in world units through the current view's scale (gGetVurode); without a
  // view, one pixel counts as one world unit.
  double GetWorldPickRad() const;

  // Version of the document being loaded; the current version otherwise.
  int GetDocVersion() const { return m_docVersion.load(); }
  void SetDocVersion(int version) { m_docVersion.store(version); }

  // Reference point from which perpendicular and tangent snaps are measured.
  BOOL IsSnapRefPointSet() const;
  void GetSnapRefPoint(double p[2]) const;
  void SetSnapRefPoint(const double p[2]);
  void ClearSnapRefPoint();
  // Offer mid points and ellipse quadrant points by alignment with the cursor.
  BOOL IsSnapAlign() const { return m_snapAlign.load(); }
  void SetSnapAlign(BOOL on) { m_snapAlign.store(on ? TRUE : FALSE); }

  // Gap below which 3D curve ends count as joined when chaining.
  float GetChainTol() const { return m_chainTol.load(); }
  void SetChainTol(float tol);

  int GetCurrentLayerID() const { return m_layerId.load(); }
  void SetCurrentLayerID(int id) { m_layerId.store(id); }

  // Units of lengths shown to the operator (drawings are stored in millimetres).
  enum Unit { kUnitMM = 0, kUnitCM = 1, kUnitInch = 2, kUnitFeet = 3, kUnitM = 4 };
  int GetUnit() const { return m_unit.load(); }
  // Values outside 0..4 are refused (FALSE, unit kept).
  BOOL SetUnit(int unit);
  // The unit in force before the operator last changed it.
  int GetUnitBefore() const { return m_unitBefore.load(); }
  void SetUnitBefore(int unit);

  // Automatic backup: on/off and the period in minutes. The period is kept within
  // [1, kMaxAutoSaveMinutes] so that minutes x 60000 ms always fits a timer's 32-bit period.
  static constexpr int kMaxAutoSaveMinutes = 35791;
  BOOL IsAutoSave() const { return m_autoSave.load(); }
  void SetAutoSave(BOOL on) { m_autoSave.store(on ? TRUE : FALSE); }
  int GetAutoSaveMinutes() const { return m_autoSaveMinutes.load(); }
  void SetAutoSaveMinutes(int minutes);
  // The timer period of the automatic backup in milliseconds.
  UINT GetAutoSaveElapse() const { return static_cast<UINT>(m_autoSaveMinutes.load()) * 60000u; }

  // "View smooth transition": view changes animate over a few frames.
  BOOL IsAnimateView() const { return m_animateView.load(); }
  void SetAnimateView(BOOL on) { m_animateView.store(on ? TRUE : FALSE); }
  BOOL IsRulersShown() const { return m_rulers.load(); }
  void SetRulersShown(BOOL on) { m_rulers.store(on ? TRUE : FALSE); }
  // Snap switches, one bit per snap kind (bits 0x1 to 0x800).
  UINT GetSnapFlag() const { return m_snapFlag.load(); }
  void SetSnapFlag(UINT flags) { m_snapFlag.store(flags & 0xFFFu); }
  BOOL IsNavigation() const { return m_navigation.load(); }
  void SetNavigation(BOOL on) { m_navigation.store(on ? TRUE : FALSE); }
  // Set once the main frame finished creating itself; its state is saved at exit only then.
  BOOL IsFrameReady() const { return m_frameReady.load(); }
  void SetFrameReady(BOOL ready) { m_frameReady.store(ready ? TRUE : FALSE); }
  BOOL IsShowTips() const { return m_showTips.load(); }
  void SetShowTips(BOOL on) { m_showTips.store(on ? TRUE : FALSE); }
  BOOL IsShowUnit() const { return m_showUnit.load(); }
  void SetShowUnit(BOOL on) { m_showUnit.store(on ? TRUE : FALSE); }
  // Largest angle, in degrees, at which a centre line still follows a corner.
  UINT GetMAxisAngle() const { return m_mAxisAngle.load(); }
  void SetMAxisAngle(UINT degrees) { m_mAxisAngle.store(degrees); }
  // Where the next horizontal and vertical guide lines go.
  double GetHorGuide() const { return m_horGuide.load(); }
  void SetHorGuide(double y);
  double GetVerGuide() const { return m_verGuide.load(); }
  void SetVerGuide(double x);

  // The values "Default config." restores.
  static BOOL GetDefault_AutoSave() { return FALSE; }
  static int GetDefault_TimeSpan() { return 10; }
  static double GetDefault_Tol() { return 0.01; }
  static double GetDefault_Ang() { return 170.0; }
  static UINT GetDefault_MAxisAngle() { return 30; }
  static int GetDefault_PickRad() { return 5; }

 private:
  std::atomic<int> m_pickRad;
  std::atomic<int> m_docVersion;
  mutable std::mutex m_refLock;  // guards the reference point and its flag together
  BOOL m_hasRefPoint;
  double m_refPoint[2];
  std::atomic<BOOL> m_snapAlign;
  std::atomic<float> m_chainTol;
  std::atomic<int> m_layerId;
  std::atomic<int> m_unit;
  std::atomic<int> m_unitBefore;
  std::atomic<BOOL> m_autoSave;
  std::atomic<int> m_autoSaveMinutes;
  std::atomic<BOOL> m_animateView;
  std::atomic<BOOL> m_rulers;
  std::atomic<UINT> m_snapFlag;
  std::atomic<BOOL> m_navigation;
  std::atomic<BOOL> m_frameReady;
  std::atomic<BOOL> m_showTips;
  std::atomic<BOOL> m_showUnit;
  std::atomic<UINT> m_mAxisAngle;
  std::atomic<double> m_horGuide;
  std::atomic<double> m_verGuide;
};
