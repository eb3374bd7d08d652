// The OpenGL drawing context of the view: the current colour, the light, the camera and the
// capabilities of the GL context it draws into. It does not create the GL context; the view
// (or a test) makes one current and calls InitGL once, then Ready/Finish around each frame.
#pragma once

#include "platform/numora/Records.h"
#include "platform/numora/StrP3D.h"
#include "platform/vurode/Camera.h"
#include "platform/win/WinTypes.h"

#include <GL/gl.h>

#include <vector>

class COpenGLDC {
 public:
  COpenGLDC();
  virtual ~COpenGLDC();
  COpenGLDC(const COpenGLDC&) = delete;
  COpenGLDC& operator=(const COpenGLDC&) = delete;

  // Reads the current context's capabilities and sets the drawing state this context relies
  // on (depth test, one directional light with colour material; lighting itself off). FALSE
  // without a current context.
  BOOL InitGL();
  // Sets the viewport and the camera's screen size.
  void SetScreenSize(int width, int height);
  // Starts a frame: clears to the background colour, loads the camera's projection and view
  // and keeps the matrices for later projections.
  void Ready();
  // Completes the frame's drawing.
  void Finish();

  // TRUE once InitGL found a context with everything the drawing uses (OpenGL 1.5 or later).
  BOOL IsPerfect() const { return m_perfect; }

  GCamera& GetCamera() { return m_camera; }
  const GCamera& GetCamera() const { return m_camera; }
  void SetCamera(const GCamera& camera) { m_camera = camera; }

  // The 3D view stack: Push saves the camera, Pop restores the last saved one (FALSE when
  // empty). At most kMaxViewStack cameras are kept; the oldest go first.
  static constexpr int kMaxViewStack = 64;
  void PushViewPara();
  BOOL PopViewPara();
  BOOL IsViewStackEmpty() const { return m_viewStack.empty(); }
  int GetViewStackSize() const { return static_cast<int>(m_viewStack.size()); }
  // The camera between start (t = 0) and end (t = 1): the line of sight turns on the shortest
  // arc (the roll about it follows evenly), the reference point and the distance to the eye
  // move linearly, the view size changes geometrically. Screen size and depth are end's.
  static GCamera LerpView(const GCamera& start, const GCamera& end, float t);

  // Picking by OpenGL selection: BeginSelection switches to selection mode for a w x h pixel
  // window centred on client point (x, y) with room for bufSize names; the caller then draws
  // with glLoadName naming what it draws; EndSelection returns to drawing and gives the number
  // of hits, with each hit's innermost name in names when given. A buffer that overflowed gives
  // 0 hits; EndSelection without BeginSelection gives 0.
  void BeginSelection(int x, int y, int w = 20, int h = 20, int bufSize = 256);
  int EndSelection(std::vector<GLuint>* names = nullptr);

  COLORREF GetColor() const { return m_color; }
  // Sets the drawing colour (and sends it to GL).
  void SetColor(COLORREF color);
  COLORREF GetBkColor() const { return m_bkColor; }
  void SetBkColor(COLORREF color) { m_bkColor = color; }

  // Directional light shining from (x, y, z) towards the origin, in world coordinates.
  void SetLightDirection(float x, float y, float z);
  void GetLightDirection(float dir[3]) const;

  // One line strip through the points (nothing for fewer than two).
  void DrawPolyline(const double (*pts)[3], int count);
  void DrawPolyline(const tagPoint3d* pts, int count);
  void DrawPolyline(const CStrP3D& str) { DrawPolyline(str.m_pPoints, str.m_nCount); }

  // Matrices and viewport as of the last Ready, in the form gluProject takes them.
  void GetModelViewMatrix(double m[16]) const;
  void GetProjectionMatrix(double m[16]) const;
  void GetViewport(int vp[4]) const;

  // Buffer objects: whether the context has them (OpenGL 1.5 or later), and their entry
  // points. The entry points do nothing when the context has none.
  BOOL IsSupportBufferObject() const { return m_hasBuffers; }
  void GenBuffers(GLsizei n, GLuint* ids);
  void BindBuffer(GLenum target, GLuint id);
  void BufferData(GLenum target, size_t bytes, const void* data, GLenum usage);
  // Replaces `bytes` bytes of the bound buffer from byte `offset` on.
  void BufferSubData(GLenum target, size_t offset, size_t bytes, const void* data);
  void DeleteBuffers(GLsizei n, const GLuint* ids);

 protected:
  GCamera m_camera;
  COLORREF m_color;
  COLORREF m_bkColor;
  float m_light[3];
  double m_modelView[16];
  double m_projection[16];
  int m_viewport[4];
  BOOL m_hasBuffers;
  BOOL m_perfect = FALSE;
  std::vector<GCamera> m_viewStack;
  std::vector<GLuint> m_selectBuffer;
  bool m_selecting = false;

  using PfnGenBuffers = void (*)(GLsizei, GLuint*);
  using PfnBindBuffer = void (*)(GLenum, GLuint);
  using PfnBufferData = void (*)(GLenum, ptrdiff_t, const void*, GLenum);
  using PfnDeleteBuffers = void (*)(GLsizei, const GLuint*);
  using PfnBufferSubData = void (*)(GLenum, ptrdiff_t, ptrdiff_t, const void*);
  PfnGenBuffers m_genBuffers;
  PfnBindBuffer m_bindBuffer;
  PfnBufferData m_bufferData;
  PfnDeleteBuffers m_deleteBuffers;
  PfnBufferSubData m_bufferSubData;
};
