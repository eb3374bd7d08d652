// Umbrella header of the progress and controls layer.
#pragma once

#include "platform/panlet/DigitEdit.h"
#include "platform/panlet/KxPropertySheet.h"
#include "platform/panlet/Progress.h"
#include "platform/panlet/SliderEdit.h"
