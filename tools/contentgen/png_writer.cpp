// PNG and JPEG encoding of generated pictures, and the one file-writing helper of the picture writers.
#include "contentgen/png_writer.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <jpeglib.h>
#include <png.h>

namespace contentgen {

void PictureData::Set(uint32_t x, uint32_t y, uint32_t argb) {
  if (x >= width || y >= height) return;
  uint8_t* texel = &texels[(size_t{y} * width + x) * 4];
  texel[0] = static_cast<uint8_t>(argb);
  texel[1] = static_cast<uint8_t>(argb >> 8);
  texel[2] = static_cast<uint8_t>(argb >> 16);
  texel[3] = static_cast<uint8_t>(argb >> 24);
}

uint32_t PictureData::Get(uint32_t x, uint32_t y) const {
  if (x >= width || y >= height) return 0;
  const uint8_t* texel = &texels[(size_t{y} * width + x) * 4];
  return uint32_t{texel[0]} | (uint32_t{texel[1]} << 8) | (uint32_t{texel[2]} << 16) | (uint32_t{texel[3]} << 24);
}

void PictureData::Fill(uint32_t argb) {
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) Set(x, y, argb);
  }
}

std::vector<uint8_t> EncodePng(const PictureData& picture, bool withAlpha) {
  png_image image;
  std::memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  image.width = picture.width;
  image.height = picture.height;
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint8_t> texels = picture.texels;
  if (!withAlpha) {
    // Dropping the channel: write BGR rows.
    image.format = PNG_FORMAT_BGR;
    std::vector<uint8_t> rgb(size_t{picture.width} * picture.height * 3);
    for (size_t i = 0; i < size_t{picture.width} * picture.height; ++i) std::memcpy(&rgb[i * 3], &texels[i * 4], 3);
    texels = std::move(rgb);
  }
  // Room for the worst case, so the picture is compressed once rather than once to size it and again to keep it.
  png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
  std::vector<uint8_t> bytes(size);
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, texels.data(), 0, nullptr)) return {};
  bytes.resize(size);
  return bytes;
}

std::vector<uint8_t> EncodeJpeg(const PictureData& picture, int quality) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = picture.width;
  info.image_height = picture.height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(size_t{picture.width} * 3);
  while (info.next_scanline < info.image_height) {
    const uint8_t* in = &picture.texels[size_t{info.next_scanline} * picture.width * 4];
    for (uint32_t x = 0; x < picture.width; ++x) {
      row[x * 3 + 0] = in[x * 4 + 2];
      row[x * 3 + 1] = in[x * 4 + 1];
      row[x * 3 + 2] = in[x * 4 + 0];
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

bool WriteContentFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::error_code error;
  const std::filesystem::path target(path);
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), error);
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::fprintf(stderr, "contentgen: cannot write %s\n", path.c_str());
      return false;
    }
  }
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::fprintf(stderr, "contentgen: cannot write %s: %s\n", path.c_str(), error.message().c_str());
    return false;
  }
  return true;
}

bool WritePng(const std::string& path, const PictureData& picture, bool withAlpha) {
  const std::vector<uint8_t> bytes = EncodePng(picture, withAlpha);
  if (bytes.empty()) {
    std::fprintf(stderr, "contentgen: cannot encode %s\n", path.c_str());
    return false;
  }
  return WriteContentFile(path, bytes);
}

bool WriteJpeg(const std::string& path, const PictureData& picture, int quality) {
  return WriteContentFile(path, EncodeJpeg(picture, quality));
}

}  // namespace contentgen
