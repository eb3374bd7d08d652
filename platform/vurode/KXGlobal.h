// The program's settings object: pick radius, snap reference and alignment, the document
// version being loaded, chaining tolerance, current layer. More settings join as the program
// needs them.
#pragma once

#include "platform/win/WinTypes.h"

class CKXGlobal {
 public:
  // Version number of the documents this program writes.
  static constexpr int kCurrentDocVersion = 5;

  CKXGlobal();
  virtual ~CKXGlobal();

  // Pick radius in pixels, as the operator sets it (at least 1).
  int GetPickRad() const { return m_pickRad; }
  void SetPickRad(int pixels);
  // The pick radius in world units through the current view's scale (gGetVurode); without a
  // view, one pixel counts as one world unit.
  double GetWorldPickRad() const;

  // Version of the document being loaded; the current version otherwise.
  int GetDocVersion() const { return m_docVersion; }
  void SetDocVersion(int version) { m_docVersion = version; }

  // Reference point from which perpendicular and tangent snaps are measured.
  BOOL IsSnapRefPointSet() const { return m_hasRefPoint; }
  void GetSnapRefPoint(double p[2]) const;
  void SetSnapRefPoint(const double p[2]);
  void ClearSnapRefPoint() { m_hasRefPoint = FALSE; }
  // Offer mid points and ellipse quadrant points by alignment with the cursor.
  BOOL IsSnapAlign() const { return m_snapAlign; }
  void SetSnapAlign(BOOL on) { m_snapAlign = on ? TRUE : FALSE; }

  // Gap below which 3D curve ends count as joined when chaining.
  float GetChainTol() const { return m_chainTol; }
  void SetChainTol(float tol);

  int GetCurrentLayerID() const { return m_layerId; }
  void SetCurrentLayerID(int id) { m_layerId = id; }

 private:
  int m_pickRad;
  int m_docVersion;
  BOOL m_hasRefPoint;
  double m_refPoint[2];
  BOOL m_snapAlign;
  float m_chainTol;
  int m_layerId;
};
