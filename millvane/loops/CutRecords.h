// Plain records that callers fill in to ask the smart-loop engine for offsets and pocket paths.
// Field order is part of the interface: outside callers fill them by position.
#pragma once

#include <cstdint>

// Corner style of an offset; angles in degrees.
struct QNC_CornerType {
  int32_t kind;   // 0..4: how gaps at right turns are closed
  double angle1;  // kind 0: sharp below this turn
  double angle2;  // every kind: sharp below this turn
};

// Follow (contour-parallel) pocket.
struct QNC_CutFollowDef {
  int32_t style;         // 0 outer offsets with islands as obstacles, 1 contour with islands, 2 around islands
  uint32_t flags;        // see kFollow* below
  double step;           // stepover between successive offsets
  double halfStepLimit;  // below 50: an offset that yields nothing is retried at step / 2
};

enum : uint32_t {
  kFollowOrder = 0x01,       // with 0x04: emission order and direction
  kFollowEnterMid = 0x04,    // enter inner loops where their link meets, not at the loop's end
  kFollowDebur = 0x10,       // deburring emission
  kFollowMarkInner = 0x40,   // emitted copies of generated sections get 0x40
  kFollowForceLink = 0x2000, // link segments even at the start of an empty cut
};

// Order of emission. The follow and scan pockets read only `order`; the surface path
// generators hand the same record on with the two further words, which nothing here reads.
// One record serves both, so callers that fill all three and callers that fill one agree.
struct QNC_OrderType {
  int32_t order;  // non-zero reverses the meaning of flag 0x04 (follow) or the row order (scan)
  int32_t word1 = 0;
  int32_t word2 = 0;
};

// Contour grouping of the surface contour paths.
struct QNC_CutAreaDef {
  uint8_t flags;     // 0x01 merge runs of like area, 0x02 separate them
  int32_t kind;      // 0 keep all, 1 drop below threshold, 2 drop above it
  double threshold;  // area threshold
  double zGap;       // z gap
};

// Scan (zig-zag) pocket.
struct QNC_CutLinearDef {
  uint32_t flags;  // see kLinear* below
  int32_t word;    // not read by the pocket
  double step;     // distance between scan lines
  double value;    // not read by the pocket
  double inset;    // inward offset of the contour before scanning
  double maxLink;  // longest boundary walk between two strokes of one cut
  double angle;    // degrees: direction of the scan lines
};

enum : uint32_t {
  kLinearZigZag = 0x01,     // strokes joined along the boundary
  kLinearFinish = 0x02,     // finishing pass round contour and islands afterwards
  kLinearLead = 0x04,       // with 0x02 and without 0x10: leads from the boundary
  kLinearNeighbour = 0x10,  // boundary links only to neighbouring rows
};

// Spiral pocket.
struct QNC_CutSpiralDef {
  uint8_t flags;  // 0x01 reverse order and direction; 0x10 links only at the step distance
  double step;    // spiral pitch
};

// Radial ("emit") pocket.
struct QNC_CutEmitDef {
  uint8_t flags;      // 0x01 linked strokes; 0x02 strokes run outward
  double centre[2];
  double startAngle;  // degrees
  double sweep;       // degrees
  double angleStep;   // degrees
};

// Input limits of the pocket builders: beyond them a call fails at once instead of running for
// hours or exhausting memory. A pocket needs about (smaller box side) / (2 step) offsets.
constexpr int kPocketMaxSections = 200000;
constexpr double kPocketMaxPasses = 20000.0;
