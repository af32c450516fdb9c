// Audio options: volume sliders with step arrows, the CD and music-folder sources, Accept keeps and Back undoes.
#include "frontend/audio_screen.h"

#include <algorithm>
#include <cmath>

#include "app/paths.h"
#include "app/screen_flow.h"
#include "app/sound_system.h"
#include "frontend/options_panel.h"
#include "frontend/screen_ids.h"
#include "platform/desktop.h"
#include "platform/file_system.h"

namespace frontend {

const char* const MusicModeNames[app::kCdMusicModeCount] = {"OFF", "SHUFFLE", "CONTINUOUS"};
const char* const OnOffNamesAudio[2] = {"OFF", "ON"};

namespace {
using app::SettingId;

enum ButtonId : int32_t { kAccept = 0, kBack = 1, kQuitIcon = 2, kFullScreenIcon = 3 };
static_assert(kAccept == options_panel::kAcceptId && kBack == options_panel::kBackId &&
              kQuitIcon == options_panel::kQuitIconId && kFullScreenIcon == options_panel::kFullScreenIconId);
constexpr int32_t kFirstOption = 4;
constexpr float kLeftArrowNormal[4] = {195, 44, 170, 67};
constexpr float kLeftArrowHighlight[4] = {195, 69, 170, 92};
constexpr float kRightArrowNormal[4] = {170, 44, 195, 67};
constexpr float kRightArrowHighlight[4] = {170, 69, 195, 92};
constexpr float kKnobRect[4] = {12, 106, 13, 107};
constexpr float kTrackRect[4] = {12, 88, 13, 89};
constexpr float kRowNormal[4] = {10, 88, 11, 89};
constexpr float kRowHighlight[4] = {3, 2, 200, 39};

int32_t Clamp(int32_t value) { return std::clamp(value, 0, 100); }
}  // namespace

AudioOptionsScreen::AudioOptionsScreen(const ScreenServices& services, app::SoundSystem* soundSystem)
    : MenuScreen(services),
      soundSystem(soundSystem),
      musicFolder(platform::UserMusicFolder()),
      folderBrowser(std::make_unique<FolderBrowserScreen>(services, kMusicFolderTitle)),
      musicRoot(app::GetExecutableFolder() + "MUSIC/") {}

AudioOptionsScreen::~AudioOptionsScreen() {
  ClearListButtons(dynamicButtons);
  skin.Release(resourceManager);
}

void AudioOptionsScreen::Init(platform::gfx::Device* device) {
  folderBrowser->Init(device);
  skin.Load(resourceManager, device);
  AddText(new TextLabel(device, skin.fontImage, skin.font, "Audio Menu", 735, 135, 1.25f, false, kAlignRight,
                        kVirtualWidth, kVirtualHeight));
  const struct {
    const char* name;
    float y;
    int32_t upId;
    MenuButton** knob;
  } sliders[] = {{"Master Volume", 215, 4, &masterKnob}, {"Music Volume", 255, 7, &musicKnob},
                 {"SFX Volume", 295, 10, &effectsKnob}};
  for (const auto& slider : sliders) {
    AddText(new TextLabel(device, skin.fontImage, skin.font, slider.name, 250, slider.y + 3, 0.75f, false,
                          kAlignRight, kVirtualWidth, kVirtualHeight));
    AddAtlasButton(device, skin.buttonImage, 260, slider.y, 26, 24, kLeftArrowNormal, kLeftArrowHighlight, 0,
                   slider.upId + 1);
    AddAtlasButton(device, skin.buttonImage, 570, slider.y, 26, 24, kRightArrowNormal, kRightArrowHighlight, 0,
                   slider.upId);
    *slider.knob = AddAtlasButton(device, skin.buttonImage, kSliderLeft, slider.y + 3, 20, 20, kKnobRect,
                                  kKnobRect, 0, slider.upId + 2);
    AddAtlasButton(device, skin.buttonImage, kSliderLeft, slider.y + 3, 256, 20, kTrackRect, kTrackRect, 0,
                   slider.upId + 2);
  }
  options_panel::AddFrame(*this, device, skin.buttonImage);
  options_panel::AddButtons(*this, device, skin, 567);
}

void AudioOptionsScreen::OnEnter() {
  browsePending = false;
  browserOpen = false;
  TakeSnapshot();
  MenuScreen::OnEnter();
  rebuild = true;
}

void AudioOptionsScreen::TakeSnapshot() {
  folderSnapshot = settings->GetString(app::StringSettingId::MP3FOLDER);
  for (int i = 0; i < app::kIntSettingCount; ++i) settingsSnapshot[i] = settings->GetInt(static_cast<SettingId>(i));
}

void AudioOptionsScreen::RestoreSnapshot() {
  settings->SetString(app::StringSettingId::MP3FOLDER, folderSnapshot);
  for (int i = 0; i < app::kIntSettingCount; ++i) {
    const auto id = static_cast<SettingId>(i);
    if (id == SettingId::SCREENWIDTH || id == SettingId::SCREENHEIGHT || id == SettingId::FULLSCREEN) continue;
    settings->SetInt(id, settingsSnapshot[i]);
  }
}

void AudioOptionsScreen::Render(platform::gfx::Device* device) {
  if (browserOpen) {
    folderBrowser->Render(device);
    return;
  }
  if (rebuild) {
    rebuild = false;
    RebuildRows(device);
  }
  MenuScreen::Render(device);
}

std::string AudioOptionsScreen::FolderRowText(const std::string& folder) {
  if (folder.empty()) return "Select Folder";
  if (folder.size() > kFolderTextLimit) return folder.substr(0, kFolderTextLimit) + "...";
  return folder;
}

void AudioOptionsScreen::RebuildRows(platform::gfx::Device* device) {
  ClearListButtons(dynamicButtons);
  const std::pair<MenuButton*, SettingId> knobs[] = {
      {masterKnob, SettingId::MASTERVOLUME}, {musicKnob, SettingId::MUSICVOLUME}, {effectsKnob, SettingId::SFXVOLUME}};
  for (const auto& [knob, id] : knobs) {
    if (knob != nullptr) knob->SetPosition(kSliderLeft + kSliderStep * static_cast<float>(settings->GetInt(id)), knob->y);
  }
  // Settings are validated, but a stray value must never index past the name tables.
  const int cdMode = std::clamp(settings->GetInt(SettingId::CDMUSIC), 0, app::kCdMusicModeCount - 1);
  const int folderMusic = settings->GetInt(SettingId::MP3MUSIC) != 0 ? 1 : 0;
  auto addRow = [&](int32_t id, float x, float y, float width, const std::string& text) {
    MenuButton* row = AddAtlasButton(device, skin.buttonImage, x, y, width, 38, kRowNormal, kRowHighlight, 0, id);
    AddButtonLabels(device, row, text, skin.fontImage, skin.font, 5, 8, 0.75f, true, kAlignLeft);
    dynamicButtons.push_back(row);
  };
  addRow(13, 12, 360, 256, std::string("Audio CD : ") + MusicModeNames[cdMode]);
  addRow(14, 12, 400, 256, std::string("MP3 Folder : ") + OnOffNamesAudio[folderMusic]);
  if (folderMusic != 0) addRow(15, 275, 400, 480, FolderRowText(settings->GetString(app::StringSettingId::MP3FOLDER)));
}

void AudioOptionsScreen::OnKeyMessage(uint32_t message, uintptr_t key) {
  if (browserOpen) {
    folderBrowser->OnKeyMessage(message, key);
    return;
  }
  MenuScreen::OnKeyMessage(message, key);
}

void AudioOptionsScreen::OnMouseMessage(uint32_t message) {
  if (browserOpen) {
    folderBrowser->OnMouseMessage(message);
    return;
  }
  MenuScreen::OnMouseMessage(message);
}

void AudioOptionsScreen::Update(const ScreenWindow& window, float frameTime) {
  if (browserOpen) {
    folderBrowser->Update(window, frameTime);
    if (!folderBrowser->closed) return;
    browserOpen = false;
    // The click that closed the browser must not count as held on this screen.
    mouse.ResetMouseButtons();
    if (folderBrowser->accepted) TakeMusicFolder(folderBrowser->ChosenFolder());
    return;
  }
  if (browsePending && settings->GetInt(SettingId::FULLSCREEN) == 0) {
    browsePending = false;
    BrowseMusicFolder();
  }
  UpdateUnscaled(window, frameTime);
}

int32_t AudioOptionsScreen::HandleInput(const ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kNoButton: break;
    case kAccept: screenFlow->RequestBack(screen_index::kOptionsMenu, 0.0f); break;
    case kBack:
      RestoreSnapshot();
      screenFlow->RequestBack(screen_index::kOptionsMenu, 0.0f);
      break;
    case kQuitIcon: screenFlow->Request(app::game_state::kQuit, 0.0f); break;
    case kFullScreenIcon:
      ToggleFullScreen();
      mouse.ResetMouseButtons();
      break;
    default:
      if (id >= kFirstOption) OnOptionButton(id - kFirstOption);
      break;
  }
  if (keyboard.IsKeyPressed(kKeyEscape)) {
    screenFlow->RequestBack(screen_index::kOptionsMenu, 0.0f);
    return id;
  }
  if (keyboard.IsKeyPressed(kKeyF)) ToggleFullScreen();
  return id;
}

