// Menu screen 9: master, music and effects volume sliders and the music source (CD mode, a chosen music folder).
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "frontend/menu_screen.h"

namespace app {
class SoundSystem;
}

namespace frontend {

extern const char* const MusicModeNames[3];
extern const char* const OnOffNamesAudio[2];

// The slider knob's left edge: kSliderLeft at volume 0, kSliderLeft + 100 * kSliderStep at volume 100.
inline constexpr float kSliderLeft = 300.0f;
inline constexpr float kSliderStep = 2.36f;
// Longest folder text shown on the folder row before it is cut and ends in "...".
inline constexpr size_t kFolderTextLimit = 40;

class AudioOptionsScreen : public MenuScreen {
 public:
  // Chooses a music folder: the chosen path, or nothing when the player cancels.
  using FolderChooser = std::function<std::optional<std::string>()>;

  // soundSystem may be null (no music is started then).
  AudioOptionsScreen(const ScreenServices& services, app::SoundSystem* soundSystem);
  ~AudioOptionsScreen() override;

  void OnEnter() override;
  void Init(platform::gfx::Device* device) override;
  void Update(const ScreenWindow& window, float frameTime) override;
  void Render(platform::gfx::Device* device) override;
  int32_t HandleInput(const ScreenWindow& window) override;

  void TakeSnapshot();
  // Puts back every setting but the window size and full-screen flag, and the music folder; no validation.
  void RestoreSnapshot();
  // n is the button id minus 4.
  void OnOptionButton(int32_t n);
  void RestartMusic();
  // Leaves full-screen mode first (the choice then opens from the next windowed update).
  void BrowseMusicFolder();
  void RebuildRows(platform::gfx::Device* device);

  // The text of the folder row for a folder setting.
  static std::string FolderRowText(const std::string& folder);
  // The in-game folder browser: the next sub-folder of the game's MUSIC folder after the current choice, in
  // name order, wrapping round; nothing when MUSIC holds no folder.
  std::optional<std::string> NextMusicFolder() const;

  ScreenSkin skin;
  std::vector<MenuButton*> dynamicButtons;
  MenuButton* masterKnob = nullptr;
  MenuButton* musicKnob = nullptr;
  MenuButton* effectsKnob = nullptr;
  app::SoundSystem* soundSystem = nullptr;
  std::array<int32_t, app::kIntSettingCount> settingsSnapshot{};
  std::string folderSnapshot;
  bool browsePending = false;
  // Replaceable so a test (or another platform) can answer for the player.
  FolderChooser folderChooser;
  // The game's own MUSIC folder: where the in-game browser looks and the music played without another source.
  // Ends with its separator.
  std::string musicRoot;

};

}  // namespace frontend
