// The triangle mesh: archive layout and hostile records, copying, box, transforms of vertices
// and normals, and picking against a brute-force ray cast.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <limits>
#include <memory>
#include <random>

#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "support/VurodeFixture.h"
#include "SurfTestUtil.h"

using namespace surftest;

namespace {

using MeshTest = VurodeTest;

CGeLine3d* Line(double x0, double y0, double z0, double x1, double y1, double z1) {
  const double a[3] = {x0, y0, z0}, b[3] = {x1, y1, z1};
  return new CGeLine3d(a, b);
}

// One triangle with parameter pairs and odd float values (negative zero, the largest finite
// float, a denormal) that must come back bit for bit.
void FillOddTriangle(CGeMesh& m) {
  m.vertices = {{-0.0f, 1.5f, std::numeric_limits<float>::denorm_min()},
                {std::numeric_limits<float>::lowest(), -2.25f, 3.0f},
                {1e30f, 0.1f, -7.0f}};
  m.faces = {{{2, 0, 1}}};
  m.uvs = {{0.0f, 1.0f}, {0.5f, -0.0f}, {1.0f, 0.25f}};
}

TEST_F(MeshTest, RecordIsSurfacePartThenCountsFacesPairsVertices) {
  CGeMesh m;
  FillOddTriangle(m);
  m.normals.resize(3);  // not stored
  m.facenormals.resize(1);
  m.m_nExtData = 5;
  const double lo[3] = {-1, -2, -3}, hi[3] = {4, 5, 6};
  BOX3D_Init(&m.m_box, lo);
  BOX3D_Extend(&m.m_box, hi);
  std::vector<BYTE> want;
  for (double d : {-1.0, -2.0, -3.0, 4.0, 5.0, 6.0}) Put(want, d);
  Put<int32_t>(want, 5);
  Put<uint16_t>(want, 0);  // U list count
  Put<uint16_t>(want, 0);  // V list count
  for (uint32_t n : {3u, 1u, 3u}) Put(want, n);
  for (int32_t i : {2, 0, 1}) Put(want, i);
  for (const auto& p : m.uvs) Put(want, std::bit_cast<uint32_t>(p.u)), Put(want, std::bit_cast<uint32_t>(p.v));
  for (const auto& p : m.vertices)
    for (float f : {p.x, p.y, p.z}) Put(want, std::bit_cast<uint32_t>(f));
  EXPECT_EQ(Store([&](CArchive& ar) { m.Serialize(ar); }), want);
}

TEST_F(MeshTest, RoundTripIsBitExactAndDropsDerivedTables) {
  CGeMesh m;
  FillOddTriangle(m);
  m.normals.resize(3);
  m.edges.push_back({0, 1, {0, 0}});
  m.m_UIsoCurveList.AddTail(Line(0, 0, 0, 1, 1, 1));
  std::unique_ptr<CObject> ob(RoundTrip(&m));
  auto* back = dynamic_cast<CGeMesh*>(ob.get());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetType(), 0x40000);
  ASSERT_EQ(back->vertices.size(), 3u);
  ASSERT_EQ(back->faces.size(), 1u);
  ASSERT_EQ(back->uvs.size(), 3u);
  EXPECT_EQ(std::memcmp(back->vertices.data(), m.vertices.data(), 36), 0);
  EXPECT_EQ(std::memcmp(back->uvs.data(), m.uvs.data(), 24), 0);
  EXPECT_EQ(back->faces[0].v[0], 2);
  EXPECT_TRUE(back->normals.empty() && back->edges.empty() && back->facenormals.empty());
  EXPECT_EQ(back->m_UIsoCurveList.GetCount(), 1);
}

// Pairs that do not match the vertices one to one are left out rather than written in a form
// that no load accepts.
TEST_F(MeshTest, MismatchedPairsAreNotStored) {
  CGeMesh m;
  FillOddTriangle(m);
  m.uvs.pop_back();
  std::unique_ptr<CObject> ob(RoundTrip(&m));
  auto* back = static_cast<CGeMesh*>(ob.get());
  EXPECT_TRUE(back->uvs.empty());
  EXPECT_EQ(back->vertices.size(), 3u);
}

