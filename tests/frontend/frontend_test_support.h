// Shared set-up of the front-end tests: a null device, settings for a 1024 × 768 window, a resource manager over
// a scratch folder holding the menu pictures, a small font with a known width table and the hover sound, a
// silent mixer, a null window system for the cursor, an empty content list and player, and readers of the
// widgets' buffers.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/device_facts_fixture.h"
#include "app/hardware_info.h"
#include "app/screen_flow.h"
#include "app/settings.h"
#include "contentgen/menu_content.h"
#include "contentgen/png_writer.h"
#include "contentgen/wav_writer.h"
#include "frontend/menu_screen.h"
#include "frontend/widget_quad.h"
#include "platform/audio/mixer.h"
#include "platform/gfx/memory_resources.h"
#include "platform/null_window_system.h"
#include "platform/window_system.h"
#include "race/content_database.h"
#include "race/player_profile.h"
#include "race/race_definition.h"
#include "race/race_list.h"
#include "render/resources/image_test_support.h"
#include "render/resources/resource_manager.h"

namespace frontend_test {

// Glyph g of the test font is 8 + g mod 4 texels wide; its picture is 256 texels square (16-texel cells).
inline int32_t TestGlyphWidth(int32_t glyph) { return 8 + glyph % 4; }
inline constexpr uint32_t kFontImageSize = 256;
using Queue = std::vector<std::pair<int32_t, int32_t>>;

class FrontEndTest : public render_test::NullDeviceFixture {
 protected:
  void SetUp() override {
    NullDeviceFixture::SetUp();
    hardware_ = std::make_unique<app::HardwareInfo>(app::MachineFacts{});
    hardware_->DetectFrom(app::testing_support::CapableDeviceFacts());
    settings_ = std::make_unique<app::Settings>(*hardware_, folder_, folder_);
    settings_->SetInt(app::SettingId::SCREENWIDTH, 1024);
    settings_->SetInt(app::SettingId::SCREENHEIGHT, 768);
    settings_->SetInt(app::SettingId::FULLSCREEN, 0);
    WriteContent();
    resources_ = std::make_unique<render::ResourceManager>(settings_.get(), folder_);
    resources_->SetMixer(&mixer_);
    database_ = std::make_unique<race::ContentDatabase>(settings_.get(), folder_ + "no-content.dat");
    profile_ = std::make_unique<race::PlayerProfile>(database_.get());
  }
  void TearDown() override {
    opened_.reset();
    resources_.reset();
    NullDeviceFixture::TearDown();
  }

  void WriteContent() {
    ASSERT_TRUE(contentgen::WriteMenuContent(folder_));
    contentgen::PictureData glyphs(kFontImageSize, kFontImageSize);
    glyphs.Fill(0xFFFFFFFF);
    ASSERT_TRUE(contentgen::WritePng(folder_ + "FONT/noire.png", glyphs, false));
    ASSERT_TRUE(contentgen::WritePng(folder_ + "FONT/noirea.png", glyphs, false));
    std::string table = "[Char Widths]\n";
    for (int code = 0; code < 256; ++code) table += std::to_string(code) + "=" + std::to_string(TestGlyphWidth(code)) + "\n";
    ASSERT_TRUE(contentgen::WriteContentFile(folder_ + "FONT/noire.ini", std::vector<uint8_t>(table.begin(), table.end())));
    ASSERT_TRUE(contentgen::WriteWav(folder_ + "SOUNDS/tally.wav", std::vector<int16_t>(2205, 1000), 22050, 1));
    ASSERT_TRUE(contentgen::WriteWav(folder_ + "SOUNDS/failure.wav", std::vector<int16_t>(2205, 500), 22050, 1));
  }

