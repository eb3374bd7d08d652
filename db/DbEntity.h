// Common base of everything the drawing database stores: state flags (visible, locked,
// selected, system, filled), kind bits, layer id and colour, and the drawing, picking, box and
// transform operations that the program calls on any entity.
#pragma once

#include <cstdint>

#include "platform/afx/Afx.h"
#include "platform/numora/Numora.h"

class CDC;
class COpenGLDC;
class CPickRay;

// Entity types (GetType).
enum : int {
  DB_ENT_CURVE = 2,       // one 2D curve
  DB_ENT_CURVELIST = 3,   // a list of 2D curves
  DB_ENT_IMAGE = 10,      // a raster picture
  DB_ENT_AIDLINE = 11,    // a horizontal or vertical guide line
  DB_ENT_PATHGROUP = 20,  // a toolpath: a group of path units
  DB_ENT_PATHUNIT = 21,   // one continuous cut of a toolpath
  DB_ENT_CURVE3D = 27,    // one 3D curve
};

// Base-type bits (GetBaseType); selection counts test them with a mask (GetSizeOfBType).
enum : int {
  DB_BASE_CURVE = 0x2,      // a single 2D curve
  DB_BASE_CURVELIST = 0x4,  // a list of 2D curves
  DB_BASE_CONVERT = 0x8,    // must be converted to plain curves before measuring
  DB_BASE_PATH = 0x10,      // toolpath
  DB_BASE_CURVE3D = 0x20,   // a 3D curve
  DB_BASE_IMAGE = 0x100,    // a raster picture
  DB_BASE_AIDLINE = 0x200,  // a guide line
};

// Kind bits (GetKind). Entities whose kind meets DB_KIND_FILLABLE can be shown filled.
enum : int {
  DB_KIND_CLOSED = 0x2,  // closed 2D outline(s)
  DB_KIND_FILLABLE = 0x0E,
};

// Drawing modes of Draw, gDrawBox and the selection.
enum : int {
  DB_DRAW_NORMAL = 0,     // the entity's colour
  DB_DRAW_SELECTED = 1,   // dotted, the selection colour (drawn over the entity as it stands)
  DB_DRAW_HIGHLIGHT = 2,  // two pixels wide, the highlight colour
  DB_DRAW_XOR = 3,        // inverts what is below: drawing it twice erases it
  DB_DRAW_PREVIEW = 7,    // the entity's colour over white, and drawing it twice erases it
};

// Colour of the highlight mode.
constexpr uint32_t DB_HIGHLIGHT_COLOR = 0x0000FFu;  // RGB(255, 0, 0)
// Colour of the selected mode; an entity of that colour shows its selection in the highlight
// colour, so that it never draws over itself unseen.
constexpr uint32_t DB_SELECTED_COLOR = 0xFF0000u;  // RGB(0, 0, 255)
inline uint32_t dbSelectedColor(uint32_t entityColor) {
  return entityColor == DB_SELECTED_COLOR ? DB_HIGHLIGHT_COLOR : DB_SELECTED_COLOR;
}

// Schema of the stored entities and the database stream: versionable, schema 1.
constexpr unsigned DB_SCHEMA = 0x80000001u;

class CDbEntity : public CObject {
  DECLARE_DYNAMIC(CDbEntity)

 public:
  // State flags.
  static constexpr int FLAG_VISIBLE = 0x1;
  static constexpr int FLAG_LOCKED = 0x2;
  static constexpr int FLAG_SELECTED = 0x4;
  static constexpr int FLAG_SYSTEM = 0x8;
  static constexpr int FLAG_FILL = 0x10;

  CDbEntity();
  ~CDbEntity() override;

  // Flags (without the selected bit, which is the session's), kind, layer id, colour.
  void Serialize(CArchive& ar) override;

