// PNG decoding through libpng's simplified API, JPEG decoding through libjpeg and the other formats (BMP, TGA)
// through stb_image, all into BGRA texels.
#include "platform/image/picture_decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>
#include <stb_image.h>

namespace platform::image {

bool LooksLikePng(const uint8_t* data, size_t size) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return data != nullptr && size >= 8 && std::memcmp(data, kSignature, 8) == 0;
}

bool LooksLikeJpeg(const uint8_t* data, size_t size) {
  return data != nullptr && size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool DecodePng(const uint8_t* data, size_t size, Picture& picture, std::string& error) {
  picture = Picture{};
  if (!LooksLikePng(data, size)) {
    error = "not a PNG file";
    return false;
  }
  png_image image;
  std::memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) {
    error = std::string("bad PNG header: ") + image.message;
    return false;
  }
  if (image.width == 0 || image.height == 0 || image.width > kMaxPictureSide || image.height > kMaxPictureSide) {
    png_image_free(&image);
    error = "PNG size out of range";
    return false;
  }
  // Deflate packs at most 1032 bytes into one and a row byte holds at most 8 one-bit pixels: a header claiming
  // more pixels than that is refused before its texels are allocated.
  constexpr uint64_t kMostPixelsPerFileByte = 1032 * 8;
  if (uint64_t{image.width} * image.height > uint64_t{size} * kMostPixelsPerFileByte) {
    png_image_free(&image);
    error = "PNG size beyond what its data can hold";
    return false;
  }
  const bool hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint8_t> texels(size_t{image.width} * image.height * 4);
  if (!png_image_finish_read(&image, nullptr, texels.data(), 0, nullptr)) {
    error = std::string("bad PNG data: ") + image.message;
    png_image_free(&image);
    return false;
  }
  picture.width = image.width;
  picture.height = image.height;
  picture.hasAlpha = hasAlpha;
  picture.texels = std::move(texels);
  return true;
}

