// One check for every loader: a file cut short or with a corrupt field is refused whole, leaving nothing behind.
// Reads past the end show up in the sanitizer build that runs these tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace loader_refusal {

using Bytes = std::vector<uint8_t>;

struct Broken {
  std::string what;
  Bytes bytes;
};

// `good` with `width` little-endian bytes of `value` written at `offset`.
inline Bytes Patched(const Bytes& good, size_t offset, uint32_t value, int width = 4) {
  Bytes bytes = good;
  for (int i = 0; i < width; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  return bytes;
}

// The first `length` bytes of `good`.
inline Broken Cut(const Bytes& good, size_t length) {
  return {"cut at " + std::to_string(length), Bytes(good.begin(), good.begin() + static_cast<long>(length))};
}

// Cuts every `step` bytes from the start to just before the end.
inline std::vector<Broken> Cuts(const Bytes& good, size_t step) {
  std::vector<Broken> cuts;
  for (size_t length = 0; length < good.size(); length += step) cuts.push_back(Cut(good, length));
  return cuts;
}

// `load(data, size)` answers whether anything got through: the loader accepted the bytes or left output behind.
template <class Load>
void ExpectAllRefused(const std::vector<Broken>& cases, Load load) {
  for (const Broken& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(load(c.bytes.data(), c.bytes.size()));
  }
}

}  // namespace loader_refusal