  frontend::ScreenServices Services() {
    return {resources_.get(), settings_.get(), &flow_, database_.get(), profile_.get()};
  }
  // A screen over the test's services, initialised and entered; the fixture keeps it while the resources live.
  template <typename Screen, typename... Extra>
  Screen& Open(Extra&&... extra) {
    auto screen = std::make_unique<Screen>(Services(), std::forward<Extra>(extra)...);
    Screen& opened = *screen;
    opened_ = std::move(screen);
    opened.Init(device_);
    opened.OnEnter();
    return opened;
  }
  frontend::ScreenWindow Window() { return {&windows_, 0}; }
  // Moves the cursor to a point given in virtual pixels (800 × 600) of the window size the settings hold now.
  void PointAt(int virtualX, int virtualY) {
    const int width = settings_->GetInt(app::SettingId::SCREENWIDTH);
    const int height = settings_->GetInt(app::SettingId::SCREENHEIGHT);
    windows_.SetCursorPos(platform::Point{(virtualX * width + 799) / 800, (virtualY * height + 599) / 600});
  }
  // A left click at a virtual point delivered to a screen, then one update of it.
  void ClickAt(frontend::MenuScreen& screen, int virtualX, int virtualY) {
    PointAt(virtualX, virtualY);
    screen.OnMouseMessage(platform::wm::kLButtonDown);
    screen.Update(Window(), 0.016f);
    screen.OnMouseMessage(platform::wm::kLButtonUp);
  }
  // A fresh press of a key (released first, so a key still held from an earlier frame counts again).
  void PressKey(frontend::MenuScreen& screen, uintptr_t key) {
    screen.OnKeyMessage(platform::wm::kKeyUp, key);
    screen.OnKeyMessage(platform::wm::kKeyDown, key);
  }
  // A fresh press of a key and the frame that sees it.
  void TapKey(frontend::MenuScreen& screen, uintptr_t key) {
    PressKey(screen, key);
    screen.Update(Window(), 0.016f);
  }

  // A race list of count races named "Race <n>" of that mode and type, three laps, four opponents.
  std::unique_ptr<race::RaceList> RaceListOf(int count, uint32_t mode = 0, uint32_t type = 0) {
    auto list = std::make_unique<race::RaceList>(settings_.get(), &database_->aiNames, folder_ + "no-races.lst");
    for (int i = 0; i < count; ++i) {
      list->races.push_back(std::make_unique<race::RaceDefinition>(i, "Race " + std::to_string(i), "TRACKS/a.scn",
                                                                   &database_->aiNames, mode, type, 3, 0, 4, false));
    }
    return list;
  }

  // Requests queued in the flow, as (state, screen) pairs.
  Queue Requests() const {
    Queue queued;
    for (size_t i = 0; i < flow_.stateQueue.size(); ++i) queued.emplace_back(flow_.stateQueue[i], flow_.screenQueue[i]);
    return queued;
  }
  // Forgets the requests queued so far.
  void ClearRequests() {
    flow_.delayQueue.clear();
    flow_.stateQueue.clear();
    flow_.parameterQueue.clear();
    flow_.screenQueue.clear();
  }
  int FullScreen() const { return settings_->GetInt(app::SettingId::FULLSCREEN); }
  template <typename List, typename Item>
  static bool Listed(const List& list, const Item* item) {
    return std::find(list.begin(), list.end(), item) != list.end();
  }

  // Ids of a screen's listed buttons from firstId up (its run-time rows), in list order.
  static std::vector<int32_t> ListedIdsFrom(const frontend::MenuScreen& screen, int32_t firstId) {
    std::vector<int32_t> ids;
    for (const frontend::MenuButton* button : screen.buttons) {
      if (button->id >= firstId) ids.push_back(button->id);
    }
    return ids;
  }

  static std::vector<frontend::WidgetVertex> Vertices(platform::gfx::VertexBuffer* buffer) {
    const auto& bytes = static_cast<platform::gfx::MemoryVertexBuffer*>(buffer)->Bytes();
    std::vector<frontend::WidgetVertex> vertices(bytes.size() / sizeof(frontend::WidgetVertex));
    std::memcpy(vertices.data(), bytes.data(), vertices.size() * sizeof(frontend::WidgetVertex));
    return vertices;
  }
  size_t DrawCount() const { return device_->Draws().size(); }

  std::unique_ptr<app::HardwareInfo> hardware_;
  std::unique_ptr<app::Settings> settings_;
  std::unique_ptr<render::ResourceManager> resources_;
  platform::audio::Mixer mixer_;
  platform::NullWindowSystem windows_;
  app::ScreenFlow flow_;
  std::unique_ptr<race::ContentDatabase> database_;
  std::unique_ptr<race::PlayerProfile> profile_;
  std::unique_ptr<frontend::MenuScreen> opened_;
};

}  // namespace frontend_test
