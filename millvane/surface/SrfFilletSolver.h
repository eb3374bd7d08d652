// Constant-radius fillet between two groups of trimmed surfaces: each face is offset by the
// radius, the offsets' intersection curves (the ball-centre spines) are traced, and the arcs
// between the contact points on the two faces are skinned into patches. The chamfer derives
// from it with straight cross-sections.
#pragma once

#include <cstdint>

#include "millvane/kernel/KernelRecords.h"
#include "millvane/kernel/SurfaceIntersect.h"
#include "millvane/surface/SrfTrimAdaptor.h"

// One face taking part, with what the solver derives from it. Heap-allocated, zero-filled.
struct SrfSideNode {
  CGeTrimSurf* face;          // not owned
  int32_t flip;               // offset against the face normal
  int32_t trimmed;            // the trim step produced surfaces for this face
  ENT_Record* surface;        // the face's kernel record, not owned
  CGeTrimLoopList* loops;     // the face's trim loops, not owned
  _tagBox2D uvBox;            // the part of the face that takes part
  _param uRange;
  _param vRange;
  _tagBox3D box;              // grown by the offset distance
  SRF_Offset* offset;         // owned; null when the distance is below 1e-6
  void* cache;                // intersection sample cache, owned
  SrfSideNode* next;
  SrfSideNode* prev;

  // The record that is intersected: the offset, or the face itself without one.
  ENT_Record* Traced() const { return offset ? static_cast<ENT_Record*>(offset) : surface; }
};

class CSrfFilletSolver {
 public:
  CSrfFilletSolver();
  virtual ~CSrfFilletSolver();
  // 1 when both sides have a face and the radius is at least 1e-6.
  virtual int IsReady();

  CSrfFilletSolver(const CSrfFilletSolver&) = delete;
  CSrfFilletSolver& operator=(const CSrfFilletSolver&) = delete;

  // Appends a face to the first (second = false) or the second side; null is ignored.
  void AddFace(CGeTrimSurf* face, int flip, bool second);
  void SetTrim(int first, int second, int mode);
  void SetRadius(double radius) { m_dRadius = radius; }

  // Appends the fillet patches (and, when asked, the trimmed faces) to out. 1 when the run
  // appended surfaces, else 0; what is already in out stays.
  int Fillet(CGeTrimSurfList* out);
  // Frees side nodes, offsets, caches and spines; the solver is empty afterwards.
  void Clear();

  SrfSideNode* FirstSide() const { return m_pFirst; }
  SrfSideNode* SecondSide() const { return m_pSecond; }
  // Spine curves of the last run (kept until Clear).
  SSI_CurveNode* Spines() const { return m_pSpine; }

  // Surface record, loops, boxes and ranges of the node's face, and its offset by d (the sign
  // turned by the flip flag). 0 when the face has no kernel record or ranges.
  static int PrepareSide(SrfSideNode& node, double d);
  // The patch over one spine: arcs (straight = false) or lines between the contact points on
  // A's and B's faces, skinned along the spine. Null with fewer than two sections.
  static CGeTrimSurf* MakePatch(const _intcur* spine, const SrfSideNode& A, const SrfSideNode& B,
                                bool straight);
  // Sets the spine's two flags to tell the trim which side of it to keep on each face.
  static void OrientSpine(_intcur* spine, const SrfSideNode& A, const SrfSideNode& B);

 protected:
  // Everything after the side preparation: tolerances, spines, copies, patches, trim.
  int RunFromSpines(CGeTrimSurfList* out, bool straight);

  SrfSideNode* m_pFirst;
  SrfSideNode* m_pSecond;
  int32_t m_nTrimFirst;
  int32_t m_nTrimSecond;
  int32_t m_nTrimMode;   // handed to the trim adaptor
  double m_dRadius;
  SSI_CurveNode* m_pSpine;

 private:
  int TraceSpines();
  // Node A and node B of a spine: the first node of each side whose traced record is one of
  // the spine's two surfaces.
  void FindNodes(const _intcur* spine, SrfSideNode*& A, SrfSideNode*& B) const;
  int TrimFace(SrfSideNode* node, CGeTrimSurfList* out);
};
