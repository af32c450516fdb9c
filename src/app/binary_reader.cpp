// Little-endian readers over a bounded byte buffer.
#include "app/binary_reader.h"

#include <cmath>
#include <cstring>

namespace app {

BinaryReader::BinaryReader(const void* data, size_t size)
    : data_(static_cast<const unsigned char*>(data)), size_(data ? size : 0) {}

BinaryReader::BinaryReader(const std::vector<unsigned char>& bytes) : BinaryReader(bytes.data(), bytes.size()) {}

bool BinaryReader::CanRead(uint64_t count, uint64_t recordSize) const {
  if (recordSize == 0) return true;
  return count <= Remaining() / recordSize;
}

bool BinaryReader::ReadBytes(void* out, size_t size) {
  if (size > Remaining()) {
    if (size > 0) std::memset(out, 0, size);
    position_ = size_;
    overrun_ = true;
    return false;
  }
  if (size > 0) std::memcpy(out, data_ + position_, size);
  position_ += size;
  return true;
}

bool BinaryReader::Skip(size_t size) {
  if (size > Remaining()) {
    position_ = size_;
    overrun_ = true;
    return false;
  }
  position_ += size;
  return true;
}

bool BinaryReader::Seek(size_t offset) {
  if (offset > size_) {
    position_ = size_;
    overrun_ = true;
    return false;
  }
  position_ = offset;
  return true;
}

namespace {

// Assembles little-endian bytes whatever the host's byte order.
uint32_t ReadLittleEndian(BinaryReader& reader, size_t size) {
  unsigned char bytes[4] = {};
  if (!reader.ReadBytes(bytes, size)) return 0;
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
  return value;
}

}  // namespace

int16_t ReadInt16(BinaryReader& reader) { return static_cast<int16_t>(ReadLittleEndian(reader, 2)); }

int32_t ReadInt32(BinaryReader& reader) { return static_cast<int32_t>(ReadLittleEndian(reader, 4)); }

float ReadFloat(BinaryReader& reader) {
  const uint32_t bits = ReadLittleEndian(reader, 4);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

uint8_t ReadByte(BinaryReader& reader) { return static_cast<uint8_t>(ReadLittleEndian(reader, 1)); }

int8_t ReadSignedByte(BinaryReader& reader) { return static_cast<int8_t>(ReadLittleEndian(reader, 1)); }

std::string ReadZeroTerminatedString(BinaryReader& reader) {
  std::string text;
  while (true) {
    if (reader.AtEnd()) {
      // Mark the missing terminator the same way a short numeric read is marked.
      reader.Skip(1);
      return text;
    }
    const char byte = static_cast<char>(ReadByte(reader));
    if (byte == '\0') return text;
    text.push_back(byte);
  }
}

float AngleBytesToDirection(int a, int b, int component) {
  // A step of 2π/255 with π taken as 3.14159, so the packed normals of existing files decode unchanged.
  constexpr double kStep = 6.28318 / 255.0;
  const double alpha = a * kStep;
  const double beta = b * kStep;
  switch (component) {
    case 0:
      return static_cast<float>(std::sin(alpha) * std::cos(beta));
    case 1:
      return static_cast<float>(std::sin(alpha) * std::sin(beta));
    case 2:
      return static_cast<float>(std::cos(alpha));
    default:
      return 0.0f;
  }
}

}  // namespace app
