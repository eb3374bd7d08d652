// Conversions between surface forms: triangle meshes rasterised into height grids from above,
// and NURBS surfaces sampled into meshes with an iso-polyline wireframe.
#pragma once

#include "geometry/grid/TGrid.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/surfaces/GeMesh.h"

struct _nurbs_surface;

using CGeMeshList = CTypedPtrList<CObList, CGeMesh*>;

// Highest mesh surface over every node, by interpolation along column sections; floor 0 and
// parts below 0 leave 0. New grid owned by the caller (CTGrid::Release, then delete); null for a
// list without meshes, non-positive steps or a grid too large to make.
CTGrid<float>* geGetGridSrf(CGeMeshList& meshes, float dx, float dy, float margin);
// The same by vertical rays, over the meshes' box grown by margin, with the floor at its
// bottom.
CTGrid<float>* geGetFloatGridSrf(CGeMeshList& meshes, float dx, float dy, float margin);

// Mesh by regular parameter sampling (steps within 0.02), six iso polylines each way; null on
// failure, and for steps that would need more samples than a grid may hold.
CGeMesh* geToMesh(_nurbs_surface* srf);
// Mesh from the numeric kernel's adaptive tessellation (a triangle soup with normals) and the
// same wireframe; null on failure.
CGeMesh* geToMeshAdapte(_nurbs_surface* srf);