// Records whose counts or indices the data cannot back fail with the archive exception before
// anything is allocated for them, and leave the mesh as it was.
TEST_F(MeshTest, HostileRecordsFailCleanly) {
  struct Case {
    const char* name;
    uint32_t nv, nf, np;
    std::vector<int32_t> faces;
    size_t floats;  // payload floats written after the faces
  } cases[] = {
      {"vertex count beyond the data", 0xffffffffu, 0, 0, {}, 9},
      {"face count beyond the data", 3, 0x40000000u, 0, {0, 1, 2}, 9},
      {"pair count neither 0 nor nv", 3, 1, 2, {0, 1, 2}, 13},
      {"face index past the vertices", 3, 1, 0, {0, 1, 4}, 9},  // 1 held + 3 read
      {"negative face index", 3, 1, 0, {0, -1, 2}, 9},
      {"truncated vertices", 3, 1, 0, {0, 1, 2}, 8},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const std::vector<BYTE> bytes = Store([&](CArchive& ar) {
      for (int i = 0; i < 6; ++i) ar << 0.0;
      ar << 2;
      ar.WriteCount(0);
      ar.WriteCount(0);
      ar << k.nv << k.nf << k.np;
      for (int32_t i : k.faces) ar << i;
      for (size_t i = 0; i < k.floats; ++i) ar << 1.0f;
    });
    CGeMesh m;
    m.vertices.emplace_back(1.0f, 2.0f, 3.0f);
    EXPECT_THROW(Load(bytes, [&](CArchive& ar) { m.Serialize(ar); }), CArchiveException);
    EXPECT_EQ(m.vertices.size(), 1u);
    EXPECT_TRUE(m.faces.empty() && m.uvs.empty());
  }
}

TEST_F(MeshTest, CopyTakesGeometryVertexNormalsAndEdgesOnly) {
  CGeMesh m;
  FillGrid(m, 3, [](float x, float y) { return x * y; });
  m.uvs.resize(m.vertices.size(), {0.5f, 0.5f});
  m.normals.resize(m.vertices.size(), {0, 0, 1});
  m.facenormals.resize(m.faces.size());
  m.edges.push_back({0, 1, {0, 0}});
  m.tstrips = {3, 0, 1, 4};
  m.neighbors.resize(9);
  m.adjacentfaces.resize(9);
  m.across_edge.resize(8);
  m.m_VIsoCurveList.AddTail(Line(0, 1, 0, 2, 1, 2));
  m.CalcBox();
  std::unique_ptr<CGeMesh> c(m.Copy());
  EXPECT_EQ(c->vertices.size(), 9u);
  EXPECT_EQ(c->faces.size(), 8u);
  EXPECT_EQ(c->numFaces(), 8);
  EXPECT_EQ(c->uvs.size(), 9u);
  EXPECT_EQ(c->normals.size(), 9u);
  EXPECT_EQ(c->edges.size(), 1u);
  EXPECT_TRUE(c->facenormals.empty() && c->tstrips.empty() && c->neighbors.empty() &&
              c->adjacentfaces.empty() && c->across_edge.empty());
  EXPECT_EQ(c->m_VIsoCurveList.GetCount(), 1);
  EXPECT_EQ(c->m_box.max[2], 4.0);
  c->CopyFromMesh(nullptr);
  EXPECT_EQ(c->vertices.size(), 9u);
}

// Copying a mesh into itself doubles what it holds instead of running on over its own output.
TEST_F(MeshTest, CopyIntoItselfEnds) {
  CGeMesh m;
  FillGrid(m, 3, [](float, float) { return 1.0f; });
  m.normals.resize(9, {0, 0, 1});
  m.m_UIsoCurveList.AddTail(Line(0, 0, 0, 1, 0, 0));
  m.CopyFromMesh(&m);
  EXPECT_EQ(m.vertices.size(), 18u);
  EXPECT_EQ(m.faces.size(), 16u);
  EXPECT_EQ(m.normals.size(), 18u);
  EXPECT_EQ(m.vertices[9].z, 1.0f);
  EXPECT_EQ(m.m_UIsoCurveList.GetCount(), 2);
}

TEST_F(MeshTest, BoxComesFromTheVerticesAloneAndStaysWhenEmpty) {
  CGeMesh m;
  const double p[3] = {7, 7, 7};
  BOX3D_Init(&m.m_box, p);
  m.CalcBox();
  EXPECT_EQ(m.m_box.min[0], 7);
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> d(-100, 100);
  double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
  for (int i = 0; i < 500; ++i) {
    CPoint3d q(d(rng), d(rng), d(rng));
    m.vertices.push_back(q);
    const double c[3] = {q.x, q.y, q.z};
    for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], c[k]), hi[k] = std::max(hi[k], c[k]);
  }
  m.m_UIsoCurveList.AddTail(Line(-1000, 0, 0, 1000, 0, 0));  // iso curves do not count
  m.CalcBox();
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(m.m_box.min[k], lo[k]);
    EXPECT_EQ(m.m_box.max[k], hi[k]);
  }
}

