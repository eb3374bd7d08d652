// Vertex processing of a mesh (smoothing, inflating, noise) and its sections by the planes
// x = const and y = const.
#include <algorithm>
#include <cmath>

#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/surfaces/GeMesh.h"
#include "platform/numora/Inter3.h"

namespace {

// Mesh noise has a state of its own, so grid noise and other draws do not shift its sequence.
uint32_t g_noiseState = 0;

}  // namespace

void CGeMesh::SeedNoise(uint32_t seed) { g_noiseState = seed; }

float CGeMesh::NoiseRandom() {
  g_noiseState = g_noiseState * 1664525u + 1013904223u;
  return static_cast<float>(static_cast<double>(g_noiseState) * 0x1p-32);
}

void CGeMesh::Umbrella(float step) {
  // Lists built for another vertex count would index past the vertices.
  if (neighbors.size() != vertices.size()) neighbors.clear();
  Need_Neighbors();
  const size_t nv = vertices.size();
  std::vector<CVector3d> d(nv);
  for (size_t i = 0; i < nv; ++i) {
    const std::vector<int32_t>& list = neighbors[i];
    if (list.empty()) continue;
    double s[3] = {0, 0, 0};
    for (int32_t n : list) {
      const CPoint3d& q = vertices[n];
      s[0] += q.x;
      s[1] += q.y;
      s[2] += q.z;
    }
    const double k = static_cast<double>(list.size());
    const CPoint3d& p = vertices[i];
    d[i] = CVector3d(static_cast<float>(s[0] / k - p.x), static_cast<float>(s[1] / k - p.y),
                     static_cast<float>(s[2] / k - p.z));
  }
  for (size_t i = 0; i < nv; ++i) {
    vertices[i].x += step * d[i].x;
    vertices[i].y += step * d[i].y;
    vertices[i].z += step * d[i].z;
  }
}

void CGeMesh::Lmsmooth(int iterations) {
  if (neighbors.size() != vertices.size()) neighbors.clear();
  Need_Neighbors();
  // A shrink step then an inflate step of slightly larger size, so the shape keeps its volume.
  for (int i = 0; i < iterations; ++i) {
    Umbrella(0.33f);
    Umbrella(-0.331f);
  }
  ComputerIsoCurve(5, 5);
}

void CGeMesh::Inflate(float d) {
  normals.clear();
  Need_VertexNormals();
  for (size_t i = 0; i < vertices.size(); ++i) {
    vertices[i].x += d * normals[i].x;
    vertices[i].y += d * normals[i].y;
    vertices[i].z += d * normals[i].z;
  }
  CalcBox();
}

void CGeMesh::Noisify(float amount) {
  Need_VertexNormals();
  if (neighbors.size() != vertices.size()) neighbors.clear();
  Need_Neighbors();
  const size_t nv = vertices.size();
  std::vector<CVector3d> disp(nv);
  for (size_t i = 0; i < nv; ++i) {
    const CPoint3d& p = vertices[i];
    float d[3] = {0, 0, 0};
    for (int32_t n : neighbors[i]) {
      const float e[3] = {vertices[n].x - p.x, vertices[n].y - p.y, vertices[n].z - p.z};
      const float r = NoiseRandom();
      // A neighbour on top of the vertex with no amount would give 0/0: it adds nothing.
      const float den = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]) + amount;
      const float w = den != 0.0f ? amount / den * r : 0.0f;
      for (int k = 0; k < 3; ++k) d[k] += e[k] * w;
    }
    if (!neighbors[i].empty())
      for (float& c : d) c /= static_cast<float>(neighbors[i].size());
    const float r = NoiseRandom();
    const float s = (2.0f * r - 1.0f) * amount;
    disp[i] = CVector3d(d[0] + normals[i].x * s, d[1] + normals[i].y * s, d[2] + normals[i].z * s);
  }
  for (size_t i = 0; i < nv; ++i) {
    vertices[i].x += disp[i].x;
    vertices[i].y += disp[i].y;
    vertices[i].z += disp[i].z;
  }
  ComputerIsoCurve(5, 5);
}

void CGeMesh::ComputerIsoCurve(int nx, int ny) {
  ClearIsoCurve();
  CalcBox();
  _tagBox3D box;
  GetBox(&box);
  const double dx = std::fabs(box.max[0] - box.min[0]) / nx;
  const double dy = std::fabs(box.max[1] - box.min[1]) / ny;
  for (int i = 1; i < nx; ++i) XIsoCurve(static_cast<float>(box.min[0] + i * dx), &m_UIsoCurveList);
  for (int j = 1; j < ny; ++j) YIsoCurve(static_cast<float>(box.min[1] + j * dy), &m_VIsoCurveList);
}

namespace {

// Section by the plane where coordinate axis equals c: at most one segment per face, between
// the two edges that c lies strictly inside of; corners on the plane are no crossings.
void PlaneSection(const CGeMesh& mesh, int axis, float c, CGeCurve3dList* list) {
  if (!list || mesh.vertices.empty() || mesh.faces.empty()) return;
  double origin[3] = {0, 0, 0}, normal[3] = {0, 0, 0};
  origin[axis] = c;
  normal[axis] = 1;
  const double x = c;
  for (const CGeMesh::Face& f : mesh.faces) {
    double p[3][3];
    for (int k = 0; k < 3; ++k) {
      const CPoint3d& v = mesh.vertices[f[k]];
      p[k][0] = v.x;
      p[k][1] = v.y;
      p[k][2] = v.z;
    }
    const double lo = std::min({p[0][axis], p[1][axis], p[2][axis]});
    const double hi = std::max({p[0][axis], p[1][axis], p[2][axis]});
    if (x < lo || x > hi) continue;
    double hit[2][3];
    int found = 0;
    for (int k = 0; k < 3 && found < 2; ++k) {
      const double* a = p[k];
      const double* b = p[(k + 1) % 3];
      if (!(std::min(a[axis], b[axis]) < x && x < std::max(a[axis], b[axis]))) continue;
      if (Inter3_PlnLine(origin, normal, a, b, 1e-6, hit[found]) == 1) ++found;
    }
    if (found == 2) list->AddTail(new CGeLine3d(hit[0], hit[1]));
  }
}

}  // namespace

void CGeMesh::XIsoCurve(float x, CGeCurve3dList* list) { PlaneSection(*this, 0, x, list); }

void CGeMesh::YIsoCurve(float y, CGeCurve3dList* list) { PlaneSection(*this, 1, y, list); }

// Boundary extraction and normal diffusion are not offered; callers get their lists untouched.
void CGeMesh::GenOuterBndEdge(std::vector<SEdge>&) {}

void CGeMesh::GenInerBndEdge(std::vector<SEdge>&) {}

void CGeMesh::Diffuse_normals(float) {}
