// Text labels: glyph quads laid out from the font's width table, per-line alignment, glyph sets and rebuilds.
#include "frontend/text_label.h"

#include "frontend_test_support.h"
#include "render/resources/bitmap_font.h"

namespace frontend_test {
namespace {

using frontend::TextLabel;

class TextLabelTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    fontImage_ = resources_->LoadTextureEx(device_, "FONT\\noire.png", "FONT\\noirea.png", 0, 1);
    font_ = resources_->LoadFont("FONT\\noire.ini");
    ASSERT_EQ(render::GetImageWidth(fontImage_), kFontImageSize);
  }
  void TearDown() override {
    resources_->ReleaseImage(fontImage_);
    resources_->ReleaseFont(font_);
    FrontEndTest::TearDown();
  }
  std::unique_ptr<TextLabel> Make(const std::string& text, int32_t align, float scale = 1.0f, bool alternate = false) {
    return std::make_unique<TextLabel>(device_, fontImage_, font_, text, 200, 100, scale, alternate, align, 800, 600);
  }
  // Advance of a character in the normal set at scale 1.
  static float Advance(char c) { return static_cast<float>(TestGlyphWidth(c - 32)); }

  render::ImageResource* fontImage_ = nullptr;
  render::BitmapFont* font_ = nullptr;
};

TEST_F(TextLabelTest, LeftAlignedGlyphsAdvanceByTheirWidthsAndSitInTheirCells) {
  auto label = Make("AB", frontend::kAlignLeft, 2.0f);
  ASSERT_EQ(label->glyphCount, 2);
  const auto quads = Vertices(label->vertexBuffer);
  ASSERT_EQ(quads.size(), 8u);
  const float widthA = Advance('A');
  EXPECT_FLOAT_EQ(quads[0].x, 0);
  EXPECT_FLOAT_EQ(quads[1].x, widthA * 2);
  EXPECT_FLOAT_EQ(quads[4].x, widthA * 2);
  // Cell 16 texels at scale 2: the quad spans 32 units from +16 down.
  EXPECT_FLOAT_EQ(quads[0].y, 16);
  EXPECT_FLOAT_EQ(quads[3].y, -16);
  // 'A' is glyph 33: row 2, column 1, its width centred in the cell and one texel inset vertically.
  const float texel = 1.0f / 256;
  EXPECT_FLOAT_EQ(quads[0].u, 1.5f / 16 - widthA * texel / 2);
  EXPECT_FLOAT_EQ(quads[1].u, 1.5f / 16 + widthA * texel / 2);
  EXPECT_FLOAT_EQ(quads[0].v, 2.0f / 16 + texel);
  EXPECT_FLOAT_EQ(quads[3].v, 3.0f / 16 - texel);
  // The top of the first line is the label's y: 100 on screen.
  EXPECT_FLOAT_EQ(label->originY + quads[0].y, 300 - 100);
  EXPECT_FLOAT_EQ(label->originX, 200 - 400);
}

TEST_F(TextLabelTest, RightAlignmentEndsEveryLineAtX) {
  auto label = Make("Hi\nABC", frontend::kAlignRight);
  const auto quads = Vertices(label->vertexBuffer);
  ASSERT_EQ(quads.size(), 6u * 4);
  // First line ends at 0 (the label's x).
  EXPECT_FLOAT_EQ(quads[1 * 4 + 1].x, 0);
  // Second line: the break opens it with its own (zero) width, then A, B, C; C's right edge is at 0.
  EXPECT_FLOAT_EQ(quads[5 * 4 + 1].x, 0);
  EXPECT_FLOAT_EQ(quads[3 * 4].x, -(Advance('A') + Advance('B') + Advance('C')));
}

TEST_F(TextLabelTest, CentredLinesAreCentredAndTheSecondLineIsOneCellLower) {
  auto label = Make("A\nBC", frontend::kAlignCentre, 1.5f);
  const auto quads = Vertices(label->vertexBuffer);
  const float first = Advance('A') * 1.5f;
  const float second = (Advance('B') + Advance('C')) * 1.5f;
  EXPECT_FLOAT_EQ(quads[0].x, -first / 2);
  EXPECT_FLOAT_EQ(quads[1].x, first / 2);
  EXPECT_FLOAT_EQ(quads[2 * 4].x, -second / 2);
  EXPECT_FLOAT_EQ(quads[3 * 4 + 1].x, second / 2);
  EXPECT_FLOAT_EQ(quads[0].y - quads[2 * 4].y, 16 * 1.5f);
}

