// Snap request and the ordered list of snap candidates the shapes answer with.
#pragma once

#include <vector>

#include "platform/afx/Afx.h"
#include "platform/numora/Numora.h"
#include "platform/vurode/Vurode.h"

class DBIUnknown;  // drawing-database entity; 2D shapes always pass null

// Snap kinds asked for (CSnapAt::m_nMask) and the labels of the candidates they give.
constexpr int SNAP_END = 0x1;      // "End"
constexpr int SNAP_NEAR = 0x2;     // "Near"
constexpr int SNAP_MID = 0x8;      // "Mid"
constexpr int SNAP_CENTER = 0x10;  // "Center"
constexpr int SNAP_PERP = 0x40;    // "Perp"
constexpr int SNAP_TAN = 0x80;     // "Tan"
constexpr int SNAP_QUAD = 0x100;   // "Quad"

class CSnapAt {
 public:
  CSnapAt();
  virtual ~CSnapAt();

  // 1 when the cursor's screen point lies in the box grown by the aperture.
  int IsInBoxView(const _tagBox2D& box) const;

  // Helpers of the shapes' snap rules: within the snap distance of the cursor (strict), and
  // visible in the view and aligned with the cursor horizontally or vertically.
  bool IsWithin(const double q[2]) const;
  bool IsAligned(const double q[2]) const;
  // Reference point of perpendicular and tangent snaps; false when none is set.
  bool GetRefPoint(double ref[2]) const;
  // The settings' alignment switch for mid points and ellipse quadrant points.
  bool IsMidAlign() const;

  Position m_pos;        // cursor
  int m_nMask;           // SNAP_* kinds asked for
  int m_bAlign;          // also offer aligned end points, centres and quadrant points
  double m_dSnapDist;    // world units
  int m_nAperture;       // pixels
  int m_nReserved;
  CVurode* m_pVurode;
  CKXGlobal* m_pKXGlobal;
};

class CSnapResult {
 public:
  struct Item {
    Position pos;
    CString label;
    DBIUnknown* entity;
  };

  CSnapResult();
  virtual ~CSnapResult();

  int GetSize() const { return static_cast<int>(m_items.size()); }
  const Item& GetAt(int i) const { return m_items[static_cast<size_t>(i)]; }
  const Position& GetPos(int i) const { return GetAt(i).pos; }
  const CString& GetLabel(int i) const { return GetAt(i).label; }
  DBIUnknown* GetEntity(int i) const { return GetAt(i).entity; }

  void PushBack(const Position& pos, const CString& label, DBIUnknown* entity);
  void PushBack(const double pt[2], const CString& label, DBIUnknown* entity);

  void PushBackEnd(const Position& pos, DBIUnknown* entity = nullptr);
  void PushBackPnt(const Position& pos, DBIUnknown* entity = nullptr);
  void PushBackMid(const Position& pos, DBIUnknown* entity = nullptr);
  void PushBackPerp(const Position& pos, DBIUnknown* entity = nullptr);
  void PushBackCen(const Position& pos, DBIUnknown* entity = nullptr);

  void PushBackEnd(const double pt[2], DBIUnknown* entity = nullptr);
  void PushBackNear(const double pt[2], DBIUnknown* entity = nullptr);
  void PushBackPnt(const double pt[2], DBIUnknown* entity = nullptr);
  void PushBackMid(const double pt[2], DBIUnknown* entity = nullptr);
  void PushBackCen(const double pt[2], DBIUnknown* entity = nullptr);
  void PushBackInt(const double pt[2], DBIUnknown* entity = nullptr);
  void PushBackPerp(const double pt[2], DBIUnknown* entity = nullptr);
  void PushBackTan(const double pt[2], DBIUnknown* entity = nullptr);
  void PushBackQuad(const double pt[2], DBIUnknown* entity = nullptr);
  void PushBackGrid(const double pt[2], DBIUnknown* entity = nullptr);

  // Orders the entries by distance to p (stable among equals); a "Near" candidate never
  // stays first while another candidate exists.
  void SortDist(const Position& p);

 private:
  std::vector<Item> m_items;
};
