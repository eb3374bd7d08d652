// One triangle mesh prepared for drop-cutter height queries with a given cutter: per-facet
// boxes and cutter offset vectors, per-edge boxes, and two levels of candidate lists. A region
// is chosen for a whole pass; the active lists are narrowed from it for one path segment, and
// heights are taken from the active lists only.
#pragma once

#include <memory>
#include <vector>

#include "platform/numora/Records.h"

class CGeMesh;
class CTool;
struct CNcPoint;

class CNcMesh {
 public:
  struct Facet {
    int v[3];
    _tagBox3D box;  // of the vertices moved by the offset vector
    double off[3];  // contact point to tool tip for the facet's plane
  };
  struct Edge {
    int v[2];
    _tagBox3D box;
  };

  CNcMesh();
  ~CNcMesh();
  CNcMesh(const CNcMesh&) = delete;
  CNcMesh& operator=(const CNcMesh&) = delete;

  // A mesh with a vertex that is not a finite number is refused: nothing of it is kept.
  void Init(CGeMesh* mesh);
  // A cutter whose diameter is not a finite number is refused: no copy is kept.
  void SetTool(CTool* tool);
  // The prepared mesh again: its vertices, facets, edges, boxes and offsets, a copy of its
  // cutter, and candidate lists of its own with nothing marked. Reads only what marking and
  // height queries leave alone, so the mesh may be in use on another thread meanwhile.
  std::unique_ptr<CNcMesh> Copy() const;
  // True after Init refused its mesh, or while the last SetTool refused its cutter. A refused
  // mesh answers no height; leaving it out would drop the cutter through where it should be.
  bool IsRefused() const { return m_badMesh || m_badTool; }
  void CalcBox();
  void RotateZ(double cosA, double sinA);

  void Mark_Box3D(const _tagBox3D& box);
  void Mark_Box2D(const _tagBox2D& box);
  void Mark_SubBox2D(const _tagBox2D& box);
  void Mark_IsoYLine(double y);
  void Mark_XInter(double x0, double x1);
  void Mark_YInter(double y0, double y1);

  // Raises p[2] to the tip height touching the active facets and edges; 1 when it rose. A
  // contact that is not a number makes p[2] NaN, for the caller to see.
  int Get_CC_Height(CTool* tool, double p[3]) const;
  // Active facets only; tags the point 1.
  int Get_CC_Height(CTool* tool, CNcPoint& p) const;
  int ProjectPoint(double x, double y, double& z) const;

  // Height of facet f's own plane at (x, y) by sections; kToolNoContact outside.
  double FacetHeight(int f, double x, double y) const;

  int ActiveFacetCount() const { return m_nActFacet; }
  int ActiveEdgeCount() const { return m_nActEdge; }
  int RegionFacetCount() const { return m_nRegFacet; }
  int RegionEdgeCount() const { return m_nRegEdge; }

  _tagBox3D box;
  CTool* tool = nullptr;
  std::vector<double> vertices;  // x, y, z per vertex
  std::vector<Facet> facets;
  std::vector<Edge> edges;

 private:
  const double* V(int i) const { return &vertices[3 * static_cast<size_t>(i)]; }
  // Region and active candidates are kept apart so that a 3D-box narrowing, which may pick
  // facets outside the region, leaves the region intact.
  std::vector<int> m_regFacet, m_actFacet, m_regEdge, m_actEdge;
  int m_nActFacet = 0, m_nRegFacet = 0, m_nActEdge = 0, m_nRegEdge = 0;

  // Buckets of the region's entries along x or y, so that narrowing a long region to a short
  // interval (a point or a segment of a sweep line) looks at the entries near it only. Built
  // on the first narrowing after the region changes; gives the same entries as a scan.
  struct AxisIndex {
    bool valid = false;
    double lo = 0.0, width = 1.0;
    int buckets = 0;
    std::vector<int> start;  // bucket b holds items[start[b] .. start[b + 1])
    std::vector<int> items;
  };
  template <class T>
  int Narrow(AxisIndex& index, const std::vector<int>& reg, int nReg, std::vector<int>& act,
             const std::vector<T>& items, std::vector<unsigned>& stamp, int axis, double a, double b,
             double widen = 0.01);
  void RegionChanged();
  AxisIndex m_facetIndex[2], m_edgeIndex[2];
  // The same over every entry along y, for the iso-Y region; rebuilt when the boxes change.
  AxisIndex m_allFacetY, m_allEdgeY;
  std::vector<int> m_allFacets, m_allEdges;
  std::vector<unsigned> m_facetStamp, m_edgeStamp;
  unsigned m_stamp = 0;
  bool m_badMesh = false, m_badTool = false;
};
