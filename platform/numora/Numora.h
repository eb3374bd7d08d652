// Umbrella header of the numeric kernel: every record and function family.
#pragma once

#include "platform/numora/Records.h"
#include "platform/numora/Bezier.h"
#include "platform/numora/Ellipse.h"
