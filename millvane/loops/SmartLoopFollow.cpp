// Follow (contour-parallel) pocket: the tree of successive inward offsets of a contour. Every
// loop of the tree is the offset of its parent; the tree is linked and emitted afterwards.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "millvane/loops/BoxPairs.h"
#include "millvane/loops/LoopPairs.h"
#include "millvane/loops/SmartLoop.h"
#include "platform/numora/Point2d.h"
#include "platform/panlet/Progress.h"

namespace {

template <class F>
void ForEachLoopOf(CSmartLoop* l, F f) {
  f(l);
  for (CSmartLoop* i = l->islands; i; i = i->next) f(i);
}

void SetLevel(CSmartLoop* l, int level) {
  ForEachLoopOf(l, [level](CSmartLoop* x) { x->level = level; });
}

void ClearCuts(CSmartLoop* l) {
  if (l->curve)
    for (CSmartSect* s = l->curve->head; s; s = s->next) s->ClearCutPoints();
}

// Moves every island of `from` that lies in a loop of `into`'s island lists over to it, as an
// island (asChild false) or as a child.
void HandOverIslands(CSmartLoop* from, CSmartLoop* results, bool asChild) {
  for (CSmartLoop* r = results; r; r = r->next)
    for (CSmartLoop* host = r->islands; host; host = host->next)
      for (CSmartLoop* i = from->islands; i;) {
        CSmartLoop* n = i->next;
        if (host->IsLoopOn(i)) {
          from->RemoveIsland(i);
          if (asChild) host->AddChild(i);
          else host->AddIsland(i);
        }
        i = n;
      }
}

double TotalArea(const CSmartLoop* l) {
  double a = l->area;
  for (const CSmartLoop* i = l->islands; i; i = i->next) a += i->area;
  return a;
}

int SectionCount(const CSmartLoop* l) {
  int n = 0;
  for (const CSmartLoop* x = l; x; x = (x == l ? l->islands : x->next))
    if (x->curve) n += x->curve->count;
  return n;
}

// Frees every placeholder loop (one without a curve) of the tree below l, handing its children
// and islands to its own parent.
void DropPlaceholders(CSmartLoop* l) {
  for (CSmartLoop* c = l->children; c;) {
    CSmartLoop* n = c->next;
    DropPlaceholders(c);
    if (!c->curve) {
      while (CSmartLoop* g = c->children) {
        c->RemoveChild(g);
        l->AddChild(g);
      }
      while (CSmartLoop* i = c->islands) {
        c->RemoveIsland(i);
        l->AddIsland(i);
      }
      l->DeleteChild(c);
    }
    c = n;
  }
}

// For each island of l, whether it stays l's island (and goes on as a copy): always at level 1,
// else when it crosses one of the results or one of them lies in it. All crossings are found
// in one search: a loop around many islands is not searched once per island.
std::vector<char> IslandsToKeep(CSmartLoop* l, CSmartLoop* results) {
  std::vector<CSmartLoop*> loops;
  for (CSmartLoop* r = results; r; r = r->next) loops.push_back(r);
  const int nr = static_cast<int>(loops.size());
  for (CSmartLoop* i = l->islands; i; i = i->next) loops.push_back(i);
  std::vector<char> keep(loops.size() - size_t(nr), l->level == 1);
  if (l->level == 1) return keep;
  const auto crossing = acCrossingLoopPairs(
      loops, [nr](int a, int b) { return a < nr && b >= nr; }, false);
  for (const auto& [r, i] : crossing) keep[size_t(i - nr)] = 1;
  // A result inside an island: IsLoopOn tests the middle of the result's first section first,
  // so an island whose box (with IsPointIn's margin) misses that point is passed over at once.
  std::vector<std::array<double, 2>> mid(static_cast<size_t>(nr));
  for (int r = 0; r < nr; ++r)
    if (loops[size_t(r)]->curve && loops[size_t(r)]->curve->head)
      loops[size_t(r)]->curve->head->EvPoint(0.5, mid[size_t(r)].data());
  for (size_t k = 0; k < keep.size(); ++k) {
    const CSmartLoop* i = loops[size_t(nr) + k];
    for (int r = 0; r < nr && !keep[k]; ++r) {
      const double* p = mid[size_t(r)].data();
      if (!loops[size_t(r)]->curve || !loops[size_t(r)]->curve->head || p[0] < i->box[0] - 0.01 ||
          p[0] > i->box[3] + 0.01 || p[1] < i->box[1] - 0.01 || p[1] > i->box[4] + 0.01)
        continue;
      keep[k] = i->IsLoopOn(loops[size_t(r)]);
    }
  }
  return keep;
}

// Whether every coordinate of a section is a finite number; a NaN would pass box tests and
// comparisons silently.
bool SectFinite(const CSmartSect* s) {
  if (s->IsArc()) {
    const auto* a = static_cast<const CSmartArc*>(s);
    return std::isfinite(a->centre[0]) && std::isfinite(a->centre[1]) && std::isfinite(a->radius) &&
           std::isfinite(a->startAngle) && std::isfinite(a->endAngle);
  }
  if (!s->IsLine()) return false;
  const auto* l = static_cast<const CSmartLine*>(s);
  return std::isfinite(l->start[0]) && std::isfinite(l->start[1]) && std::isfinite(l->end[0]) &&
         std::isfinite(l->end[1]);
}

}  // namespace