TEST_F(TextLabelTest, EmptyTextDrawsNothingUntilATextArrives) {
  auto label = Make("", frontend::kAlignLeft);
  EXPECT_EQ(label->glyphCount, 0);
  device_->ClearRecords();
  label->Draw(device_);
  EXPECT_TRUE(device_->Draws().empty());
  label->SetText(device_, "Go");
  EXPECT_EQ(label->glyphCount, 2);
  label->Draw(device_);
  ASSERT_EQ(device_->Draws().size(), 1u);
  EXPECT_EQ(device_->Draws()[0].type, platform::gfx::PrimitiveType::TriangleList);
  EXPECT_EQ(device_->Draws()[0].primitiveCount, 4u);
  EXPECT_EQ(device_->Draws()[0].kind, platform::gfx::NullDrawRecord::Kind::IndexedPrimitive);
}

TEST_F(TextLabelTest, GlyphSetSwitchRebuildsOnlyWhenTheSetChanges) {
  auto label = Make("A", frontend::kAlignLeft);
  const float normalU = Vertices(label->vertexBuffer)[0].u;
  platform::gfx::VertexBuffer* buffer = label->vertexBuffer;
  label->SetColor(device_, false);
  EXPECT_EQ(label->vertexBuffer, buffer);
  EXPECT_FLOAT_EQ(Vertices(label->vertexBuffer)[0].u, normalU);
  label->SetAltGlyphs(device_, true);
  EXPECT_TRUE(label->alternate);
  const auto quads = Vertices(label->vertexBuffer);
  // Glyph 33 + 128 = 161: row 10, column 1.
  const float texel = 1.0f / 256;
  EXPECT_FLOAT_EQ(quads[0].v, 10.0f / 16 + texel);
  EXPECT_FLOAT_EQ(quads[0].u, 1.5f / 16 - TestGlyphWidth(161) * texel / 2);
  EXPECT_FLOAT_EQ(quads[1].x, static_cast<float>(TestGlyphWidth(161)));
}

TEST_F(TextLabelTest, SameLengthTextReusesBuffersAndANewLengthRecreatesThem) {
  auto label = Make("AAA", frontend::kAlignLeft);
  platform::gfx::VertexBuffer* vertices = label->vertexBuffer;
  platform::gfx::IndexBuffer* indices = label->indexBuffer;
  label->SetText(device_, "BBB");
  EXPECT_EQ(label->vertexBuffer, vertices);
  EXPECT_EQ(label->indexBuffer, indices);
  EXPECT_EQ(label->text, "BBB");
  EXPECT_FLOAT_EQ(Vertices(label->vertexBuffer)[1].x, Advance('B'));
  label->SetText(device_, "BBBB");
  EXPECT_EQ(label->glyphCount, 4);
  EXPECT_EQ(Vertices(label->vertexBuffer).size(), 16u);
  const auto& bytes = static_cast<platform::gfx::MemoryIndexBuffer*>(label->indexBuffer)->Bytes();
  ASSERT_EQ(bytes.size(), 4u * 6 * 2);
  std::vector<uint16_t> list(bytes.size() / 2);
  std::memcpy(list.data(), bytes.data(), bytes.size());
  EXPECT_EQ(std::vector<uint16_t>(list.begin() + 18, list.end()), (std::vector<uint16_t>{12, 13, 14, 12, 14, 15}));
}

TEST_F(TextLabelTest, SetPositionMovesWithoutRebuilding) {
  auto label = Make("AB", frontend::kAlignLeft, 0.75f);
  platform::gfx::VertexBuffer* buffer = label->vertexBuffer;
  label->SetPosition(33, 8, 800, 600);
  EXPECT_EQ(label->vertexBuffer, buffer);
  EXPECT_FLOAT_EQ(label->originX, 33 - 400);
  EXPECT_FLOAT_EQ(label->originY, 300 - 8 - 16 * 0.75f * 0.5f);
}

TEST_F(TextLabelTest, LabelWithoutAFontHasZeroWidthGlyphsAndDoesNotCrash) {
  TextLabel label(device_, nullptr, nullptr, "abc", 0, 0, 1, false, frontend::kAlignCentre, 800, 600);
  EXPECT_EQ(label.glyphCount, 3);
  for (const auto& vertex : Vertices(label.vertexBuffer)) EXPECT_FLOAT_EQ(vertex.x, 0);
  EXPECT_EQ(label.GlyphWidth(-22), 0);
  EXPECT_EQ(label.GlyphWidth(300), 0);
}

}  // namespace
}  // namespace frontend_test
