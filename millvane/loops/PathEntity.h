// Toolpath elements handed out of the engine: 3D lines, (helical) arcs and 3D polylines, linked
// into chains. Lengths, normals and nearest points are taken in the XY plane; z rides along.
#pragma once

#include <cstdint>

class CGeCurve3d;
class CPathPLine3D;

class CPathEntity {
 public:
  explicit CPathEntity(int type) : type(type) {}
  CPathEntity(const CPathEntity&) = delete;
  CPathEntity& operator=(const CPathEntity&) = delete;

  // Callers built against this library index these virtual operations by position: keep the order.
  virtual ~CPathEntity();
  virtual int GetType() const = 0;
  virtual void Rotate(double cosA, double sinA) = 0;
  virtual void Translate(double dx, double dy, double dz) = 0;
  virtual double GetLength() const;
  virtual CPathPLine3D* Repeat(int n) const;
  virtual int Split(double length, CPathEntity*& first, CPathEntity*& second) const;
  virtual void SetZ(double z);
  virtual void LowerEnd(double d);
  // which: 0 the start, otherwise the end.
  virtual int GetEndPoint(int which, double point[3]) const = 0;
  virtual int GetNormal2D(int which, double vector[2]) const;
  virtual int GetTangent(int which, double vector[3]) const;
  virtual CPathEntity* Clone() const = 0;
  virtual int Reverse();
  // distance is in/out; see the classes for when it is written.
  virtual int NearestPoint(const double query[3], double nearest[3], double& distance) const;

  uint8_t code = 255;       // operation code; 255 = unset until a chain tags it
  int32_t header[2] = {};   // words kept for callers; the engine neither sets nor reads them
  CPathEntity* next = nullptr;
  CPathEntity* prev = nullptr;
  int type;

 protected:
  // Code and header words of a copy; the links stay clear.
  void CopyHeader(const CPathEntity& from);
};

enum : int { kPathLine = 200, kPathArc = 300, kPathPLine = 500 };

class CPathLine3D : public CPathEntity {
 public:
  CPathLine3D();
  CPathLine3D(const double start[3], const double end[3]);

  int GetType() const override;
  void Rotate(double cosA, double sinA) override;
  void Translate(double dx, double dy, double dz) override;
  double GetLength() const override;
  CPathPLine3D* Repeat(int n) const override;
  int Split(double length, CPathEntity*& first, CPathEntity*& second) const override;
  void SetZ(double z) override;
  void LowerEnd(double d) override;
  int GetEndPoint(int which, double point[3]) const override;
  int GetNormal2D(int which, double vector[2]) const override;
  int GetTangent(int which, double vector[3]) const override;
  CPathEntity* Clone() const override;
  int Reverse() override;
  int NearestPoint(const double query[3], double nearest[3], double& distance) const override;

  double start[3];
  double end[3];
};

// Plane kinds of an arc: which axes carry cosine, sine and rise.
enum : int8_t { kArcXY = 0, kArcYZ = 1, kArcZX = 2, kArcFrame = 3 };

class CPathArc3D : public CPathEntity {
 public:
  CPathArc3D();
  // An arc in a plane parallel to XY.
  CPathArc3D(const double centre[3], double radius, double startAngle, double endAngle,
             double rise = 0.0);
  ~CPathArc3D() override;

  // Switches to the general orientation: rows are first in-plane axis, second, rise axis.
  void SetFrame(const double rows[9]);
  // Point at t in [0, 1]; 0 for a general arc without a frame.
  int PointAt(double t, double out[3]) const;
  // The three axes (cosine, sine, rise) of the arc's plane; 0 for a general arc without a frame.
  int Axes(double u[3], double v[3], double w[3]) const;

  int GetType() const override;
  void Rotate(double cosA, double sinA) override;
  void Translate(double dx, double dy, double dz) override;
  double GetLength() const override;
  int Split(double length, CPathEntity*& first, CPathEntity*& second) const override;
  void LowerEnd(double d) override;
  int GetEndPoint(int which, double point[3]) const override;
  int GetNormal2D(int which, double vector[2]) const override;
  int GetTangent(int which, double vector[3]) const override;
  CPathEntity* Clone() const override;
  int Reverse() override;
  int NearestPoint(const double query[3], double nearest[3], double& distance) const override;

  int8_t plane = kArcXY;
  double centre[3] = {0.0, 0.0, 0.0};
  double radius = 0.0;
  double startAngle = 0.0;
  double endAngle = 0.0;
  double rise = 0.0;
  double* frame = nullptr;  // nine doubles, owned; only for kArcFrame
};

class CPathPLine3D : public CPathEntity {
 public:
  CPathPLine3D();
  ~CPathPLine3D() override;

  // Replaces the points by count + 1 copies; 0 (left empty) when count < 1, points is null or
  // the array cannot be allocated.
  int SetPoints(int count, const double (*points)[3]);

  int GetType() const override;
  void Rotate(double cosA, double sinA) override;
  void Translate(double dx, double dy, double dz) override;
  double GetLength() const override;
  CPathPLine3D* Repeat(int n) const override;
  int Split(double length, CPathEntity*& first, CPathEntity*& second) const override;
  void SetZ(double z) override;
  void LowerEnd(double d) override;
  int GetEndPoint(int which, double point[3]) const override;
  int GetNormal2D(int which, double vector[2]) const override;
  int GetTangent(int which, double vector[3]) const override;
  CPathEntity* Clone() const override;
  int Reverse() override;
  int NearestPoint(const double query[3], double nearest[3], double& distance) const override;

  int count = 0;                  // segments
  double (*points)[3] = nullptr;  // count + 1 points, owned; null when empty
};

// A new kernel 3D curve for an entity (discretised with the curve tolerance, box computed),
// owned by the caller; null for an unknown type or an entity without points.
CGeCurve3d* acPathEntityToCurve3d(const CPathEntity* entity);
