#include "geometry/shapes2d/GeCurve.h"

#include <algorithm>
#include <cmath>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/ConvertEditor.h"

namespace {

constexpr double kNoValue = 1e12;

double Cross(const double a[2], const double b[2]) { return a[0] * b[1] - a[1] * b[0]; }

}  // namespace

CGeCurve::CGeCurve() : m_pSWPoint(nullptr), m_nSWPoint(0), m_nClosed(0) {}

CGeCurve::CGeCurve(const CGeCurve& other)
    : CGeShape2d(other), m_pSWPoint(nullptr), m_nSWPoint(0), m_nClosed(other.m_nClosed) {
  CopySWPoint(other.m_pSWPoint, other.m_nSWPoint);
}

CGeCurve& CGeCurve::operator=(const CGeCurve& other) {
  if (this != &other) {
    CGeShape2d::operator=(other);
    m_nClosed = other.m_nClosed;
    delete[] m_pSWPoint;
    m_pSWPoint = nullptr;
    m_nSWPoint = 0;
    CopySWPoint(other.m_pSWPoint, other.m_nSWPoint);
  }
  return *this;
}

CGeCurve::~CGeCurve() {
  delete[] m_pSWPoint;
  m_pSWPoint = nullptr;
  m_nSWPoint = 0;
}

void CGeCurve::Serialize(CArchive& ar) {
  CGeShape2d::Serialize(ar);
  if (ar.IsStoring()) {
    ar << static_cast<int32_t>(m_nClosed);
  } else {
    int32_t closed = 0;
    ar >> closed;
    m_nClosed = closed;
  }
}

int CGeCurve::GetType() const { return 0; }

CGeCurve* CGeCurve::Copy() { return nullptr; }

int CGeCurve::GetSnapPos(CSnapAt*, CSnapResult&) { return 0; }

void CGeCurve::AllocSWMem(int n) {
  if (n <= 0) return;
  delete[] m_pSWPoint;
  m_pSWPoint = nullptr;
  m_nSWPoint = 0;
  m_pSWPoint = new double[n][2];
  m_nSWPoint = n;
}

void CGeCurve::CopySWPoint(const double (*pts)[2], int n) {
  if (!pts || n <= 0) return;
  AllocSWMem(n);
  std::copy(&pts[0][0], &pts[0][0] + 2 * n, &m_pSWPoint[0][0]);
}

unsigned CGeCurve::ValidSegment(unsigned seg) {
  const int count = GetSegmentCount();
  const unsigned last = count < 1 ? 1u : static_cast<unsigned>(count);
  if (seg == 0) return 1;
  return seg > last ? last : seg;
}

// ---- boxes ----

void CGeCurve::CalcBox2d() {
  if (!m_pSWPoint || m_nSWPoint <= 0) Discrete(gGetCurveDicTol());
  BOX2D_Init0(&m_box);
  for (int i = 0; i < m_nSWPoint; ++i) {
    const double x = m_pSWPoint[i][0];
    const double y = m_pSWPoint[i][1];
    if (i == 0) {
      m_box.min[0] = m_box.max[0] = x;
      m_box.min[1] = m_box.max[1] = y;
      continue;
    }
    if (x > m_box.max[0]) m_box.max[0] = x;
    if (x < m_box.min[0]) m_box.min[0] = x;
    if (y > m_box.max[1]) m_box.max[1] = y;
    if (y < m_box.min[1]) m_box.min[1] = y;
  }
}

void CGeCurve::GetBox2d(_tagBox2D* box) {
  if (!box) return;
  if (!m_pSWPoint || !IsBoxValid()) CalcBox2d();
  *box = m_box;
}

void CGeCurve::CalcScreenBox(_tagBox2D* box) {
  if (!box) return;
  BOX2D_Init0(box);
  if (!m_pSWPoint || m_nSWPoint <= 0) Discrete(gGetCurveDicTol());
  CVurode* view = gGetVurode();
  if (!view) return;
  for (int i = 0; i < m_nSWPoint; ++i) {
    int sx = 0;
    int sy = 0;
    view->WorldtoScreen3D(m_pSWPoint[i][0], m_pSWPoint[i][1], 0.0, sx, sy);
    const double sp[2] = {static_cast<double>(sx), static_cast<double>(sy)};
    BOX2D_Extend(box, sp);
  }
}

