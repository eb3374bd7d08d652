// Umbrella header of the progress and controls layer.
#pragma once

#include "platform/panlet/Progress.h"
