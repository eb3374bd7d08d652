// Umbrella header of the tracer's record layer.
#pragma once

#include "platform/lumbril/TraceSpline.h"
