// Triangle mesh: single-precision vertices, faces of three vertex indices, optional vertex
// parameters, normals and topology tables built on demand. The toolpath engine and OpenGL read
// the arrays in place, so their order and element layouts are fixed.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/surfaces/GeSurf.h"

template <class T>
class CTGrid;

constexpr unsigned GE_SCHEMA_3D_MESH = 0x80000001u;

// Node of the temporary per-vertex edge lists that GenEdgeTopo builds: the edge's larger vertex,
// the face it came from, a word that is always 3, the caller's mark, the next node.
struct COppPnt {
  int32_t other;
  int32_t* face;
  int32_t word;
  signed char mark;
  COppPnt* next;
};

// A boundary edge by its two vertex indices.
struct SEdge {
  int32_t v0;
  int32_t v1;
};

class CGeMesh : public CGeSurf {
  DECLARE_SERIAL(CGeMesh)

 public:
  // One triangle; the index order is its winding.
  struct Face {
    int32_t v[3];
    int32_t& operator[](int i) { return v[i]; }
    const int32_t& operator[](int i) const { return v[i]; }
    // Position (0..2) of vertex index i in the face, -1 when the face does not use it.
    int indexof(int32_t i) const { return v[0] == i ? 0 : v[1] == i ? 1 : v[2] == i ? 2 : -1; }
  };
  // One undirected edge: smaller and larger vertex index, then two words nothing reads.
  struct Edge {
    int32_t v0;
    int32_t v1;
    int32_t reserved[2];
  };
  // Surface parameters of one vertex.
  struct UVPair {
    float u;
    float v;
  };
  // Encodings of the strip list: each strip as its length then its vertices, or as its
  // vertices then -1.
  enum tstrip_rep { LEN = 0, TERM = 1 };

  CGeMesh();
  ~CGeMesh() override;

  void Serialize(CArchive& ar) override;
  int GetType() const override;
  CGeMesh* Copy() override;
  void CalcBox() override;
  void Translate(const double v[2]) override;
  void Translate3D(const double v[3]) override;
  void Rotate(const double c[2], double angle) override;
  void Rotate3D(const double p[3], const double axis[3], double angle) override;
  void Mirror(const double p[2], const double q[2]) override;
  CGeShape3d* Shift(const double p[2], const double q[2]) override;
  CGeShape3d* Scale(const double base[2], const double f[2]) override;
  CGeShape3d* Scale3D(const double base[3], const double f[3]) override;
  void Mirror3D(const double p[3], const double q[3]) override;
  void Transform(const _rect_fm3d* frame) override;
  void Transform(const double m[4][4]) override;
  void TransformLocal(const _rect_fm3d* frame) override;
  void Draw(CDC* pDC) override;
  void DrawGL(COpenGLDC* pDC, int nMode) override;
  int Pick(CPickRay& ray, int filter) override;

  // Sections by the planes x = const and y = const, appended to the list.
  virtual void XIsoCurve(float x, CGeCurve3dList* list);
  virtual void YIsoCurve(float y, CGeCurve3dList* list);

  // Appends one vertex per grid node (row by row) and two counter-clockwise faces per cell,
  // then vertex normals and the box; face indices count from 0, so the mesh should be empty.
  // 0 for a null grid.
  int Create(CTGrid<float>* grid);

  int numFaces() const { return static_cast<int>(faces.size()); }
  // Appends the source's vertices, parameter pairs, edges, faces and vertex normals, then its
  // box and iso-curve copies. Tables that can be rebuilt on demand are not copied.
  void CopyFromMesh(CGeMesh* src);
  // Draws the edge list as lines, building it first when empty.
  void DrawEdge();
  // Depth along z and (u, v) at the weights w of face idx over the given points (one triple per
  // vertex); u and v stay 0 without parameter pairs. 0 when points is null.
  int FacetCalZDepth(const double (*points)[3], const int* idx, const double* w, double* depth,
                     double* u, double* v);

  // Tables derived from faces and vertices, built on demand and kept until the owner clears
  // them; the Need_ operations do nothing when their table is already there.
  void Need_Neighbors();
  void Need_Adjacentfaces();
  void Need_Across_Edge();
  // Every undirected edge once, grouped by its smaller vertex.
  void GenEdgeTopo();
  void AddEdgeSect(COppPnt** heads, int32_t* face, int flag);
  void AddEdgeSect(COppPnt** heads, int32_t* face, int a, int b, int flag);
  // 1 and the position of edge a-b (either order) in the edge list, else 0.
  int FindEdge(uint32_t a, uint32_t b, uint32_t& index);
  // Replaces the faces by two triangles per quad of a row-by-row vertex layout; closed joins the
  // last column onto the first. perRow, or -1 when the layout does not fit, 0 without vertices.
  int GenFaceTopo(int perRow, int rows, bool closed);
  void Need_FaceNormal();
  // Computes the vertex normals unless there is one per vertex already.
  void Need_VertexNormals();
  void Need_TStrips();
  void Convert_Strips(tstrip_rep rep);

  // Vertex processing.
  void Umbrella(float step);
  void Lmsmooth(int iterations);
  void Inflate(float d);
  void Noisify(float amount);
  void ComputerIsoCurve(int nx, int ny);
  // Whether some face lies straight above the point (the second point is not used).
  bool ProjectZ(tagPoint3d pt, tagPoint3d unused);
  void GenOuterBndEdge(std::vector<SEdge>& edges);
  void GenInerBndEdge(std::vector<SEdge>& edges);
  void Diffuse_normals(float sigma);

  // The generator behind Noisify: one process-wide state, 0 when the library loads.
  static void SeedNoise(uint32_t seed);
  // Next value in [0, 1].
  static float NoiseRandom();

  // In this order; each array is owned by the mesh.
  std::vector<Face> faces;
  std::vector<Edge> edges;
  std::vector<CPoint3d> vertices;
  std::vector<UVPair> uvs;  // empty, or one pair per vertex
  std::vector<CVector3d> normals;      // per vertex; empty until computed
  std::vector<CVector3d> facenormals;  // per face; empty until computed
  std::vector<int32_t> tstrips;
  std::vector<std::vector<int32_t>> neighbors;
  std::vector<std::vector<int32_t>> adjacentfaces;
  std::vector<Face> across_edge;  // per face the face across each corner's opposite edge, or -1

 private:
  // Applies f to every vertex widened to double and rounds the result back to float.
  template <class F>
  void MapVertices(F&& f);
  template <class F>
  static void MapVectors(std::vector<CVector3d>& vs, F&& f);
  // Vertices by the frame's point map, vertex and face normals by its vector map.
  using FramePointFn = void (*)(const _rect_fm3d*, const double*, double*);
  void ApplyFrame(const _rect_fm3d* frame, FramePointFn point, FramePointFn vector);
};

static_assert(sizeof(CGeMesh::Face) == 12 && sizeof(CGeMesh::Edge) == 16 &&
              sizeof(CGeMesh::UVPair) == 8);
