#include "platform/afx/RecordingDC.h"
#include "platform/vurode/Dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path DataDir() { return fs::path(VELMORA_TEST_DATA_DIR); }

CString Path(const fs::path& p) { return CString::FromUtf8(p.string()); }

class TempFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("vurode_dib_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  CString Write(const char* name, const std::vector<uint8_t>& bytes) {
    const fs::path p = dir / name;
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
    return Path(p);
  }
  fs::path dir;
};

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = (v >> 8) & 0xFF;
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

// A BMP file built by hand from the format's layout.
std::vector<uint8_t> Bmp(int w, int h, int bpp, const std::vector<uint8_t>& palette,
                         const std::vector<uint8_t>& pixels, uint32_t compression = 0,
                         const std::vector<uint32_t>& masks = {}) {
  const size_t header = 14 + 40 + masks.size() * 4 + palette.size();
  std::vector<uint8_t> b(header);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(header + pixels.size()));
  Put32(b, 10, static_cast<uint32_t>(header));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<uint32_t>(w));
  Put32(b, 22, static_cast<uint32_t>(h));
  Put16(b, 26, 1);
  Put16(b, 28, static_cast<uint32_t>(bpp));
  Put32(b, 30, compression);
  Put32(b, 46, static_cast<uint32_t>(palette.size() / 4));
  for (size_t i = 0; i < masks.size(); ++i) Put32(b, 54 + 4 * i, masks[i]);
  std::copy(palette.begin(), palette.end(), b.begin() + 54 + masks.size() * 4);
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

using TopRows = std::vector<std::vector<COLORREF>>;  // expected pixels, top row first

void ExpectPixels(const CDib& dib, const TopRows& want, int tol = 0) {
  ASSERT_EQ(dib.GetHeight(), static_cast<int>(want.size()));
  ASSERT_EQ(dib.GetWidth(), static_cast<int>(want[0].size()));
  for (int y = 0; y < dib.GetHeight(); ++y) {
    for (int x = 0; x < dib.GetWidth(); ++x) {
      const COLORREF got = dib.GetPixel(x, y), exp = want[y][x];
      EXPECT_NEAR(GetRValue(got), GetRValue(exp), tol) << x << "," << y;
      EXPECT_NEAR(GetGValue(got), GetGValue(exp), tol) << x << "," << y;
      EXPECT_NEAR(GetBValue(got), GetBValue(exp), tol) << x << "," << y;
    }
  }
}

const COLORREF R = RGB(255, 0, 0), G = RGB(0, 255, 0), B = RGB(0, 0, 255), W = RGB(255, 255, 255),
               K = RGB(0, 0, 0);

