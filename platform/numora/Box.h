// Axis-aligned 2D and 3D boxes. A box is empty when max[0] < min[0] (BOX2D_Init0/BOX3D_Init0);
// unions treat an empty operand as neutral; tests take their tolerance last and answer 0 for
// an empty box.
#pragma once

#include "platform/numora/Records.h"

void BOX2D_Init0(_tagBox2D* box);
void BOX2D_Init(_tagBox2D* box, const double p[2]);
void BOX2D_Init(_tagBox2D* box, const double p[2], const double q[2]);
void BOX2D_Extend(_tagBox2D* box, const double p[2]);
void BOX2D_Extend(_tagBox2D* box, double x, double y);
// box := box ∪ other.
void BOX2D_Union(_tagBox2D* box, const _tagBox2D* other);
// Grows a non-empty box by d on every side.
void BOX2D_Expand(double d, _tagBox2D* box);
int BOX2D_IsValid(const _tagBox2D* box);
// 1 when the boxes overlap or their gap is at most tol.
int BOX2D_IsInt(const _tagBox2D* a, const _tagBox2D* b, double tol);
// 1 when inner lies in outer grown by tol.
int BOX2D_IsContain(const _tagBox2D* outer, const _tagBox2D* inner, double tol);
// 1 when p lies in the box grown by tol.
int BOX2D_IsPtIn(const _tagBox2D* box, const double p[2], double tol);
// out := a ∩ b; 1 when that is not empty, else 0 with out empty.
int BOX2D_Int(const _tagBox2D* a, const _tagBox2D* b, _tagBox2D* out);
// Box of n points (empty for n <= 0).
void BOX2D_ofPntStr(const double (*pts)[2], int n, _tagBox2D* box);

void BOX3D_Init0(_tagBox3D* box);
void BOX3D_Init(_tagBox3D* box, const double p[3]);
void BOX3D_Extend(_tagBox3D* box, const double p[3]);
void BOX3D_Union(_tagBox3D* box, const _tagBox3D* other);
void BOX3D_Expand(double d, _tagBox3D* box);
int BOX3D_IsValid(const _tagBox3D* box);
int BOX3D_IsInt(const _tagBox3D* a, const _tagBox3D* b, double tol);
int BOX3D_IsPtIn(const _tagBox3D* box, const double p[3], double tol);
