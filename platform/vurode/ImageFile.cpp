#include "platform/vurode/ImageFile.h"

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

namespace {

bool SizeOk(int64_t w, int64_t h) {
  return w > 0 && h > 0 && w <= kMaxImageSide && h <= kMaxImageSide && w * h <= kMaxImagePixels;
}

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Position and width of a colour mask, to widen any field to 8 bits.
struct Mask {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Mask(uint32_t m) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
  }
  uint8_t Get(uint32_t v) const {
    if (!mask) return 0;
    const uint32_t f = (v & mask) >> shift;
    const uint32_t maxv = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1);
    return static_cast<uint8_t>((uint64_t(f) * 255 + maxv / 2) / maxv);
  }
};

bool DecodeBmp(const uint8_t* d, size_t n, DecodedImage& out) {
  if (n < 14 + 40) return false;
  const uint32_t pixelOffset = Le32(d + 10);
  const uint32_t infoSize = Le32(d + 14);
  if (infoSize < 40 || 14 + size_t(infoSize) > n) return false;
  const int32_t w = static_cast<int32_t>(Le32(d + 18));
  const int32_t hRaw = static_cast<int32_t>(Le32(d + 22));
  const int bpp = Le16(d + 28);
  const uint32_t compression = Le32(d + 30);
  uint32_t colours = Le32(d + 46);
  const bool topDown = hRaw < 0;
  const int64_t h = topDown ? -int64_t(hRaw) : hRaw;
  if (!SizeOk(w, h)) return false;

  uint32_t rm = 0, gm = 0, bm = 0, am = 0;
  if (compression == 3 || compression == 6) {  // bit fields, after the header or inside it
    const size_t at = 14 + 40;  // right after the basic header, inside the larger ones
    if (at + 12 > n) return false;
    rm = Le32(d + at);
    gm = Le32(d + at + 4);
    bm = Le32(d + at + 8);
    if (infoSize >= 56 || (compression == 6 && at + 16 <= n)) am = Le32(d + at + 12);
    if (bpp != 16 && bpp != 32) return false;
  } else if (compression == 0) {
    if (bpp == 16) { rm = 0x7C00; gm = 0x03E0; bm = 0x001F; }
    if (bpp == 32) { rm = 0x00FF0000; gm = 0x0000FF00; bm = 0x000000FF; }
  } else {
    return false;  // run-length and embedded formats are not read
  }

  std::vector<uint8_t> palette;  // BGRx entries
  if (bpp <= 8) {
    if (bpp != 1 && bpp != 4 && bpp != 8) return false;
    if (colours == 0 || colours > (1u << bpp)) colours = 1u << bpp;
    const size_t at = 14 + size_t(infoSize);
    if (at + size_t(colours) * 4 > n) return false;
    palette.assign(d + at, d + at + size_t(colours) * 4);
  } else if (bpp != 16 && bpp != 24 && bpp != 32) {
    return false;
  }

  const size_t stride = ((size_t(w) * bpp + 31) / 32) * 4;
  if (pixelOffset > n || stride * size_t(h) > n - pixelOffset) return false;

  const Mask mr(rm), mg(gm), mb(bm), ma(am);
  DecodedImage img;
  img.width = w;
  img.height = static_cast<int>(h);
  img.rgba.resize(size_t(w) * size_t(h) * 4);
  for (int64_t row = 0; row < h; ++row) {
    const uint8_t* src = d + pixelOffset + stride * size_t(topDown ? row : h - 1 - row);
    uint8_t* dst = img.rgba.data() + size_t(row) * size_t(w) * 4;
    for (int x = 0; x < w; ++x, dst += 4) {
      if (bpp <= 8) {
        const int perByte = 8 / bpp;
        const int shift = 8 - bpp * (1 + x % perByte);
        const uint32_t idx = (src[x / perByte] >> shift) & ((1u << bpp) - 1);
        if (idx >= colours) return false;
        dst[0] = palette[idx * 4 + 2];
        dst[1] = palette[idx * 4 + 1];
        dst[2] = palette[idx * 4];
        dst[3] = 255;
      } else if (bpp == 24) {
        dst[0] = src[x * 3 + 2];
        dst[1] = src[x * 3 + 1];
        dst[2] = src[x * 3];
        dst[3] = 255;
      } else {
        const uint32_t v = bpp == 16 ? Le16(src + x * 2) : Le32(src + x * 4);
        dst[0] = mr.Get(v);
        dst[1] = mg.Get(v);
        dst[2] = mb.Get(v);
        dst[3] = am ? ma.Get(v) : 255;
      }
    }
  }
  out = std::move(img);
  return true;
}

// Deflate packs at most 1032 bytes into one (a 258-byte match in two 1-bit codes), so a file
// shorter than its declared rows over 1032 cannot hold them; refusing it early keeps a header
// of a few bytes from making us allocate for the whole picture. The header is IHDR, first
// chunk (the library checked it): bit depth at byte 24, colour type at byte 25.
bool PngLongEnough(const uint8_t* d, size_t n, uint64_t w, uint64_t h) {
  if (n < 26) return false;
  const uint64_t depth = d[24];
  uint64_t channels = 1;
  switch (d[25]) {
    case 2: channels = 3; break;  // RGB
    case 4: channels = 2; break;  // grey + alpha
    case 6: channels = 4; break;  // RGBA
    default: break;               // grey, palette
  }
  const uint64_t rowBytes = 1 + (w * depth * channels + 7) / 8;  // filter byte + samples
  return uint64_t(n) * 1032 >= rowBytes * h;
}

