// The in-game folder chooser, for desktops without a folder dialog: the folders inside the shown one, a way up
// to its parent, Accept and Cancel. The audio options open it as a popup to pick the music folder.
#pragma once

#include <string>
#include <vector>

#include "frontend/menu_screen.h"

namespace frontend {

inline constexpr int32_t kFolderVisibleRows = 6;

class FolderBrowserScreen : public MenuScreen {
 public:
  enum ButtonId : int32_t { kAccept = 0, kCancel = 1, kParent = 2, kScrollDown = 3, kScrollUp = 4, kFirstRow = 100 };

  FolderBrowserScreen(const ScreenServices& services, std::string title);
  ~FolderBrowserScreen() override;

  void Init(platform::gfx::Device* device) override;
  // The dialog's own input, the hover pass, then this frame's presses are cleared.
  void Update(const ScreenWindow& window, float frameTime) override;
  void Render(platform::gfx::Device* device) override;
  int32_t HandleInput(const ScreenWindow& window) override;

  // Opens the dialog on a folder (the root when it is no folder); nothing is accepted yet.
  void Open(const std::string& startFolder);
  // Shows a folder: its sub-folders in name order, hidden ones left out, from the top of the list.
  void Show(const std::string& newFolder);
  void Scroll(int32_t step);
  // The folder as the player sees it and as it is saved: no trailing separator (the root stays "/").
  std::string ChosenFolder() const;
  // The path cut from the left to fit the title bar: "..." and its end.
  static std::string ShortPath(const std::string& path, size_t limit);

  std::string title;
  // The shown folder, ending with '/'.
  std::string folder;
  std::vector<std::string> subFolders;
  int32_t firstVisibleRow = 0;
  // Set with closed when the player accepted the shown folder; closed alone means cancelled.
  bool accepted = false;
  ScreenSkin skin;
  TextLabel* pathLabel = nullptr;
  std::vector<MenuButton*> rowButtons;

 private:
  void RebuildRows(platform::gfx::Device* device);
  int32_t Count() const { return static_cast<int32_t>(subFolders.size()); }
};

}  // namespace frontend
