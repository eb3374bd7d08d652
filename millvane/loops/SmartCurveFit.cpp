// Chain edits after link points are placed, and arc fitting of point rows.
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "millvane/loops/SmartCurve.h"
#include "platform/numora/Point2d.h"

void CSmartCurve::SplitInPlace() {
  if (!head) return;
  // Chain ends hand their link mark on first, so the clearing below keeps it.
  for (CSmartSect* s = head; s; s = s->next)
    if (s->flags & kSectChainEnd) (s->next ? s->next : head)->flags |= kSectConnect;
  for (CSmartSect* s = head; s; s = s->next) {
    s->group = 0;
    if (s->CutCount() == 0 && !(s->flags & kSectConnect)) s->flags &= 0xF0;
  }
  for (CSmartSect* s = head; s;) {
    CSmartSect* n = s->next;
    if (s->CutCount() == 0) {
      s = n;
      continue;
    }
    double p[2];
    s->StartPoint(p);
    std::vector<SmartParamPt> recs = {{p[0], p[1], 0.0}};
    bool cutAtEnd = false;
    for (CSmartPoint* c = s->cutPoints->head; c; c = c->next) {
      if (c->t > 0.999999) cutAtEnd = true;  // no piece of its own
      else recs.push_back({c->x, c->y, c->t});
    }
    s->EndPoint(p);
    recs.push_back({p[0], p[1], 1.0});
    CSmartSect* after = s->prev;
    size_t from = 0;
    bool first = true;
    for (size_t k = 0; k + 1 < recs.size(); ++k) {
      CSmartSect* piece = s->SubSect(recs[from], recs[k + 1]);
      if (!piece) continue;
      piece->flags |= first ? (s->flags & kSectConnect) : kSectConnect;
      first = false;
      InsertSectAfter(piece, after);
      after = piece;
      from = k + 1;
    }
    if (cutAtEnd && s == tail) head->flags |= kSectConnect;
    DetachSect(s);
    delete s;
    s = n;
  }
}

namespace {

double Dot(const double a[2], const double b[2]) { return a[0] * b[0] + a[1] * b[1]; }

double ChordLen(const double (*p)[2], int i) { return P2D_Dist(p[i], p[i + 1]); }

// Cosine of the angle at p[i] between the chords to its neighbours (taken towards p[i]).
double TurnCos(const double (*p)[2], int i) {
  double u[2] = {p[i - 1][0] - p[i][0], p[i - 1][1] - p[i][1]};
  double v[2] = {p[i + 1][0] - p[i][0], p[i + 1][1] - p[i][1]};
  if (!V2D_Unit(u, 1e-12) || !V2D_Unit(v, 1e-12)) return -1.0;
  return Dot(u, v);
}

bool OnCircle(const CSmartArc* a, const double p[2], double tol) {
  return std::fabs(P2D_Dist(p, a->centre) - a->radius) <= tol;
}

}  // namespace

void CSmartCurve::FitArcs(int n, const double (*points)[2], const double limits[2],
                          const double (*midPoints)[2]) {
  if (n <= 0 || !points) return;
  if (n == 1) {
    AppendSect(new CSmartLine(points[0], points[1]));
    return;
  }
  // Working copies: collinear middle points are taken out of the row.
  std::vector<std::array<double, 2>> row, mids;
  for (int i = 0; i <= n; ++i) row.push_back({points[i][0], points[i][1]});
  for (int i = 0; midPoints && i < n; ++i) mids.push_back({midPoints[i][0], midPoints[i][1]});
  auto pts = [&]() { return reinterpret_cast<const double(*)[2]>(row.data()); };
  const double tol = limits[0], minCos = limits[1];

  auto emit = [&](int a, int b) {
    if (b - a == 1) {
      AppendSect(new CSmartLine(row[a].data(), row[b].data()));
      return;
    }
    const int m = a + (b - a) / 2;
    if (CSmartArc* arc = CSmartArc::FromThreePoints(row[a].data(), row[m].data(), row[b].data()))
      AppendSect(arc);
    else
      for (int i = a; i < b; ++i) AppendSect(new CSmartLine(row[i].data(), row[i + 1].data()));
  };

  int a = 0, b = 1;  // the run is row[a..b]
  while (b < static_cast<int>(row.size()) - 1) {
    const int c = b + 1;  // candidate newest point
    bool brk = TurnCos(pts(), b) > -0.8 || ChordLen(pts(), b - 1) > 5.0 || ChordLen(pts(), b) > 5.0;
    std::unique_ptr<CSmartArc> arc;
    if (!brk) {
      const int m = a + (c - a) / 2;
      arc.reset(CSmartArc::FromThreePoints(row[a].data(), row[m].data(), row[c].data()));
      if (!arc) {
        if (c - a == 2) {
          // Three collinear points: the middle one goes, the run carries on.
          row.erase(row.begin() + b);
          if (!mids.empty()) {
            mids[b - 1] = {0.5 * (mids[b - 1][0] + mids[b][0]), 0.5 * (mids[b - 1][1] + mids[b][1])};
            mids.erase(mids.begin() + b);
          }
          continue;
        }
        brk = true;
      }
    }
    if (!brk) {
      const double newest = ChordLen(pts(), c - 1), previous = ChordLen(pts(), c - 2);
      if (newest > 1.0 && newest > previous) {
        double d[2] = {row[c][0] - row[c - 1][0], row[c][1] - row[c - 1][1]}, t[2];
        V2D_Unit(d, 1e-12);
        arc->EvTangent(1.0, t);
        if (Dot(d, t) < minCos) brk = true;
      }
      if (!brk && c - a == 2 && previous > newest && previous > 1.0) {
        double d[2] = {row[a + 1][0] - row[a][0], row[a + 1][1] - row[a][1]}, t[2];
        V2D_Unit(d, 1e-12);
        arc->EvTangent(0.0, t);
        if (Dot(d, t) < minCos) brk = true;
      }
      const int m = a + (c - a) / 2;
      for (int i = a + 1; !brk && i < c; ++i)
        if (i != m && !OnCircle(arc.get(), row[i].data(), tol)) brk = true;
      for (int i = a; !brk && !mids.empty() && i < c; ++i)
        if (!OnCircle(arc.get(), mids[i].data(), tol)) brk = true;
    }
    if (brk) {
      emit(a, b);
      a = b;
      b = a + 1;
    } else {
      b = c;
    }
  }
  const int last = static_cast<int>(row.size()) - 1;
  if (b - a >= 2) {
    emit(a, b);
  } else {
    for (int i = a; i < last; ++i) AppendSect(new CSmartLine(row[i].data(), row[i + 1].data()));
  }
}