void CGeCurve::GetNodeBox(_tagBox2D* box) {
  if (box) *box = m_box;
}

// ---- base transforms: they act on the buffer only ----

void CGeCurve::Translate(const double v[2]) {
  m_box.min[0] += v[0];
  m_box.min[1] += v[1];
  m_box.max[0] += v[0];
  m_box.max[1] += v[1];
  for (int i = 0; i < m_nSWPoint; ++i) {
    m_pSWPoint[i][0] += v[0];
    m_pSWPoint[i][1] += v[1];
  }
}

void CGeCurve::Rotate(const double c[2], double angle) {
  if (!m_pSWPoint || m_nSWPoint <= 0) return;
  for (int i = 0; i < m_nSWPoint; ++i) P2D_Rot(c, angle, m_pSWPoint[i], m_pSWPoint[i]);
  CalcBox2d();
}

void CGeCurve::Mirror(const double p[2], const double d[2]) {
  if (!m_pSWPoint || m_nSWPoint <= 0) return;
  for (int i = 0; i < m_nSWPoint; ++i) P2D_Mirr(p, d, m_pSWPoint[i], m_pSWPoint[i]);
  CalcBox2d();
}

CGeShape2d* CGeCurve::Scale(const double base[2], const double f[2]) {
  if (!m_pSWPoint || m_nSWPoint <= 0) return nullptr;
  for (int i = 0; i < m_nSWPoint; ++i) {
    m_pSWPoint[i][0] = base[0] + f[0] * (m_pSWPoint[i][0] - base[0]);
    m_pSWPoint[i][1] = base[1] + f[1] * (m_pSWPoint[i][1] - base[1]);
  }
  CalcBox2d();
  return this;
}

CGeShape2d* CGeCurve::Shift(const double p[2], const double q[2]) {
  if (!m_pSWPoint || m_nSWPoint <= 0) return nullptr;
  for (int i = 0; i < m_nSWPoint; ++i) P2D_Shift(p, m_pSWPoint[i], q, m_pSWPoint[i]);
  CalcBox2d();
  return this;
}

void CGeCurve::Transform(const double m[3][3]) {
  if (!m_pSWPoint || m_nSWPoint <= 0) return;
  for (int i = 0; i < m_nSWPoint; ++i) MAT33_MultPt(m, m_pSWPoint[i], m_pSWPoint[i]);
  CalcBox2d();
}

// ---- drawing ----

void CGeCurve::Draw(CDC* pDC, int bWhole) {
  if (!pDC) return;
  if (!m_pSWPoint) Discrete(gGetCurveDicTol());
  CVurode* view = gGetVurode();
  if (!view) return;
  bool contained = false;
  if (IsOutsideView(view, contained)) return;
  if (!m_pSWPoint || m_nSWPoint <= 0) return;
  if (bWhole || contained)
    view->DrawPolyline(m_pSWPoint, m_nSWPoint, pDC);
  else
    view->ClipDrawPolyLine(m_pSWPoint, m_nSWPoint, pDC);
}

bool CGeCurve::IsOutsideView(CVurode* view, bool& contained) {
  contained = false;
  if (!view->IsView2D() || !view->GetCheckBoxFlag()) return false;
  _tagBox2D viewBox;
  view->GetViewBox(&viewBox);
  _tagBox2D box;
  GetBox2d(&box);
  if (!BOX2D_IsInt(&viewBox, &box, 1.0)) return true;
  contained = BOX2D_IsContain(&viewBox, &box, 1.0) != 0;
  return false;
}

void CGeCurve::DrawGL(COpenGLDC*, int) {
  if (!m_pSWPoint) Discrete(gGetCurveDicTol());
  if (!m_pSWPoint || m_nSWPoint < 2) return;
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i < m_nSWPoint; ++i)
    glVertex2f(static_cast<float>(m_pSWPoint[i][0]), static_cast<float>(m_pSWPoint[i][1]));
  glEnd();
}

void CGeCurve::DrawNode(CDC*, int, int) {}

