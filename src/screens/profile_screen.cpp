// Career profile popup of the main menu: lists, creates, deletes and chooses the players' profile files.
#include "screens/profile_screen.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "app/damaged_file.h"
#include "app/screen_flow.h"
#include "app/settings.h"
#include "frontend/screen_ids.h"
#include "frontend/skin_rects.h"
#include "platform/file_system.h"
#include "platform/os.h"
#include "platform/window_system.h"
#include "race/player_profile.h"
#include "render/resources/resource_manager.h"

namespace screens {

using frontend::kAlignCentre;
using frontend::kAlignLeft;
using frontend::kAlignRight;
using frontend::kVirtualHeight;
using frontend::kVirtualWidth;
using frontend::MenuButton;
using frontend::TextLabel;
using namespace frontend::skin;

namespace {
constexpr float kThumbTop = 230.0f;
constexpr float kThumbTravel = 150.0f;
constexpr uintptr_t kKeyBackspace = 8;
constexpr uintptr_t kKeyEnter = 13;
constexpr float kNoticeLeft = 140.0f;
constexpr float kNoticeTop = 483.0f;
constexpr float kHidden = -1000.0f;

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}
}  // namespace

ProfileScreen::ProfileScreen(const frontend::ScreenServices& services)
    : MenuScreen(services), confirmDialog(std::make_unique<frontend::ConfirmDialog>(services)) {
  profileFolder = platform::ExecutableFolder() + "PROFILES/";
  if (resourceManager != nullptr) failureSound = resourceManager->LoadSoundSample(kFailureSound, false);
}

ProfileScreen::~ProfileScreen() {
  confirmDialog.reset();
  if (resourceManager != nullptr && failureSound != platform::audio::kNoSample) {
    resourceManager->ReleaseSoundSample(failureSound);
  }
  ClearRows();
  skin.Release(resourceManager);
}

void ProfileScreen::ClearRows() {
  ClearListButtons(rowButtons);
  selectedRowButton = nullptr;
}

void ProfileScreen::Init(platform::gfx::Device* device) {
  confirmDialog->Init(device);
  skin.Load(resourceManager, device);
  AddText(new TextLabel(device, skin.fontImage, skin.font, "Select a Profile", 33, 8, 1.0f, false, kAlignLeft,
                        kVirtualWidth, kVirtualHeight));
  AddText(new TextLabel(device, skin.fontImage, skin.font, "Profiles", 170, 170, 1.0f, true, kAlignLeft,
                        kVirtualWidth, kVirtualHeight));
  AddListPanel(device, skin.buttonImage);
  scrollThumb = AddAtlasButton(device, skin.buttonImage, 594, kThumbTop, 20, 20, kThumbRect, kThumbRect, 0, kScrollBar);
  AddAtlasButton(device, skin.buttonImage, 594, kThumbTop, 20, 170, kTrackRect, kTrackRect, 0, kScrollBar);
  AddListControls(device, skin.buttonImage, skin.fontImage, skin.font, kScrollDown, kScrollUp,
                  {{kAccept, "Accept", 555}, {kCreate, "Create", 205}, {kDelete, "Delete", 380}});
  MenuButton* back = AddAtlasButton(device, skin.buttonImage, 5, 567, 159, 29, kBackRect, kBackRect, 0, kBack);
  AddButtonLabels(device, back, "Back", skin.fontImage, skin.font, 145, 4, 0.75f, false, kAlignRight);
  // The notice sits on a strip of the panel so the showroom behind cannot swallow it; both stay out of sight
  // until there is something to say.
  noticeBack = AddAtlasImage(device, skin.buttonImage, kNoticeLeft, kHidden, 520, 52, 22, 204, 25, 509);
  noticeLabel = AddText(new TextLabel(device, skin.fontImage, skin.font, notice, 400, kNoticeTop + 9, 0.6f, true,
                                      kAlignCentre, kVirtualWidth, kVirtualHeight));
}

void ProfileScreen::SetNotice(const std::string& text, const std::string& path) {
  notice = text;
  rejectedPath = path;
  rebuild = true;
}

bool ProfileScreen::LoadProfile(const std::string& path) {
  if (profile == nullptr) return true;
  if (path == rejectedPath && profile->fileName.empty() && !profile->damagedCopy.empty()) {
    // Second Accept on a damaged profile: its bytes are kept, so the fresh profile may take the file now.
    profile->SetFilePath(path);
    profile->Save();
    SetNotice("", "");
    return true;
  }
  if (profile->Load(path) != race::ProfileLoad::kRejected) {
    SetNotice("", "");
    return true;
  }
  const std::string start = profile->name + "'s profile could not be read";
  if (profile->damagedCopy.empty()) {
    SetNotice(start + " and was left as it is", path);
  } else {
    SetNotice(start + "; it was kept as " + app::FileNamePart(profile->damagedCopy) + "\nAccept starts " +
                  profile->name + " afresh",
              path);
  }
  PlayFailure();
  return false;
}

