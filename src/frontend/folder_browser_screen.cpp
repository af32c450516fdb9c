// The in-game folder chooser: a scrolling list of sub-folders drawn with the menu skin, Parent, Accept, Cancel.
#include "frontend/folder_browser_screen.h"

#include <algorithm>

#include "frontend/screen_ids.h"
#include "frontend/skin_rects.h"
#include "platform/desktop.h"
#include "platform/file_system.h"

namespace frontend {

namespace {
using namespace skin;
// Longest path shown above the list, in characters.
constexpr size_t kPathLimit = 44;
constexpr float kFirstRowY = 200.0f;
constexpr float kRowSpacing = 38.0f;
}  // namespace

FolderBrowserScreen::FolderBrowserScreen(const ScreenServices& services, std::string dialogTitle)
    : MenuScreen(services), title(std::move(dialogTitle)), folder("/") {}

FolderBrowserScreen::~FolderBrowserScreen() {
  ClearListButtons(rowButtons);
  skin.Release(resourceManager);
}

void FolderBrowserScreen::Init(platform::gfx::Device* device) {
  skin.Load(resourceManager, device);
  AddText(new TextLabel(device, skin.fontImage, skin.font, title, 33, 8, 1.0f, false, kAlignLeft, kVirtualWidth,
                        kVirtualHeight));
  pathLabel = AddText(new TextLabel(device, skin.fontImage, skin.font, "", 150, 170, 0.75f, true, kAlignLeft,
                                    kVirtualWidth, kVirtualHeight));
  // The same title bar and list panel as the profile list.
  AddListPanel(device, skin.buttonImage);
  AddListControls(device, skin.buttonImage, skin.fontImage, skin.font, kScrollDown, kScrollUp,
                  {{kAccept, "Accept", 555}, {kParent, "Parent", 205}, {kCancel, "Cancel", 380}});
}

void FolderBrowserScreen::Open(const std::string& startFolder) {
  MenuScreen::OnEnter();
  closed = false;
  accepted = false;
  Show(platform::IsFolder(startFolder) ? startFolder : "/");
}

void FolderBrowserScreen::Show(const std::string& newFolder) {
  folder = newFolder.empty() || newFolder.back() != '/' ? newFolder + "/" : newFolder;
  subFolders.clear();
  for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
    if (entry.isFolder && !entry.name.empty() && entry.name[0] != '.') subFolders.push_back(entry.name);
  }
  firstVisibleRow = 0;
  rebuild = true;
}

void FolderBrowserScreen::Scroll(int32_t step) {
  firstVisibleRow = std::clamp(firstVisibleRow + step, 0, std::max(0, Count() - kFolderVisibleRows));
  rebuild = true;
}

std::string FolderBrowserScreen::ChosenFolder() const {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string FolderBrowserScreen::ShortPath(const std::string& path, size_t limit) {
  if (path.size() <= limit || limit <= 3) return path;
  return "..." + path.substr(path.size() - (limit - 3));
}

void FolderBrowserScreen::Update(const ScreenWindow& window, float frameTime) {
  (void)frameTime;
  HandleInput(window);
  UpdateHover(window);
  keyboard.ClearKeyPresses();
  mouse.ClearMouseClicks();
}

int32_t FolderBrowserScreen::HandleInput(const ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kAccept:
      accepted = true;
      closed = true;
      break;
    case kCancel: closed = true; break;
    case kParent: Show(platform::ParentFolder(folder)); break;
    case kScrollDown: Scroll(1); break;
    case kScrollUp: Scroll(-1); break;
    default:
      if (id >= kFirstRow && id - kFirstRow < Count()) Show(folder + subFolders[id - kFirstRow] + "/");
      break;
  }
  if (keyboard.IsKeyPressed(kKeyEscape)) {
    accepted = false;
    closed = true;
  }
  return id;
}

void FolderBrowserScreen::RebuildRows(platform::gfx::Device* device) {
  ClearListButtons(rowButtons);
  if (pathLabel != nullptr) pathLabel->SetText(device, ShortPath(ChosenFolder(), kPathLimit));
  const int32_t last = std::min(firstVisibleRow + kFolderVisibleRows, Count());
  for (int32_t i = firstVisibleRow; i < last; ++i) {
    const float y = kFirstRowY + kRowSpacing * static_cast<float>(i - firstVisibleRow);
    MenuButton* row = AddAtlasButton(device, skin.buttonImage, 145, y, 430, 36, kPlainRow, kSelectedRow, 0,
                                     kFirstRow + i);
    const std::string name = ShortPath(subFolders[i], 36);
    row->SetLabel(device, name, skin.fontImage, skin.font, 10, 10, 0.75f, false, kAlignLeft, kVirtualWidth,
                  kVirtualHeight);
    row->SetSubLabel(device, name, skin.fontImage, skin.font, 10, 10, 0.75f, true, kAlignLeft, kVirtualWidth,
                     kVirtualHeight);
    rowButtons.push_back(row);
  }
}

void FolderBrowserScreen::Render(platform::gfx::Device* device) {
  if (rebuild) {
    rebuild = false;
    RebuildRows(device);
  }
  MenuScreen::Render(device);
}

}  // namespace frontend
