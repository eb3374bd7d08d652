// The class library in one include: value types, strings, exceptions and device contexts.
#pragma once

#include "platform/win/WinGdi.h"
#include "platform/win/WinTypes.h"

#include "platform/afx/DC.h"
#include "platform/afx/Exception.h"
#include "platform/afx/GdiObject.h"
#include "platform/afx/Rect.h"
#include "platform/afx/RecordingDC.h"
#include "platform/afx/String.h"