bool acContourFinite(const CSmartLoop* contour) {
  for (const CSmartLoop* l = contour; l; l = (l == contour ? contour->islands : l->next)) {
    if (!l->curve) continue;
    for (const CSmartSect* s = l->curve->head; s; s = s->next)
      if (!SectFinite(s)) return false;
  }
  return true;
}

// A contour is fit to pocket when it has a chain, is not absurdly large, holds only finite
// coordinates, and neither its outer loop nor its islands cross themselves or each other (the
// inside would be undefined).
bool acPocketShapeOk(const CSmartLoop* contour) {
  if (!contour || !contour->curve || !contour->curve->head) return false;
  if (SectionCount(contour) > kPocketMaxSections) return false;
  for (int i : {0, 1, 3, 4})
    if (!std::isfinite(contour->box[i])) return false;
  std::vector<CSmartSect*> sects;
  std::vector<const double*> boxes;
  std::vector<const CSmartLoop*> owner;
  for (const CSmartLoop* l = contour; l; l = (l == contour ? contour->islands : l->next)) {
    if (!l->curve) continue;
    for (CSmartSect* s = l->curve->head; s; s = s->next) {
      if (!SectFinite(s)) return false;
      sects.push_back(s);
      boxes.push_back(s->box);
      owner.push_back(l);
    }
  }
  for (const auto& [i, k] : acMeetingBoxPairs(boxes, boxes, 0.0)) {
    if (i >= k) continue;
    double pts[2][2];
    const int m = acSectSectInt(sects[i], sects[k], pts);
    if (m == 0) continue;
    if (owner[i] != owner[k]) return false;
    // Neighbours in a chain share their joint; only a crossing elsewhere counts.
    const CSmartCurve* c = owner[i]->curve;
    const bool next = sects[i]->next == sects[k] || (sects[i] == c->head && sects[k] == c->tail);
    if (!next) return false;
    double joint[2];
    if (sects[i]->next == sects[k]) sects[i]->EndPoint(joint);
    else sects[i]->StartPoint(joint);
    for (int q = 0; q < m; ++q)
      if (P2D_AbsDist(pts[q], joint) > 1e-6) return false;
  }
  return true;
}

// Shared guard of the follow pocket: a step that cannot make progress, or input so large that
// the pocket would not finish, fails before any work.
bool acPocketInputOk(const CSmartLoop* contour, double step) {
  if (!std::isfinite(step) || step <= 1e-6 || !acPocketShapeOk(contour)) return false;
  const double w = contour->box[3] - contour->box[0], h = contour->box[4] - contour->box[1];
  return std::min(w, h) / (2.0 * step) <= kPocketMaxPasses;
}

