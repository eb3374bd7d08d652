#include "millvane/paths/IntLineSet.h"

#include <algorithm>
#include <cmath>

void IntLineSeg::CalcBox() {
  box[0] = std::min(s[0], e[0]);
  box[1] = std::min(s[1], e[1]);
  box[2] = std::max(s[0], e[0]);
  box[3] = std::max(s[1], e[1]);
}

CIntLineSet::~CIntLineSet() { Clear(); }

int CIntLineSet::AddLine(const double s[2], const double e[2]) {
  if (!std::isfinite(s[0]) || !std::isfinite(s[1]) || !std::isfinite(e[0]) || !std::isfinite(e[1]))
    return 0;
  if (std::hypot(e[0] - s[0], e[1] - s[1]) < kMinLength) return 0;
  auto* seg = new IntLineSeg;
  seg->s[0] = s[0];
  seg->s[1] = s[1];
  seg->e[0] = e[0];
  seg->e[1] = e[1];
  seg->CalcBox();
  seg->prev = tail;
  if (tail)
    tail->next = seg;
  else
    head = seg;
  tail = seg;
  ++count;
  return 1;
}

void CIntLineSet::Remove(IntLineSeg* seg) {
  if (!seg) return;
  (seg->prev ? seg->prev->next : head) = seg->next;
  (seg->next ? seg->next->prev : tail) = seg->prev;
  delete seg;
  --count;
}

void CIntLineSet::Clear() {
  while (head) {
    IntLineSeg* n = head->next;
    delete head;
    head = n;
  }
  tail = nullptr;
  count = 0;
}

CIntCurveSet::~CIntCurveSet() { Clear(); }

void CIntCurveSet::AddCurve(IntCurve* c) {
  if (!c) return;
  c->next = nullptr;
  c->prev = tail;
  if (tail)
    tail->next = c;
  else
    head = c;
  tail = c;
  ++count;
}

void CIntCurveSet::Remove(IntCurve* c) {
  if (!c) return;
  (c->prev ? c->prev->next : head) = c->next;
  (c->next ? c->next->prev : tail) = c->prev;
  delete c;
  --count;
}

void CIntCurveSet::Clear() {
  while (head) {
    IntCurve* n = head->next;
    delete head;
    head = n;
  }
  tail = nullptr;
  count = 0;
}
