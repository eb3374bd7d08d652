// The clipboard: each format travels as a MIME type of its own on Qt's clipboard; what we put
// there since it was last cleared is staged, so several formats go up together.
#include "platform/qtwin/QtBackendImpl.h"

#include "platform/win/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>

#include <cstring>
#include <cwchar>
#include <limits>
#include <string>
#include <vector>

namespace velmora::qtwin {

std::string CQtWindowBackend::MimeTypeOf(UINT format, const std::wstring& formatName) {
  if (format == CF_UNICODETEXT || format == CF_TEXT) return "text/plain";
  if (formatName.empty()) return "application/x-velmora-format-" + std::to_string(format);
  std::string s = "application/x-velmora-";
  for (wchar_t c : formatName) {
    if ((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'.' || c == L'-')
      s += static_cast<char>(c);
    else if (c >= L'A' && c <= L'Z')
      s += static_cast<char>(c - L'A' + L'a');
    else
      s += '-';
  }
  return s;
}

void CQtWindowBackend::ClearClipboard() {
  m_impl->staged.clear();
  m_impl->settingClipboard = true;
  QGuiApplication::clipboard()->clear();
  m_impl->settingClipboard = false;
}

bool CQtWindowBackend::SetClipboardBytes(UINT format, const std::wstring& formatName, const BYTE* data, size_t size) {
  if ((!data && size) || size > static_cast<size_t>(std::numeric_limits<qsizetype>::max())) return false;
  QByteArray bytes;
  if (format == CF_UNICODETEXT) {
    // wchar_t text up to its terminator, as UTF-8 for other programs.
    std::wstring text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    bytes = QString::fromStdWString(text).toUtf8();
  } else if (format == CF_TEXT) {
    bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(strnlen(reinterpret_cast<const char*>(data), size)));
  } else {
    bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  }
  m_impl->staged[MimeTypeOf(format, formatName)] = bytes;
  auto* mime = new QMimeData;
  for (const auto& [type, b] : m_impl->staged) mime->setData(QString::fromStdString(type), b);
  m_impl->settingClipboard = true;
  QGuiApplication::clipboard()->setMimeData(mime);
  m_impl->settingClipboard = false;
  return true;
}

bool CQtWindowBackend::GetClipboardBytes(UINT format, const std::wstring& formatName, std::vector<BYTE>& data,
                                         size_t maxBytes) {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  const QString type = QString::fromStdString(MimeTypeOf(format, formatName));
  if (!mime || !mime->hasFormat(type)) return false;
  const QByteArray bytes = mime->data(type);
  if (format == CF_UNICODETEXT) {
    std::wstring text = QString::fromUtf8(bytes).toStdWString();
    const size_t n = (text.size() + 1) * sizeof(wchar_t);
    if (n > maxBytes) return false;
    data.resize(n);
    std::memcpy(data.data(), text.c_str(), n);
    return true;
  }
  const size_t n = static_cast<size_t>(bytes.size()) + (format == CF_TEXT ? 1 : 0);
  if (n > maxBytes) return false;
  data.assign(bytes.begin(), bytes.end());
  if (format == CF_TEXT) data.push_back(0);
  return true;
}

bool CQtWindowBackend::HasClipboardFormat(UINT format, const std::wstring& formatName) {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  return mime && mime->hasFormat(QString::fromStdString(MimeTypeOf(format, formatName)));
}

}  // namespace velmora::qtwin
