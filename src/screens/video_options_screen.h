// Menu screen 7: the graphics settings as a column of rows that step their value when clicked, with Back
// (undo), Accept (keep and apply the full-screen choice) and AutoDetect (the machine's preset).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/settings.h"
#include "frontend/menu_screen.h"

namespace screens {

extern const char* const ResolutionNames[4];
extern const char* const OnOffNames[2];
extern const char* const DetailLevelNames[3];
extern const char* const ReflectionModeNames[3];
extern const char* const AmountNames[3];
extern const char* const ViewDistanceNames[4];

// One row of the screen: the button id is the row index plus 5.
struct VideoRow {
  int32_t rowIndex;
  float x, y;
  const char* label;
  app::SettingId setting;
  const char* const* valueNames;
  int32_t valueCount;
};
inline constexpr int32_t kVideoRowCount = 15;
inline constexpr int32_t kFirstRowButtonId = 5;
extern const std::array<VideoRow, kVideoRowCount> VideoRows;

class VideoOptionsScreen : public frontend::MenuScreen {
 public:
  enum ButtonId : int32_t { kAccept = 0, kBack = 1, kQuitIcon = 2, kFullScreenIcon = 3, kAutoDetect = 4 };

  explicit VideoOptionsScreen(const frontend::ScreenServices& services) : MenuScreen(services) {}
  ~VideoOptionsScreen() override;

  void Init(platform::gfx::Device* device) override;
  // Takes a copy of every integer setting so that Back can undo the changes.
  void OnEnter() override;
  void Update(const frontend::ScreenWindow& window, float frameTime) override { UpdateUnscaled(window, frameTime); }
  void Render(platform::gfx::Device* device) override;
  int32_t HandleInput(const frontend::ScreenWindow& window) override;

  // Makes the fifteen row buttons anew from the current settings.
  void BuildRows(platform::gfx::Device* device);
  // Steps the setting of one row (an index without a row changes nothing), validates and flags a rebuild.
  void ApplyRow(int32_t rowIndex);
  // Writes back every saved value except FULLSCREEN, which keeps its current value.
  void RestoreSettings();
  // The text a row shows: its label and the name of its current value.
  std::string RowText(const VideoRow& row) const;

  frontend::ScreenSkin skin;
  std::vector<frontend::MenuButton*> rowButtons;
  // Element FULLSCREEN doubles as the pending full-screen choice of the "Full Screen" row.
  std::array<int32_t, app::kIntSettingCount> savedSettings{};
};

}  // namespace screens
