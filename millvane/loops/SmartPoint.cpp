#include "millvane/loops/SmartPoint.h"

#include <cmath>

int CSmartPointList::Insert(CSmartPoint* p) {
  if (!p) return 0;
  if (!(p->t <= 1.000001)) {
    delete p;
    return 0;
  }
  CSmartPoint* after = nullptr;  // last point with t below p's
  for (CSmartPoint* q = head; q; q = q->next) {
    if (std::fabs(q->t - p->t) < 1e-10) {
      delete p;
      return 0;
    }
    if (q->t < p->t) after = q;
    else break;
  }
  p->prev = after;
  p->next = after ? after->next : head;
  if (p->next) p->next->prev = p;
  else tail = p;
  if (after) after->next = p;
  else head = p;
  ++count;
  return 1;
}

void CSmartPointList::Clear() {
  CSmartPoint* p = head;
  while (p) {
    CSmartPoint* n = p->next;
    delete p;
    p = n;
  }
  head = tail = nullptr;
  count = 0;
}
