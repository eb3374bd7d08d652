// Polygon clipping: the gpc record interface, computed by Clipper on an integer grid.
// Both inputs are filled even-odd; input hole flags are ignored. Memory of every record
// is malloc'ed here and released with gpc_free_polygon.
#pragma once

struct gpc_vertex {
  double x;
  double y;
};

struct gpc_vertex_list {
  int num_vertices;
  gpc_vertex* vertex;
};

struct gpc_polygon {
  int num_contours;
  int* hole;  // one flag per contour: 1 hole, 0 outer boundary
  gpc_vertex_list* contour;
};

enum gpc_op {
  GPC_DIFF = 0,  // subject minus clip
  GPC_INT = 1,
  GPC_XOR = 2,
  GPC_UNION = 3
};

// Coordinates are multiplied by gpc_scale and rounded to 64-bit integers, so results lie
// on a grid of 1/gpc_scale. Inputs with |x| or |y| at or above gpc_max_coord (or not
// finite) cannot be represented: the clip fails.
inline constexpr double gpc_scale = 4294967296.0;      // 2^32
inline constexpr double gpc_max_coord = 1073741824.0;  // 2^30

// The empty polygon: no contours, null arrays.
void gpc_init_polygon(gpc_polygon* poly);

// Gives poly `num_contours` empty contours, all flagged as outer boundaries. Whatever poly
// held is overwritten, not freed. Returns 1, or 0 (poly left empty) for a negative count
// or failed allocation.
int gpc_create_polygon(gpc_polygon* poly, int num_contours);

// Gives one contour `num_vertices` vertices at (0, 0) for the caller to fill. Whatever the
// list held is overwritten, not freed. Returns 1, or 0 (list left empty) on failure.
int gpc_create_vertex(gpc_vertex_list* contour, int num_vertices);

// Releases everything poly owns and leaves it empty. Null is accepted.
void gpc_free_polygon(gpc_polygon* poly);

// result := subject <op> clip. Contours with fewer than three vertices enclose nothing and
// are skipped. The result lists each outer boundary (hole 0) followed by the holes inside
// it (hole 1), then islands within those holes, and so on. A contour keeps every input
// vertex that is a corner or lies between its neighbours: collinear points are preserved
// and no duplicates are added, so a simple contour comes back with all its distinct vertices.
// result may be one of the inputs. Whatever result held is otherwise overwritten.
// Returns 1 on success (an empty result included). Returns 0 with result empty for a
// null argument, an unknown op, a malformed polygon (negative counts, null arrays), a
// coordinate outside the scaling range or an allocation failure.
int gpc_polygon_clip(gpc_op op, gpc_polygon* subject, gpc_polygon* clip, gpc_polygon* result);

// result := the union of the contours of poly, all in one pass. Each contour is first turned to
// run counter-clockwise, and a point belongs to the result when the contours' winding numbers
// about it add up to a positive number: for contours that do not cross themselves, the union
// of their insides, however they overlap (unlike gpc_polygon_clip, which fills even-odd). The
// result is laid out, overwritten and fails as gpc_polygon_clip's; result must not be poly.
int gpc_union_contours(gpc_polygon* poly, gpc_polygon* result);
