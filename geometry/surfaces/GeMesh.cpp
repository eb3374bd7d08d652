#include "geometry/surfaces/GeMesh.h"

#include <GL/gl.h>

#include <algorithm>
#include <bit>
#include <cmath>

#include "geometry/shapes2d/PickRay.h"
#include "platform/vurode/Vurode.h"

IMPLEMENT_SERIAL(CGeMesh, CObject, GE_SCHEMA_3D)

CGeMesh::CGeMesh() = default;

CGeMesh::~CGeMesh() = default;

int CGeMesh::GetType() const { return GE_TYPE_MESH; }

CGeMesh* CGeMesh::Copy() {
  auto* mesh = new CGeMesh;
  mesh->CopyFromMesh(this);
  return mesh;
}

namespace {

// The source may be the destination itself: its first n elements survive the resize.
template <class T>
void AppendArray(std::vector<T>& to, const std::vector<T>& from) {
  const size_t n = from.size(), old = to.size();
  to.resize(old + n);
  std::copy_n(from.data(), n, to.data() + old);
}

}  // namespace

void CGeMesh::CopyFromMesh(CGeMesh* src) {
  if (!src) return;
  AppendArray(vertices, src->vertices);
  AppendArray(uvs, src->uvs);
  AppendArray(edges, src->edges);
  AppendArray(faces, src->faces);
  AppendArray(normals, src->normals);
  CopyFromSurf(src);
}

// Archive record after the surface part: vertex, face and pair counts, then the faces, the
// pairs and the vertices, floats as their 32-bit patterns.
void CGeMesh::Serialize(CArchive& ar) {
  CGeSurf::Serialize(ar);
  if (ar.IsStoring()) {
    // Pairs that do not match the vertices one to one cannot be read back; leave them out.
    const bool withPairs = uvs.size() == vertices.size();
    ar << static_cast<uint32_t>(vertices.size()) << static_cast<uint32_t>(faces.size())
       << static_cast<uint32_t>(withPairs ? uvs.size() : 0);
    for (const Face& f : faces) ar << f.v[0] << f.v[1] << f.v[2];
    if (withPairs)
      for (const UVPair& p : uvs) ar << std::bit_cast<uint32_t>(p.u) << std::bit_cast<uint32_t>(p.v);
    for (const CPoint3d& p : vertices)
      ar << std::bit_cast<uint32_t>(p.x) << std::bit_cast<uint32_t>(p.y) << std::bit_cast<uint32_t>(p.z);
    return;
  }

  uint32_t nv = 0, nf = 0, np = 0;
  ar >> nv >> nf >> np;
  if (np != 0 && np != nv) AfxThrowArchiveException(CArchiveException::badIndex);
  ar.CheckCount(12ull * nf + 8ull * np + 12ull * nv);
  // Faces may only name vertices the mesh will have once this record is in.
  const uint64_t vertexLimit = vertices.size() + uint64_t{nv};
  const size_t oldFaces = faces.size(), oldPairs = uvs.size(), oldVertices = vertices.size();
  try {
    faces.reserve(oldFaces + nf);
    for (uint32_t i = 0; i < nf; ++i) {
      Face f;
      ar >> f.v[0] >> f.v[1] >> f.v[2];
      for (int32_t idx : f.v)
        if (idx < 0 || static_cast<uint64_t>(idx) >= vertexLimit)
          AfxThrowArchiveException(CArchiveException::badIndex);
      faces.push_back(f);
    }
    uvs.reserve(oldPairs + np);
    for (uint32_t i = 0; i < np; ++i) {
      uint32_t u, v;
      ar >> u >> v;
      ar.CheckFinite(std::bit_cast<float>(u), std::bit_cast<float>(v));
      uvs.push_back({std::bit_cast<float>(u), std::bit_cast<float>(v)});
    }
    vertices.reserve(oldVertices + nv);
    for (uint32_t i = 0; i < nv; ++i) {
      uint32_t x, y, z;
      ar >> x >> y >> z;
      ar.CheckFinite(std::bit_cast<float>(x), std::bit_cast<float>(y), std::bit_cast<float>(z));
      vertices.emplace_back(std::bit_cast<float>(x), std::bit_cast<float>(y), std::bit_cast<float>(z));
    }
  } catch (...) {
    // A half-read record must not leave faces naming vertices that never came.
    faces.resize(oldFaces);
    uvs.resize(oldPairs);
    vertices.resize(oldVertices);
    throw;
  }
}

