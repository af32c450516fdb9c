// Fuzzing the DDS reader: raw inputs, and inputs laid over valid generated files so the mip and cube paths are
// reached; every accepted image must hold exactly the bytes its levels need.

#include "contentgen/dds_writer.h"
#include "fuzz_support.h"
#include "platform/image/dds_reader.h"

namespace {

std::vector<std::vector<uint8_t>> MakeTemplates() {
  using platform::gfx::Format;
  contentgen::PictureData picture(8, 8);
  picture.Fill(0x80402010);
  std::vector<contentgen::PictureData> faces(6, picture);
  return {contentgen::EncodeDds(Format::A8R8G8B8, {picture}, 0),
          contentgen::EncodeDds(Format::Dxt1, {picture}, 0),
          contentgen::EncodeDds(Format::Dxt5, {picture}, 0),
          contentgen::EncodeDds(Format::A4R4G4B4, {picture}, 0),
          contentgen::EncodeDds(Format::X8R8G8B8, {picture}, 1, contentgen::DdsLayout::kPacked24),
          contentgen::EncodeDds(Format::X8R8G8B8, faces, 0)};
}

void Read(const uint8_t* data, size_t size) {
  platform::image::DdsImage image;
  std::string error;
  if (!platform::image::ReadDds(data, size, image, error)) return Check(image.levels.empty());
  Check(image.levels.size() == size_t{image.FaceCount()} * image.levelCount);
  for (const platform::image::DdsLevel& level : image.levels) {
    Check(level.bytes.size() == platform::image::DdsLevelBytes(image.format, level.width, level.height));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<std::vector<uint8_t>> templates = MakeTemplates();
  Read(data, size);
  if (size < 2) return 0;
  // First byte: template; then (offset, value) pairs overwrite it; an odd last byte trims the file.
  std::vector<uint8_t> file = templates[data[0] % templates.size()];
  size_t i = 1;
  for (; i + 1 < size; i += 2) file[data[i] % file.size()] = data[i + 1];
  if (i < size) file.resize(file.size() - data[i] % file.size());
  Read(file.data(), file.size());
  return 0;
}
