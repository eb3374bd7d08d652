// Tables derived from a mesh's faces and vertices, and plane sections.
#include "geometry/surfaces/GeMesh.h"

// Neutral until the topology tools land: no normals means the mesh is drawn unlit by its
// vertices, no edges means DrawEdge draws nothing, no section adds no curve.
void CGeMesh::Need_VertexNormals() {}

void CGeMesh::GenEdgeTopo() { edges.clear(); }

void CGeMesh::XIsoCurve(float, CGeCurve3dList*) {}

void CGeMesh::YIsoCurve(float, CGeCurve3dList*) {}
