// Qt's image readers as the bitmap classes' further decoder: GIF and TIFF become readable,
// and the built-in decoders keep the formats they own.
#include "platform/qtwin/QtImageReader.h"
#include "platform/vurode/Dib.h"
#include "support/TinyGif.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class QtImageReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("velmora-qtimg-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  // Qt writes TIFF but not GIF; GIF comes from the tests' own small writer.
  std::string Save(const char* name, const char* format) {
    const std::string path = (dir / name).string();
    if (std::string(format) == "GIF") {
      std::vector<uint8_t> px(10, 0);
      px[9] = 1;
      EXPECT_TRUE(WriteTinyGif(path, 5, 2, px, {{{0, 0, 255}, {255, 255, 0}, {0, 0, 0}, {0, 0, 0}}}));
      return path;
    }
    QImage img(5, 2, QImage::Format_ARGB32);
    img.fill(QColor(0, 0, 255));
    img.setPixelColor(4, 1, QColor(255, 255, 0));
    EXPECT_TRUE(img.save(QString::fromStdString(path), format));
    return path;
  }
  fs::path dir;
};

TEST_F(QtImageReaderTest, GifAndTiffReadOnlyWithTheDecoderInstalled) {
  for (const char* format : {"GIF", "TIFF"}) {
    SCOPED_TRACE(format);
    const std::string path = Save(format == std::string("GIF") ? "p.gif" : "p.tif", format);
    CDib without;
    EXPECT_FALSE(without.ReadFile(CString::FromUtf8(path)));
    velmora::qtwin::CQtImageDecoderScope scope;
    CDib dib;
    ASSERT_TRUE(dib.ReadFile(CString::FromUtf8(path)));
    EXPECT_EQ(dib.GetWidth(), 5);
    EXPECT_EQ(dib.GetHeight(), 2);
    EXPECT_EQ(dib.GetPixel(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(dib.GetPixel(4, 1), RGB(255, 255, 0));
  }
  // The scope put the previous (no) decoder back.
  CDib after;
  EXPECT_FALSE(after.ReadFile(CString::FromUtf8((dir / "p.gif").string())));
}

TEST_F(QtImageReaderTest, GarbageAndMissingFilesAreRefused) {
  velmora::qtwin::CQtImageDecoderScope scope;
  {
    std::ofstream out(dir / "junk.gif", std::ios::binary);
    out << "GIF89a but then nothing sensible";
  }
  DecodedImage img;
  EXPECT_FALSE(velmora::qtwin::QtDecodeImageFile((dir / "junk.gif").string(), img));
  EXPECT_FALSE(velmora::qtwin::QtDecodeImageFile((dir / "none.tif").string(), img));
  EXPECT_EQ(img.width, 0);
  EXPECT_TRUE(img.rgba.empty());
}

}  // namespace
