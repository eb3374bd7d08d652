// Umbrella header of the numeric kernel: every record and function family.
#pragma once

#include "platform/numora/Records.h"
#include "platform/numora/Gpc.h"