TEST_F(TempFiles, BmpVariantsDecodeToTheSamePicture) {
  const TopRows want = {{R, G, B}, {W, K, RGB(10, 20, 30)}};
  // 24 bits, bottom row first, rows padded to four bytes.
  const std::vector<uint8_t> px24 = {255, 255, 255, 0, 0, 0, 30, 20, 10, 0, 0, 0,
                                     0,   0,   255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
  // 8-bit palette, top row first (negative height).
  const std::vector<uint8_t> pal = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0,
                                    255, 255, 255, 0, 0, 0, 0, 0, 30, 20, 10, 0};
  const std::vector<uint8_t> px8 = {0, 1, 2, 0, 3, 4, 5, 0};
  // 32-bit bit fields in an unusual order: 0xRRGGBBAA.
  std::vector<uint8_t> px32;
  for (const auto& row : {want[1], want[0]})
    for (COLORREF c : row) {
      const uint32_t v = (uint32_t(GetRValue(c)) << 24) | (GetGValue(c) << 16) | (GetBValue(c) << 8) | 0xFF;
      for (int i = 0; i < 4; ++i) px32.push_back((v >> (8 * i)) & 0xFF);
    }
  // 1 bit with two colours: a checker of red and blue.
  const std::vector<uint8_t> pal1 = {0, 0, 255, 0, 255, 0, 0, 0};
  const std::vector<uint8_t> px1 = {0x40, 0, 0, 0, 0xA0, 0, 0, 0};

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    TopRows want;
  } cases[] = {
      {"b24.bmp", Bmp(3, 2, 24, {}, px24), want},
      {"b8.bmp", Bmp(3, -2, 8, pal, px8), want},
      {"b32.bmp", Bmp(3, 2, 32, {}, px32, 3, {0xFF000000, 0x00FF0000, 0x0000FF00}), want},
      {"b1.bmp", Bmp(3, 2, 1, pal1, px1), {{B, R, B}, {R, B, R}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CDib dib;
    ASSERT_TRUE(dib.ReadFile(Write(c.name, c.bytes)));
    ExpectPixels(dib, c.want);
  }
}

TEST_F(TempFiles, DamagedOrForeignFilesFailCleanly) {
  const std::vector<uint8_t> good = Bmp(3, 2, 24, {}, std::vector<uint8_t>(24, 7));
  std::vector<uint8_t> huge = good;
  Put32(huge, 18, 100000);  // width beyond any real picture
  std::vector<uint8_t> lies = good;
  Put32(lies, 22, 5000);  // more rows than the file holds
  std::vector<uint8_t> rle = good;
  Put32(rle, 30, 1);
  std::vector<uint8_t> badIndex = Bmp(2, 1, 8, {0, 0, 0, 0}, {0, 9, 0, 0});
  std::ifstream jf(DataDir() / "quad16.jpg", std::ios::binary);
  std::vector<uint8_t> jpeg((std::istreambuf_iterator<char>(jf)), {});
  ASSERT_GT(jpeg.size(), 100u);
  std::vector<uint8_t> jpegHead(jpeg.begin(), jpeg.begin() + jpeg.size() / 3);
  size_t scan = 0;  // start-of-scan marker: headers before it, picture data after
  for (size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) scan = i;
  ASSERT_GT(scan, 0u);
  jpeg.resize((scan + jpeg.size()) / 2);  // headers intact, picture data cut short
  std::ifstream pf(DataDir() / "rgba3x2.png", std::ios::binary);
  std::vector<uint8_t> png((std::istreambuf_iterator<char>(pf)), {});
  png[png.size() / 2] ^= 0xFF;

  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"truncated.bmp", std::vector<uint8_t>(good.begin(), good.begin() + 60)},
      {"huge.bmp", huge},
      {"lies.bmp", lies},
      {"rle.bmp", rle},
      {"index.bmp", badIndex},
      {"cut.jpg", jpeg},
      {"head.jpg", jpegHead},
      {"flipped.png", png},
      {"text.bmp", {'h', 'e', 'l', 'l', 'o'}},
      {"empty.png", {}},
  };
  for (const auto& c : cases) {
    CDib dib;
    ASSERT_TRUE(dib.Create(2, 2));
    EXPECT_FALSE(dib.ReadFile(Write(c.name, c.bytes))) << c.name;
    EXPECT_TRUE(dib.IsEmpty()) << c.name;
  }
  CDib none;
  EXPECT_FALSE(none.ReadFile(Path(dir / "missing.png")));
}