void AudioOptionsScreen::OnOptionButton(int32_t n) {
  const float cx = static_cast<float>(ScaledCursor().x);
  const int32_t slider = static_cast<int32_t>(std::floor((cx - kSliderLeft) / kSliderStep));
  auto value = [&](SettingId id) { return settings->GetInt(id); };
  auto set = [&](SettingId id, int32_t v) { settings->SetInt(id, v); };
  auto musicOn = [&](int32_t v) {
    if (v > 0 && soundSystem != nullptr && !soundSystem->IsMusicPlaying()) RestartMusic();
    set(SettingId::MUSICVOLUME, v);
  };
  auto restart = [&] {
    if (soundSystem != nullptr) soundSystem->StopMusic();
    RestartMusic();
  };
  switch (n) {
    case 0: set(SettingId::MASTERVOLUME, std::min(value(SettingId::MASTERVOLUME) + 10, 100)); break;
    case 1: set(SettingId::MASTERVOLUME, std::max(value(SettingId::MASTERVOLUME) - 10, 0)); break;
    case 2: set(SettingId::MASTERVOLUME, Clamp(slider)); break;
    case 3: musicOn(std::min(value(SettingId::MUSICVOLUME) + 10, 100)); break;
    case 4: set(SettingId::MUSICVOLUME, std::max(value(SettingId::MUSICVOLUME) - 10, 0)); break;
    case 5:
      if (slider >= 1) {
        musicOn(std::min(slider, 100));
      } else if (slider == 0) {
        set(SettingId::MUSICVOLUME, 0);
      } else {
        if (soundSystem != nullptr) soundSystem->StopMusic();
        set(SettingId::MUSICVOLUME, 0);
      }
      break;
    case 6: set(SettingId::SFXVOLUME, std::min(value(SettingId::SFXVOLUME) + 10, 100)); break;
    case 7: set(SettingId::SFXVOLUME, std::max(value(SettingId::SFXVOLUME) - 10, 0)); break;
    case 8: set(SettingId::SFXVOLUME, Clamp(slider)); break;
    case 9: {
      int32_t mode = value(SettingId::CDMUSIC) + 1;
      if (mode >= app::kCdMusicModeCount) mode = 0;
      set(SettingId::CDMUSIC, mode);
      if (mode != 0 && value(SettingId::MP3MUSIC) != 0) set(SettingId::MP3MUSIC, 0);
      restart();
      break;
    }
    case 10: {
      int32_t on = value(SettingId::MP3MUSIC) + 1;
      if (on >= 2) on = 0;
      set(SettingId::MP3MUSIC, on);
      if (on != 0 && value(SettingId::CDMUSIC) != 0) set(SettingId::CDMUSIC, 0);
      restart();
      break;
    }
    case 11: BrowseMusicFolder(); break;
    default: break;
  }
  settings->Validate();
  rebuild = true;
}