void CGeMesh::CalcBox() {
  if (vertices.empty()) return;
  const CPoint3d& p0 = vertices.front();
  double lo[3] = {p0.x, p0.y, p0.z}, hi[3] = {p0.x, p0.y, p0.z};
  for (const CPoint3d& p : vertices) {
    const double c[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k) {
      if (c[k] < lo[k]) lo[k] = c[k];
      if (c[k] > hi[k]) hi[k] = c[k];
    }
  }
  for (int k = 0; k < 3; ++k) {
    m_box.min[k] = lo[k];
    m_box.max[k] = hi[k];
  }
}

// ---- transforms: widen to double, transform, round back to float ----

template <class F>
void CGeMesh::MapVertices(F&& f) {
  for (CPoint3d& p : vertices) {
    double a[3] = {p.x, p.y, p.z};
    f(a);
    p = CPoint3d(static_cast<float>(a[0]), static_cast<float>(a[1]), static_cast<float>(a[2]));
  }
}

template <class F>
void CGeMesh::MapVectors(std::vector<CVector3d>& vs, F&& f) {
  for (CVector3d& n : vs) {
    double a[3] = {n.x, n.y, n.z};
    f(a);
    n = CVector3d(static_cast<float>(a[0]), static_cast<float>(a[1]), static_cast<float>(a[2]));
  }
}

void CGeMesh::Translate(const double v[2]) {
  const float dx = static_cast<float>(v[0]), dy = static_cast<float>(v[1]);
  for (CPoint3d& p : vertices) {
    p.x += dx;
    p.y += dy;
  }
  CGeSurf::Translate(v);
}

