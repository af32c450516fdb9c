// Tests of the system-memory buffers and textures: lock ranges, pitches, mip chains and refusals.
#include "platform/gfx/memory_resources.h"

#include <gtest/gtest.h>

namespace platform::gfx {
namespace {

TEST(MemoryVertexBuffer, LocksOnlyRangesInsideTheBuffer) {
  VertexBufferDesc desc;
  desc.size = 100;
  auto* buffer = new MemoryVertexBuffer(desc, nullptr);
  uint8_t* data = nullptr;
  ASSERT_EQ(buffer->Lock(10, 0, &data, 0), kOk);  // size 0: to the end
  data[89] = 7;
  EXPECT_EQ(buffer->Lock(0, 0, &data, 0), kInvalidCall) << "already locked";
  ASSERT_EQ(buffer->Unlock(), kOk);
  EXPECT_EQ(buffer->Bytes()[99], 7);
  EXPECT_EQ(buffer->Unlock(), kInvalidCall);
  for (auto [offset, size] : {std::pair{90u, 11u}, {101u, 0u}, {0xFFFFFFF0u, 0x20u}}) {
    EXPECT_EQ(buffer->Lock(offset, size, &data, 0), kInvalidCall) << offset << "+" << size;
    EXPECT_EQ(data, nullptr);
  }
  EXPECT_EQ(buffer->Release(), 0u);
}

TEST(MemoryTexture, MipChainPitchesAndLockRectangles) {
  auto tally = std::make_shared<ResourceTally>();
  auto* texture = new MemoryTexture(64, 16, FullMipCount(64, 16), 0, Format::R5G6B5, Pool::Managed, tally);
  ASSERT_EQ(texture->GetLevelCount(), 7u);
  SurfaceDesc desc;
  ASSERT_EQ(texture->GetLevelDesc(6, desc), kOk);
  EXPECT_EQ(desc.width, 1u);
  EXPECT_EQ(desc.height, 1u);
  EXPECT_EQ(tally->textureBytes, 2u * (64 * 16 + 32 * 8 + 16 * 4 + 8 * 2 + 4 * 1 + 2 * 1 + 1 * 1));

  LockedRect locked;
  Rect rect{2, 3, 6, 5};
  ASSERT_EQ(texture->LockRect(0, locked, &rect, 0), kOk);
  EXPECT_EQ(locked.pitch, 128);
  static_cast<uint16_t*>(locked.bits)[0] = 0xF800;
  ASSERT_EQ(texture->UnlockRect(0), kOk);
  EXPECT_EQ(texture->Store().Level(0, 0)->bytes[3 * 128 + 2 * 2 + 1], 0xF8);
  for (Rect bad : {Rect{60, 0, 65, 1}, Rect{4, 4, 4, 8}}) EXPECT_EQ(texture->LockRect(0, locked, &bad, 0), kInvalidCall);
  EXPECT_EQ(texture->LockRect(9, locked, nullptr, 0), kInvalidCall);
  texture->Release();
  EXPECT_EQ(tally->textureBytes, 0u);

  auto* compressed = new MemoryTexture(8, 8, 2, 0, Format::Dxt1, Pool::Managed, nullptr);
  ASSERT_EQ(compressed->LockRect(0, locked, nullptr, 0), kOk);
  EXPECT_EQ(locked.pitch, 16);  // two 8-byte blocks per block row
  compressed->UnlockRect(0);
  Rect unaligned{2, 0, 6, 4};
  EXPECT_EQ(compressed->LockRect(0, locked, &unaligned, 0), kInvalidCall);
  compressed->Release();

  auto* target = new MemoryTexture(32, 32, 1, usage::kRenderTarget, Format::X8R8G8B8, Pool::Default, tally);
  EXPECT_EQ(target->LockRect(0, locked, nullptr, 0), kInvalidCall) << "render targets keep no pixels";
  target->Release();
}

}  // namespace
}  // namespace platform::gfx
