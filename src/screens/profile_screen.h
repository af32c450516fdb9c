// Career profile popup of the main menu: lists, creates, deletes and chooses the players' profile files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "frontend/confirm_dialog.h"
#include "frontend/menu_screen.h"
#include "platform/audio/mixer.h"

namespace screens {

inline constexpr int32_t kProfileVisibleRows = 6;
inline constexpr size_t kMaxProfileNameLength = 12;
inline constexpr char kFailureSound[] = "SOUNDS//failure.wav";

class ProfileScreen : public frontend::MenuScreen {
 public:
  enum ButtonId : int32_t { kBack = 0, kCreate = 1, kDelete = 2, kAccept = 3, kScrollDown = 4, kScrollUp = 5,
                            kScrollBar = 6, kFirstRow = 100 };

  explicit ProfileScreen(const frontend::ScreenServices& services);
  ~ProfileScreen() override;

  void OnEnter() override;
  void Init(platform::gfx::Device* device) override;
  void Update(const frontend::ScreenWindow& window, float frameTime) override;
  void Render(platform::gfx::Device* device) override;
  void OnKeyMessage(uint32_t message, uintptr_t key) override;
  void OnMouseMessage(uint32_t message) override;
  int32_t HandleInput(const frontend::ScreenWindow& window) override;

  // Profile files of a folder (which ends in a separator), in the folder's order: names of more than four
  // characters ending in "DAT" (any case) whose first character is an upper-case letter or a digit. names get the
  // file name without its extension, upper-cased.
  static void ListProfiles(const std::string& folder, std::vector<std::string>& paths,
                           std::vector<std::string>& names);
  void Scroll(int32_t step);
  // y in virtual pixels: 230 shows the first rows, 380 and below the last ones.
  void ScrollTo(float y);
  void ShowDeleteConfirm();
  // Takes every row button out of the button list and deletes it; the next rebuild makes the visible rows again.
  void ClearRows();

  // The folder the profiles live in; the executable's PROFILES folder unless a test points elsewhere.
  std::string profileFolder;
  frontend::ScreenSkin skin;
  int32_t selectedIndex = 0;
  int32_t firstVisibleRow = 0;
  frontend::MenuButton* scrollThumb = nullptr;
  frontend::MenuButton* selectedRowButton = nullptr;
  std::unique_ptr<frontend::ConfirmDialog> confirmDialog;
  bool dialogActive = false;
  bool typing = false;
  std::vector<frontend::MenuButton*> rowButtons;
  std::vector<std::string> paths;
  std::vector<std::string> names;
  platform::audio::SampleId failureSound = platform::audio::kNoSample;
  float blinkTimer = 0.0f;
  // How often the failure sound was asked for (a silent mixer still counts).
  int32_t failureCount = 0;
  // The line under the list that tells the player a profile could not be read, and the file it is about. While
  // that file is selected and its copy is kept, Accept starts the player afresh under its name.
  std::string notice;
  std::string rejectedPath;
  frontend::TextLabel* noticeLabel = nullptr;
  frontend::Sprite* noticeBack = nullptr;

 private:
  int32_t Count() const { return static_cast<int32_t>(names.size()); }
  void ClampFirstRow();
  void RebuildRows(platform::gfx::Device* device);
  void PlayFailure();
  void FinishTyping();
  // Loads the profile file; a file that cannot be used leaves the notice up and returns false.
  bool LoadProfile(const std::string& path);
  void SetNotice(const std::string& text, const std::string& path);
};

}  // namespace screens