TEST(Dib, PngAndJpegDecodeThroughTheirLibraries) {
  CDib png;
  ASSERT_TRUE(png.ReadFile(Path(DataDir() / "rgba3x2.png")));
  ExpectPixels(png, {{R, G, B}, {W, K, RGB(10, 20, 30)}});
  // Bottom row first in memory, with alpha kept.
  const DibPixel* bits = png.GetBits();
  EXPECT_EQ(bits[0].red, 255);
  EXPECT_EQ(bits[0].alpha, 128);
  EXPECT_EQ(bits[1].alpha, 0);
  EXPECT_EQ(bits[3].red, 255);
  EXPECT_EQ(bits[3].green, 0);

  CDib grey;
  ASSERT_TRUE(grey.ReadFile(Path(DataDir() / "grey2x2.png")));
  EXPECT_EQ(grey.GetPixel(1, 0), W);
  EXPECT_EQ(GetGValue(grey.GetPixel(0, 1)), GetRValue(grey.GetPixel(0, 1)));

  CDib jpg;
  ASSERT_TRUE(jpg.ReadFile(Path(DataDir() / "quad16.jpg")));
  ASSERT_EQ(jpg.GetWidth(), 16);
  ASSERT_EQ(jpg.GetHeight(), 16);
  // Lossy: block centres within a few levels.
  const struct {
    int x, y;
    COLORREF c;
  } probes[] = {{3, 3, R}, {12, 3, B}, {3, 12, G}, {12, 12, B}};
  for (const auto& p : probes) {
    const COLORREF got = jpg.GetPixel(p.x, p.y);
    EXPECT_NEAR(GetRValue(got), GetRValue(p.c), 12) << p.x << "," << p.y;
    EXPECT_NEAR(GetGValue(got), GetGValue(p.c), 12) << p.x << "," << p.y;
    EXPECT_NEAR(GetBValue(got), GetBValue(p.c), 12) << p.x << "," << p.y;
  }
}

TEST(Dib, EnBitmapBlendsTransparencyOverTheBackground) {
  CEnBitmap bmp;
  ASSERT_TRUE(bmp.LoadImage(Path(DataDir() / "rgba3x2.png"), RGB(0, 0, 200)));
  // White at alpha 128 over (0, 0, 200); black fully transparent shows the background.
  EXPECT_EQ(bmp.GetPixel(0, 1), RGB(128, 128, 228));
  EXPECT_EQ(bmp.GetPixel(1, 1), RGB(0, 0, 200));
  EXPECT_EQ(bmp.GetPixel(2, 0), B);
  const DibPixel* px = bmp.GetDIBits32();
  ASSERT_NE(px, nullptr);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(px[i].alpha, 255);
  CEnBitmap missing;
  EXPECT_FALSE(missing.LoadImage(CString(L"/nonexistent/x.png"), 0));
  EXPECT_EQ(missing.GetDIBits32(), nullptr);
}

TEST(Dib, DisplayScalesNearestAndSkipsTransparentPixels) {
  CDib dib;
  ASSERT_TRUE(dib.ReadFile(Path(DataDir() / "rgba3x2.png")));
  CRecordingDC dc;
  dib.Display(&dc, CPoint(10, 20), CSize(6, 4));  // every source pixel becomes 2 x 2
  const auto& calls = dc.GetCalls();
  EXPECT_EQ(calls.size(), 24u - 4u) << "the transparent pixel is not drawn";
  for (const auto& c : calls) {
    ASSERT_EQ(c.kind, CRecordingDC::Kind::SetPixel);
    const CPoint p = c.points[0];
    EXPECT_EQ(c.pixelColor, dib.GetPixel((p.x - 10) / 2, (p.y - 20) / 2));
  }
  dib.Display(nullptr, CPoint(0, 0), CSize(4, 4));
  dib.Display(&dc, CPoint(0, 0), CSize(0, 4));
  EXPECT_EQ(calls.size(), 20u);
}

TEST(Dib, SharedPictureIsDeletedByItsLastOwner) {
  CDib* dib = new CDib;
  ASSERT_TRUE(dib->Create(4, 4));
  dib->SetPixel(1, 2, RGB(1, 2, 3));
  EXPECT_EQ(dib->GetPixel(1, 2), RGB(1, 2, 3));
  EXPECT_EQ(dib->GetPixel(4, 0), 0xFFFFFFFFu);
  EXPECT_EQ(dib->AddRef(), 1);
  EXPECT_EQ(dib->AddRef(), 2);
  EXPECT_EQ(dib->Release(), 1);
  EXPECT_EQ(dib->Release(), 0);  // deleted here; the leak checker would notice otherwise
  CDib bad;
  EXPECT_FALSE(bad.Create(0, 5));
  EXPECT_FALSE(bad.Create(40000, 40000));
}

}  // namespace
