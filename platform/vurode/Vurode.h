// Umbrella header of the application-services layer: settings, view state, OpenGL drawing
// context and camera, positions, scratch pool, timer, bitmaps and cutting tools.
#pragma once

#include "platform/vurode/Accessors.h"
#include "platform/vurode/Camera.h"
#include "platform/vurode/Dib.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/MemPool.h"
#include "platform/vurode/OpenGLDC.h"
#include "platform/vurode/Position.h"
#include "platform/vurode/Timer.h"
#include "platform/vurode/ViewState.h"
#include "platform/vurode/Tool.h"
