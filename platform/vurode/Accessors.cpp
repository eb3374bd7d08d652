#include "platform/vurode/Accessors.h"

#include "platform/vurode/KXGlobal.h"

#include <atomic>
#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>
#include <numbers>
#include <system_error>

namespace {

// Kernels on worker threads read these while the GUI thread sets them. Single values are
// atomics; the triples, the owned settings object and the application path change under
// `lock`, so a reader sees a triple either wholly before or wholly after a setter.
struct Registry {
  std::atomic<double> curveTol{kDefaultCurveDicTol};
  std::atomic<double> curveAng{kDefaultCurveDicAng};
  std::atomic<double> surfShowTol{kDefaultSurfShowDiscTol};
  std::atomic<double> surfNCTol{kDefaultSurfNCDiscTol};
  std::atomic<CKXGlobal*> global{nullptr};
  std::atomic<CVurode*> vurode{nullptr};
  std::atomic<COpenGLDC*> gldc{nullptr};
  std::atomic<CWnd*> view{nullptr};
  std::atomic<int> animate{0};
  std::atomic<CGeGrid*> grid{nullptr};
  std::atomic<COrdvale*> hub{nullptr};
  std::atomic<CDBase*> db{nullptr};
  std::atomic<CFrameWnd*> frame{nullptr};
  std::atomic<DetectProc> detect{nullptr};

  std::mutex lock;
  double gpPre[3] = {kDefaultGpPre[0], kDefaultGpPre[1], kDefaultGpPre[2]};
  double gpTra[3] = {kDefaultGpTra[0], kDefaultGpTra[1], kDefaultGpTra[2]};
  std::unique_ptr<CKXGlobal> ownedGlobal;
  CString appPath;
  bool appPathSet = false;
};

Registry& Reg() {
  static Registry r;
  return r;
}

BOOL SetPositive(std::atomic<double>& slot, double v, double upper) {
  if (!std::isfinite(v) || !(v > 0.0) || v > upper) return FALSE;
  slot.store(v);
  return TRUE;
}

CString ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  const auto folder = ec ? std::filesystem::current_path(ec) : exe.parent_path();
  return CString::FromUtf8(folder.string());
}

}  // namespace

double gGetCurveDicTol() { return Reg().curveTol.load(); }
double gGetCurveDicAng() { return Reg().curveAng.load(); }
double gGetSurfShowDiscTol() { return Reg().surfShowTol.load(); }
double gGetSurfNCDiscTol() { return Reg().surfNCTol.load(); }

BOOL gSetCurveDicTol(double tol) { return SetPositive(Reg().curveTol, tol, HUGE_VAL); }
BOOL gSetCurveDicAng(double ang) { return SetPositive(Reg().curveAng, ang, std::numbers::pi); }
BOOL gSetSurfShowDiscTol(double tol) { return SetPositive(Reg().surfShowTol, tol, HUGE_VAL); }
BOOL gSetSurfNCDiscTol(double tol) { return SetPositive(Reg().surfNCTol, tol, HUGE_VAL); }

namespace {
BOOL SetTriple(double (&slot)[3], const double v[3]) {
  if (!v) return FALSE;
  for (int i = 0; i < 3; ++i)
    if (!std::isfinite(v[i]) || !(v[i] > 0.0)) return FALSE;
  std::lock_guard guard(Reg().lock);
  for (int i = 0; i < 3; ++i) slot[i] = v[i];
  return TRUE;
}

void GetTriple(const double (&slot)[3], double out[3]) {
  std::lock_guard guard(Reg().lock);
  for (int i = 0; i < 3; ++i) out[i] = slot[i];
}
}  // namespace

void VLM_Get_gp_pre(double out[3]) { GetTriple(Reg().gpPre, out); }
void VLM_Get_gp_tra(double out[3]) { GetTriple(Reg().gpTra, out); }
BOOL VLM_Set_gp_pre(const double v[3]) { return SetTriple(Reg().gpPre, v); }
BOOL VLM_Set_gp_tra(const double v[3]) { return SetTriple(Reg().gpTra, v); }

CKXGlobal* gGetKXGlobal() { return Reg().global.load(); }

CKXGlobal* gNewKXGlobal() {
  Registry& r = Reg();
  std::lock_guard guard(r.lock);
  r.ownedGlobal = std::make_unique<CKXGlobal>();
  r.global.store(r.ownedGlobal.get());
  return r.ownedGlobal.get();
}

void gSetKXGlobal(CKXGlobal* global) { Reg().global.store(global); }

CVurode* gGetVurode() { return Reg().vurode.load(); }
void gSetVurode(CVurode* vurode) { Reg().vurode.store(vurode); }
COpenGLDC* gGetOpenGLDC() { return Reg().gldc.load(); }
void gSetOpenGLDC(COpenGLDC* dc) { Reg().gldc.store(dc); }
CWnd* gGetView() { return Reg().view.load(); }
void gSetView(CWnd* view) { Reg().view.store(view); }
int gIsAnimateView() { return Reg().animate.load(); }
void gSetAnimateView(int animate) { Reg().animate.store(animate); }
CGeGrid* gGetRlfGrid() { return Reg().grid.load(); }
void gSetRlfGrid(CGeGrid* grid) { Reg().grid.store(grid); }

COrdvale* gGetOrdvale() { return Reg().hub.load(); }
void gSetOrdvale(COrdvale* hub) { Reg().hub.store(hub); }
CDBase* gGetDBase() { return Reg().db.load(); }
void gSetDBase(CDBase* db) { Reg().db.store(db); }
CFrameWnd* gGetMainFrame() { return Reg().frame.load(); }
void gSetMainFrame(CFrameWnd* frame) { Reg().frame.store(frame); }
void gSetDetectProc(DetectProc proc) { Reg().detect.store(proc); }
DetectProc gGetDetectProc() { return Reg().detect.load(); }
BOOL gIsMouseMoving() { return TRUE; }

CString gGetApplicationPath() {
  Registry& r = Reg();
  std::lock_guard guard(r.lock);
  if (!r.appPathSet) {
    r.appPath = ProgramFolder();
    r.appPathSet = true;
  }
  return r.appPath;
}

void gSetApplicationPath(const CString& path) {
  Registry& r = Reg();
  std::lock_guard guard(r.lock);
  r.appPath = path;
  // Callers add "/name" themselves.
  while (r.appPath.GetLength() > 1 && r.appPath[r.appPath.GetLength() - 1] == L'/')
    r.appPath = r.appPath.Left(r.appPath.GetLength() - 1);
  r.appPathSet = true;
}

void gRestoreVurodeDefaults() {
  Registry& r = Reg();
  r.curveTol.store(kDefaultCurveDicTol);
  r.curveAng.store(kDefaultCurveDicAng);
  r.surfShowTol.store(kDefaultSurfShowDiscTol);
  r.surfNCTol.store(kDefaultSurfNCDiscTol);
  r.global.store(nullptr);
  r.vurode.store(nullptr);
  r.gldc.store(nullptr);
  r.view.store(nullptr);
  r.animate.store(0);
  r.grid.store(nullptr);
  r.hub.store(nullptr);
  r.db.store(nullptr);
  r.frame.store(nullptr);
  r.detect.store(nullptr);
  std::lock_guard guard(r.lock);
  for (int i = 0; i < 3; ++i) {
    r.gpPre[i] = kDefaultGpPre[i];
    r.gpTra[i] = kDefaultGpTra[i];
  }
  r.ownedGlobal.reset();
  r.appPathSet = false;
}
