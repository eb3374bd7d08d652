#include "platform/vurode/Accessors.h"

#include "platform/vurode/KXGlobal.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>
#include <system_error>

namespace {

struct Registry {
  double curveTol = kDefaultCurveDicTol;
  double curveAng = kDefaultCurveDicAng;
  double surfShowTol = kDefaultSurfShowDiscTol;
  double surfNCTol = kDefaultSurfNCDiscTol;
  double gpPre[3] = {kDefaultGpPre[0], kDefaultGpPre[1], kDefaultGpPre[2]};
  double gpTra[3] = {kDefaultGpTra[0], kDefaultGpTra[1], kDefaultGpTra[2]};
  CKXGlobal* global = nullptr;
  std::unique_ptr<CKXGlobal> ownedGlobal;
  CVurode* vurode = nullptr;
  COpenGLDC* gldc = nullptr;
  CWnd* view = nullptr;
  int animate = 0;
  CGeGrid* grid = nullptr;
  CString appPath;
  bool appPathSet = false;
};

Registry& Reg() {
  static Registry r;
  return r;
}

BOOL SetPositive(double& slot, double v, double upper) {
  if (!std::isfinite(v) || !(v > 0.0) || v > upper) return FALSE;
  slot = v;
  return TRUE;
}

CString ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  const auto folder = ec ? std::filesystem::current_path(ec) : exe.parent_path();
  return CString::FromUtf8(folder.string());
}

}  // namespace

double gGetCurveDicTol() { return Reg().curveTol; }
double gGetCurveDicAng() { return Reg().curveAng; }
double gGetSurfShowDiscTol() { return Reg().surfShowTol; }
double gGetSurfNCDiscTol() { return Reg().surfNCTol; }

BOOL gSetCurveDicTol(double tol) { return SetPositive(Reg().curveTol, tol, HUGE_VAL); }
BOOL gSetCurveDicAng(double ang) { return SetPositive(Reg().curveAng, ang, std::numbers::pi); }
BOOL gSetSurfShowDiscTol(double tol) { return SetPositive(Reg().surfShowTol, tol, HUGE_VAL); }
BOOL gSetSurfNCDiscTol(double tol) { return SetPositive(Reg().surfNCTol, tol, HUGE_VAL); }

namespace {
BOOL SetTriple(double (&slot)[3], const double v[3]) {
  if (!v) return FALSE;
  for (int i = 0; i < 3; ++i)
    if (!std::isfinite(v[i]) || !(v[i] > 0.0)) return FALSE;
  for (int i = 0; i < 3; ++i) slot[i] = v[i];
  return TRUE;
}
}  // namespace

void VLM_Get_gp_pre(double out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = Reg().gpPre[i];
}
void VLM_Get_gp_tra(double out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = Reg().gpTra[i];
}
BOOL VLM_Set_gp_pre(const double v[3]) { return SetTriple(Reg().gpPre, v); }
BOOL VLM_Set_gp_tra(const double v[3]) { return SetTriple(Reg().gpTra, v); }

CKXGlobal* gGetKXGlobal() { return Reg().global; }

CKXGlobal* gNewKXGlobal() {
  Registry& r = Reg();
  r.ownedGlobal = std::make_unique<CKXGlobal>();
  r.global = r.ownedGlobal.get();
  return r.global;
}

void gSetKXGlobal(CKXGlobal* global) { Reg().global = global; }

CVurode* gGetVurode() { return Reg().vurode; }
void gSetVurode(CVurode* vurode) { Reg().vurode = vurode; }
COpenGLDC* gGetOpenGLDC() { return Reg().gldc; }
void gSetOpenGLDC(COpenGLDC* dc) { Reg().gldc = dc; }
CWnd* gGetView() { return Reg().view; }
void gSetView(CWnd* view) { Reg().view = view; }
int gIsAnimateView() { return Reg().animate; }
void gSetAnimateView(int animate) { Reg().animate = animate; }
CGeGrid* gGetRlfGrid() { return Reg().grid; }
void gSetRlfGrid(CGeGrid* grid) { Reg().grid = grid; }

CString gGetApplicationPath() {
  Registry& r = Reg();
  if (!r.appPathSet) {
    r.appPath = ProgramFolder();
    r.appPathSet = true;
  }
  return r.appPath;
}

void gSetApplicationPath(const CString& path) {
  Registry& r = Reg();
  r.appPath = path;
  // Callers add "/name" themselves.
  while (r.appPath.GetLength() > 1 && r.appPath[r.appPath.GetLength() - 1] == L'/')
    r.appPath = r.appPath.Left(r.appPath.GetLength() - 1);
  r.appPathSet = true;
}

void gRestoreVurodeDefaults() {
  Registry& r = Reg();
  r.curveTol = kDefaultCurveDicTol;
  r.curveAng = kDefaultCurveDicAng;
  r.surfShowTol = kDefaultSurfShowDiscTol;
  r.surfNCTol = kDefaultSurfNCDiscTol;
  for (int i = 0; i < 3; ++i) {
    r.gpPre[i] = kDefaultGpPre[i];
    r.gpTra[i] = kDefaultGpTra[i];
  }
  r.global = nullptr;
  r.ownedGlobal.reset();
  r.vurode = nullptr;
  r.gldc = nullptr;
  r.view = nullptr;
  r.animate = 0;
  r.grid = nullptr;
  r.appPathSet = false;
}
