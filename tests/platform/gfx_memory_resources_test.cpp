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
  ASSERT_EQ(buffer->Lock(10, 0, &data, lock_flags::kDiscard), kOk);
  data[89] = 7;  // the last byte of the range 10..99
  EXPECT_EQ(buffer->Lock(0, 0, &data, 0), kInvalidCall);  // already locked
  ASSERT_EQ(buffer->Unlock(), kOk);
  EXPECT_EQ(buffer->Bytes()[99], 7);
  EXPECT_EQ(buffer->Unlock(), kInvalidCall);
  EXPECT_EQ(buffer->Lock(90, 11, &data, 0), kInvalidCall);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(buffer->Lock(101, 0, &data, 0), kInvalidCall);
  EXPECT_EQ(buffer->Lock(0xFFFFFFF0u, 0x20, &data, 0), kInvalidCall);
  ASSERT_EQ(buffer->Lock(100, 0, &data, lock_flags::kNoOverwrite), kOk);  // empty range at the end
  EXPECT_EQ(buffer->LastLockFlags(), lock_flags::kNoOverwrite);
  buffer->Unlock();
  EXPECT_EQ(buffer->Release(), 0u);
}

TEST(MemoryIndexBuffer, LocksAndReportsItsFormat) {
  IndexBufferDesc desc;
  desc.size = 12;
  desc.format = Format::Index32;
  auto* buffer = new MemoryIndexBuffer(desc, nullptr);
  EXPECT_EQ(buffer->IndexSize(), 4u);
  uint8_t* data = nullptr;
  EXPECT_EQ(buffer->Lock(4, 9, &data, 0), kInvalidCall);
  ASSERT_EQ(buffer->Lock(4, 8, &data, 0), kOk);
  buffer->Unlock();
  buffer->Release();
}

TEST(MemoryTexture, BuildsTheMipChainWithPitches) {
  auto tally = std::make_shared<ResourceTally>();
  auto* texture = new MemoryTexture(64, 16, FullMipCount(64, 16), 0, Format::R5G6B5, Pool::Managed, tally);
  ASSERT_EQ(texture->GetLevelCount(), 7u);
  SurfaceDesc desc;
  ASSERT_EQ(texture->GetLevelDesc(2, desc), kOk);
  EXPECT_EQ(desc.width, 16u);
  EXPECT_EQ(desc.height, 4u);
  ASSERT_EQ(texture->GetLevelDesc(6, desc), kOk);
  EXPECT_EQ(desc.width, 1u);
  EXPECT_EQ(desc.height, 1u);
  EXPECT_EQ(texture->GetLevelDesc(7, desc), kInvalidCall);
  EXPECT_EQ(tally->textureBytes, 2u * (64 * 16 + 32 * 8 + 16 * 4 + 8 * 2 + 4 * 1 + 2 * 1 + 1 * 1));

  LockedRect locked;
  Rect rect{2, 3, 6, 5};
  ASSERT_EQ(texture->LockRect(0, locked, &rect, 0), kOk);
  EXPECT_EQ(locked.pitch, 128);
  static_cast<uint16_t*>(locked.bits)[0] = 0xF800;
  ASSERT_EQ(texture->UnlockRect(0), kOk);
  const auto& bytes = texture->Store().Level(0, 0)->bytes;
  EXPECT_EQ(bytes[3 * 128 + 2 * 2 + 1], 0xF8);
  Rect outside{60, 0, 65, 1};
  EXPECT_EQ(texture->LockRect(0, locked, &outside, 0), kInvalidCall);
  Rect empty{4, 4, 4, 8};
  EXPECT_EQ(texture->LockRect(0, locked, &empty, 0), kInvalidCall);
  EXPECT_EQ(texture->UnlockRect(0), kInvalidCall);
  EXPECT_EQ(texture->LockRect(9, locked, nullptr, 0), kInvalidCall);
  texture->Release();
  EXPECT_EQ(tally->textureBytes, 0u);
}

TEST(MemoryTexture, CompressedLevelsLockWholeBlocks) {
  auto* texture = new MemoryTexture(8, 8, 2, 0, Format::Dxt1, Pool::Managed, nullptr);
  LockedRect locked;
  ASSERT_EQ(texture->LockRect(0, locked, nullptr, 0), kOk);
  EXPECT_EQ(locked.pitch, 16);  // two 8-byte blocks per block row
  texture->UnlockRect(0);
  Rect unaligned{2, 0, 6, 4};
  EXPECT_EQ(texture->LockRect(0, locked, &unaligned, 0), kInvalidCall);
  // The 4x4 level is one block.
  EXPECT_EQ(texture->Store().Level(0, 1)->bytes.size(), 8u);
  texture->Release();
}

TEST(MemoryTexture, RenderTargetsKeepNoPixelsAndCannotBeLocked) {
  auto tally = std::make_shared<ResourceTally>();
  auto* texture = new MemoryTexture(32, 32, 1, usage::kRenderTarget, Format::X8R8G8B8, Pool::Default, tally);
  EXPECT_EQ(tally->defaultPoolResources, 1);
  LockedRect locked;
  EXPECT_EQ(texture->LockRect(0, locked, nullptr, 0), kInvalidCall);
  texture->Release();
  EXPECT_EQ(tally->defaultPoolResources, 0);
}

TEST(MemoryCubeTexture, HasSixIndependentFaces) {
  auto* cube = new MemoryCubeTexture(8, 1, 0, Format::A8R8G8B8, Pool::Managed, nullptr);
  LockedRect locked;
  ASSERT_EQ(cube->LockRect(CubeFace::NegativeY, 0, locked, nullptr, 0), kOk);
  static_cast<uint8_t*>(locked.bits)[0] = 9;
  EXPECT_EQ(cube->LockRect(CubeFace::NegativeY, 0, locked, nullptr, 0), kInvalidCall);
  ASSERT_EQ(cube->LockRect(CubeFace::PositiveY, 0, locked, nullptr, 0), kOk);
  cube->UnlockRect(CubeFace::PositiveY, 0);
  cube->UnlockRect(CubeFace::NegativeY, 0);
  EXPECT_EQ(cube->Store().Level(3, 0)->bytes[0], 9);
  EXPECT_EQ(cube->Store().Level(2, 0)->bytes[0], 0);
  EXPECT_EQ(cube->LockRect(static_cast<CubeFace>(6), 0, locked, nullptr, 0), kInvalidCall);
  Surface* surface = nullptr;
  ASSERT_EQ(cube->GetCubeMapSurface(CubeFace::PositiveZ, 0, &surface), kOk);
  EXPECT_EQ(static_cast<MemorySurface*>(surface)->Face(), 4u);
  surface->Release();
  EXPECT_EQ(cube->Release(), 0u);
}

}  // namespace
}  // namespace platform::gfx