namespace {

struct JpegErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// Warnings are ignored, except the end of the data before the end of the picture: the rows left would be made
// up, so a cut file is refused like any other broken one.
void OnJpegMessage(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) OnJpegError(info);
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, Picture& picture, std::string& error) {
  picture = Picture{};
  if (!LooksLikeJpeg(data, size)) {
    error = "not a JPEG file";
    return false;
  }
  jpeg_decompress_struct info;
  JpegErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnJpegError;
  errors.base.emit_message = OnJpegMessage;
  errors.message[0] = '\0';
  // Everything that must survive the long jump lives outside this frame's automatic variables.
  std::vector<uint8_t>* texels = new std::vector<uint8_t>();
  std::vector<uint8_t>* row = new std::vector<uint8_t>();
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&info);
    delete texels;
    delete row;
    error = std::string("bad JPEG: ") + errors.message;
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  if (info.image_width == 0 || info.image_height == 0 || info.image_width > kMaxPictureSide ||
      info.image_height > kMaxPictureSide) {
    jpeg_destroy_decompress(&info);
    delete texels;
    delete row;
    error = "JPEG size out of range";
    return false;
  }
  // Every 8x8 block of every component costs at least a bit even in a progressive file, so no real picture has
  // more than a few hundred pixels per file byte: a header claiming far more is a damaged file whose decode
  // would grind through made-up rows.
  constexpr uint64_t kMostJpegPixelsPerFileByte = 4096;
  if (uint64_t{info.image_width} * info.image_height > uint64_t{size} * kMostJpegPixelsPerFileByte) {
    jpeg_destroy_decompress(&info);
    delete texels;
    delete row;
    error = "JPEG size beyond what its data can hold";
    return false;
  }
  jpeg_start_decompress(&info);
  const uint32_t width = info.output_width;
  const uint32_t height = info.output_height;
  texels->assign(size_t{width} * height * 4, 0xFF);
  row->resize(size_t{width} * 3);
  while (info.output_scanline < info.output_height) {
    const uint32_t y = info.output_scanline;
    JSAMPROW rows[1] = {row->data()};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    uint8_t* out = texels->data() + size_t{y} * width * 4;
    for (uint32_t x = 0; x < width; ++x) {
      out[x * 4 + 0] = (*row)[x * 3 + 2];
      out[x * 4 + 1] = (*row)[x * 3 + 1];
      out[x * 4 + 2] = (*row)[x * 3 + 0];
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  picture.width = width;
  picture.height = height;
  picture.hasAlpha = false;
  picture.texels = std::move(*texels);
  delete texels;
  delete row;
  return true;
}

namespace {

uint32_t Little16(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8; }
uint32_t Little32(const uint8_t* p) { return Little16(p) | Little16(p + 2) << 16; }

// The general decoder reads zeros past the end of the data, so a file cut short would decode into made-up texels
// and a few bytes claiming a huge picture would fill all of it. The checks below walk the file the way the decoder
// reads it and answer why it cannot hold every pixel of its width x height, or nullptr when it can.

// A bitmap's rows start at the offset its file header gives, each padded to four bytes; the last row needs no
// padding after it. The header must be whole: the decoder fills a missing field with zeros.
const char* BitmapDataProblem(const uint8_t* data, size_t size, uint32_t width, uint32_t height) {
  if (size < 18) return "picture data cut short";
  const uint32_t headerSize = Little32(data + 14);
  const uint64_t depthEnd = headerSize == 12 ? 26 : 30;
  if (size < std::max(depthEnd, 14 + uint64_t{headerSize})) return "picture data cut short";
  const uint32_t bits = Little16(data + depthEnd - 2);
  // Below 16 bits only 1, 4 and 8 are read (through the palette); any depth from 16 up but 16 and 24 is read as
  // one 32-bit word a pixel.
  if (bits < 16 && bits != 1 && bits != 4 && bits != 8) return "unsupported bitmap depth";
  const uint64_t pixelBits = bits <= 16 || bits == 24 ? bits : 32;
  // Rows before the header's end would be read from past the file's end (the decoder itself refuses rows that
  // do not start right after the header and any colour masks when there is no palette).
  const uint64_t start = Little32(data + 10);
  if (start < 14 + uint64_t{headerSize}) return "picture data cut short";
  if (bits < 16) {
    // The decoder counts the palette's entries in the gap before the rows, 4 bytes each, or 3 in an old 12-byte
    // header where it counts 12 bytes short. Without a whole entry it would read the rows from the wrong place
    // through a palette it never filled.
    const uint64_t entryBytes = headerSize == 12 ? 3 : 4;
    const uint64_t gap = start - 14 - headerSize;
    const uint64_t counted = headerSize == 12 ? gap - std::min<uint64_t>(gap, 12) : gap;
    if (counted < entryBytes || counted / entryBytes > 256) return "bad bitmap palette";
  }
  const uint64_t row = (uint64_t{width} * pixelBits + 7) / 8;
  const uint64_t stride = (row + 3) / 4 * 4;
  return start + stride * (height - 1) + row <= size ? nullptr : "picture data cut short";
}

// A Targa file's pixels follow its 18-byte header, its identification text and, in a colour-mapped file, its
// colour map, which the decoder finds by skipping the map's first index as a count of bytes. A run-length file is
// a series of packets: a header byte whose low seven bits count 1 to 128 pixels and whose top bit marks one pixel
// repeated, otherwise that many pixels follow. The decoder fills the picture's pixels in one sweep, so a packet may
// run on across a row's end, and a last packet reaching past the picture's end gives only the pixels still needed.
// The walk takes at least a byte per packet, so its work is bounded by the file's size.
const char* TargaDataProblem(const uint8_t* data, size_t size, uint32_t width, uint32_t height) {
  const bool colourMapped = data[1] == 1;
  const bool runLength = data[2] >= 9;
  const uint64_t pixelBytes = (data[16] + 7u) / 8;
  uint64_t at = 18 + uint64_t{data[0]};
  if (colourMapped) at += Little16(data + 3) + uint64_t{Little16(data + 5)} * ((data[7] + 7u) / 8);
  uint64_t pixelsLeft = uint64_t{width} * height;
  if (!runLength) return at + pixelsLeft * pixelBytes <= size ? nullptr : "picture data cut short";
  while (pixelsLeft > 0) {
    if (at >= size) return "picture data cut short";
    const uint8_t packet = data[at++];
    const uint64_t pixels = std::min<uint64_t>(1 + (packet & 0x7F), pixelsLeft);
    at += (packet & 0x80) != 0 ? pixelBytes : pixels * pixelBytes;
    if (at > size) return "picture data cut short";
    pixelsLeft -= pixels;
  }
  return nullptr;
}

// Only bitmaps and Targa files go to the general decoder: it reads other kinds too, and its readers of those
// trust lengths in the file (a PNG chunk claiming gigabytes is allocated). A Targa file has no signature, but its
// second byte (colour map 0 or 1) rules out every kind that has one.
bool LooksLikeBitmapOrTarga(const uint8_t* data, size_t size) {
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return true;
  if (size < 18 || data[1] > 1) return false;
  const uint8_t type = data[2], bits = data[16];
  const bool knownType = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
  return knownType && (bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32);
}

}  // namespace

bool DecodeOtherPicture(const uint8_t* data, size_t size, Picture& picture, std::string& error) {
  picture = Picture{};
  if (data == nullptr || size == 0 || size > static_cast<size_t>(std::numeric_limits<int>::max()) ||
      !LooksLikeBitmapOrTarga(data, size)) {
    error = "not a PNG, JPEG, BMP, TGA or DDS picture";
    return false;
  }
  const auto* bytes = reinterpret_cast<const stbi_uc*>(data);
  const int length = static_cast<int>(size);
  int width = 0, height = 0, channels = 0;
  // The header is read first, so a size out of range is refused before any texel is allocated.
  if (!stbi_info_from_memory(bytes, length, &width, &height, &channels)) {
    error = "not a PNG, JPEG, BMP, TGA or DDS picture";
    return false;
  }
  if (width <= 0 || height <= 0 || static_cast<uint32_t>(width) > kMaxPictureSide ||
      static_cast<uint32_t>(height) > kMaxPictureSide) {
    error = "picture size out of range";
    return false;
  }
  const bool bitmap = data[0] == 'B' && data[1] == 'M';
  const auto pictureWidth = static_cast<uint32_t>(width), pictureHeight = static_cast<uint32_t>(height);
  if (const char* problem = bitmap ? BitmapDataProblem(data, size, pictureWidth, pictureHeight)
                                   : TargaDataProblem(data, size, pictureWidth, pictureHeight)) {
    error = problem;
    return false;
  }
  stbi_uc* rgba = stbi_load_from_memory(bytes, length, &width, &height, &channels, 4);
  if (rgba == nullptr) {
    const char* reason = stbi_failure_reason();
    error = std::string("bad picture data: ") + (reason != nullptr ? reason : "unreadable");
    return false;
  }
  picture.width = static_cast<uint32_t>(width);
  picture.height = static_cast<uint32_t>(height);
  picture.hasAlpha = channels == 2 || channels == 4;
  picture.texels.resize(size_t{picture.width} * picture.height * 4);
  for (size_t i = 0; i < picture.texels.size(); i += 4) {
    picture.texels[i] = rgba[i + 2];
    picture.texels[i + 1] = rgba[i + 1];
    picture.texels[i + 2] = rgba[i];
    picture.texels[i + 3] = rgba[i + 3];
  }
  stbi_image_free(rgba);
  return true;
}

}  // namespace platform::image
