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
  std::unique_ptr<TextLabel> Make(const std::string& text, int32_t align, float scale = 1.0f) {
    return std::make_unique<TextLabel>(device_, fontImage_, font_, text, 200, 100, scale, false, align, 800, 600);
  }
  // Advance of a character in the normal set at scale 1.
  static float Advance(char c) { return static_cast<float>(TestGlyphWidth(c - 32)); }

  render::ImageResource* fontImage_ = nullptr;
  render::BitmapFont* font_ = nullptr;
};

TEST_F(TextLabelTest, GlyphsAdvanceByTheirWidthsAndTakeTheirCellOfEitherGlyphSet) {
  auto label = Make("AB", frontend::kAlignLeft, 2.0f);
  auto quads = Vertices(label->vertexBuffer);
  ASSERT_EQ(quads.size(), 8u);
  const float widthA = Advance('A');
  EXPECT_FLOAT_EQ(quads[1].x, widthA * 2);
  EXPECT_FLOAT_EQ(quads[4].x, widthA * 2);
  // Cell 16 texels at scale 2: the quad spans 32 units, and the top of the line is the label's y.
  EXPECT_FLOAT_EQ(quads[0].y - quads[3].y, 32);
  EXPECT_FLOAT_EQ(label->originY + quads[0].y, 300 - 100);
  // 'A' is glyph 33: row 2, column 1, its width centred in the cell and one texel inset vertically.
  const float texel = 1.0f / 256;
  EXPECT_FLOAT_EQ(quads[0].u, 1.5f / 16 - widthA * texel / 2);
  EXPECT_FLOAT_EQ(quads[1].u, 1.5f / 16 + widthA * texel / 2);
  EXPECT_FLOAT_EQ(quads[0].v, 2.0f / 16 + texel);
  EXPECT_FLOAT_EQ(quads[3].v, 3.0f / 16 - texel);

  // The alternate set is glyph 33 + 128 = 161: row 10, with its own width.
  label->SetAltGlyphs(device_, true);
  quads = Vertices(label->vertexBuffer);
  EXPECT_FLOAT_EQ(quads[0].v, 10.0f / 16 + texel);
  EXPECT_FLOAT_EQ(quads[1].x, 2.0f * static_cast<float>(TestGlyphWidth(161)));
}

TEST_F(TextLabelTest, EveryLineIsAlignedOnItsOwn) {
  const float ab = Advance('A') + Advance('B');
  const float c = Advance('C');
  // "AB\nC": quads 0-1 are the first line, 2 the break (zero width), 3 the second line.
  const struct {
    int32_t align;
    float firstLeft, secondLeft;
  } cases[] = {{frontend::kAlignLeft, 0, 0},
               {frontend::kAlignRight, -ab, -c},
               {frontend::kAlignCentre, -ab / 2, -c / 2}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.align);
    const auto quads = Vertices(Make("AB\nC", test.align)->vertexBuffer);
    ASSERT_EQ(quads.size(), 16u);
    EXPECT_FLOAT_EQ(quads[0].x, test.firstLeft);
    EXPECT_FLOAT_EQ(quads[3 * 4].x, test.secondLeft);
    EXPECT_FLOAT_EQ(quads[0].y - quads[3 * 4].y, 16) << "the second line is one cell lower";
  }
}

TEST_F(TextLabelTest, LabelWithoutAFontHasZeroWidthGlyphsAndReadsNoTableOutOfRange) {
  TextLabel label(device_, nullptr, nullptr, "abc", 0, 0, 1, false, frontend::kAlignCentre, 800, 600);
  EXPECT_EQ(label.glyphCount, 3);
  for (const auto& vertex : Vertices(label.vertexBuffer)) EXPECT_FLOAT_EQ(vertex.x, 0);
  EXPECT_EQ(label.GlyphWidth(-22), 0);
  EXPECT_EQ(Make("A", frontend::kAlignLeft)->GlyphWidth(300), 0);
}

TEST_F(TextLabelTest, WrappingBreaksBetweenWordsAndKeepsTheTextsOwnLineBreaks) {
  auto label = Make("", frontend::kAlignLeft);
  const auto width = [&](const std::string& text) { return label->LineWidths(text).front(); };
  const struct {
    const char* text;
    float maxWidth;
    const char* wrapped;
  } cases[] = {
      {"AA BB", width("AA BB"), "AA BB"},
      {"AA BB", width("AA BB") - 1, "AA\nBB"},
      {"AA BB CC", width("AA BB"), "AA BB\nCC"},
      {"AA\nBB CC", 1000, "AA\nBB CC"},
      {"AA BB\nCC DD", width("AA B"), "AA\nBB\nCC\nDD"},
      {"A\n\nB", 1000, "A\n\nB"},
      {"AAAAAA BB", width("AA"), "AAAAAA\nBB"},  // a word wider than the line stays whole
  };
  for (const auto& c : cases) EXPECT_EQ(label->Wrapped(c.text, c.maxWidth), c.wrapped) << c.text;
}

}  // namespace
}  // namespace frontend_test
