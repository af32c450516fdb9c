// Tests of the HUD widgets: quad corners and placement, text widths, alignment and glyph quads.
#include "race/hud/hud_widgets.h"

#include "hud_test_support.h"
#include "render/resources/bitmap_font.h"

namespace race {
namespace {

TEST(HudSprite, CornersHangFromTheTopLeftOrSurroundTheCentre) {
  HudSprite corner(nullptr, 20, 24, 200, 64, 0.1f, 0.0f, 0.2f, 1.0f, false);
  EXPECT_FLOAT_EQ(corner.origin.x, 20.0f - 400.0f);
  EXPECT_FLOAT_EQ(corner.origin.y, 300.0f - 24.0f);
  EXPECT_FLOAT_EQ(corner.quad[2].x, 200.0f);
  EXPECT_FLOAT_EQ(corner.quad[2].y, -64.0f) << "y grows upwards in the drawing space";
  EXPECT_FLOAT_EQ(corner.quad[0].u, 0.1f);
  EXPECT_FLOAT_EQ(corner.quad[2].v, 1.0f);

  HudSprite centred(nullptr, 400, 68, 327, 86, 1.0f, 0.0f, 0.0f, 1.0f, true);
  EXPECT_FLOAT_EQ(centred.quad[0].x, -163.5f);
  EXPECT_FLOAT_EQ(centred.quad[0].y, 43.0f);
  EXPECT_FLOAT_EQ(centred.quad[0].u, 1.0f) << "a right u below the left mirrors the picture";
  centred.Resize(10, 20);
  EXPECT_FLOAT_EQ(centred.quad[2].x, 5.0f);
  EXPECT_FLOAT_EQ(centred.quad[2].y, -10.0f);
  EXPECT_FLOAT_EQ(centred.quad[2].u, 0.0f) << "resizing keeps the texture rectangle";
}

TEST(HudLabel, AlignmentPlacesTheTextAroundX) {
  render::BitmapFont font;
  font.widths.fill(10);
  font.letterSpacing = 2;
  HudLabel label(nullptr, &font, "abcd", 300, 50, 0.5f, false, kHudAlignLeft);
  EXPECT_FLOAT_EQ(label.TextWidth(), 4 * (10 + 2) * 0.5f);
  EXPECT_FLOAT_EQ(label.LeftEdge(), 300.0f);
  label.align = kHudAlignRight;
  EXPECT_FLOAT_EQ(label.LeftEdge(), 300.0f - 24.0f);
  label.align = kHudAlignCentre;
  EXPECT_FLOAT_EQ(label.LeftEdge(), 300.0f - 12.0f);
  font.widths[static_cast<size_t>('a' - 32 + 128)] = 30;
  label.SetAltGlyphs(true);
  EXPECT_FLOAT_EQ(label.TextWidth(), (30 + 2 + 3 * 12) * 0.5f) << "highlight glyphs use the second half's widths";
  HudLabel noFont(nullptr, nullptr, "abc", 0, 0, 1.0f, false, kHudAlignLeft);
  EXPECT_FLOAT_EQ(noFont.TextWidth(), 0.0f);
}

class HudLabelDraw : public hud_test::HudFixture {};

TEST_F(HudLabelDraw, OneQuadPerVisibleGlyphAndNothingForEmptyText) {
  render::ImageResource* image = resources_->LoadImagePair(device_, "FONT\\digital.png", "FONT\\digitala.png", false, true);
  render::BitmapFont* font = resources_->LoadFont("FONT\\digital.ini");
  HudLabel label(image, font, "GO!", 400, 320, 1.5f, true, kHudAlignCentre);
  device_->ClearRecords();
  label.Draw(device_);
  ASSERT_EQ(device_->Draws().size(), 1u);
  EXPECT_EQ(device_->Draws()[0].primitiveCount, 6u);
  EXPECT_EQ(device_->Draws()[0].fvf, kHudVertexFormat);
  label.SetText("");
  device_->ClearRecords();
  label.Draw(device_);
  EXPECT_TRUE(device_->Draws().empty());
  resources_->ReleaseImage(image);
  resources_->ReleaseFont(font);
}

TEST(WholeNumberText, PrintsAndClamps) {
  EXPECT_EQ(WholeNumberText(42.0), "42");
  EXPECT_EQ(WholeNumberText(-7.0), "-7");
  EXPECT_EQ(WholeNumberText(1e300), "1000000000000000");
  EXPECT_EQ(WholeNumberText(-1e300), "-1000000000000000");
}

}  // namespace
}  // namespace race
