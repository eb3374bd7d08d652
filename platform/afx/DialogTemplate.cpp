#include "platform/afx/DialogTemplate.h"

#include <map>

namespace {
std::map<UINT, AfxDialogTemplate>& Templates() {
  static std::map<UINT, AfxDialogTemplate> map;
  return map;
}
}  // namespace

BOOL AfxRegisterDialogTemplate(const AfxDialogTemplate& tmpl) {
  if (tmpl.id == 0 || tmpl.cx < 0 || tmpl.cy < 0) return FALSE;
  for (const AfxDialogItem& item : tmpl.items)
    if (!item.cls || !*item.cls) return FALSE;
  Templates()[tmpl.id] = tmpl;
  return TRUE;
}

const AfxDialogTemplate* AfxFindDialogTemplate(UINT nIDTemplate) {
  auto it = Templates().find(nIDTemplate);
  return it == Templates().end() ? nullptr : &it->second;
}

BOOL AfxUnregisterDialogTemplate(UINT nIDTemplate) { return Templates().erase(nIDTemplate) ? TRUE : FALSE; }
