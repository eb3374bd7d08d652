// Ownership checks while 3D curves that own other curves are loaded from an archive: a back
// reference to an object still being loaded would nest it inside itself, and a file naming one
// curve twice would give it two owners. One scope spans the outermost owning object's load.
#pragma once

#include "platform/afx/Afx.h"

class CCurve3dLoadScope {
 public:
  explicit CCurve3dLoadScope(const CObject* self);
  ~CCurve3dLoadScope();
  CCurve3dLoadScope(const CCurve3dLoadScope&) = delete;
  CCurve3dLoadScope& operator=(const CCurve3dLoadScope&) = delete;

  // Records ob as owned; false when it is still being loaded or was adopted before.
  static bool Adopt(const CObject* ob);
  // Throws the archive exception unless ob may be adopted.
  static void AdoptOrThrow(const CObject* ob);

 private:
  const CObject* m_self;
};
