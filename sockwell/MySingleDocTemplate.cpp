#include "sockwell/MySingleDocTemplate.h"

CString CMySingleDocTemplate::GetDocClass() const {
  if (!m_pDocClass || !m_pDocClass->m_lpszClassName) return CString();
  return CString::FromUtf8(m_pDocClass->m_lpszClassName);
}
