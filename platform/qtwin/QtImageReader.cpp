#include "platform/qtwin/QtImageReader.h"

#include <QImage>
#include <QImageReader>
#include <QString>

#include <cstring>

namespace velmora::qtwin {

bool QtDecodeImageFile(const std::string& path, DecodedImage& out) {
  QImageReader reader(QString::fromStdString(path));
  // The header's size is checked before any pixel memory is taken.
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > kMaxImageSide || size.height() > kMaxImageSide ||
                         int64_t(size.width()) * size.height() > kMaxImagePixels))
    return false;
  // Qt's own allocation cap, in megabytes, at our pixel limit.
  QImageReader::setAllocationLimit(int((kMaxImagePixels * 4) >> 20));
  QImage image;
  if (!reader.read(&image) || image.isNull()) return false;
  const int w = image.width(), h = image.height();
  if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide || int64_t(w) * h > kMaxImagePixels) return false;
  image = image.convertToFormat(QImage::Format_RGBA8888);
  if (image.isNull()) return false;
  DecodedImage got;
  got.width = w;
  got.height = h;
  got.rgba.resize(size_t(w) * h * 4);
  for (int y = 0; y < h; ++y) std::memcpy(got.rgba.data() + size_t(y) * w * 4, image.constScanLine(y), size_t(w) * 4);
  out = std::move(got);
  return true;
}

}  // namespace velmora::qtwin