void CGeCurve::DrawEndNodes(CDC* pDC, const double start[2], const double end[2], int bStart,
                            int bEnd) {
  CVurode* view = gGetVurode();
  if (!pDC || !view) return;
  if (bStart) {
    const bool is2D = view->IsView2D() != 0;
    CPen pen(PS_SOLID, is2D ? 1 : 2, is2D ? RGB(0, 125, 0) : RGB(195, 0, 170));
    CPen* old = pDC->SelectObject(&pen);
    const CPoint s = view->WorldtoScreen(start);
    pDC->Ellipse(s.x - 4, s.y - 4, s.x + 4, s.y + 4);
    pDC->SelectObject(old);
  }
  if (bEnd) {
    const CPoint e = view->WorldtoScreen(end);
    pDC->Rectangle(e.x - 3, e.y - 3, e.x + 3, e.y + 3);
  }
}

void CGeCurve::ModifyStartPoint(const double*) {}

void CGeCurve::ModifyEndPoint(const double*) {}

// ---- picking ----

int CGeCurve::Pick(CPickRay& ray, int filter) {
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  if (ray.m_b2D) {
    const double q[2] = {ray.m_ptOrigin[0], ray.m_ptOrigin[1]};
    _tagBox2D box;
    GetBox2d(&box);
    if (!BOX2D_IsPtIn(&box, q, ray.m_dRadius)) return 0;
    double nearPt[2];
    double t = 0.0;
    double dist = kNoValue;
    unsigned seg = 0;
    if (!GetNearestPoint(q, nearPt, t, seg, dist) || !(dist < ray.m_dRadius)) return 0;
    ray.m_dDist2D = std::min(ray.m_dDist2D, dist);
    return 1;
  }
  if (!m_pSWPoint || m_nSWPoint <= 0) return 0;
  double dist = 0.0;
  double param = 0.0;
  int index = 0;
  if (!SP2D_Pick3d(m_pSWPoint, m_nSWPoint, ray.m_ptOrigin, ray.m_vDir, ray.m_dRadius, dist,
                   param, index))
    return 0;
  ray.m_dDist3D = dist;
  ray.m_dParam = param;
  return 1;
}

int CGeCurve::Hit(CPickRay& ray, CGeHitResult& result) {
  if (!(GetType() & ray.m_nTypeMask)) return 0;
  double q[2];
  if (ray.m_b2D) {
    q[0] = ray.m_ptOrigin[0];
    q[1] = ray.m_ptOrigin[1];
    _tagBox2D box;
    GetBox2d(&box);
    if (!BOX2D_IsPtIn(&box, q, ray.m_dRadius)) return 0;
  } else {
    if (!m_pSWPoint || m_nSWPoint < 2) return 0;
    double dist = 0.0;
    double s = 0.0;
    int i = 0;
    if (!SP2D_Pick3d(m_pSWPoint, m_nSWPoint, ray.m_ptOrigin, ray.m_vDir, ray.m_dRadius, dist, s,
                     i))
      return 0;
    // The segment runs from point i-1 to point i; never read outside the buffer.
    if (i < 1 || i >= m_nSWPoint) return 0;
    q[0] = m_pSWPoint[i - 1][0] + s * (m_pSWPoint[i][0] - m_pSWPoint[i - 1][0]);
    q[1] = m_pSWPoint[i - 1][1] + s * (m_pSWPoint[i][1] - m_pSWPoint[i - 1][1]);
  }
  double nearPt[2];
  double t = 0.0;
  double dist = kNoValue;
  unsigned seg = 0;
  if (!GetNearestPoint(q, nearPt, t, seg, dist) || !(ray.m_dRadius > dist)) return 0;
  result.m_pCurve = this;
  result.m_nSeg = static_cast<int>(seg);
  result.m_dT = t;
  result.m_ptHit[0] = nearPt[0];
  result.m_ptHit[1] = nearPt[1];
  return 1;
}

// ---- discretisation ----

void CGeCurve::Discrete(double tol, CPoint2dArray* pts, double ang, bool refine) {
  if (!pts) return;
  for (int i = 0; i < m_nSWPoint; ++i) {
    tagPoint2d p;
    p.x = static_cast<float>(m_pSWPoint[i][0]);
    p.y = static_cast<float>(m_pSWPoint[i][1]);
    pts->Add(p);
  }
  if (refine) RefinePointStr(tol, ang, *pts);
}