void ProfileScreen::ListProfiles(const std::string& folder, std::vector<std::string>& paths,
                                 std::vector<std::string>& names) {
  for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
    const std::string& file = entry.name;
    if (entry.isFolder || file.size() <= 4) continue;
    std::string extension = file.substr(file.size() - 3);
    for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const char first = file[0];
    const bool goodFirst = (first >= 'A' && first <= 'Z') || (first >= '0' && first <= '9');
    if (extension != "DAT" || !goodFirst) continue;
    paths.push_back(folder + file);
    std::string name = file.substr(0, file.size() - 4);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    names.push_back(name);
  }
}

void ProfileScreen::ClampFirstRow() {
  if (firstVisibleRow + kProfileVisibleRows >= Count()) firstVisibleRow = Count() - kProfileVisibleRows;
  if (firstVisibleRow < 0) firstVisibleRow = 0;
}

void ProfileScreen::OnEnter() {
  MenuScreen::OnEnter();
  dialogActive = false;
  closed = false;
  typing = false;
  paths.clear();
  names.clear();
  ListProfiles(profileFolder, paths, names);
  if (names.empty() && settings != nullptr && settings->IsFirstRun()) {
    if (!confirmDialog->answer) {
      const std::string path = profileFolder + "Player.dat";
      paths.push_back(path);
      names.push_back("PLAYER");
      selectedIndex = 0;
      if (profile != nullptr) profile->Load(path);
    } else {
      // The player has just deleted every profile: do not bring the default one back.
      settings->SetFirstRun(false);
    }
  }
  if (selectedIndex >= Count() || selectedIndex < 0) selectedIndex = 0;
  firstVisibleRow = selectedIndex;
  ClampFirstRow();
  rebuild = true;
}

void ProfileScreen::Scroll(int32_t step) {
  firstVisibleRow += step;
  ClampFirstRow();
  rebuild = true;
}

void ProfileScreen::ScrollTo(float y) {
  const int32_t hidden = Count() - kProfileVisibleRows;
  if (hidden <= 0) {
    firstVisibleRow = 0;
  } else {
    const int32_t row = static_cast<int32_t>(std::floor((y - kThumbTop) / kThumbTravel * hidden + 0.5f));
    firstVisibleRow = std::clamp(row, 0, hidden);
  }
  rebuild = true;
}

void ProfileScreen::ShowDeleteConfirm() {
  confirmDialog->OnEnter();
  dialogActive = true;
  // The button's release goes to the dialog: without this the screen would think it still held after the
  // dialog closes and swallow the next click.
  mouse.ResetMouseButtons();
}

void ProfileScreen::PlayFailure() {
  ++failureCount;
  if (resourceManager != nullptr && failureSound != platform::audio::kNoSample) {
    resourceManager->SampleMixer().PlaySound(platform::audio::kFreeChannel, failureSound);
  }
}

int32_t ProfileScreen::HandleInput(const frontend::ScreenWindow& window) {
  if (typing) {
    // The name entry keeps the keyboard: the mouse cannot do anything until it ends.
    if (mouse.IsKeyPressed(0)) PlayFailure();
    return frontend::kNoButton;
  }
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kBack: closed = true; break;
    case kCreate:
      SetNotice("", "");
      paths.emplace_back();
      names.emplace_back();
      typing = true;
      selectedIndex = Count() - 1;
      firstVisibleRow = std::max(0, Count() - kProfileVisibleRows);
      rebuild = true;
      break;
    case kDelete:
      if (names.empty()) {
        PlayFailure();
      } else {
        ShowDeleteConfirm();
      }
      break;
    case kAccept:
      if (names.empty()) {
        PlayFailure();
      } else {
        if (LoadProfile(paths[selectedIndex]) && screenFlow != nullptr) {
          screenFlow->RequestBack(frontend::screen_index::kGarage, 0.0f);
        }
        closed = false;
      }
      break;
    case kScrollDown: Scroll(1); break;
    case kScrollUp: Scroll(-1); break;
    case kScrollBar: ScrollTo(ScaledCursor().y); break;
    default:
      if (id >= kFirstRow && id - kFirstRow < Count()) {
        if (id - kFirstRow != selectedIndex) SetNotice("", "");
        selectedIndex = id - kFirstRow;
        rebuild = true;
      }
      break;
  }
  if (keyboard.IsKeyPressed(frontend::kKeyEscape)) {
    closed = true;
    return id;
  }
  if (keyboard.IsKeyPressed(frontend::kKeyF)) ToggleFullScreen();
  return id;
}

void ProfileScreen::FinishTyping() {
  const std::string name = names[selectedIndex];
  if (profile != nullptr && !profile->fileName.empty() && !FileExists(profile->fileName)) {
    // The loaded profile's file was deleted: loading another must not write it back.
    profile->SetName("");
    profile->SetFilePath("");
  }
  const std::string path = profileFolder + name + ".dat";
  paths[selectedIndex] = path;
  if (FileExists(path)) PlayFailure();
  LoadProfile(path);
  typing = false;
  OnEnter();
  // The list is read again: keep the new profile selected and in view.
  for (int32_t i = 0; i < Count(); ++i) {
    if (names[i] == name) selectedIndex = i;
  }
  firstVisibleRow = selectedIndex;
  ClampFirstRow();
}

