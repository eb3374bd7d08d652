// Orienting and nesting 3D loops by their areas in the x-y projection: outer loops
// counter-clockwise, each followed by its direct holes, clockwise.
#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/tools/GeTool3D.h"
#include "platform/vurode/Vurode.h"

void CGeTool3D::SortLoopWithArea(CGeLoop3dList* loops) {
  if (!loops || loops->GetCount() < 2)
    return;
  std::vector<CGeLoop3d*> items;
  for (POSITION pos = loops->GetHeadPosition(); pos;)
    if (CGeLoop3d* l = loops->GetNext(pos))
      items.push_back(l);
  std::stable_sort(items.begin(), items.end(), [](CGeLoop3d* a, CGeLoop3d* b) {
    return std::fabs(a->m_dArea) > std::fabs(b->m_dArea);
  });
  loops->RemoveAll();
  for (CGeLoop3d* l : items)
    loops->AddTail(l);
}

void CGeTool3D::GetRegionInLoop(CGeLoop3dList* group, CGeLoop3dList* kept) {
  std::vector<CGeLoop3d*> items;
  for (POSITION pos = group->GetHeadPosition(); pos;)
    items.push_back(group->GetNext(pos));
  std::vector<char> marked(items.size(), 1);
  for (size_t i = 1; i < items.size(); ++i) {
    if (!marked[i])
      continue;
    for (size_t j = i + 1; j < items.size(); ++j)
      if (marked[j] && items[i]->IsContainLoop(items[j], 1e-12))
        marked[j] = 0;
  }
  for (size_t i = 0; i < items.size(); ++i)
    if (marked[i])
      kept->AddTail(items[i]);
}

void CGeTool3D::ReSortLoop(CGeLoop3dList* loops) {
  if (!loops || loops->IsEmpty())
    return;
  const double tol = gGetCurveDicTol();
  for (POSITION pos = loops->GetHeadPosition(); pos;)
    if (CGeLoop3d* l = loops->GetNext(pos)) {
      l->EvArea(tol);
      l->CalcBox();
    }
  if (loops->GetCount() == 1) {
    CGeLoop3d* l = loops->GetHead();
    if (l && l->m_dArea < 0)
      l->Reverse();
    return;
  }
  SortLoopWithArea(loops);
  std::vector<CGeLoop3d*> items;
  for (POSITION pos = loops->GetHeadPosition(); pos;)
    items.push_back(loops->GetNext(pos));
  std::vector<char> placed(items.size(), 0);
  CGeLoop3dList result;
  for (size_t i = 0; i < items.size(); ++i) {
    CGeLoop3d* outer = items[i];
    if (!outer || placed[i])
      continue;
    if (outer->m_dArea < 0)
      outer->Reverse();
    CGeLoop3dList group, kept;
    group.AddTail(outer);
    for (size_t j = i + 1; j < items.size(); ++j) {
      CGeLoop3d* l = items[j];
      if (!l || placed[j] || !outer->IsContainLoop(l, 1e-12))
        continue;
      if (l->m_dArea > 0)
        l->Reverse();
      group.AddTail(l);
    }
    GetRegionInLoop(&group, &kept);
    for (POSITION pos = kept.GetHeadPosition(); pos;) {
      CGeLoop3d* l = kept.GetNext(pos);
      placed[static_cast<size_t>(std::find(items.begin(), items.end(), l) - items.begin())] = 1;
      result.AddTail(l);
    }
  }
  loops->RemoveAll();
  loops->AddTail(&result);
}
