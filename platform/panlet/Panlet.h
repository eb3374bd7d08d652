// Umbrella header of the progress and controls layer.
#pragma once

#include "platform/panlet/BarAccessors.h"
#include "platform/panlet/ColorButton.h"
#include "platform/panlet/DigitEdit.h"
#include "platform/panlet/KXStatusBar.h"
#include "platform/panlet/KxPropertySheet.h"
#include "platform/panlet/KxToolBar.h"
#include "platform/panlet/Progress.h"
#include "platform/panlet/RuleBar.h"
#include "platform/panlet/SliderEdit.h"
#include "platform/panlet/UIToolBarMgr.h"
#include "platform/panlet/WindowTip.h"
