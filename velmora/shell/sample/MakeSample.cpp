// Writes the sample drawing the program opens when started without a file: the letters
// "VLM" as closed outlines, a frame of arcs around them, and a relief (a dome with a ring
// groove) as a net of 3D polylines. Usage: velmora_sample <output.vlm>
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "platform/afx/Archive.h"
#include "platform/afx/Exception.h"
#include "platform/afx/File.h"
#include "velmora/shell/DraftonDoc.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
using P2 = std::array<double, 2>;

void Outline(CDBase& db, std::vector<P2> pts) {
  pts.push_back(pts.front());
  auto* poly = new CGePolyline;
  poly->Create(int(pts.size()), reinterpret_cast<const double(*)[2]>(pts.data()));
  db.AddTail(new CDbCurve(poly));
}

void Letters(CDBase& db) {
  // Each letter in a 30 x 40 cell, strokes 6 wide.
  Outline(db, {{0, 40}, {6, 40}, {15, 8}, {24, 40}, {30, 40}, {18, 0}, {12, 0}});                    // V
  Outline(db, {{40, 0}, {40, 40}, {46, 40}, {46, 6}, {68, 6}, {68, 0}});                              // L
  Outline(db, {{78, 0}, {78, 40}, {84, 40}, {93, 22}, {102, 40}, {108, 40}, {108, 0}, {102, 0},
               {102, 28}, {93, 12}, {84, 28}, {84, 0}});                                                // M
}

void ArcFrame(CDBase& db) {
  // Four quarter arcs joined by lines: a rounded frame around the letters.
  const double r = 10, x0 = -12, y0 = -12, x1 = 120, y1 = 52;
  const double corners[4][2] = {{x1 - r, y1 - r}, {x0 + r, y1 - r}, {x0 + r, y0 + r}, {x1 - r, y0 + r}};
  for (int k = 0; k < 4; ++k) {
    const double a0 = k * M_PI / 2, a1 = a0 + M_PI / 2;
    const double* c = corners[k];
    const double p[2] = {c[0] + r * std::cos(a0), c[1] + r * std::sin(a0)};
    const double q[2] = {c[0] + r * std::cos(a1), c[1] + r * std::sin(a1)};
    db.AddTail(dbGenArcCSE(c, p, q, 1));
    const double* n = corners[(k + 1) % 4];
    const double s[2] = {n[0] + r * std::cos(a1), n[1] + r * std::sin(a1)};
    db.AddTail(dbGenLine(q, s));
  }
}

void Relief(CDBase& db) {
  // A dome of radius 25 beside the letters with a groove ring, as rows and columns of heights.
  const double cx = 165, cy = 20, R = 25;
  auto height = [&](double x, double y) {
    const double d = std::hypot(x - cx, y - cy);
    if (d >= R) return 0.0;
    const double dome = 8.0 * std::cos(d / R * M_PI / 2);
    const double groove = 2.0 * std::exp(-std::pow((d - 15.0) / 2.0, 2));
    return dome - groove;
  };
  const int n = 41;
  for (int dir = 0; dir < 2; ++dir)
    for (int i = 0; i <= 20; ++i) {
      std::vector<std::array<double, 3>> pts;
      for (int j = 0; j < n; ++j) {
        // Across the rows (dir 0) or down the columns (dir 1) of a square around the dome.
        const double a = -R + 2 * R * i / 20.0, b = -R + 2 * R * j / double(n - 1);
        const double x = cx + (dir ? b : a), y = cy + (dir ? a : b);
        pts.push_back({x, y, height(x, y)});
      }
      auto* poly = new CGePolyline3d;
      poly->Create(int(pts.size()), reinterpret_cast<const double(*)[3]>(pts.data()));
      db.AddTail(new CDbCurve3d(poly));
    }
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: velmora_sample <output.vlm>\n");
    return 2;
  }
  CDBase db;
  gSetDBase(&db);
  db.InitLayer();
  Letters(db);
  ArcFrame(db);
  Relief(db);
  CDraftonDoc doc;
  CFile file;
  if (!file.Open(CString::FromUtf8(argv[1]), CFile::modeCreate | CFile::modeWrite)) {
    std::fprintf(stderr, "velmora_sample: cannot create %s\n", argv[1]);
    return 1;
  }
  try {
    CArchive ar(&file, CArchive::store);
    doc.Serialize(ar);
    ar.Close();
    file.Close();
  } catch (const CException&) {
    std::fprintf(stderr, "velmora_sample: writing %s failed\n", argv[1]);
    return 1;
  }
  gSetDBase(nullptr);
  kxClearAllManager();
  return 0;
}
