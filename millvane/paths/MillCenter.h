// Tool-centre model: the surface on which the cutter's tip may travel without cutting into a
// set of triangle meshes. Every mesh is offset by the cutter's contact offset (face tables),
// sharp and open edges get swept tube surfaces (strips), and the ends of edge chains become
// sharp points. Built once by CreateMillCentre, then only queried, rotated and deleted.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "millvane/paths/CenterSection.h"
#include "millvane/paths/IntLineSet.h"
#include "platform/afx/TypedPtrList.h"
#include "platform/numora/Records.h"

class CGeMesh;
class CTool;
class CNcPline;
class CProtectNet;
class CPathCombine;
struct _facet;

// Edges of a facet table as vertex-index pairs.
struct CEdge {
  std::vector<std::array<int, 2>> pairs;
  int count() const { return static_cast<int>(pairs.size()); }
};

// Point chains (3D) of a model's edges.
struct CEdgeSet {
  std::vector<std::vector<centre::Pt3>> chains;
  int count() const { return static_cast<int>(chains.size()); }
};

class CMillCenter {
 public:
  using Pt3 = centre::Pt3;

  // Offset-surface record: offset vertices, triangles and quads by vertex index, their boxes.
  struct FaceTable {
    std::vector<Pt3> pts;
    std::vector<std::array<int, 3>> tris;
    std::vector<std::array<int, 4>> quads;
    std::vector<_tagBox3D> triBox, quadBox;
    _tagBox3D box;
    std::vector<int> markedTris, markedQuads;
    // The faces by z range for the z-sections; rebuilt with the boxes.
    centre::ZRangeIndex triZ, quadZ;
    void CalcBoxes();
  };
  // Bound-surface record: 15 samples per chain point (13 around the tube's top, then the
  // bottom points under the last and the first); quad (i, j) joins samples j and j + 1 of
  // chain points i and i + 1, and quad 14 closes the tube from the bottom point under the first
  // sample back up to it: without it one side of the tube would be open between the two
  // heights, and a section there would miss that side.
  struct Strip {
    static constexpr int kSamples = 15;
    static constexpr int kArc = 13;
    static constexpr int kQuads = 15;
    std::array<int, 4> Corners(int i, int j) const {
      const int b = kSamples * i, k = (j + 1) % kSamples;
      return {b + j, b + k, b + kSamples + k, b + kSamples + j};
    }
    std::vector<Pt3> pts;
    std::vector<std::array<int, 2>> marked;  // (i, j) of the marked quads
    _tagBox3D box;
    double minZ = -1e12;
    int ChainPoints() const { return static_cast<int>(pts.size()) / kSamples; }
    void CalcBox();
  };
  // Sharp points: chain end points with one value each (their z after SetIntMinZ).
  struct SharpPoints {
    std::vector<Pt3> pts;
    std::vector<double> val;
    std::vector<int> marked;
    _tagBox3D box;
    int count() const { return static_cast<int>(pts.size()); }
  };
  // Border chains of a nearly flat mesh with that mesh's face table.
  struct FlatFace {
    FaceTable face;
    std::vector<std::vector<Pt3>> chains;
  };

  CMillCenter();
  ~CMillCenter();
  CMillCenter(const CMillCenter&) = delete;
  CMillCenter& operator=(const CMillCenter&) = delete;

  void DefineBox();
  // Rotates every record about the z axis; rotations accumulate.
  void RotateModel(double angle);
  // Raises p[2] to the highest tip height over the marked parts.
  void ProjPntOnMdl(double p[3]) const;
  // The steps of that projection, one part at a time: a face table's triangle or quad k, strip
  // quad (i, j), sharp point i.
  void RaiseOnTri(const FaceTable& f, int k, double p[3]) const;
  void RaiseOnQuad(const FaceTable& f, int k, double p[3]) const;
  void RaiseOnStrip(const Strip& s, int i, int j, double p[3]) const;
  void RaiseOnSharp(int i, double p[3]) const;
  void SetIntMinZ();
  // Marks the parts meeting the XY rectangle widened by tol; later projections see only these.
  void DefineMarkedPane(const _tagBox2D& pane, double tol);
  // Sections at the line set's level (z, or y) added to the set.
  void GenSameZLineSet(const CProtectNet& net, CIntLineSet& set);
  void GenSameYLineSet(const CProtectNet& net, CIntLineSet& set);
  // Refinements of a point list onto the model; see VerifyCutPath.
  // Segment start-end of the polyline: samples every 0.2 projected from below the model,
  // simplified with 0.05, inserted before the end.
  void ProjCutPath(CNcPline* pline, POSITION segStart, POSITION segEnd) const;
  // Segment start-end: the first of its probes rising more than tol above the chord is
  // inserted, and both halves are checked again.
  void CheckCutPath(CNcPline* pline, POSITION segStart, POSITION segEnd, double tol) const;
  void VerifyCutPath(CNcPline* pline, double tol, int flag);
  // Deletes the polyline (and nulls the pointer) when an interior point lies more than 0.05
  // under the model.
  void CheckPntString(CNcPline*& pline);

