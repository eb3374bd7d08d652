// Umbrella header of the NC-operation layer: operation records and machining parameters.
#pragma once

#include "platform/gorsey/NCData.h"
#include "platform/gorsey/ParamSrf.h"
