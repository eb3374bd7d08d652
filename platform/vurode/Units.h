// Lengths shown to the operator: drawings are kept in millimetres and shown in the settings
// object's unit (millimetre, centimetre, inch, foot or metre).
#pragma once

#include "platform/afx/String.h"

// Millimetres in the current unit; without a settings object (or with an unknown unit) the
// value stays in millimetres.
double MM2CUR(double mm);
// The current unit's short name: "mm", "cm", "in", "ft" or "m".
const wchar_t* gUnitName();
// The format followed by a blank and the current unit's short name, for a value already in
// that unit: gUnitFormat(L"%0.3f") gives L"%0.3f mm" in millimetres. A null format gives the
// name alone after the blank.
CString gUnitFormat(const wchar_t* format);
