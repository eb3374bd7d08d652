// CMySingleDocTemplate: a single-document template that reports its document class name.
#pragma once

#include "platform/afx/DocView.h"

class CMySingleDocTemplate : public CSingleDocTemplate {
 public:
  CMySingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                       CRuntimeClass* pViewClass)
      : CSingleDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

  // The document class's run-time class name; empty without a document class.
  CString GetDocClass() const;
};
