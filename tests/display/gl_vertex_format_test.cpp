// Flexible vertex formats on the OpenGL device: every layout the game draws with reaches the right attributes.
#include <cstring>
#include <vector>

#include "gl_fixture.h"

namespace platform::gfx::testing {
namespace {

// Writes one vertex of `code` at `out`: position (x, y, z[, rhw]), normal -z, diffuse, specular 0, every
// texture coordinate set to (u, v[, 0, 0]).
void WriteVertex(uint32_t code, uint8_t* out, float x, float y, uint32_t diffuse, float u, float v) {
  const VertexLayout layout = DescribeVertexFormat(code);
  const float position[4] = {x, y, 0.5f, 1.0f};
  std::memcpy(out + layout.position, position, sizeof(float) * layout.positionFloats);
  if (layout.normal >= 0) {
    const float normal[3] = {0, 0, -1};
    std::memcpy(out + layout.normal, normal, sizeof(normal));
  }
  if (layout.diffuse >= 0) std::memcpy(out + layout.diffuse, &diffuse, 4);
  if (layout.specular >= 0) std::memset(out + layout.specular, 0, 4);
  for (int i = 0; i < layout.texCoordCount; ++i) {
    const float coord[4] = {u, v, 0, 0};
    std::memcpy(out + layout.texCoord[i], coord, sizeof(float) * layout.texCoordFloats[i]);
  }
}

class GlVertexFormatTest : public GlDeviceTest {};

TEST_F(GlVertexFormatTest, EveryLayoutTheGameUsesDrawsItsColourAndTexture) {
  device().SetRenderState(RenderState::Lighting, false);
  device().SetRenderState(RenderState::CullMode, CullMode::None);
  device().SetRenderState(RenderState::ZEnable, false);
  // Left half of the texture black, right half white: u picks the column.
  Texture* texture = MakeTexture2x2(Argb(255, 0, 0, 0), Argb(255, 255, 255, 255), Argb(255, 0, 0, 0),
                                    Argb(255, 255, 255, 255));
  const uint32_t diffuse = Argb(255, 200, 100, 50);
  const uint32_t codes[] = {0x002, 0x004, 0x044, 0x104, 0x112, 0x142, 0x144, 0x152, 0x242, 0x252, 0x1C4,
                            fvf::kXyz | fvf::kTex1 | fvf::TexCoordSize3(0)};
  for (uint32_t code : codes) {
    const VertexLayout layout = DescribeVertexFormat(code);
    const bool screen = layout.positionFloats == 4;
    const bool textured = layout.texCoordCount > 0;
    device().SetTexture(0, textured ? texture : nullptr);
    // Full-target quad; u = 0.75 everywhere so a textured draw reads the white column.
    std::vector<uint8_t> vertices(layout.stride * 4);
    const float xs[4] = {screen ? -0.5f : -1.0f, screen ? 63.5f : 1.0f, screen ? -0.5f : -1.0f, screen ? 63.5f : 1.0f};
    const float ys[4] = {screen ? -0.5f : 1.0f, screen ? -0.5f : 1.0f, screen ? 63.5f : -1.0f, screen ? 63.5f : -1.0f};
    for (int i = 0; i < 4; ++i) WriteVertex(code, vertices.data() + i * layout.stride, xs[i], ys[i], diffuse, 0.75f, 0.5f);
    device().Clear(clear_flags::kTarget, Argb(255, 1, 2, 3), 1.0f, 0);
    device().SetVertexShader(code);
    ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, vertices.data(), layout.stride), kOk)
        << std::hex << code;
    // Without a diffuse colour the vertex is white; the texture (white here) modulates it.
    const uint32_t expected = layout.diffuse >= 0 ? diffuse : Argb(255, 255, 255, 255);
    EXPECT_COLOR_NEAR(Pixel(32, 32), expected, 1) << "format " << std::hex << code;
  }
  device().SetTexture(0, nullptr);
  texture->Release();
}

}  // namespace
}  // namespace platform::gfx::testing
