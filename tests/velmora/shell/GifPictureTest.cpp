// GIF walking and the animated picture: frames cut from written GIFs, a corpus of broken and
// hostile files, and the control's passes, delays, disposal and stopping.
#include "GifTestImages.h"

#include "velmora/pictures/PictureEx.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

using giftest::kPalette;
using giftest::Solid;

namespace {

std::vector<BYTE> ThreeFrames() {
  return GifWrite(8, 6, kPalette,
                  {Solid(0, 0, 8, 6, 1, 5, 0), Solid(2, 1, 3, 2, 2, 3, 2), Solid(4, 3, 4, 3, 3, 50, 3)});
}

// Parses from a heap block of exactly the data's size, so a read past it trips the sanitizer.
BOOL ParseExact(const std::vector<BYTE>& bytes, GifInfo& info) {
  std::unique_ptr<BYTE[]> block(new BYTE[bytes.size() ? bytes.size() : 1]);
  std::copy(bytes.begin(), bytes.end(), block.get());
  return GifParse(block.get(), bytes.size(), info);
}

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override { velmora::win::SetPictureDecoder(giftest::DecodeWritten); }
  void TearDown() override { velmora::win::SetPictureDecoder(nullptr); }
  static void WaitEnd(CPictureEx& p) {
    for (int i = 0; i < 1000 && p.IsPlaying(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  static uint32_t At(const CPictureEx& p, int x, int y) { return p.GetImage()[size_t(y) * p.GetSize().cx + x]; }
};

}  // namespace

TEST(GifFile, FramesCarryTheirPlaceDelayAndDisposal) {
  GifInfo info;
  ASSERT_TRUE(ParseExact(ThreeFrames(), info));
  EXPECT_EQ(info.width, 8);
  EXPECT_EQ(info.height, 6);
  EXPECT_TRUE(info.hasBackground);
  EXPECT_EQ(info.background, RGB(255, 255, 255));
  struct Want { int left, top, w, h, delay, disposal; } want[] = {{0, 0, 8, 6, 5, 0}, {2, 1, 3, 2, 3, 2}, {4, 3, 4, 3, 50, 3}};
  ASSERT_EQ(info.frames.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const GifFrameInfo& f = info.frames[i];
    EXPECT_EQ(f.left, want[i].left);
    EXPECT_EQ(f.top, want[i].top);
    EXPECT_EQ(f.width, want[i].w);
    EXPECT_EQ(f.height, want[i].h);
    EXPECT_EQ(f.delay, want[i].delay);
    EXPECT_EQ(f.disposal, want[i].disposal);
    // Each cut-out frame is a GIF of its own with that one image.
    GifInfo one;
    ASSERT_TRUE(ParseExact(f.gif, one)) << i;
    ASSERT_EQ(one.frames.size(), 1u);
    EXPECT_EQ(one.frames[0].left, f.left);
    EXPECT_EQ(one.frames[0].width, f.width);
    EXPECT_EQ(one.width, 8);
    velmora::win::DecodedPicture pic;
    ASSERT_TRUE(giftest::DecodeWritten(f.gif.data(), f.gif.size(), pic));
    EXPECT_EQ(pic.argb[size_t(f.top) * 8 + f.left], 0xFF000000u | kPalette[i + 1]);
  }
  // One image: no cut-outs, and no delay without a control extension.
  ASSERT_TRUE(ParseExact(GifWrite(4, 4, kPalette, {Solid(0, 0, 4, 4, 1, 0, 0)}), info));
  ASSERT_EQ(info.frames.size(), 1u);
  EXPECT_TRUE(info.frames[0].gif.empty());
  EXPECT_EQ(info.frames[0].delay, -1);
}

TEST(GifFile, EveryTruncationFailsWithinTheData) {
  const std::vector<BYTE> gif = ThreeFrames();
  GifInfo info;
  for (size_t n = 0; n < gif.size(); ++n) {
    const std::vector<BYTE> cut(gif.begin(), gif.begin() + n);
    EXPECT_FALSE(ParseExact(cut, info)) << n;
  }
  EXPECT_TRUE(ParseExact(gif, info));
}

TEST(GifFile, HostileCorpusIsRefused) {
  const std::vector<BYTE> good = ThreeFrames();
  GifInfo parsed;
  ASSERT_TRUE(ParseExact(good, parsed));
  const size_t header = 13 + 3 * 4;  // 4-colour global table
  auto with = [&](size_t at, std::initializer_list<BYTE> bytes) {
    std::vector<BYTE> v = good;
    size_t i = at;
    for (BYTE b : bytes) v[i++] = b;
    return v;
  };
  auto insertAt = [&](size_t at, std::initializer_list<BYTE> bytes) {
    std::vector<BYTE> v = good;
    v.insert(v.begin() + at, bytes);
    return v;
  };
  // The first image's first data sub-block length byte.
  const size_t firstImage = header + 8;
  const size_t firstSub = firstImage + 11;
  struct Case { const char* name; std::vector<BYTE> data; } cases[] = {
      {"not a GIF signature", with(0, {'G', 'I', 'F', '8', '8', 'a'})},
      {"unknown block introducer", with(header, {0x99})},
      {"unknown extension label", with(header + 1, {0x42})},
      {"sub-block longer than the file", with(firstSub, {0xFF})},
      {"no trailer", std::vector<BYTE>(good.begin(), good.end() - 1)},
      {"trailer only", [&] {
         std::vector<BYTE> v(good.begin(), good.begin() + header);
         v.push_back(0x3B);
         return v;
       }()},
      {"logical screen beyond the limit", with(6, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"zero-sized screen", with(6, {0, 0})},
      {"local colour table past the end", [&] {
         std::vector<BYTE> v(good.begin(), good.begin() + firstImage + 11);
         v[firstImage + 9] = 0x87;  // a 768-byte local table that is not there
         v.push_back(0x3B);
         return v;
       }()},
      {"comment whose chain never ends", [&] {
         std::vector<BYTE> v(good.begin(), good.begin() + header);
         v.insert(v.end(), {0x21, 0xFE, 0x05, 'a', 'b'});
         return v;
       }()},
      {"application extension cut in its header", insertAt(header, {0x21, 0xFF, 0x0B, 'N', 'E'})},
  };
  for (const Case& c : cases) {
    GifInfo info;
    EXPECT_FALSE(ParseExact(c.data, info)) << c.name;
    EXPECT_TRUE(info.frames.empty()) << c.name;
  }
  // Well-formed extensions of every kind are walked over.
  std::vector<BYTE> ext = good;
  const std::vector<BYTE> blocks = {0x21, 0xFE, 0x02, 'h', 'i', 0x00,                                  // comment
                                    0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                    0x03, 0x01, 0x00, 0x00, 0x00,                                     // application
                                    0x21, 0x01, 0x0C, 0, 0, 0, 0, 8, 0, 6, 0, 1, 1, 0, 1, 0x01, 'x', 0x00};  // plain text
  ext.insert(ext.begin() + header, blocks.begin(), blocks.end());
  GifInfo info;
  ASSERT_TRUE(ParseExact(ext, info));
  EXPECT_EQ(info.frames.size(), 3u);
}

TEST(GifFile, FrameCountIsBounded) {
  std::vector<GifWriteFrame> frames(kGifMaxFrames + 1, Solid(0, 0, 1, 1, 1, 5, 0));
  GifInfo info;
  EXPECT_FALSE(ParseExact(GifWrite(1, 1, kPalette, frames), info));
}

TEST(PictureEx, FrameWaits) {
  struct Case { int delay, ms; } cases[] = {{3, 100}, {50, 500}, {4, 100}, {5, 50}, {0, 100}, {-1, 100}};
  for (const Case& c : cases) EXPECT_EQ(CPictureEx::FrameWaitMs(c.delay), c.ms) << c.delay;
}

TEST_F(PictureTest, FirstDrawShowsFrameZeroThenEachDrawPlaysAPass) {
  CPictureEx pic;
  const std::vector<BYTE> gif = ThreeFrames();
  ASSERT_TRUE(pic.Load(gif.data(), gif.size()));
  EXPECT_EQ(pic.GetFrameCount(), 3u);
  EXPECT_EQ(pic.GetSize(), CSize(8, 6));
  EXPECT_FALSE(pic.Draw());  // an animation answers FALSE and plays on its thread
  WaitEnd(pic);
  using Shown = std::vector<std::pair<int, int>>;
  EXPECT_EQ(pic.GetShownFrames(), (Shown{{0, 0}}));
  EXPECT_EQ(At(pic, 0, 0), kPalette[1]);
  // The next pass: frames 1 and 2 with their delays, then frame 0 again, ending there.
  pic.Draw();
  WaitEnd(pic);
  EXPECT_FALSE(pic.IsPlaying());
  EXPECT_EQ(pic.GetShownFrames(), (Shown{{0, 0}, {1, 100}, {2, 500}, {0, 50}}));
  EXPECT_EQ(At(pic, 7, 5), kPalette[1]);
}

TEST_F(PictureTest, DisposalRestoresBackgroundOrWhatWasUnder) {
  // Frame 1 (disposal 2) leaves background behind, frame 2 (disposal 3) leaves what was under it.
  const std::vector<BYTE> gif = GifWrite(8, 6, kPalette,
                                         {Solid(0, 0, 8, 6, 1, 5, 0), Solid(0, 0, 2, 2, 2, 5, 2),
                                          Solid(4, 3, 2, 2, 3, 5, 3), Solid(7, 0, 1, 1, 2, 5, 0)});
  CPictureEx pic;
  ASSERT_TRUE(pic.Load(gif.data(), gif.size()));
  pic.Draw();
  WaitEnd(pic);
  pic.Draw();
  WaitEnd(pic);
  // Frame 3 was the last before the wrap: the image was cleared, then frame 0 drawn over it all.
  EXPECT_EQ(At(pic, 0, 0), kPalette[1]);
  // Stop the next pass on frame 3 to look at what frames 1 and 2 left.
  pic.Draw();
  for (int i = 0; i < 1000 && pic.GetShownFrames().size() < 8; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  pic.Stop();
  ASSERT_GE(pic.GetShownFrames().size(), 8u);
  EXPECT_EQ(At(pic, 0, 0), 0xFFFFFFu) << "disposal 2 leaves the background";
  EXPECT_EQ(At(pic, 4, 3), kPalette[1]) << "disposal 3 leaves what was under the frame";
}

TEST_F(PictureTest, StopCutsALongDelayShortAndJoins) {
  const std::vector<BYTE> gif = GifWrite(4, 4, kPalette, {Solid(0, 0, 4, 4, 1, 5, 0), Solid(0, 0, 4, 4, 2, 6000, 0)});
  CPictureEx pic;
  ASSERT_TRUE(pic.Load(gif.data(), gif.size()));
  pic.Draw();
  WaitEnd(pic);
  const auto start = std::chrono::steady_clock::now();
  pic.Draw();
  for (int i = 0; i < 1000 && pic.GetShownFrames().size() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_TRUE(pic.IsPlaying());
  pic.Stop();
  EXPECT_FALSE(pic.IsPlaying());
  // The frame would have stayed a minute.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  // Destroying a playing control stops and joins its thread first.
  auto playing = std::make_unique<CPictureEx>();
  ASSERT_TRUE(playing->Load(gif.data(), gif.size()));
  playing->Draw();
  WaitEnd(*playing);
  playing->Draw();
  playing.reset();
}

TEST_F(PictureTest, SingleFramesDrawAtOnceAndBrokenFilesLeaveTheControlEmpty) {
  const std::vector<BYTE> one = GifWrite(5, 3, kPalette, {Solid(0, 0, 5, 3, 3, 0, 0)});
  CPictureEx pic;
  ASSERT_TRUE(pic.Load(one.data(), one.size()));
  EXPECT_TRUE(pic.Draw());
  EXPECT_FALSE(pic.IsPlaying());
  EXPECT_TRUE(pic.GetShownFrames().empty());
  EXPECT_EQ(At(pic, 4, 2), kPalette[3]);
  // A truncated animation, a missing resource and data nobody decodes: nothing loaded.
  const std::vector<BYTE> gif = ThreeFrames();
  EXPECT_FALSE(pic.Load(gif.data(), gif.size() - 7));
  EXPECT_FALSE(pic.Draw());
  EXPECT_EQ(pic.GetFrameCount(), 0u);
  EXPECT_FALSE(pic.Load(4242, L"GIF"));
  const BYTE junk[] = {1, 2, 3, 4};
  EXPECT_FALSE(pic.Load(junk, sizeof junk));
  EXPECT_FALSE(pic.Load(nullptr, 10));
}
