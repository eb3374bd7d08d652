#include "platform/lumbril/TraceSpline.h"

#include <memory>

namespace {

void Put(float out[3], const _at_real_coord& p) {
  out[0] = p.x;
  out[1] = p.y;
  out[2] = p.z;
}

// Control point of the cubic equal to a quadratic: two thirds of the way from an end point
// towards the quadratic's control point.
void TwoThirds(float out[3], const _at_real_coord& end, const _at_real_coord& ctl) {
  out[0] = end.x + 2.0f / 3.0f * (ctl.x - end.x);
  out[1] = end.y + 2.0f / 3.0f * (ctl.y - end.y);
  out[2] = end.z + 2.0f / 3.0f * (ctl.z - end.z);
}

bool Convert(const _at_spline_type& s, _kx_segment_type& seg) {
  seg = {};
  switch (s.degree) {
    case 1:
      seg.degree = 1;
      Put(seg.pt[0], s.v[0]);
      Put(seg.pt[1], s.v[3]);
      return true;
    case 2:
      seg.degree = 3;
      Put(seg.pt[0], s.v[0]);
      TwoThirds(seg.pt[1], s.v[0], s.v[1]);
      TwoThirds(seg.pt[2], s.v[3], s.v[1]);
      Put(seg.pt[3], s.v[3]);
      return true;
    case 3:
      seg.degree = 3;
      for (int i = 0; i < 4; ++i) Put(seg.pt[i], s.v[i]);
      return true;
    default:
      return false;
  }
}

}  // namespace

bool at_spline_list_array_is_empty(const _at_spline_list_array_type& splines) {
  if (!splines.data) return true;
  for (unsigned i = 0; i < splines.length; ++i)
    if (splines.data[i].data && splines.data[i].length > 0) return false;
  return true;
}

_kx_curve_list_type* kx_spline_to_kxcurve(_at_spline_list_array_type splines) {
  if (at_spline_list_array_is_empty(splines)) return nullptr;
  auto list = std::make_unique<_kx_curve_list_type>();
  for (unsigned i = 0; i < splines.length; ++i) {
    const _at_spline_list_type& outline = splines.data[i];
    if (!outline.data) continue;
    _kx_curve_type curve;
    for (unsigned j = 0; j < outline.length; ++j) {
      _kx_segment_type seg;
      if (Convert(outline.data[j], seg)) curve.segments.push_back(seg);
    }
    if (!curve.segments.empty()) list->curves.push_back(std::move(curve));
  }
  if (list->curves.empty()) return nullptr;
  return list.release();
}

void kx_free_kxcurve(_kx_curve_list_type* list) { delete list; }