  // New chains (operation code 8) of polylines that show the model, owned by the caller: the
  // strips' tops; every face of every face table; every strip's samples across and along.
  CPathCombine* CreateEdgeComb() const;
  CPathCombine* CreateOffsetSurfComb() const;
  CPathCombine* CreateBoundSurfComb() const;

  // Construction steps.
  // Class of the facet table: 0 flat facing up, 1 vertical walls, 2 facing up, 4 mixed; 5 when
  // cancelled. Fills the inner and outer edges.
  int AnalysisFacet(_facet* table, CEdge& inner, CEdge& outer);
  int GenInnOutEdge(_facet* table, CEdge& inner, CEdge& outer);
  // Edge table: per lower vertex, (higher vertex, facing mark) records.
  using EdgeTable = std::vector<std::vector<std::array<int, 2>>>;
  static void AddEdgeSect(EdgeTable& t, int a, int b, int mark);
  int GenInnEdge(EdgeTable& t, CEdge& inner);
  int GenOutEdge(EdgeTable& t, CEdge& outer);
  // Empties every vertex's record list of an edge table.
  static void DeleteAllNodes(EdgeTable& t);
  // 1 when facet f faces down: the signed XY area of its vertices is below -0.0001.
  static int IsNormalDown(const _facet* table, int f);
  // In every downward facet, each vertex that has a copy (copyOf[v] >= 0) is switched to it in
  // the offset record's triangles: the downward side of a fold takes its own offset vertex.
  static void ChangeNodeNum(const _facet* table, const std::vector<int>& copyOf,
                            std::vector<std::array<int, 3>>& tris);
  static void ReverseDirect(_facet* table);
  void GenOffsetSurf(_facet* table, const CEdge& inner, int cls);
  void AddBoundRec(const std::vector<std::vector<Pt3>>& chains, int cls, double factor);
  void GenVertexSurf();
  void GenBoundSurf();
  // Chains the edges into point strings at the table's vertex positions.
  static std::vector<std::vector<Pt3>> ChainEdges(const _facet* table, const CEdge& edges);
  // Cuts a chain where it turns sharply or climbs steeply; the pieces worth keeping.
  static std::vector<std::vector<Pt3>> CutChain(std::vector<Pt3> chain);
  // Adds a piece to the edge set, replacing an equal chain.
  void AddChain(std::vector<Pt3> piece);

  // Null without a cutter; a model with the same cutter over a copy of the flat face.
  CMillCenter* CreateFlatFaceModel(const FlatFace& flat) const;

  int spare0 = 0;
  void* spare1 = nullptr;
  std::vector<std::unique_ptr<FaceTable>> faces;  // newest first
  std::vector<std::unique_ptr<Strip>> strips;     // newest first
  // Strips whose box met the last marked pane: a projection visits only these, not every
  // strip of a model with thousands of edge chains.
  std::vector<int> markedStrips;
  SharpPoints sharp;
  std::vector<Pt3> extraPts;
  int openBorder = 0;
  double borderFactor = 0.0;
  CIntCurveSet planeContours;
  std::vector<std::unique_ptr<FlatFace>> flatFaces;  // newest first
  CEdgeSet edgeSet;
  CTool* tool = nullptr;  // not owned
  double box[6] = {0, 0, 0, 0, 0, 0};

 private:
  double Radius() const;
  double Bottom() const { return box[2]; }
  void ProjectFrom(double p[3], double start) const;
};

// Joins consecutive entities of the chain whose ends lie more than 0.01 apart by a link of the
// given type (-1 none, 0 up-and-over, 1 straight, 2 half turn, 3 smooth blend); closer ones
// are snapped together. Every link is checked against the model (CheckPntString): a gouging
// half turn falls back to up-and-over, a gouging blend to a straight link; a straight link that
// gouges falls back to up-and-over, and an up-and-over that gouges to a retract over the
// model's top, so that no link is left cutting into the part. 0 for an empty or missing chain,
// a missing model or a type outside -1..3.
int GenLinkMoves(CMillCenter* model, int type, double parameter, CPathCombine* chain);

// Null for a missing or empty mesh list, a missing cutter, a cutter whose diameter is not a
// positive finite number, or cancellation. reserve is not read.
CMillCenter* CreateMillCentre(CTypedPtrList<CObList, CGeMesh*>* meshes, CTool* tool, double reserve, int flag,
                              double factor);
