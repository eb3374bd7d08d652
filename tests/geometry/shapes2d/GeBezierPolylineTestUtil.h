// Archive helpers of the Bezier and polyline tests: the bytes of an object's own record, typed
// reads from them, and loading a record back into an object.
#pragma once

#include <cstring>
#include <vector>

#include "platform/afx/Afx.h"
#include "support/ArchiveBytes.h"

namespace bezpoly_test {

using archive_bytes::Fields;
using archive_bytes::Get;

inline void LoadFrom(CObject& ob, const std::vector<BYTE>& bytes) {
  archive_bytes::LoadFields(ob, bytes);
}

// Stores the object through the persistent-object format and loads it back (caller owns).
inline CObject* RoundTrip(CObject* ob) { return archive_bytes::RoundTrip(ob); }

}  // namespace bezpoly_test
