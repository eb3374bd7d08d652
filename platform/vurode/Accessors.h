// Process-wide settings and the application's shared objects, read by the kernels at each use.
// Every accessor has a setter: the program installs its objects when it creates them, tests
// install what they need, and gRestoreVurodeDefaults puts everything back.
#pragma once

#include "platform/afx/String.h"
#include "platform/win/WinTypes.h"

class CKXGlobal;
class CVurode;
class COpenGLDC;
class CWnd;
class CGeGrid;
class COrdvale;
class CDBase;
class CFrameWnd;

// Defaults of the tolerances.
inline constexpr double kDefaultCurveDicTol = 0.01;
inline constexpr double kDefaultCurveDicAng = 2.9670597283903604;  // 170 degrees
inline constexpr double kDefaultSurfShowDiscTol = 0.05;
inline constexpr double kDefaultSurfNCDiscTol = 0.01;

// Chord tolerance for discretising curves (world units).
double gGetCurveDicTol();
// Angle tolerance for discretising curves: the smallest angle, in radians, that three
// successive points may make (pi: straight).
double gGetCurveDicAng();
// Tolerance for tessellating surfaces for display, and for machining meshes.
double gGetSurfShowDiscTol();
double gGetSurfNCDiscTol();
// The setters refuse values that are not finite and positive (the angle also above pi) and
// then return FALSE, keeping the old value.
BOOL gSetCurveDicTol(double tol);
BOOL gSetCurveDicAng(double ang);
BOOL gSetSurfShowDiscTol(double tol);
BOOL gSetSurfNCDiscTol(double tol);

// Surface-kernel tolerance triples: discretisation (chord, maximum angle in radians, maximum
// step) and surface-surface tracing (three distances, in the order the tracer takes them).
inline constexpr double kDefaultGpPre[3] = {0.001, 0.2, 0.01};
inline constexpr double kDefaultGpTra[3] = {0.0005, 0.1, 0.005};
void VLM_Get_gp_pre(double out[3]);
void VLM_Get_gp_tra(double out[3]);
// Replace the whole triple; refused (FALSE, old triple kept) unless every value is finite and
// positive.
BOOL VLM_Set_gp_pre(const double v[3]);
BOOL VLM_Set_gp_tra(const double v[3]);

// The settings object, or null before the program made one.
CKXGlobal* gGetKXGlobal();
// Makes a settings object owned by this layer (replacing one it made before) and installs it.
CKXGlobal* gNewKXGlobal();
// Installs an object the caller keeps (null removes it).
void gSetKXGlobal(CKXGlobal* global);

// The view state; null means "no view": drawing and screen boxes do nothing.
CVurode* gGetVurode();
void gSetVurode(CVurode* vurode);
// The OpenGL drawing context, or null.
COpenGLDC* gGetOpenGLDC();
void gSetOpenGLDC(COpenGLDC* dc);
// The main view window, or null.
CWnd* gGetView();
void gSetView(CWnd* view);
// Nonzero while the view animates (kernels draw cheaper then).
int gIsAnimateView();
void gSetAnimateView(int animate);
// The relief grid being worked on, or null.
CGeGrid* gGetRlfGrid();
void gSetRlfGrid(CGeGrid* grid);

// The application's shared objects, owned by whoever made them (the program, the command hub,
// the drawing database); this registry only hands them out. Null until installed.
COrdvale* gGetOrdvale();
void gSetOrdvale(COrdvale* hub);
CDBase* gGetDBase();
void gSetDBase(CDBase* db);
CFrameWnd* gGetMainFrame();
void gSetMainFrame(CFrameWnd* frame);

// The view's detect procedure: asked before the view highlights what lies under the cursor;
// nonzero skips the detection. Null means "always detect". gIsMouseMoving is the procedure the
// view commands install while they drag: it always skips.
using DetectProc = BOOL (*)();
void gSetDetectProc(DetectProc proc);
DetectProc gGetDetectProc();
BOOL gIsMouseMoving();

// The application's folder, without a trailing separator (default: the folder of the running
// program).
CString gGetApplicationPath();
void gSetApplicationPath(const CString& path);

// Tolerances back to their defaults, every shared object pointer and the detect procedure to
// null, animation off, the
// application path to the program's folder. The objects are not deleted, except the settings
// object made by gNewKXGlobal.
void gRestoreVurodeDefaults();