int CSmartLoop::FollowContour(QNC_CutFollowDef& def, const QNC_CornerType& corner,
                              int maxLevel) {
  return FollowContour(def.style, def.step, corner, maxLevel, def.halfStepLimit);
}

int CSmartLoop::FollowContour(int style, double step, const QNC_CornerType& corner,
                              int maxLevel, double halfStepLimit) {
  if (!acPocketInputOk(this, step)) return 0;
  int tag = 1;
  for (CSmartSect* s = curve->head; s; s = s->next) s->tag = tag++;
  tag = -101;
  for (CSmartLoop* i = islands; i; i = i->next, tag -= 100)
    if (i->curve)
      for (CSmartSect* s = i->curve->head; s; s = s->next) s->tag = tag--;
  ForEachLoopOf(this, [](CSmartLoop* x) {
    if (!x->curve) return;
    for (CSmartSect* s = x->curve->head; s; s = s->next) {
      s->offsetCopy = nullptr;
      s->origin = nullptr;
      s->flags = kSectBound;
    }
  });
  SetLevel(this, 1);

  CQProgress progress;
  std::vector<CSmartLoop*> queue = {this};
  for (size_t q = 0; q < queue.size(); ++q) {
    if (gIsProgressCancel()) {
      // The tree is this call's own work; the contour goes back to having no children.
      acDeleteLoopList(children);
      children = nullptr;
      return 0;
    }
    CSmartLoop* l = queue[q];
    if (maxLevel >= 0 && l->level >= maxLevel) continue;
    CSmartLoop* res = l->FollowPath(style, step, corner);
    if (!res && halfStepLimit < 50.0) res = l->FollowPath(style, step / 2.0, corner);
    while (res) {
      CSmartLoop* r = res;
      res = res->next;
      r->next = r->prev = nullptr;
      l->AddChild(r);
      SetLevel(r, l->level + 1);
      queue.push_back(r);
    }
  }
  if (style == 2) DropPlaceholders(this);
  return 1;
}

CSmartLoop* CSmartLoop::FollowPath(int type, double step, const QNC_CornerType& corner) {
  if (!curve || !std::isfinite(step) || step <= 1e-6) return nullptr;
  const double a = TotalArea(this);
  if (step * step * std::numbers::pi > a) return nullptr;

  CSmartLoop* res = nullptr;
  if (type == 1 || (type == 2 && !islands)) {
    res = OffsetContour(0, step, step, corner);
    HandOverIslands(this, res, false);
  } else if (type == 2) {
    auto* outer = new CSmartLoop;
    outer->area = area;
    std::copy(box, box + 6, outer->box);
    outer->height = height;
    outer->kind = 1;
    if (level == 1) {
      outer->curve = curve->CloneCurve();
    } else {
      outer->curve = curve;  // this loop stays behind as a placeholder
      curve = nullptr;
    }
    res = SubtractContours(outer, WeldContours(OffsetIsland(step, corner, 2)));
    HandOverIslands(this, res, true);
  } else {
    res = OffsetLoop(step, corner);
    if (islands && res) {
      for (CSmartLoop* r = res; r; r = r->next) r->kind = 1;
      const std::vector<char> kept = IslandsToKeep(this, res);
      std::vector<CSmartLoop*> obstacles;
      size_t at = 0;
      for (CSmartLoop* i = islands; i; ++at) {
        CSmartLoop* n = i->next;
        i->kind = -1;
        const bool keep = kept[at];
        ClearCuts(i);
        CSmartLoop* o;
        if (keep) {
          o = i->CopyLoop();
        } else {
          RemoveIsland(i);
          o = i;
        }
        o->kind = 2;
        obstacles.push_back(o);
        i = n;
      }
      // Linked here in one pass: appending one by one would walk the list each time.
      CSmartLoop* tail = res;
      while (tail->next) tail = tail->next;
      for (CSmartLoop* o : obstacles) {
        o->next = nullptr;
        o->prev = tail;
        tail->next = o;
        tail = o;
      }
      res = ClipLoops(res);
    }
  }
  for (CSmartLoop* r = res; r; r = r->next)
    if (TotalArea(r) > a) r->area = 0.0;
  return res;
}
