// What the layer command and the layer pages use of the layer tab window under the drawing
// view: the drawing's layers addressed by tab index, the current layer, the current-layer-only
// mode and the repaint of view and tabs. The main frame registers its tab window here; without
// one the layer command and pages do nothing.
#pragma once

#include "platform/afx/String.h"
#include "platform/win/WinTypes.h"

class CLayer;

class CLayerTabs {
 public:
  virtual ~CLayerTabs() = default;
  virtual int GetLayerCount() const = 0;
  // Tab index of the current layer (the layer count when the current id is not found).
  virtual int GetCurLayerIndex() const = 0;
  // Copies lock, visibility, colour and name; the index, or -1 outside the layers.
  virtual int GetLayerAt(int index, CLayer& layer) const = 0;
  virtual int SetLayerAt(int index, const CLayer& layer) = 0;
  // Makes the layer current (unlocked, visible); the index, or -1 outside the layers.
  virtual int SetCurLayer(int index) = 0;
  // 1: making a layer current hides the others; anything else: 0.
  virtual void SetCurLayerOnly(int mode) = 0;
  // A new layer under a generated name; its index, or -1.
  virtual int AddLayer(const CString& name) = 0;
  // The index, -2 when another layer has the name, -1 when the name cannot be changed.
  virtual int RenameLayer(int index, const CString& name) = 0;
  // The index, or -1 when refused (the last layer, an index outside). When the current layer
  // goes, its neighbour becomes current: the one before it, or the one that followed it when
  // the first layer went.
  virtual int DeleteLayer(int index) = 0;
  // Rebuilds the tabs from the drawing's layers and makes the first one current.
  virtual void ResetLayers() = 0;
  // Repaints the view (clearing the selection first when asked) and the tabs.
  virtual void RefreshView(BOOL bClearSelection) = 0;
};

CLayerTabs* gGetLayerTabs();
void gSetLayerTabs(CLayerTabs* tabs);
