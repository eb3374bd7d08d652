// The class library in one include: objects and run-time classes, archives and files, strings,
// collections, exceptions, value types and device contexts.
#pragma once

#include "platform/win/WinGdi.h"
#include "platform/win/WinTypes.h"

#include "platform/afx/Archive.h"
#include "platform/afx/Array.h"
#include "platform/afx/DC.h"
#include "platform/afx/DumpContext.h"
#include "platform/afx/Exception.h"
#include "platform/afx/File.h"
#include "platform/afx/FileFind.h"
#include "platform/afx/GdiObject.h"
#include "platform/afx/List.h"
#include "platform/afx/MemFile.h"
#include "platform/afx/ObList.h"
#include "platform/afx/Object.h"
#include "platform/afx/Rect.h"
#include "platform/afx/RecordingDC.h"
#include "platform/afx/String.h"
#include "platform/afx/StringArray.h"
#include "platform/afx/TypedPtrList.h"
