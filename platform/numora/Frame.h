// Reference frames (_rect_fm3d). "World" functions express world data in the frame's local
// coordinates; "Local" functions bring local data back to the world. The two are exact inverses
// (the world form solves with the inverse axis matrix, so frames need not be orthonormal).
#pragma once

#include "platform/numora/Records.h"

// Identity frame: world axes, origin 0, spare 0.
void RF_Init(_rect_fm3d* f);
void RF_TransWorldP3D(const _rect_fm3d* f, const double p[3], double out[3]);
void RF_TransLocalP3D(const _rect_fm3d* f, const double p[3], double out[3]);
void RF_TransWorldV3D(const _rect_fm3d* f, const double v[3], double out[3]);
void RF_TransLocalV3D(const _rect_fm3d* f, const double v[3], double out[3]);

// Frame a expressed in f's local coordinates (what RF_TransWorldP3D does to its points).
void RF_EvRFrame(const _rect_fm3d* f, const _rect_fm3d* a, _rect_fm3d* out);
// Frame a, given in the local coordinates of `outer`, brought to the world (outer ∘ a).
void RF_MultRFrame(const _rect_fm3d* outer, const _rect_fm3d* a, _rect_fm3d* out);
// The frame whose TransLocal equals f's TransWorld. 0 (out untouched) for singular axes.
int RF_InvsRFrame(const _rect_fm3d* f, _rect_fm3d* out);
// Frame from a matrix whose rows are the x, y, z axes and the origin (the transpose of a
// column-vector MAT44 transform).
void RF_GetRFrameFromMatrix(const double m[4][4], _rect_fm3d* f);
// Turns the frame by angle about the axis through point.
void RF_RotateRFrame(_rect_fm3d* f, const double point[3], const double axis[3], double angle);
// Mirrors origin and x, y axes in the plane through point with the given normal; z becomes
// x × y so the frame stays right-handed and its xy-plane content is mirrored exactly.
void RF_MirrorRFrame(_rect_fm3d* f, const double point[3], const double normal[3]);