void CGeCurve::Discrete(double tol, double ang) {
  CPoint2dArray pts;
  Discrete(tol, &pts, ang, true);
  const int n = static_cast<int>(pts.GetSize());
  if (n <= 1) return;
  AllocSWMem(n);
  for (int i = 0; i < n; ++i) {
    m_pSWPoint[i][0] = pts[i].x;
    m_pSWPoint[i][1] = pts[i].y;
  }
  CalcBox2d();
}

void CGeCurve::Discrete(double) {}

CGeCurve* CGeCurve::DiscreteToPLine(double tol, double ang) {
  CPoint2dArray pts;
  Discrete(tol, &pts, ang, true);
  CGeCurve* curve = geGenCurve(&pts);
  if (curve) curve->CalcBox2d();
  return curve;
}

void CGeCurve::DiscreteToElement(CGeCurve3dList* list) {
  if (!list) return;
  CGeCurveList self;
  self.AddTail(this);
  CConvertEditor::CurveListToCurveList3D(&self, 0.0, *list);
}

int CGeCurve::GetDiscStep(double, double& step) {
  step = 0.1;
  return 1;
}

// ---- evaluation ----

int CGeCurve::GetSegmentCount() { return 1; }

void CGeCurve::GetStartPoint(double p[2]) {
  if (!m_pSWPoint || m_nSWPoint < 1) return;
  p[0] = m_pSWPoint[0][0];
  p[1] = m_pSWPoint[0][1];
}

void CGeCurve::GetEndPoint(double p[2]) {
  if (!m_pSWPoint || m_nSWPoint < 2) return;
  p[0] = m_pSWPoint[m_nSWPoint - 1][0];
  p[1] = m_pSWPoint[m_nSWPoint - 1][1];
}

int CGeCurve::GetStartTan(double v[2]) {
  GetTanVecAt(0.0, v, 1);
  return 1;
}

int CGeCurve::GetEndTan(double v[2]) {
  GetTanVecAt(1.0, v, ValidSegment(static_cast<unsigned>(std::max(GetSegmentCount(), 1))));
  return 1;
}

void CGeCurve::GetPointAt(double, double*, unsigned) {}

int CGeCurve::GetPointEx(double t, double p[2]) {
  GetPointAt(t, p, 1);
  return 1;
}

void CGeCurve::GetTanVecAt(double, double*, unsigned) {}

void CGeCurve::EvPos(double, double*, unsigned) {}

void CGeCurve::Ev1Der(double, double*, double*, unsigned) {}

void CGeCurve::Ev2Der(double, double*, double*, double*, unsigned) {}

int CGeCurve::GetNearestPoint(const double pt[2], double nearPt[2], double& t, unsigned& seg,
                              double& dist) {
  seg = ValidSegment(seg);
  const bool closed = IsClosed(0.01) != 0;
  double cur = t;
  for (int round = 0; round < 32; ++round) {
    double v[2] = {0.0, 0.0};
    GetPointAt(cur, nearPt, seg);
    GetTanVecAt(cur, v, seg);
    const double w[2] = {pt[0] - nearPt[0], pt[1] - nearPt[1]};
    const double d = std::hypot(w[0], w[1]);
    if (d < dist) {
      t = cur;
      dist = d;
    }
    if (d < 0.01) return 1;
    const double e = std::hypot(v[0], v[1]);
    if (e < 1e-6) return 0;
    v[0] /= e;
    v[1] /= e;
    const double h = v[0] * w[0] + v[1] * w[1];
    if (std::fabs(h) < 0.01) return 1;
    double next = cur + h / e;
    if (closed) {
      if (next < 0.0)
        next += 1.0;
      else if (next > 1.0)
        next -= 1.0;
    } else {
      next = std::clamp(next, 0.0, 1.0);
    }
    const double dx = (next - cur) * v[0];
    const double dy = (next - cur) * v[1];
    if (dx * dx + dy * dy < 0.0001) return 1;
    cur = next;
  }
  return 0;
}

void CGeCurve::NearerEnd(const double pt[2], const double start[2], const double end[2],
                         double nearPt[2], double& t, double& dist) {
  const double toStart = std::hypot(pt[0] - start[0], pt[1] - start[1]);
  const double toEnd = std::hypot(pt[0] - end[0], pt[1] - end[1]);
  const double* best = end;  // ties go to the end
  t = 1.0;
  dist = toEnd;
  if (toEnd > toStart) {
    best = start;
    t = 0.0;
    dist = toStart;
  }
  nearPt[0] = best[0];
  nearPt[1] = best[1];
}

