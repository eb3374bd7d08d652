// A scanned bitmap (a device-independent bitmap in a global block, as a native TWAIN transfer
// hands it over) copied into a picture, and placed into the drawing as an image entity.
#pragma once

#include "platform/twain/Twain.h"
#include "platform/win/WinTypes.h"

class CDib;

// A new picture (reference count 1 taken by the caller) of the bitmap's pixels; null for a block
// that is not a readable 1, 4, 8, 24 or 32-bit bitmap lying wholly inside it.
CDib* KxDibFromScan(HANDLE hBitmap);
// Copies the bitmap at once (the source frees it afterwards) and adds it to the drawing as an
// image with its lower-left corner at the origin, one drawing millimetre per pixel at the
// scan's resolution (one unit per pixel when the resolution is unknown). FALSE when nothing
// was added.
BOOL KxAddScannedImage(HANDLE hBitmap, const TW_IMAGEINFO& info);
