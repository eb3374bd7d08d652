// Machining parameters of the surface finishing and roughing operations. Besides the top height
// and the cut depth, a record holds one strategy block at a time: the blocks share one storage
// area, and the caller fills the block of the strategy that it runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/gorsey/NCData.h"

// Sweep-line finishing and roughing.
struct SrfSweepBlock {
  int32_t angle;      // rotation of the sweep lines, degrees
  int32_t step;       // step value for the cutter's interval between lines
  double allowance;   // stock left on the surface
  int32_t linkFlag;   // 0: the lines of an area are linked into zig-zags
  double layerStep;   // roughing: depth of one layer
};

// Z-level contour finishing.
struct SrfContourBlock {
  uint32_t options;   // 0x10 drop the largest contour, 0x40 user cell, 0x80 surface boundary,
                      // 0x200 cut-area grouping
  double stepDown;
  double userCell;
  int32_t startCorner;
  int32_t climb;      // non-zero keeps the contours' direction
  int32_t layerOrder; // bit 0: levels from the bottom up
  int32_t linkType;
  double linkParam;
  double rampLength;
  // The toolpath engine's cut-area definition; read and written through CutArea/SetCutArea.
  alignas(8) unsigned char cutArea[32];
};

// Flat areas of the contour finishing: overlays the contour block.
struct SrfFlatBlock {
  uint32_t lead0;     // places of the contour options and step-down, not read by the flat pass
  double lead1;
  int32_t strategy;   // 0 linear, 1 follow
  // The engine's pocketing definition (linear or follow), from the contour start corner's place.
  alignas(8) unsigned char pocket[192];
};

// Raster finishing.
struct SrfParallelBlock {
  uint32_t options;   // 1 no steep trimming, 4 keep the steep stretches, 0x10 cross optimisation
  uint8_t optByte;    // bit 0 zig-zag, bit 1 boundary offset and boundary pass
  double step;
  double boundOffset;
  double angle;       // degrees
  double minLength;   // shortest stretch kept
  double extension;   // stretch extension
  double steepAngle;  // degrees
};

// Raster roughing.
struct SrfRoughParallelBlock {
  uint8_t optByte;    // bit 1 boundary offset and boundary pass
  double step;
  double boundOffset;
  double angle;       // degrees
};

static_assert(offsetof(SrfFlatBlock, strategy) == offsetof(SrfContourBlock, userCell));
static_assert(offsetof(SrfFlatBlock, pocket) == offsetof(SrfContourBlock, startCorner));

// Engine records kept as bytes inside a block: copied in and out, never aliased.
template <class T, size_t N>
T BlockGet(const unsigned char (&bytes)[N]) {
  static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= N);
  T v;
  std::memcpy(&v, bytes, sizeof(T));
  return v;
}
template <class T, size_t N>
void BlockSet(unsigned char (&bytes)[N], const T& v) {
  static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= N);
  std::memcpy(bytes, &v, sizeof(T));
}

class CParamSrfFinish : public CNCData {
 public:
  CParamSrfFinish();
  CParamSrfFinish(const CParamSrfFinish&) = default;
  CParamSrfFinish& operator=(const CParamSrfFinish&) = default;

  int GetType() const override;
  CNCData* Copy() const override;
  double GetTopHeight() const { return m_dTopHeight; }
  double GetCutDepth() const { return m_dCutDepth; }

  SrfSweepBlock& Sweep() { return m_block.sweep; }
  SrfContourBlock& Contour() { return m_block.contour; }
  SrfFlatBlock& Flat() { return m_block.flat; }
  SrfParallelBlock& Parallel() { return m_block.parallel; }

  double m_dTopHeight;
  double m_dCutDepth;

 private:
  union {
    SrfSweepBlock sweep;
    SrfContourBlock contour;
    SrfFlatBlock flat;
    SrfParallelBlock parallel;
  } m_block;
};

class CParamSrfRough : public CNCData {
 public:
  CParamSrfRough();
  CParamSrfRough(const CParamSrfRough&) = default;
  CParamSrfRough& operator=(const CParamSrfRough&) = default;

  int GetType() const override;
  CNCData* Copy() const override;
  double GetTopHeight() const { return m_dTopHeight; }
  double GetCutDepth() const { return m_dCutDepth; }

  SrfSweepBlock& Sweep() { return m_block.sweep; }
  SrfRoughParallelBlock& Parallel() { return m_block.parallel; }

  double m_dTopHeight;
  double m_dCutDepth;

 private:
  union {
    SrfSweepBlock sweep;
    SrfRoughParallelBlock parallel;
  } m_block;
};