void CGeMesh::Translate3D(const double v[3]) {
  const float d[3] = {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
  for (CPoint3d& p : vertices) {
    p.x += d[0];
    p.y += d[1];
    p.z += d[2];
  }
  CGeSurf::Translate3D(v);
}

void CGeMesh::Rotate(const double c[2], double angle) {
  if (vertices.empty()) return;
  const double cs = std::cos(angle), sn = std::sin(angle);
  MapVertices([&](double* p) { P2D_Rot(c, cs, sn, p, p); });
  MapVectors(normals, [&](double* n) { V2D_Rot(n, angle); });
  CGeSurf::Rotate(c, angle);
}

void CGeMesh::Rotate3D(const double p[3], const double axis[3], double angle) {
  if (vertices.empty()) return;
  MapVertices([&](double* a) { P3D_RotatePnt(axis, p, angle, a, a); });
  MapVectors(normals, [&](double* n) { V3D_Rotate(n, axis, angle); });
  CGeSurf::Rotate3D(p, axis, angle);
}

void CGeMesh::Mirror(const double p[2], const double q[2]) {
  if (vertices.empty()) return;
  MapVertices([&](double* a) { P2D_Mirr(p, q, a, a); });
  // A direction reflects as the difference of two mirrored points.
  const double origin[2] = {0.0, 0.0};
  double o[2];
  P2D_Mirr(p, q, origin, o);
  MapVectors(normals, [&](double* n) {
    P2D_Mirr(p, q, n, n);
    n[0] -= o[0];
    n[1] -= o[1];
  });
  CGeSurf::Mirror(p, q);
}

CGeShape3d* CGeMesh::Shift(const double p[2], const double q[2]) {
  if (vertices.empty()) return this;
  MapVertices([&](double* a) { P2D_Shift(p, a, q, a); });
  CGeSurf::Shift(p, q);
  return this;
}

CGeShape3d* CGeMesh::Scale(const double base[2], const double f[2]) {
  if (vertices.empty()) return this;
  MapVertices([&](double* a) {
    for (int k = 0; k < 2; ++k) a[k] = base[k] + f[k] * (a[k] - base[k]);
  });
  CGeSurf::Scale(base, f);
  return this;
}

CGeShape3d* CGeMesh::Scale3D(const double base[3], const double f[3]) {
  if (vertices.empty()) return this;
  MapVertices([&](double* a) {
    for (int k = 0; k < 3; ++k) a[k] = base[k] + f[k] * (a[k] - base[k]);
  });
  CGeSurf::Scale3D(base, f);
  return this;
}

void CGeMesh::Mirror3D(const double p[3], const double q[3]) {
  if (vertices.empty()) return;
  MapVertices([&](double* a) { P3D_Mirror(p, q, a, a); });
  const double origin[3] = {0.0, 0.0, 0.0};
  double o[3];
  P3D_Mirror(p, q, origin, o);
  MapVectors(normals, [&](double* n) {
    P3D_Mirror(p, q, n, n);
    for (int k = 0; k < 3; ++k) n[k] -= o[k];
  });
  CGeSurf::Mirror3D(p, q);
}

void CGeMesh::Transform(const double m[4][4]) {
  if (vertices.empty()) return;
  MapVertices([&](double* a) {
    double out[3];
    MAT44_MultPt(m, a, out);
    for (int k = 0; k < 3; ++k) a[k] = out[k];
  });
  CGeSurf::Transform(m);
}

void CGeMesh::ApplyFrame(const _rect_fm3d* frame, FramePointFn point, FramePointFn vector) {
  auto through = [frame](FramePointFn fn) {
    return [frame, fn](double* a) {
      double out[3];
      fn(frame, a, out);
      for (int k = 0; k < 3; ++k) a[k] = out[k];
    };
  };
  MapVertices(through(point));
  MapVectors(normals, through(vector));
  MapVectors(facenormals, through(vector));
}

void CGeMesh::Transform(const _rect_fm3d* frame) {
  if (vertices.empty()) return;
  ApplyFrame(frame, RF_TransWorldP3D, RF_TransWorldV3D);
  CGeSurf::Transform(frame);
}

void CGeMesh::TransformLocal(const _rect_fm3d* frame) {
  if (vertices.empty()) return;
  ApplyFrame(frame, RF_TransLocalP3D, RF_TransLocalV3D);
  CGeSurf::TransformLocal(frame);
}

// ---- drawing ----

void CGeMesh::Draw(CDC* pDC) {
  if (faces.empty() || !pDC) return;
  CVurode* view = gGetVurode();
  if (!view) return;
  if (view->IsView2D()) {
    _tagBox2D mine, shown;
    GetBox2D(&mine);
    view->GetViewBox(&shown);
    if (!BOX2D_IsInt(&shown, &mine, 0.01)) return;
  }
  CGeSurf::Draw(pDC);
}

void CGeMesh::DrawGL(COpenGLDC* pDC, int nMode) {
  if (!pDC || faces.empty()) return;
  CVurode* view = gGetVurode();
  if (!view) return;
  const unsigned showMode = view->GetSrfShowMode();
  if (gIsAnimateView() || nMode == 3 || showMode == CVurode::kSrfIso) {
    CGeSurf::DrawGL(pDC, nMode);
    return;
  }
  if (showMode > CVurode::kSrfIso) return;

  glDisable(GL_COLOR_MATERIAL);
  // Face normals that do not cover every face (left over from before faces were added) would
  // be read past their end; such a mesh is drawn smooth instead.
  if (facenormals.size() != faces.size()) {
    Need_VertexNormals();
    const bool smooth = normals.size() == vertices.size();
    // Client pointers are addresses only while no buffer object is bound.
    if (pDC->IsSupportBufferObject()) {
      pDC->BindBuffer(GL_ARRAY_BUFFER, 0);
      pDC->BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    if (smooth)
      glEnableClientState(GL_NORMAL_ARRAY);
    else
      glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(CPoint3d), vertices.data());
    if (smooth) glNormalPointer(GL_FLOAT, sizeof(CVector3d), normals.data());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * faces.size()), GL_UNSIGNED_INT, faces.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glFinish();
  } else {
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glBegin(GL_TRIANGLES);
    for (size_t i = 0; i < faces.size(); ++i) {
      const CVector3d& n = facenormals[i];
      glNormal3f(n.x, n.y, n.z);
      for (int32_t idx : faces[i].v) {
        const CPoint3d& p = vertices[idx];
        glVertex3f(p.x, p.y, p.z);
      }
    }
    glEnd();
  }
  if (view->GetSrfShowMode() == CVurode::kSrfShadedIso) CGeSurf::DrawGL(pDC, nMode);
}

