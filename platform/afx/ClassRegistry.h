// The run-time class registry as a whole, for start-up checks that every class a module should
// bring is there and nothing unexpected is.
#pragma once

#include "platform/afx/Object.h"

#include <vector>

// Every registered class, in registration order.
std::vector<const CRuntimeClass*> AfxGetRegisteredClasses();
