// Picture decoding against files whose headers promise far more than they hold: they must fail
// without taking memory for the promised size. Every such picture here would fill a gigabyte,
// so the process's peak resident size tells whether a decoder allocated for it.
#include "platform/vurode/ImageFile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Peak resident memory of this process so far, in bytes.
int64_t PeakBytes() {
  rusage use{};
  getrusage(RUSAGE_SELF, &use);
  return int64_t(use.ru_maxrss) * 1024;
}

constexpr int64_t kSmall = int64_t(256) << 20;  // far below any of the declared pictures

void Put16BE(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}
void Put32BE(std::vector<uint8_t>& b, uint32_t v) {
  Put16BE(b, v >> 16);
  Put16BE(b, v & 0xFFFF);
}

// A baseline grey JPEG whose Huffman tables have one 1-bit code each (DC difference 0, end of
// block), so "00" codes one flat mid-grey block. `entropy` follows the scan header as given.
// The arithmetic-coded variant uses the coder's default conditioning instead of tables.
std::vector<uint8_t> GreyJpeg(uint32_t w, uint32_t h, const std::vector<uint8_t>& entropy, bool withEnd,
                              bool arithmetic = false) {
  std::vector<uint8_t> b = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
  b.insert(b.end(), 64, 1);  // quantisation table of ones
  b.insert(b.end(), {0xFF, uint8_t(arithmetic ? 0xC9 : 0xC0), 0x00, 0x0B, 0x08});
  Put16BE(b, h);
  Put16BE(b, w);
  b.insert(b.end(), {0x01, 0x01, 0x11, 0x00});
  for (uint8_t tableClass : {0x00, 0x10}) {
    if (arithmetic) break;
    b.insert(b.end(), {0xFF, 0xC4, 0x00, 0x14, tableClass, 1});
    b.insert(b.end(), 15, 0);
    b.push_back(0x00);  // the one symbol
  }
  b.insert(b.end(), {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00});
  b.insert(b.end(), entropy.begin(), entropy.end());
  if (withEnd) b.insert(b.end(), {0xFF, 0xD9});
  return b;
}

uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

void PngChunk(std::vector<uint8_t>& b, const char* type, const std::vector<uint8_t>& data) {
  Put32BE(b, static_cast<uint32_t>(data.size()));
  const size_t at = b.size();
  b.insert(b.end(), type, type + 4);
  b.insert(b.end(), data.begin(), data.end());
  Put32BE(b, Crc32(b.data() + at, b.size() - at));
}

// An 8-bit RGBA PNG of the given size whose image data is `idat` as it stands.
std::vector<uint8_t> Png(uint32_t w, uint32_t h, const std::vector<uint8_t>& idat) {
  std::vector<uint8_t> b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> ihdr;
  Put32BE(ihdr, w);
  Put32BE(ihdr, h);
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  PngChunk(b, "IHDR", ihdr);
  PngChunk(b, "IDAT", idat);
  PngChunk(b, "IEND", {});
  return b;
}

struct Case {
  const char* name;
  std::vector<uint8_t> bytes;
  bool decodes;
};

TEST(ImageFile, ShortFilesFailWithoutAllocatingTheirDeclaredSize) {
  // zlib stream of one stored block holding the two filtered rows of a 1 x 2 RGBA picture.
  const std::vector<uint8_t> tinyIdat = {0x78, 0x01, 0x01, 0x0A, 0x00, 0xF5, 0xFF, 0, 9, 8, 7, 255,
                                         0, 9, 8, 7, 255, 0x08, 0x0F, 0x02, 0x2F};
  const std::vector<Case> cases = {
      {"flat 16 x 8 grey picture", GreyJpeg(16, 8, {0x0F}, true), true},
      {"one scan byte for 12288 x 19713 pixels", GreyJpeg(12288, 19713, {0x0F}, false), false},
      {"same with its end marker", GreyJpeg(12288, 19713, {0x0F}, true), false},
      // Long enough for its size at the tightest coding, but the file stops half-way.
      {"64 x 64 ending after half its blocks", GreyJpeg(64, 64, std::vector<uint8_t>(8, 0), false), false},
      {"arithmetic-coded, two scan bytes for 12288 x 19713 pixels",
       GreyJpeg(12288, 19713, {0x00, 0x00}, false, true), false},
      {"whole 1 x 2 png", Png(1, 2, tinyIdat), true},
      {"png data of 1 x 2 declared as 16384 x 16384", Png(16384, 16384, tinyIdat), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecodedImage img;
    const int64_t before = PeakBytes();
    EXPECT_EQ(DecodeImageBytes(c.bytes.data(), c.bytes.size(), img), c.decodes);
    EXPECT_LT(PeakBytes() - before, kSmall);
    if (c.decodes) {
      ASSERT_FALSE(img.rgba.empty());
      EXPECT_EQ(img.rgba.size(), size_t(img.width) * img.height * 4);
    } else {
      EXPECT_EQ(img.width, 0);
      EXPECT_TRUE(img.rgba.empty());
    }
  }
}

TEST(ImageFile, FlatJpegDecodesToMidGrey) {
  // Checks the hand-made file above decodes to what its codes say, so the failures mean what
  // they claim.
  const std::vector<uint8_t> jpeg = GreyJpeg(16, 8, {0x0F}, true);
  DecodedImage img;
  ASSERT_TRUE(DecodeImageBytes(jpeg.data(), jpeg.size(), img));
  ASSERT_EQ(img.width, 16);
  ASSERT_EQ(img.height, 8);
  for (size_t i = 0; i < img.rgba.size(); i += 4) {
    ASSERT_EQ(img.rgba[i], 128) << i;
    ASSERT_EQ(img.rgba[i + 1], 128) << i;
    ASSERT_EQ(img.rgba[i + 2], 128) << i;
    ASSERT_EQ(img.rgba[i + 3], 255) << i;
  }
}

}  // namespace
