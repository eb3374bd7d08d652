#include "platform/afx/StringArray.h"

template class CArray<CString, const CString&>;

IMPLEMENT_DYNAMIC(CStringArray, CObject)
