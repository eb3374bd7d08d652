// The common dialogs: message boxes, file and colour dialogs as Qt's, owned by the window's
// top-level peer.
#include "platform/qtwin/QtBackendImpl.h"

#include "platform/win/MessageBox.h"

#include <QColor>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include <algorithm>
#include <string>
#include <vector>

namespace velmora::qtwin {

bool CQtWindowBackend::ColorDialog(HWND hWnd, COLORREF& color) {
  const QColor initial(GetRValue(color), GetGValue(color), GetBValue(color));
  const QColor chosen = QColorDialog::getColor(initial, m_impl->Get(hWnd));
  if (!chosen.isValid()) return false;
  color = RGB(chosen.red(), chosen.green(), chosen.blue());
  return true;
}

int CQtWindowBackend::MessageBox(HWND hWnd, LPCWSTR text, LPCWSTR caption, UINT type) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (type & 0xF0) {
    case MB_ICONSTOP: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONWARNING: icon = QMessageBox::Warning; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    default: break;
  }
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  switch (type & 0xF) {
    case MB_OKCANCEL: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MB_YESNOCANCEL: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case MB_YESNO: buttons = QMessageBox::Yes | QMessageBox::No; break;
    default: break;
  }
  QWidget* owner = m_impl->Get(hWnd);
  QMessageBox box(icon, QString::fromWCharArray(caption ? caption : L""), QString::fromWCharArray(text ? text : L""),
                  buttons, owner ? owner->window() : nullptr);
  switch (box.exec()) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Ok: return IDOK;
    // Closed without a button: cancel when offered, else the box's only answer.
    default: return (type & 0xF) == MB_YESNO ? IDNO : (type & 0xF) == MB_OK ? IDOK : IDCANCEL;
  }
}

std::vector<std::wstring> CQtWindowBackend::NameFilters(const std::wstring& filter) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= filter.size()) {
    const size_t bar = filter.find(L'|', start);
    parts.push_back(filter.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start));
    if (bar == std::wstring::npos) break;
    start = bar + 1;
  }
  std::vector<std::wstring> out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) break;  // the "||" that ends the list
    std::wstring patterns = parts[i + 1];
    for (wchar_t& c : patterns)
      if (c == L';') c = L' ';
    out.push_back(parts[i] + L" (" + patterns + L")");
  }
  return out;
}

bool CQtWindowBackend::FileDialog(win::FileDialogRequest& request) {
  QWidget* owner = m_impl->Get(request.owner);
  QFileDialog dlg(owner ? owner->window() : nullptr, QString::fromStdWString(request.title));
  dlg.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dlg.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  QStringList filters;
  for (const std::wstring& f : NameFilters(request.filter)) filters << QString::fromStdWString(f);
  if (!filters.isEmpty()) {
    dlg.setNameFilters(filters);
    const int index = std::clamp(request.filterIndex, 1, static_cast<int>(filters.size())) - 1;
    dlg.selectNameFilter(filters[index]);
  }
  if (!request.defaultExt.empty()) dlg.setDefaultSuffix(QString::fromStdWString(request.defaultExt));
  if (!request.initialPath.empty()) dlg.selectFile(QString::fromStdWString(request.initialPath));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
  request.chosenPath = dlg.selectedFiles().front().toStdWString();
  request.filterIndex = filters.isEmpty() ? 1 : static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1;
  if (request.filterIndex < 1) request.filterIndex = 1;
  return true;
}

}  // namespace velmora::qtwin
