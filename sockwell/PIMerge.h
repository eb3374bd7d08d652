// Merging a plug-in's menu and accelerator table into the main frame's.
#pragma once

#include "platform/afx/Menu.h"

// Merges every item of src into dst. At the top level, popups whose texts match without '&'
// are merged into one (after a separator); new popups go before "Window", "?" or "Help".
// Below the top level items are appended after a separator. False when an item cannot be
// added; what was merged stays.
bool PIMergeMenu(CMenu* pMenuDestination, const CMenu* pMenuAdd, bool bTopLevel);
// Replaces dst with a new table of dst's entries followed by src's; false (dst unchanged) when
// src has no entries.
bool PIMergeAccelerator(HACCEL& hDestination, HACCEL hToMerge);
