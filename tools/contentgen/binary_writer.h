// Little-endian byte writer for the binary sample files (collision, scene and model files).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/math/types.h"

namespace contentgen {

class ByteWriter {
 public:
  void Int8(int8_t value) { bytes_.push_back(static_cast<unsigned char>(value)); }
  void Int16(int16_t value) { Raw(static_cast<uint32_t>(static_cast<uint16_t>(value)), 2); }
  void Int32(int32_t value) { Raw(static_cast<uint32_t>(value), 4); }
  void Float(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    Raw(bits, 4);
  }
  void Vec3(const platform::Vec3& v) {
    Float(v.x);
    Float(v.y);
    Float(v.z);
  }
  // The text and its terminating zero byte, no length prefix.
  void String(const std::string& text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
  }
  const std::vector<unsigned char>& Bytes() const { return bytes_; }
  std::vector<unsigned char>& Bytes() { return bytes_; }

 private:
  void Raw(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes_.push_back(static_cast<unsigned char>(value >> (8 * i)));
  }
  std::vector<unsigned char> bytes_;
};

}  // namespace contentgen