  virtual int GetType() const = 0;
  virtual int GetBaseType() const = 0;
  // A new independent entity with the same content, flags, layer and colour, owned by the
  // caller; null when the content cannot be copied.
  virtual CDbEntity* Copy() const = 0;
  virtual void Draw(CDC* pDC, int nMode);
  virtual void DrawGL(COpenGLDC* pDC, int nMode);
  // Nonzero when the ray hits the entity.
  virtual int Pick(CPickRay& ray);
  // Moves the entity by to - from (x and y).
  virtual void Translate(const double from[2], const double to[2]);
  // Boxes of the content; empty (BOX2D_Init0) for an entity without content.
  virtual void GetBox(_tagBox2D* box);
  virtual void GetBox3D(_tagBox3D* box);

  int IsVisible() const { return (m_nFlag & FLAG_VISIBLE) ? 1 : 0; }
  void SetVisible(int visible) { SetFlag(FLAG_VISIBLE, visible); }
  int IsLocked() const { return (m_nFlag & FLAG_LOCKED) ? 1 : 0; }
  void SetLock(int locked) { SetFlag(FLAG_LOCKED, locked); }
  int IsSelected() const { return (m_nFlag & FLAG_SELECTED) ? 1 : 0; }
  void SetSelected(int selected) { SetFlag(FLAG_SELECTED, selected); }
  int IsSystem() const { return (m_nFlag & FLAG_SYSTEM) ? 1 : 0; }
  void SetSystem(int system) { SetFlag(FLAG_SYSTEM, system); }
  int IsFill() const { return (m_nFlag & FLAG_FILL) ? 1 : 0; }
  void SetFill(int fill) { SetFlag(FLAG_FILL, fill); }

  int GetKind() const { return m_nKind; }
  void SetKind(int kind) { m_nKind = kind; }
  int GetLayerID() const { return m_nLayerID; }
  void SetLayerID(int id) { m_nLayerID = id; }
  uint32_t GetColor() const { return m_crColor; }
  void SetColor(uint32_t color) { m_crColor = color; }

  // Flags (selection cleared), kind, layer and colour of another entity: for Copy.
  void CopyEntityPart(const CDbEntity& from);

 protected:
  CDbEntity(const CDbEntity&) = delete;
  CDbEntity& operator=(const CDbEntity&) = delete;
  void SetFlag(int bit, int on) { m_nFlag = on ? (m_nFlag | bit) : (m_nFlag & ~bit); }

  int32_t m_nFlag;
  int32_t m_nKind;
  int32_t m_nLayerID;
  uint32_t m_crColor;  // COLORREF 0x00BBGGRR
};

using CDbEntityList = CTypedPtrList<CObList, CDbEntity*>;

// Selects the pen and mix mode of a drawing mode into a device context for the lifetime of
// the object and puts the previous ones back afterwards.
class CDbDrawMode {
 public:
  CDbDrawMode(CDC* pDC, int nMode, uint32_t color);
  ~CDbDrawMode();
  CDbDrawMode(const CDbDrawMode&) = delete;
  CDbDrawMode& operator=(const CDbDrawMode&) = delete;

 private:
  CDC* m_pDC;
  CPen m_pen;
  CPen* m_pOldPen = nullptr;
  int m_nOldROP2 = 0;
};

// The same for the OpenGL context: colour and, for the self-erasing modes, a logic operation.
class CDbDrawModeGL {
 public:
  CDbDrawModeGL(COpenGLDC* pDC, int nMode, uint32_t color);
  ~CDbDrawModeGL();
  CDbDrawModeGL(const CDbDrawModeGL&) = delete;
  CDbDrawModeGL& operator=(const CDbDrawModeGL&) = delete;

 private:
  COpenGLDC* m_pDC;
  uint32_t m_oldColor = 0;
  bool m_pushedAttrib = false;  // GL attributes were pushed (logic-op and selected modes)
};

// Deletes every entity of the list and empties it; a null list does nothing.
void dbDelEntList(CDbEntityList* list);

// Outline of a world box in a drawing mode through the view state (nothing without a view, a
// device context or a valid box). In the self-erasing modes a second call erases it.
void gDrawBox(CDC* pDC, int nMode, const _tagBox2D& box, uint32_t color);
