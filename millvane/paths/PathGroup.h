// The unit a path generator hands back: a run of chains, owned by the group.
#pragma once

#include <cstdint>

class CDbPathGroup;
class CPathCombine;

class CPathGroup {
 public:
  explicit CPathGroup(int16_t kind = 302);
  ~CPathGroup();
  CPathGroup(const CPathGroup&) = delete;
  CPathGroup& operator=(const CPathGroup&) = delete;

  // Deletes every chain with its entities; the group is left empty.
  void FreeContents();
  // Takes over a run of chains (linked through next) after the tail and lowers their entities
  // by depth.
  void AppendChains(CPathCombine* chain, double depth);
  // The group as the drawing stores it: one unit per chain holding the chain's entities as a
  // composite 3D curve (chains that convert to nothing are left out). Null when no chain gives
  // a unit; otherwise a new group the caller owns. This group is not changed.
  CDbPathGroup* ToDbPathGroup() const;

  int16_t kind;
  // Words read by callers outside the engine; only their presets are set here.
  int32_t word0;
  double value0;
  double value1[2];
  int32_t word1;
  double value2[6];
  int32_t word2;
  CPathCombine* head = nullptr;
  CPathCombine* tail = nullptr;
  int32_t word3;
};

// Writes the presets of a group (its chains are kept).
void InitPathGroup(CPathGroup& group, int16_t kind);
