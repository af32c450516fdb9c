// The game application on the null window and graphics backends over a game folder, with the frame time set by
// hand, no controller unless one is attached, and the addresses the game asked to open kept.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/app_timer.h"
#include "app/graphics_app_fixture.h"
#include "contentgen/content.h"
#include "game/game_application.h"
#include "platform/input/scripted_controller.h"
#include "platform/null_desktop.h"

namespace game_test {

// The sample game folder (ending with '/'), written once for the test program and removed at its end; no test
// changes it.
inline const std::string& SampleGameFolder() {
  static const struct Folder {
    Folder() { EXPECT_TRUE(contentgen::WriteAllContent(path)) << path; }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string path = (std::filesystem::temp_directory_path() /
                        ("corsaire_game_" + std::to_string(std::random_device{}()))).string() + "/";
  } folder;
  return folder.path;
}

class GameFixture : public ::testing::Test {
 protected:
  GameFixture() = default;
  // A mixer of this rate and channel count in place of the small default one.
  GameFixture(int mixerRate, int mixerChannels) : mixer_(mixerRate, mixerChannels) {}
  void TearDown() override { app_.reset(); }

  // The game of `folder` (ending with '/'), made but not started.
  game::GameApplication& Make(const std::string& folder) {
    app::GraphicsAppServices services = harness_.Services();
    if (graphicsMaker_) services.createGraphics = graphicsMaker_;
    services.timer = [this](int command) {
      if (command == static_cast<int>(app::TimerCommand::ApplicationTime)) return applicationTime_;
      return command == static_cast<int>(app::TimerCommand::ElapsedTime) ? elapsed_ : 0.0;
    };
    game::GameServices game;
    game.programFolder = folder;
    game.mixer = &mixer_;
    game.randomSeed = [] { return 7u; };
    game.raceListClock = &raceListClock_;
    game.controllerOpener = [this](bool) -> std::unique_ptr<platform::input::Controller> {
      if (!controllerAttached_) return nullptr;
      return std::make_unique<platform::input::ScriptedController>(false, false, 6, 12);
    };
    game.machine = app::MachineFacts{1500, 1024, 8};
    game.launcher = &launcher_;
    game.clipboard = &clipboard_;
    game.folderChooser = &folderChooser_;
    app_ = std::make_unique<game::GameApplication>(services, std::move(game));
    return *app_;
  }
  game::GameApplication& Started(const std::string& folder) {
    game::GameApplication& game = Make(folder);
    EXPECT_EQ(game.Create(), platform::kOk);
    return game;
  }

  // Windows are numbered from 1 in the order they are made; the game's is the newest.
  platform::WindowHandle Window() const {
    return static_cast<platform::WindowHandle>(harness_.windows.WindowsCreated());
  }
  void Frames(int count) {
    for (int frame = 0; frame < count; ++frame) ASSERT_EQ(app_->RenderFrame(), platform::kOk);
  }

  app::testing::Harness harness_;
  // When set, makes the graphics system the game draws on in place of the harness's null one.
  std::function<std::unique_ptr<platform::gfx::GraphicsSystem>()> graphicsMaker_;
  platform::audio::Mixer mixer_{8000, 8};
  // The same races every run: the race lists' random choices are seeded from this.
  platform::FixedClock raceListClock_{1};
  double elapsed_ = 0.05;
  double applicationTime_ = 0;  // what the game's application clock reads; tests move it on when they need it
  bool controllerAttached_ = false;
  platform::RecordingLauncher launcher_;
  platform::RecordingClipboard clipboard_;
  platform::ScriptedFolderChooser folderChooser_;
  std::unique_ptr<game::GameApplication> app_;
};

}  // namespace game_test