bool DecodePng(const uint8_t* d, size_t n, DecodedImage& out) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, d, n)) return false;
  if (!SizeOk(image.width, image.height) || !PngLongEnough(d, n, image.width, image.height)) {
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  DecodedImage img;
  img.width = static_cast<int>(image.width);
  img.height = static_cast<int>(image.height);
  img.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, img.rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  out = std::move(img);
  return true;
}

struct JpegError {
  jpeg_error_mgr mgr;  // first: the library's pointer to it is cast back to this record
  std::jmp_buf jump;
};

[[noreturn]] void JpegFail(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

// Warnings are not printed. A file that ends before its picture does is damaged: the library
// would go on inventing grey rows for the rest of the declared size, so decoding stops here.
void JpegWarn(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) JpegFail(cinfo);
}

// Huffman coding spends at least one bit on every 8x8 block of a scan, and the first scan
// (interleaved, or one component's own) has at least one block per MCU of the picture. Data
// after the first scan header shorter than an eighth of a byte per MCU therefore cannot be a
// whole picture: refused before anything is allocated for the declared size (libjpeg takes
// whole-picture buffers for multi-scan files as decoding starts). Arithmetic coding has no
// such floor; those pictures are left to the end-of-data stop.
bool JpegLongEnough(const jpeg_decompress_struct& cinfo) {
  if (cinfo.arith_code) return true;
  const uint64_t mcuW = 8 * uint64_t(cinfo.max_h_samp_factor), mcuH = 8 * uint64_t(cinfo.max_v_samp_factor);
  const uint64_t mcus = (cinfo.image_width + mcuW - 1) / mcuW * ((cinfo.image_height + mcuH - 1) / mcuH);
  return uint64_t(cinfo.src->bytes_in_buffer) * 8 >= mcus;
}

// Decoding state on the heap: libjpeg reports errors by jumping out of its calls, which
// skips destructors of this frame's objects.
struct JpegWork {
  DecodedImage img;
  std::vector<uint8_t> line;
};

bool DecodeJpeg(const uint8_t* d, size_t n, DecodedImage& out) {
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegFail;
  err.mgr.emit_message = JpegWarn;
  JpegWork* work = new JpegWork;
  jpeg_create_decompress(&cinfo);
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    delete work;
    return false;
  }
  jpeg_mem_src(&cinfo, d, static_cast<unsigned long>(n));
  jpeg_read_header(&cinfo, TRUE);
  if (!SizeOk(cinfo.image_width, cinfo.image_height) || !JpegLongEnough(cinfo))
    JpegFail(reinterpret_cast<j_common_ptr>(&cinfo));
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != 3) JpegFail(reinterpret_cast<j_common_ptr>(&cinfo));
  DecodedImage& img = work->img;
  img.width = static_cast<int>(cinfo.output_width);
  img.height = static_cast<int>(cinfo.output_height);
  const size_t rowBytes = size_t(img.width) * 4;
  // Huffman-coded data was checked against the declared size above; an arithmetic-coded picture
  // grows with the rows it really holds, so a short one stops before the whole size is taken.
  const bool grow = cinfo.arith_code;
  if (!grow) img.rgba.resize(rowBytes * img.height);
  work->line.resize(size_t(img.width) * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = work->line.data();
    const JDIMENSION y = cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) JpegFail(reinterpret_cast<j_common_ptr>(&cinfo));
    if (grow) img.rgba.resize(rowBytes * (y + 1));
    uint8_t* dst = img.rgba.data() + size_t(y) * img.width * 4;
    for (int x = 0; x < img.width; ++x) {
      dst[x * 4] = work->line[x * 3];
      dst[x * 4 + 1] = work->line[x * 3 + 1];
      dst[x * 4 + 2] = work->line[x * 3 + 2];
      dst[x * 4 + 3] = 255;
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  out = std::move(img);
  delete work;
  return true;
}

}  // namespace

namespace {
std::atomic<ImageFileDecoder> g_extraDecoder{nullptr};
}  // namespace

ImageFileDecoder SetImageFileDecoder(ImageFileDecoder decoder) { return g_extraDecoder.exchange(decoder); }

bool DecodeImageBytes(const uint8_t* data, size_t size, DecodedImage& out) {
  if (!data || size < 4) return false;
  if (data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, size, out);
  if (size >= 8 && png_sig_cmp(data, 0, 8) == 0) return DecodePng(data, size, out);
  if (data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return DecodeJpeg(data, size, out);
  return false;
}

bool DecodeImageFile(const std::string& path, DecodedImage& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff len = in.tellg();
  // A picture larger than the biggest one we decode, uncompressed, is not read at all.
  if (len <= 0 || len > kMaxImagePixels * 4 + (1 << 20)) return false;
  in.seekg(0);
  std::vector<uint8_t> bytes(static_cast<size_t>(len));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), len)) return false;
  if (DecodeImageBytes(bytes.data(), bytes.size(), out)) return true;
  const ImageFileDecoder extra = g_extraDecoder.load();
  if (!extra) return false;
  DecodedImage got;
  if (!extra(path, got)) return false;
  // The installed decoder is trusted no further than the built-in ones.
  if (got.width <= 0 || got.height <= 0 || got.width > kMaxImageSide || got.height > kMaxImageSide ||
      int64_t(got.width) * got.height > kMaxImagePixels || got.rgba.size() != size_t(got.width) * got.height * 4)
    return false;
  out = std::move(got);
  return true;
}