// ---- transforms against closed forms ----

using Map = std::function<void(const double*, double*)>;

void Rodrigues(const double* axis, double ang, const double* v, double* out) {
  double k[3] = {axis[0], axis[1], axis[2]};
  const double len = std::sqrt(k[0] * k[0] + k[1] * k[1] + k[2] * k[2]);
  for (double& c : k) c /= len;
  const double kv = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
  const double x[3] = {k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2], k[0] * v[1] - k[1] * v[0]};
  for (int i = 0; i < 3; ++i)
    out[i] = v[i] * std::cos(ang) + x[i] * std::sin(ang) + k[i] * kv * (1 - std::cos(ang));
}

TEST_F(MeshTest, TransformsMoveVerticesAndTheRightNormals) {
  const double c[3] = {1, 2, 3}, axis[3] = {1, 2, 2}, dir[2] = {3, 4}, f[3] = {2, -0.5, 3};
  const double nrm[3] = {0, 0.6, 0.8}, ang = 0.6;
  _rect_fm3d fr;
  RF_Init(&fr);
  // x axis (0, 0.6, 0.8), y axis (1, 0, 0), z axis (0, 0.8, -0.6) at (5, -1, 2)
  const double X[3] = {0, 0.6, 0.8}, Y[3] = {1, 0, 0}, Z[3] = {0, 0.8, -0.6}, O[3] = {5, -1, 2};
  for (int i = 0; i < 3; ++i) fr.xAxis[i] = X[i], fr.yAxis[i] = Y[i], fr.zAxis[i] = Z[i], fr.origin[i] = O[i];
  const double m44[4][4] = {{0, -1, 0, 3}, {2, 0, 0, 1}, {0, 0, 1, -4}, {0, 0, 0, 1}};
  const double u[2] = {0.6, 0.8};  // unit of dir
  auto refl2 = [&](const double* v, double* o) {
    const double t = 2 * (v[0] * u[0] + v[1] * u[1]);
    o[0] = t * u[0] - v[0], o[1] = t * u[1] - v[1], o[2] = v[2];
  };
  auto refl3 = [&](const double* v, double* o) {
    const double t = 2 * (v[0] * nrm[0] + v[1] * nrm[1] + v[2] * nrm[2]);
    for (int i = 0; i < 3; ++i) o[i] = v[i] - t * nrm[i];
  };
  auto toLocal = [&](const double* v, double* o) {
    for (const double* a : {X, Y, Z}) *o++ = v[0] * a[0] + v[1] * a[1] + v[2] * a[2];
  };
  auto toWorld = [&](const double* v, double* o) {
    for (int i = 0; i < 3; ++i) o[i] = v[0] * X[i] + v[1] * Y[i] + v[2] * Z[i];
  };
  struct Case {
    const char* name;
    std::function<void(CGeMesh&)> op;
    Map point;
    Map normal;       // null: vertex normals unchanged
    bool faceNormals;  // face normals follow the normal map
  } cases[] = {
      {"Rotate", [&](CGeMesh& m) { m.Rotate(c, ang); },
       [&](const double* p, double* o) {
         o[0] = c[0] + std::cos(ang) * (p[0] - c[0]) - std::sin(ang) * (p[1] - c[1]);
         o[1] = c[1] + std::sin(ang) * (p[0] - c[0]) + std::cos(ang) * (p[1] - c[1]);
         o[2] = p[2];
       },
       [&](const double* n, double* o) {
         o[0] = std::cos(ang) * n[0] - std::sin(ang) * n[1];
         o[1] = std::sin(ang) * n[0] + std::cos(ang) * n[1];
         o[2] = n[2];
       },
       false},
      {"Rotate3D", [&](CGeMesh& m) { m.Rotate3D(c, axis, ang); },
       [&](const double* p, double* o) {
         const double v[3] = {p[0] - c[0], p[1] - c[1], p[2] - c[2]};
         Rodrigues(axis, ang, v, o);
         for (int i = 0; i < 3; ++i) o[i] += c[i];
       },
       [&](const double* n, double* o) { Rodrigues(axis, ang, n, o); }, false},
      {"Mirror", [&](CGeMesh& m) { m.Mirror(c, dir); },
       [&](const double* p, double* o) {
         const double v[3] = {p[0] - c[0], p[1] - c[1], p[2]};
         refl2(v, o);
         o[0] += c[0], o[1] += c[1];
       },
       refl2, false},
      {"Shift", [&](CGeMesh& m) { EXPECT_EQ(m.Shift(c, f), &m); },
       [&](const double* p, double* o) {
         o[0] = p[0] + f[0] * (p[1] - c[1]), o[1] = p[1] + f[1] * (p[0] - c[0]), o[2] = p[2];
       },
       nullptr, false},
      {"Scale", [&](CGeMesh& m) { EXPECT_EQ(m.Scale(c, f), &m); },
       [&](const double* p, double* o) {
         o[0] = c[0] + f[0] * (p[0] - c[0]), o[1] = c[1] + f[1] * (p[1] - c[1]), o[2] = p[2];
       },
       nullptr, false},
      {"Scale3D", [&](CGeMesh& m) { EXPECT_EQ(m.Scale3D(c, f), &m); },
       [&](const double* p, double* o) {
         for (int i = 0; i < 3; ++i) o[i] = c[i] + f[i] * (p[i] - c[i]);
       },
       nullptr, false},
      {"Mirror3D", [&](CGeMesh& m) { m.Mirror3D(c, nrm); },
       [&](const double* p, double* o) {
         const double v[3] = {p[0] - c[0], p[1] - c[1], p[2] - c[2]};
         refl3(v, o);
         for (int i = 0; i < 3; ++i) o[i] += c[i];
       },
       refl3, false},
      {"TransformMatrix", [&](CGeMesh& m) { m.Transform(m44); },
       [&](const double* p, double* o) {
         for (int i = 0; i < 3; ++i) o[i] = m44[i][0] * p[0] + m44[i][1] * p[1] + m44[i][2] * p[2] + m44[i][3];
       },
       nullptr, false},
      {"TransformFrame", [&](CGeMesh& m) { m.Transform(&fr); },
       [&](const double* p, double* o) {
         const double v[3] = {p[0] - O[0], p[1] - O[1], p[2] - O[2]};
         toLocal(v, o);
       },
       toLocal, true},
      {"TransformLocal", [&](CGeMesh& m) { m.TransformLocal(&fr); },
       [&](const double* p, double* o) {
         toWorld(p, o);
         for (int i = 0; i < 3; ++i) o[i] += O[i];
       },
       toWorld, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    CGeMesh m;
    FillGrid(m, 4, [](float x, float y) { return 0.5f * x - 0.25f * y; });
    for (size_t i = 0; i < m.vertices.size(); ++i)
      m.normals.emplace_back(0.36f, 0.48f, static_cast<float>(i % 2 ? 0.8 : -0.8));
    m.facenormals.assign(m.faces.size(), CVector3d(0.0f, 0.6f, 0.8f));
    std::vector<CPoint3d> v0 = m.vertices;
    std::vector<CVector3d> n0 = m.normals, fn0 = m.facenormals;
    k.op(m);
    auto check = [&](const auto& got, const auto& was, const Map& map, bool moved, const char* what) {
      for (size_t i = 0; i < got.size(); ++i) {
        const double in[3] = {was[i].x, was[i].y, was[i].z};
        double want[3] = {in[0], in[1], in[2]};
        if (moved) map(in, want);
        const double g[3] = {got[i].x, got[i].y, got[i].z};
        for (int j = 0; j < 3; ++j)
          ASSERT_NEAR(g[j], want[j], 1e-5 * (1 + std::fabs(want[j]))) << what << " " << i << "." << j;
      }
    };
    check(m.vertices, v0, k.point, true, "vertex");
    check(m.normals, n0, k.normal, static_cast<bool>(k.normal), "normal");
    check(m.facenormals, fn0, k.normal, k.faceNormals, "face normal");
    // The box follows the new vertices.
    CGeMesh fresh;
    fresh.vertices = m.vertices;
    fresh.CalcBox();
    for (int j = 0; j < 3; ++j) EXPECT_EQ(m.m_box.min[j], fresh.m_box.min[j]);
  }
}

TEST_F(MeshTest, TranslateRoundsTheOffsetToFloatFirst) {
  CGeMesh m;
  m.vertices = {{1.0f, 16777216.0f, 0.0f}};
  const double d[2] = {0.1, 1.0};
  m.Translate(d);
  EXPECT_EQ(m.vertices[0].x, 1.0f + 0.1f);
  EXPECT_EQ(m.vertices[0].y, 16777216.0f + 1.0f);  // float sum: 2^24 + 1 rounds back
  const double d3[3] = {0, 0, 2.5};
  m.Translate3D(d3);
  EXPECT_EQ(m.vertices[0].z, 2.5f);
}

TEST_F(MeshTest, EmptyMeshIgnoresAllButTheTranslations) {
  CGeMesh m;
  m.m_UIsoCurveList.AddTail(Line(0, 0, 0, 2, 0, 0));
  const double lo[3] = {0, 0, 0}, hi[3] = {2, 0, 0};
  BOX3D_Init(&m.m_box, lo);
  BOX3D_Extend(&m.m_box, hi);
  const double c[2] = {0, 0}, f[2] = {5, 5};
  m.Rotate(c, 1.0);
  EXPECT_EQ(m.Scale(c, f), &m);
  double e[3];
  m.m_UIsoCurveList.GetHead()->GetEndPoint(e);
  EXPECT_EQ(e[0], 2);
  EXPECT_EQ(m.m_box.max[0], 2);
  const double d[2] = {3, 4};
  m.Translate(d);
  m.m_UIsoCurveList.GetHead()->GetEndPoint(e);
  EXPECT_EQ(e[0], 5);
  EXPECT_EQ(m.m_box.max[0], 5);
  EXPECT_EQ(m.m_box.min[1], 4);
}

// ---- picking ----

// Nearest intersection parameter of the line o + t d with the triangle, or nothing.
std::optional<double> RayTriangle(const double* o, const double* d, const CPoint3d& A,
                                  const CPoint3d& B, const CPoint3d& C) {
  const double a[3] = {A.x, A.y, A.z}, e1[3] = {B.x - a[0], B.y - a[1], B.z - a[2]},
               e2[3] = {C.x - a[0], C.y - a[1], C.z - a[2]};
  auto cross = [](const double* x, const double* y, double* r) {
    r[0] = x[1] * y[2] - x[2] * y[1], r[1] = x[2] * y[0] - x[0] * y[2], r[2] = x[0] * y[1] - x[1] * y[0];
  };
  auto dot = [](const double* x, const double* y) { return x[0] * y[0] + x[1] * y[1] + x[2] * y[2]; };
  double p[3], q[3];
  cross(d, e2, p);
  const double det = dot(e1, p);
  if (std::fabs(det) < 1e-12) return std::nullopt;
  const double s[3] = {o[0] - a[0], o[1] - a[1], o[2] - a[2]};
  const double uu = dot(s, p) / det;
  cross(s, e1, q);
  const double vv = dot(d, q) / det;
  if (uu < 0 || vv < 0 || uu + vv > 1) return std::nullopt;
  return dot(e2, q) / det;
}

TEST_F(MeshTest, PickFindsTheNearestFaceLikeABruteForceCast) {
  CGeMesh m;
  FillGrid(m, 24, [](float x, float y) { return 4.0f * std::sin(x / 2.5f) * std::cos(y / 3.0f); });
  for (const CPoint3d& p : m.vertices) m.uvs.push_back({p.x, p.y});
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> pos(1, 22), tilt(-0.6, 0.6);
  int hits = 0;
  for (int trial = 0; trial < 200; ++trial) {
    CPickRay ray;
    ray.m_b2D = 0;
    ray.m_dRadius = 0;
    double d[3] = {tilt(rng), tilt(rng), -1};
    V3D_Unit(d, 1e-12);
    const double target[3] = {pos(rng), pos(rng), 0};
    for (int k = 0; k < 3; ++k) ray.m_vDir[k] = d[k], ray.m_ptOrigin[k] = target[k] - 20 * d[k];
    std::optional<double> best;
    for (const auto& f : m.faces)
      if (auto t = RayTriangle(ray.m_ptOrigin, d, m.vertices[f.v[0]], m.vertices[f.v[1]], m.vertices[f.v[2]]))
        if (!best || *t < *best) best = t;
    const int got = m.Pick(ray, 1);
    ASSERT_EQ(got, best ? 1 : 0) << "trial " << trial;
    if (!best) continue;
    ++hits;
    EXPECT_NEAR(ray.m_dDist3D, *best, 1e-6);
    // Parameters were the vertices' x and y: they interpolate to the hit point's.
    EXPECT_NEAR(ray.m_dParam, ray.m_ptOrigin[0] + *best * d[0], 1e-5);
    EXPECT_NEAR(ray.m_dReserved, ray.m_ptOrigin[1] + *best * d[1], 1e-5);
    EXPECT_EQ(m.Pick(ray, 1), 0) << "same ray again: not strictly nearer";
  }
  EXPECT_GT(hits, 150);
  EXPECT_EQ(gGetMemPoolDepth(), 0);
}

TEST_F(MeshTest, PickHonoursMaskRadiusAndMissingPairs) {
  CGeMesh m;
  m.vertices = {{0, 0, 1}, {2, 0, 1}, {0, 2, 1}};
  m.faces = {{{0, 1, 2}}};
  auto ray = [](double x, double r) {
    CPickRay p;
    p.m_b2D = 0;
    p.m_ptOrigin[0] = x, p.m_ptOrigin[1] = 0.5, p.m_ptOrigin[2] = 10;
    p.m_vDir[0] = 0, p.m_vDir[1] = 0, p.m_vDir[2] = -1;
    p.m_dRadius = r;
    p.m_dParam = p.m_dReserved = 7;
    return p;
  };
  CPickRay r = ray(0.5, 0);
  r.m_nTypeMask = GE_TYPE_GRID;
  EXPECT_EQ(m.Pick(r, 1), 0);
  EXPECT_EQ(m.Pick(r, 0), 1);  // unfiltered
  EXPECT_DOUBLE_EQ(r.m_dDist3D, 9);
  EXPECT_EQ(r.m_dParam, 0);  // no pairs: parameters 0
  EXPECT_EQ(r.m_dReserved, 0);
  r = ray(-0.3, 0.1);
  EXPECT_EQ(m.Pick(r, 1), 0);
  r = ray(-0.3, 0.5);  // within the radius of the edge x = 0
  EXPECT_EQ(m.Pick(r, 1), 1);
  m.faces.push_back({{0, 1, 9}});  // a face naming a missing vertex is skipped, not read
  r = ray(0.5, 0);
  EXPECT_EQ(m.Pick(r, 1), 1);
  CGeMesh empty;
  EXPECT_EQ(empty.Pick(r, 1), 0);
  const int idx[3] = {0, 1, 2};
  const double w[3] = {1, 0, 0};
  double dz, uu, vv;
  EXPECT_EQ(m.FacetCalZDepth(nullptr, idx, w, &dz, &uu, &vv), 0);
}

TEST_F(MeshTest, OfTwoFacesAtTheSameDepthTheEarlierWins) {
  CGeMesh m;
  m.vertices = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {0, 0, 0}, {2, 0, 0}, {0, 2, 0}};
  m.uvs = {{1, 1}, {1, 1}, {1, 1}, {5, 5}, {5, 5}, {5, 5}};
  m.faces = {{{0, 1, 2}}, {{3, 4, 5}}};
  for (bool swapped : {false, true}) {
    if (swapped) std::swap(m.faces[0], m.faces[1]);
    CPickRay r;
    r.m_b2D = 0;
    r.m_ptOrigin[0] = 0.5, r.m_ptOrigin[1] = 0.5, r.m_ptOrigin[2] = 3;
    r.m_vDir[0] = 0, r.m_vDir[1] = 0, r.m_vDir[2] = -1;
    r.m_dRadius = 0;
    EXPECT_EQ(m.Pick(r, 1), 1);
    EXPECT_FLOAT_EQ(r.m_dParam, swapped ? 5 : 1);
  }
}

TEST_F(MeshTest, PickInA2DViewAsksTheIsoCurves) {
  CGeMesh m;
  m.vertices = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}};
  m.faces = {{{0, 1, 2}}};
  m.m_VIsoCurveList.AddTail(Line(10, -1, 0, 10, 1, 0));
  CPickRay r;
  r.m_b2D = 1;
  r.m_ptOrigin[0] = 0.5, r.m_ptOrigin[1] = 0.5;
  r.m_dRadius = 0.2;
  EXPECT_EQ(m.Pick(r, 1), 0);  // over the triangle, but 2D picks test the curves
  r.m_ptOrigin[0] = 10.05, r.m_ptOrigin[1] = 0;
  EXPECT_EQ(m.Pick(r, 1), 1);
}

}  // namespace