void AudioOptionsScreen::RestartMusic() {
  if (soundSystem == nullptr) return;
  soundSystem->GetCdTrackCount();
  const bool cdPresent = soundSystem->cdPresent;
  if (settings->GetInt(SettingId::MP3MUSIC) != 0) {
    const std::string folder = settings->GetString(app::StringSettingId::MP3FOLDER);
    if (!soundSystem->PlayMusicFolder(folder)) {
      settings->SetString(app::StringSettingId::MP3FOLDER, "");
      rebuild = true;
    }
    return;
  }
  if (settings->GetInt(SettingId::CDMUSIC) > 0 && cdPresent) {
    if (settings->GetInt(SettingId::CDMUSIC) == 1) {
      soundSystem->PlayCdTrack();
    } else {
      soundSystem->PlayNextCdTrack();
    }
    return;
  }
  soundSystem->PlayMusicFolder(musicRoot);
}

void AudioOptionsScreen::BrowseMusicFolder() {
  if (settings->GetInt(SettingId::FULLSCREEN) != 0) {
    settings->SetInt(SettingId::FULLSCREEN, 0);
    browsePending = true;
    return;
  }
  std::string chosen;
  const platform::FolderChoice choice = folderChooser != nullptr
                                            ? folderChooser->Choose(kMusicFolderTitle, musicFolder, chosen)
                                            : platform::FolderChoice::kUnavailable;
  if (choice == platform::FolderChoice::kChosen && !chosen.empty()) {
    TakeMusicFolder(chosen);
  } else if (choice == platform::FolderChoice::kUnavailable) {
    folderBrowser->Open(musicFolder);
    browserOpen = true;
    // The click's release goes to the browser.
    mouse.ResetMouseButtons();
  }
}

void AudioOptionsScreen::TakeMusicFolder(const std::string& folder) {
  settings->SetString(app::StringSettingId::MP3FOLDER, folder);
  if (soundSystem != nullptr) soundSystem->StopMusic();
  RestartMusic();
  rebuild = true;
}

}  // namespace frontend
