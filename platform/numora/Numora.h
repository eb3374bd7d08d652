// Umbrella header of the numeric kernel: every record and function family.
#pragma once

#include "platform/numora/Records.h"
#include "platform/numora/Knot.h"
#include "platform/numora/Bcrv.h"
#include "platform/numora/NurbsEditor.h"
