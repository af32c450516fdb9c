// Little-endian readers over a bounded byte buffer: the cursor the model, collision and scene loaders read with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace app {

// A read cursor over bytes it does not own. Every read stays inside the buffer: a read that does not fit
// gives zero (or an empty or partial string), leaves the cursor at the end and marks the reader overrun, so a
// loader can read a whole record and then reject a truncated file with one check.
class BinaryReader {
 public:
  BinaryReader() = default;
  BinaryReader(const void* data, size_t size);
  // The vector must outlive the reader and stay unchanged while it is read.
  explicit BinaryReader(const std::vector<unsigned char>& bytes);

  size_t Size() const { return size_; }
  size_t Position() const { return position_; }
  size_t Remaining() const { return size_ - position_; }
  bool AtEnd() const { return position_ >= size_; }
  // True once any read or skip ran past the end of the buffer.
  bool Overrun() const { return overrun_; }

  // True when count records of recordSize bytes each still fit in the bytes left; guards file counts before
  // anything is allocated for them (no overflow for huge counts).
  bool CanRead(uint64_t count, uint64_t recordSize) const;

  // Copies size bytes to out; on a short buffer copies nothing, zero-fills out, moves to the end and marks
  // the overrun. Returns false then.
  bool ReadBytes(void* out, size_t size);
  // Moves the cursor on by size bytes; past the end it stops at the end and marks the overrun.
  bool Skip(size_t size);
  // Moves the cursor to an absolute offset; an offset beyond the end stops at the end and marks the overrun.
  bool Seek(size_t offset);

 private:
  const unsigned char* data_ = nullptr;
  size_t size_ = 0;
  size_t position_ = 0;
  bool overrun_ = false;
};

// Signed 16-bit value; 0 when 2 bytes cannot be read.
int16_t ReadInt16(BinaryReader& reader);
// Signed 32-bit value; 0 when 4 bytes cannot be read.
int32_t ReadInt32(BinaryReader& reader);
// IEEE 32-bit float; 0.0 when 4 bytes cannot be read.
float ReadFloat(BinaryReader& reader);
// One byte as 0-255; 0 when no byte is left.
uint8_t ReadByte(BinaryReader& reader);
// One byte as a signed character; 0 when no byte is left.
int8_t ReadSignedByte(BinaryReader& reader);
// The bytes up to a zero byte (which is consumed but not returned). At the end of the buffer it returns what it
// has read, empty at the very end, and marks the reader overrun because the terminator is missing.
std::string ReadZeroTerminatedString(BinaryReader& reader);

// One component (0 = x, 1 = y, 2 = z) of the unit direction packed as two byte angles a and b, each a step of
// 2π/255: (sin α cos β, sin α sin β, cos α). Any other component gives 0.
float AngleBytesToDirection(int a, int b, int component);

}  // namespace app
