// PNG decoding through libpng's simplified API and JPEG decoding through libjpeg, both into BGRA texels.
#include "platform/image/picture_decoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

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

}  // namespace platform::image
