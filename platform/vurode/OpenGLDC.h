// The OpenGL drawing context of the view: the current colour, the light, the camera and the
// capabilities of the GL context it draws into. It does not create the GL context; the view
// (or a test) makes one current and calls InitGL once, then Ready/Finish around each frame.
#pragma once

#include "platform/numora/Records.h"
#include "platform/numora/StrP3D.h"
#include "platform/vurode/Camera.h"
#include "platform/win/WinTypes.h"

#include <GL/gl.h>

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

  GCamera& GetCamera() { return m_camera; }
  const GCamera& GetCamera() const { return m_camera; }

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
