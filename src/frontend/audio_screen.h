// Menu screen 9: master, music and effects volume sliders and the music source (CD mode, a chosen music folder).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/settings.h"
#include "frontend/folder_browser_screen.h"
#include "frontend/menu_screen.h"

namespace app {
class SoundSystem;
}
namespace platform {
class FolderChooser;
}

namespace frontend {

extern const char* const MusicModeNames[app::kCdMusicModeCount];
extern const char* const OnOffNamesAudio[2];

// The slider knob's left edge: kSliderLeft at volume 0, kSliderLeft + 100 * kSliderStep at volume 100.
inline constexpr float kSliderLeft = 300.0f;
inline constexpr float kSliderStep = 2.36f;
// Longest folder text shown on the folder row before it is cut and ends in "...".
inline constexpr size_t kFolderTextLimit = 40;
inline constexpr char kMusicFolderTitle[] = "Select MP3 Folder";

class AudioOptionsScreen : public MenuScreen {
 public:
  // soundSystem may be null (no music is started then).
  AudioOptionsScreen(const ScreenServices& services, app::SoundSystem* soundSystem);
  ~AudioOptionsScreen() override;

  void OnEnter() override;
  void Init(platform::gfx::Device* device) override;
  void Update(const ScreenWindow& window, float frameTime) override;
  void Render(platform::gfx::Device* device) override;
  // Key and mouse messages go to the folder browser while it is open.
  void OnKeyMessage(uint32_t message, uintptr_t key) override;
  void OnMouseMessage(uint32_t message) override;
  int32_t HandleInput(const ScreenWindow& window) override;

  void TakeSnapshot();
  // Puts back every setting but the window size and full-screen flag, and the music folder; no validation.
  void RestoreSnapshot();
  // n is the button id minus 4.
  void OnOptionButton(int32_t n);
  void RestartMusic();
  // Leaves full-screen mode first (the choice then opens from the next windowed update). Opens the desktop's
  // folder dialog at the player's music folder, or the in-game browser where the desktop has none.
  void BrowseMusicFolder();
  // The chosen folder becomes MP3FOLDER and the music starts again from it.
  void TakeMusicFolder(const std::string& folder);
  void RebuildRows(platform::gfx::Device* device);

  // The text of the folder row for a folder setting.
  static std::string FolderRowText(const std::string& folder);

  ScreenSkin skin;
  std::vector<MenuButton*> dynamicButtons;
  MenuButton* masterKnob = nullptr;
  MenuButton* musicKnob = nullptr;
  MenuButton* effectsKnob = nullptr;
  app::SoundSystem* soundSystem = nullptr;
  std::array<int32_t, app::kIntSettingCount> settingsSnapshot{};
  std::string folderSnapshot;
  bool browsePending = false;
  // The desktop's folder dialog (not owned); null, or a dialog that cannot be shown, opens the in-game browser.
  platform::FolderChooser* folderChooser = nullptr;
  // Where a choice starts: the player's music folder.
  std::string musicFolder;
  std::unique_ptr<FolderBrowserScreen> folderBrowser;
  bool browserOpen = false;
  // The game's own MUSIC folder: where the in-game browser looks and the music played without another source.
  // Ends with its separator.
  std::string musicRoot;
};

}  // namespace frontend