int CGeCurve::SolveTangentParam(double& t, int& seg, const double from[2], double touch[2]) {
  const unsigned s = ValidSegment(seg > 0 ? static_cast<unsigned>(seg) : 0u);
  double cur = t;
  for (int round = 0; round < 32; ++round) {
    double p[2], d1[2], d2[2];
    Ev2Der(cur, p, d1, d2, s);
    const double w[2] = {p[0] - from[0], p[1] - from[1]};
    const double c = Cross(w, d1);
    const double fd = 2.0 * c * Cross(w, d2);
    if (std::fabs(fd) < 0.0001) return 0;
    double next = cur - c * c / fd;
    if (next > 1.0)
      next = cur / 2.0;
    else if (next < 0.0)
      next = (cur + 1.0) / 2.0;
    if (std::fabs(next - cur) < 1e-6 || c * c < 1e-6) {
      const bool atEnd = std::fabs(next) < 1e-6 || std::fabs(next - 1.0) < 1e-6;
      if (atEnd && c * c > 1e-6) return 0;
      t = next;
      seg = static_cast<int>(s);
      Ev2Der(next, touch, d1, d2, s);
      return 1;
    }
    cur = next;
  }
  return 0;
}

int CGeCurve::GetTanPt(const double*, double&, int&, double*) { return 0; }

int CGeCurve::EvParam(double, double&, unsigned&) { return 0; }

double CGeCurve::EvArcLength(double, double, unsigned) { return 0.0; }

double CGeCurve::EvTotalArcLength() { return 0.0; }

int CGeCurve::IsLongerThan(double length) { return EvTotalArcLength() > length ? 1 : 0; }

double CGeCurve::EvArea() {
  if (!m_pSWPoint || m_nSWPoint < 2) return 0.0;
  double sum = 0.0;
  for (int i = 0; i < m_nSWPoint; ++i) {
    const double* a = m_pSWPoint[i];
    const double* b = m_pSWPoint[(i + 1) % m_nSWPoint];
    sum += a[0] * b[1] - b[0] * a[1];
  }
  return 0.5 * sum;
}

int CGeCurve::IsClosed(double) { return m_nClosed; }

void CGeCurve::Reverse() {
  if (m_pSWPoint && m_nSWPoint > 1) SP2D_Reverse(m_pSWPoint, m_nSWPoint);
}

CGeCurve* CGeCurve::Offset(double) { return nullptr; }

void CGeCurve::Split(double, CGeCurve**, int, int) {}

void CGeCurve::BiArcAppx(double, CGeCurveList* list) {
  if (!list) return;
  if (CGeCurve* copy = Copy()) list->AddTail(copy);
}

// ---- free functions ----

CGeCurve* CreateCurve(int type) {
  switch (type) {
    case GE_TYPE_LINE:
      return new CGeLine;
    case GE_TYPE_ARC:
      return new CGeArc;
    case GE_TYPE_CIRCLE:
      return new CGeCircle;
    case GE_TYPE_ELLIPSE:
      return new CGeEllipse;
    case GE_TYPE_BEZIER:
      return new CGeBezier;
    case GE_TYPE_POLYLINE:
      return new CGePolyline;
    case GE_TYPE_COMBCURVE:
      return new CGeCombCurve;
    default:
      return nullptr;
  }
}

double geCurveLength(CGeCurve* curve, double t, unsigned seg) {
  if (!curve) return 0.0;
  switch (curve->GetType()) {
    case GE_TYPE_LINE:
    case GE_TYPE_ARC:
    case GE_TYPE_CIRCLE:
    case GE_TYPE_ELLIPSE:
      return curve->EvArcLength(0.0, t, 1);
    case GE_TYPE_BEZIER:
      return static_cast<CGeBezier*>(curve)->EvArcLength(0.0, 1, t, seg);
    case GE_TYPE_POLYLINE:
      return static_cast<CGePolyline*>(curve)->EvArcLength(0.0, 1, t, seg);
    default:
      return 0.0;
  }
}
