// The program's settings object: pick radius, snap reference and alignment, the document
// version being loaded, chaining tolerance, current layer. More settings join as the program
// needs them. Kernels read it from worker threads while the GUI thread changes it: each value is
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

 private:
  std::atomic<int> m_pickRad;
  std::atomic<int> m_docVersion;
  mutable std::mutex m_refLock;  // guards the reference point and its flag together
  BOOL m_hasRefPoint;
  double m_refPoint[2];
  std::atomic<BOOL> m_snapAlign;
  std::atomic<float> m_chainTol;
  std::atomic<int> m_layerId;
};