void ProfileScreen::OnKeyMessage(uint32_t message, uintptr_t key) {
  if (key >= 96 && key <= 105) key -= 48;  // keypad digits type as digits
  if (!typing) {
    if (message == platform::wm::kKeyDown && key == frontend::kKeyF) ToggleFullScreen();
    return;
  }
  if (message == platform::wm::kKeyDown) {
    const bool letter = key >= 'A' && key <= 'Z';
    const bool digit = key >= '0' && key <= '9';
    if (letter || digit || key == ' ') {
      std::string& name = names[selectedIndex];
      if (key == ' ' && name.empty()) {
        // The list shows only names that start with a letter or a digit: a profile saved under a leading space
        // would never be offered again.
        PlayFailure();
      } else if (name.size() < kMaxProfileNameLength) {
        name.push_back(static_cast<char>(key));
        rebuild = true;
        MenuScreen::OnKeyMessage(message, key);
        return;
      }
    } else if (key == kKeyBackspace) {
      std::string& name = names[selectedIndex];
      if (!name.empty()) {
        name.pop_back();
        rebuild = true;
      }
    } else if (key == kKeyEnter) {
      if (!names[selectedIndex].empty()) FinishTyping();
    } else if (key == frontend::kKeyEscape) {
      selectedIndex = 0;
      paths.pop_back();
      names.pop_back();
      typing = false;
      OnEnter();
      rebuild = true;
    }
  }
  // Esc reaches the key state after the entry was dropped, so the next frame closes the popup.
  MenuScreen::OnKeyMessage(message, key);
}

void ProfileScreen::OnMouseMessage(uint32_t message) {
  if (dialogActive) {
    confirmDialog->OnMouseMessage(message);
  } else {
    MenuScreen::OnMouseMessage(message);
  }
}

void ProfileScreen::Update(const frontend::ScreenWindow& window, float frameTime) {
  blinkTimer += frameTime;
  while (blinkTimer > 1.0f) blinkTimer -= 1.0f;
  if (dialogActive) {
    confirmDialog->Update(window, frameTime);
    if (!confirmDialog->closed) return;
    if (confirmDialog->answer && selectedIndex < Count()) {
      const bool loaded = profile != nullptr && (names[selectedIndex] == profile->name ||
                                                 paths[selectedIndex] == profile->fileName);
      if (loaded) {
        // The deleted profile must not be saved again when another one is loaded.
        profile->SetName("");
        profile->SetFilePath("");
      }
      std::error_code error;
      std::filesystem::remove(paths[selectedIndex], error);
      SetNotice("", "");
      OnEnter();
    }
    dialogActive = false;
    return;
  }
  HandleInput(window);
  UpdateHover(window);
  keyboard.ClearKeyPresses();
  mouse.ClearMouseClicks();
}

void ProfileScreen::RebuildRows(platform::gfx::Device* device) {
  ClearRows();
  const int32_t last = std::min(firstVisibleRow + kProfileVisibleRows, Count());
  for (int32_t i = firstVisibleRow; i < last; ++i) {
    const bool selected = i == selectedIndex;
    const float y = 200.0f + 38.0f * static_cast<float>(i - firstVisibleRow);
    MenuButton* row = AddAtlasButton(device, skin.buttonImage, 145, y, 430, 36, selected ? kSelectedRow : kPlainRow,
                                     kSelectedRow, 0, kFirstRow + i);
    row->SetLabel(device, names[i], skin.fontImage, skin.font, 10, 10, 0.75f, selected, kAlignLeft, kVirtualWidth,
                  kVirtualHeight);
    row->SetSubLabel(device, names[i], skin.fontImage, skin.font, 10, 10, 0.75f, true, kAlignLeft, kVirtualWidth,
                     kVirtualHeight);
    rowButtons.push_back(row);
    if (selected) selectedRowButton = row;
  }
  if (scrollThumb != nullptr) {
    const int32_t hidden = Count() - kProfileVisibleRows;
    const float offset = hidden > 0 ? kThumbTravel * static_cast<float>(firstVisibleRow) / static_cast<float>(hidden)
                                    : 0.0f;
    scrollThumb->SetPosition(scrollThumb->x, kThumbTop + offset);
  }
}

void ProfileScreen::Render(platform::gfx::Device* device) {
  if (dialogActive) {
    confirmDialog->Render(device);
    return;
  }
  if (rebuild) {
    rebuild = false;
    RebuildRows(device);
    if (noticeLabel != nullptr) noticeLabel->SetText(device, notice);
    if (noticeBack != nullptr) {
      noticeBack->SetPosition(kNoticeLeft, notice.empty() ? kHidden : kNoticeTop, kVirtualWidth, kVirtualHeight);
    }
  }
  if (typing && selectedRowButton != nullptr) {
    const std::string text = (blinkTimer < 0.5f ? "" : "*") + names[selectedIndex];
    selectedRowButton->SetLabelText(device, text);
    selectedRowButton->SetSubLabelText(device, text);
  }
  MenuScreen::Render(device);
}

}  // namespace screens
