// Base of the NC operation records. Each record kind answers a fixed type id.
#pragma once

enum : int {
  kNCData = 0,
  kNCDrill = 1,
  kNCContour = 2,
  kNCPocket = 3,
  kNCClearCorner = 4,
  kNCMAxis = 5,
  kNCImagDot = 6,
  kNCImagRelief = 7,
  kNCBevel = 8,
  kNCTexture = 9,
  kNCLineRipple = 10,
  kNCCrvRipple = 11,
  kNCSilkVein = 12,
  kNCLaserVSlop = 13,
  kNCInlay = 14,
  kNCDome = 15,
  kNCBlock = 16,
  kNCPlasma = 17,
  kParamSrfRough = 18,
  kParamSrfFinish = 19,
};

class CNCData {
 public:
  CNCData() = default;
  virtual ~CNCData();
  virtual int GetType() const;
  // A new record of the same kind with the same values, owned by the caller.
  virtual CNCData* Copy() const;

 protected:
  CNCData(const CNCData&) = default;
  CNCData& operator=(const CNCData&) = default;
};
