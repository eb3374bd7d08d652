// Picture files through Qt's image readers (GIF, TIFF and whatever else the installed format
// plug-ins read), offered to the bitmap classes as their further decoder.
#pragma once

#include "platform/vurode/ImageFile.h"

#include <string>

namespace velmora::qtwin {

// Reads the file with QImageReader, refusing pictures beyond kMaxImageSide / kMaxImagePixels
// before decoding them. False (out untouched) when Qt cannot read it.
bool QtDecodeImageFile(const std::string& path, DecodedImage& out);

// Installs QtDecodeImageFile as the bitmap classes' further decoder for its lifetime and puts
// the previous one back afterwards.
class CQtImageDecoderScope {
 public:
  CQtImageDecoderScope() : m_previous(SetImageFileDecoder(&QtDecodeImageFile)) {}
  ~CQtImageDecoderScope() { SetImageFileDecoder(m_previous); }
  CQtImageDecoderScope(const CQtImageDecoderScope&) = delete;
  CQtImageDecoderScope& operator=(const CQtImageDecoderScope&) = delete;

 private:
  ImageFileDecoder m_previous;
};

}  // namespace velmora::qtwin
