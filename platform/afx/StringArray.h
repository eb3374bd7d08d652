// CStringArray: an array of wide strings.
#pragma once

#include "platform/afx/Array.h"
#include "platform/afx/String.h"

class CStringArray : public CArray<CString, const CString&> {
  DECLARE_DYNAMIC(CStringArray)
};

extern template class CArray<CString, const CString&>;