void CGeMesh::DrawEdge() {
  if (edges.empty()) GenEdgeTopo();
  for (const Edge& e : edges) {
    const CPoint3d& a = vertices[e.v0];
    const CPoint3d& b = vertices[e.v1];
    glBegin(GL_LINES);
    glVertex3f(a.x, a.y, a.z);
    glVertex3f(b.x, b.y, b.z);
    glEnd();
  }
}

// ---- picking ----

int CGeMesh::FacetCalZDepth(const double (*points)[3], const int* idx, const double* w,
                            double* depth, double* u, double* v) {
  if (!points) return 0;
  *depth = *u = *v = 0.0;
  // Pairs count only when every vertex has one.
  const bool withPairs = !uvs.empty() && uvs.size() == vertices.size();
  for (int i = 0; i < 3; ++i) {
    *depth += w[i] * points[idx[i]][2];
    if (withPairs) {
      *u += w[i] * uvs[idx[i]].u;
      *v += w[i] * uvs[idx[i]].v;
    }
  }
  return 1;
}

int CGeMesh::Pick(CPickRay& ray, int filter) {
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  if (ray.m_b2D) return CGeSurf::Pick(ray, filter);
  const size_t n = vertices.size();
  if (n == 0) return 0;
  double dir[3] = {ray.m_vDir[0], ray.m_vDir[1], ray.m_vDir[2]}, ax[3], ay[3];
  // Depths are distances along the ray, so its direction counts as a unit vector.
  if (!V3D_Unit(dir, 1e-12) || !V3D_GetXYFromZ(dir, ax, ay)) return 0;
  auto* pts = static_cast<double(*)[3]>(gAlcMemPool(n * sizeof(double[3])));
  if (!pts) return 0;
  // Every vertex once into the ray's frame: x, y across the ray, z along it.
  for (size_t i = 0; i < n; ++i) {
    const double p[3] = {vertices[i].x, vertices[i].y, vertices[i].z};
    P3D_TransWorldPnt3DByOXYZ(ray.m_ptOrigin, ax, ay, dir, p, pts[i]);
  }
  int hit = 0;
  for (const Face& f : faces) {
    if (static_cast<uint32_t>(f.v[0]) >= n || static_cast<uint32_t>(f.v[1]) >= n ||
        static_cast<uint32_t>(f.v[2]) >= n)
      continue;  // a face naming a missing vertex cannot be hit
    const double* a = pts[f.v[0]];
    const double* b = pts[f.v[1]];
    const double* c = pts[f.v[2]];
    // Cheap rejection: a triangle wholly on one side of the radius band misses the ray.
    const double r = std::max(ray.m_dRadius, 0.0);
    if ((a[0] > r && b[0] > r && c[0] > r) || (a[0] < -r && b[0] < -r && c[0] < -r) ||
        (a[1] > r && b[1] > r && c[1] > r) || (a[1] < -r && b[1] < -r && c[1] < -r))
      continue;
    double w[3];
    if (TRI2_ChkOriInTri2DEx(a, b, c, ray.m_dRadius, w) != 0) continue;
    double depth, u, v;
    FacetCalZDepth(pts, f.v, w, &depth, &u, &v);
    if (depth < ray.m_dDist3D) {
      ray.m_dDist3D = depth;
      ray.m_dParam = u;
      ray.m_dReserved = v;
      hit = 1;
    }
  }
  gFreMemPool();
  return hit;
}
