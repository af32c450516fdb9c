// The sample menu pictures: they load through the resource manager and hold every atlas rectangle the screens cut.
#include "contentgen/menu_content.h"

#include "frontend/main_menu_screen.h"
#include "frontend/loading_screen.h"
#include "frontend/gui_context.h"
#include "frontend/screen_ids.h"
#include "frontend_test_support.h"

namespace frontend_test {
namespace {

class MenuContentTest : public FrontEndTest {};

TEST_F(MenuContentTest, EveryMenuPictureLoadsWithItsAlpha) {
  const std::pair<const char*, const char*> pairs[] = {
      {frontend::kButtonImage, frontend::kButtonAlpha},     {frontend::kPointerImage, frontend::kPointerAlpha},
      {frontend::kLogoImage, frontend::kLogoAlpha},         {frontend::kPanelImage, frontend::kPanelAlpha},
      {frontend::kPanelCapImage, frontend::kPanelCapAlpha}, {frontend::kLoadingPicture, frontend::kLoadingPictureAlpha}};
  for (const auto& [colour, alpha] : pairs) {
    render::ImageResource* image = resources_->LoadTextureEx(device_, colour, alpha, 0, 1);
    EXPECT_NE(render::GetImageTexture(image), nullptr) << colour;
    EXPECT_TRUE(image->alphaMerged) << alpha;
    resources_->ReleaseImage(image);
  }
  render::ImageResource* notice = resources_->LoadImage(device_, frontend::kDisclaimerImage, true, frontend::kMagentaKey, false, true);
  EXPECT_NE(render::GetImageTexture(notice), nullptr);
  resources_->ReleaseImage(notice);
}

TEST_F(MenuContentTest, AtlasHoldsTheCutRectanglesWithTransparentBlankFaces) {
  const contentgen::PictureData atlas = contentgen::MakeButtonAtlas();
  ASSERT_EQ(atlas.width, contentgen::kButtonAtlasSize);
  for (const float* rect : {frontend::kFullScreenIconNormal, frontend::kFullScreenIconHighlight, frontend::kQuitIconNormal,
                            frontend::kQuitIconHighlight, frontend::kWideHighlight}) {
    EXPECT_LE(rect[2], static_cast<float>(atlas.width));
    EXPECT_LE(rect[3], static_cast<float>(atlas.height));
    // The centre of each icon and bar is opaque enough to see.
    const auto x = static_cast<uint32_t>((rect[0] + rect[2]) / 2);
    const auto y = static_cast<uint32_t>((rect[1] + rect[3]) / 2);
    EXPECT_GT(atlas.Get(x, y) >> 24, 0x80u);
  }
  EXPECT_EQ(atlas.Get(10, 88) >> 24, 0u);
  EXPECT_EQ(atlas.Get(4, 144) >> 24, 0u);
  const contentgen::PictureData alpha = contentgen::AlphaOf(atlas);
  EXPECT_EQ(alpha.Get(10, 10) & 0xFF, atlas.Get(10, 10) >> 24);
}

}  // namespace
}  // namespace frontend_test
