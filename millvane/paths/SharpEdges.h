// Splitting a triangle mesh's vertices along its sharp edges, so that the faces on either side
// of a fold are offset each along its own normal.
#pragma once

#include <array>
#include <vector>

#include "millvane/paths/CenterSection.h"

namespace centre {

// Folds whose face normals differ by more than this (radians) are sharp: at 30 degrees a ball
// offset along an averaged normal already falls short of the faces' offsets by 3.4% of its radius.
inline constexpr double kSharpEdgeAngle = 0.5235987755982988;
// No face of a fan leans from the fan's averaged normal by more than this (radians): many small
// folds in a row would otherwise bend a fan far enough for its offset to fall short of its outer
// faces' by many times the 1 - cos(0.15) = 1.1% of the radius left at this lean.
inline constexpr double kFanLeanAngle = 0.15;

struct SplitMesh {
  std::vector<Pt3> pos, nrm;
  std::vector<std::array<int, 3>> tris;
};

// Triangles that repeat a vertex position under another index (a mesh of loose triangles, or
// parts stitched without sharing) are made to share the first such vertex, so that the edges
// between them are not taken for open borders. The normal of a vertex that absorbed others
// becomes zero, for the split to give it the normal of its fan; the absorbed vertices are
// removed. A mesh without repeated positions is left untouched.
void WeldVertices(std::vector<Pt3>& pos, std::vector<Pt3>& nrm, std::vector<std::array<int, 3>>& tris);

// Every vertex gets one copy per fan of its faces joined across smooth edges (shared by two
// faces whose normals differ by at most `angle`; an edge joins only while no face of the fans it
// joins at either end would lean from their area-weighted normal by more than `lean`, the
// flattest folds joining first); an edge used by one face or more than two ends fans too. A
// vertex with one fan keeps its index and its given normal (its fan's when the given one is
// zero or leans from a face of the fan by more than `lean`); the copies of a split vertex take the area-weighted normal of their own fan. Copies
// are appended after the given vertices, so a mesh without sharp edges comes back unchanged.
SplitMesh SplitSharpEdges(std::vector<Pt3> pos, std::vector<Pt3> nrm, std::vector<std::array<int, 3>> tris,
                          double angle = kSharpEdgeAngle, double lean = kFanLeanAngle);

// True when a chain turns at b by more than a fifth of a half turn: the angle between the
// directions to its neighbours a and c is below 0.8 pi. Coincident neighbours make no corner.
bool IsCorner(const Pt3& a, const Pt3& b, const Pt3& c);

}  // namespace centre
