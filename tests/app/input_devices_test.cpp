// Controller input through a scripted controller: discovery order, polling, held and pressed buttons, axis
// deltas, re-acquiring a lost device, and force-feedback effects loaded from effect files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "app/input_devices.h"
#include "contentgen/ffe_writer.h"
#include "platform/input/scripted_controller.h"

namespace {

namespace fs = std::filesystem;
using platform::input::ScriptedController;

// Hands out one scripted controller, to the force-feedback search or to the plain one, as it allows.
struct Opener {
  ScriptedController* made = nullptr;
  std::unique_ptr<ScriptedController> next;
  std::vector<bool> asked;
  std::unique_ptr<platform::input::Controller> operator()(bool forceFeedbackOnly) {
    asked.push_back(forceFeedbackOnly);
    if (next == nullptr || (forceFeedbackOnly && !next->HasForceFeedback())) return nullptr;
    made = next.get();
    return std::move(next);
  }
};

app::InputDevices Make(Opener& opener, bool wheel, bool forceFeedback) {
  opener.next = std::make_unique<ScriptedController>(wheel, forceFeedback);
  return app::InputDevices(1, [&opener](bool ff) { return opener(ff); });
}

class EffectFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("corsaire_ffe_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string Write(const std::string& name, const std::vector<platform::input::ForceEffect>& effects) {
    const std::string path = (folder_ / name).string();
    const std::vector<uint8_t> bytes = contentgen::EncodeForceEffects(effects);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  fs::path folder_;
};

TEST(InputDevices, PollingAcquiresFirstCountsAPressOnceAndKeepsTheLastStateOnAFailedRead) {
  // Reading a controller through the game's frame update is covered by the display test; these are the edges.
  Opener opener;
  app::InputDevices devices = Make(opener, false, false);
  ScriptedController& pad = *opener.made;
  pad.state.axes[0] = 1000;
  pad.state.buttons[3] = platform::input::kButtonDown;
  devices.Poll();  // the first poll only acquires
  EXPECT_EQ(devices.GetJoystickAxis(0), 0.0f);
  devices.Poll();
  EXPECT_EQ(devices.GetJoystickAxisDelta(0), 1.0f);
  EXPECT_TRUE(devices.GetJoystickButtonPressed(3));
  pad.state.axes[0] = 250;
  devices.Poll();  // held over two polls: pressed only after the first
  EXPECT_FALSE(devices.GetJoystickButtonPressed(3));
  EXPECT_FLOAT_EQ(devices.GetJoystickAxisDelta(0), -0.75f);
  EXPECT_EQ(devices.GetJoystickAxis(-1), 0.0f);
  EXPECT_EQ(devices.GetJoystickAxisDelta(8), 0.0f);
  EXPECT_FALSE(devices.GetJoystickButtonPressed(128));
  pad.failReads = true;
  pad.state.axes[0] = -1000;
  devices.Poll();
  EXPECT_FLOAT_EQ(devices.GetJoystickAxis(0), 0.25f) << "a failed read keeps the last state";
}

TEST(InputDevices, ALostDeviceIsReacquiredABoundedNumberOfTimes) {
  Opener opener;
  app::InputDevices devices = Make(opener, false, false);
  ScriptedController& pad = *opener.made;
  pad.lostAcquires = 1000;
  devices.Poll();
  EXPECT_EQ(pad.acquireCalls, app::kMaxAcquireAttempts);
  pad.lostAcquires = 2;
  pad.acquireCalls = 0;
  devices.Poll();
  EXPECT_EQ(pad.acquireCalls, 3) << "stops at the first attempt that is not lost";
  EXPECT_TRUE(pad.acquired);
}

TEST_F(EffectFiles, AtMost99EffectsAreKeptAndASecondFileReplacesTheFirst) {
  Opener opener;
  app::InputDevices devices = Make(opener, false, true);
  ScriptedController& pad = *opener.made;
  std::vector<platform::input::ForceEffect> many(120);
  for (size_t i = 0; i < many.size(); ++i) many[i].name = "e" + std::to_string(i);
  ASSERT_EQ(devices.LoadForceEffects(Write("many.ffe", many)), platform::kOk);
  EXPECT_EQ(devices.effectCount, 99);
  EXPECT_EQ(pad.effects.back().effect.name, "e98");

  ASSERT_EQ(devices.LoadForceEffects(Write("game.ffe", contentgen::GameForceEffects(false))), platform::kOk);
  EXPECT_EQ(devices.effectCount, static_cast<int>(contentgen::GameForceEffects(false).size()));
  for (int i = 0; i < 99; ++i) EXPECT_TRUE(pad.effects[i].released) << "effect " << i << " of the first file";
  devices.PlayForceEffect(0, 1);
  EXPECT_TRUE(pad.effects[99].playing) << "number 0 is now the second file's first effect";
}

TEST_F(EffectFiles, EffectsTheControllerRefusesAreSkippedAndBadFilesLeaveNone) {
  Opener opener;
  app::InputDevices devices = Make(opener, false, true);
  ScriptedController& pad = *opener.made;
  pad.refuseEffects = true;
  ASSERT_EQ(devices.LoadForceEffects(Write("game.ffe", contentgen::GameForceEffects(false))), platform::kOk);
  EXPECT_EQ(devices.effectCount, 0);
  devices.PlayForceEffect(0, 1);  // nothing loaded: nothing plays

  pad.refuseEffects = false;
  EXPECT_EQ(devices.LoadForceEffects((folder_ / "missing.ffe").string()), platform::kFail);
  std::ofstream((folder_ / "junk.ffe").string()) << "not an effect file";
  EXPECT_EQ(devices.LoadForceEffects((folder_ / "junk.ffe").string()), platform::kFail);
  EXPECT_EQ(devices.effectCount, 0);
  EXPECT_TRUE(pad.effects.empty());
}

TEST_F(EffectFiles, EffectsNeedAForceFeedbackControllerAndShutdownReleasesThem) {
  Opener plainOpener;
  app::InputDevices pad = Make(plainOpener, false, false);
  EXPECT_EQ(pad.LoadForceEffects(Write("game.ffe", contentgen::GameForceEffects(false))), platform::kFail);
  Opener opener;
  app::InputDevices wheel = Make(opener, true, true);
  ASSERT_EQ(wheel.LoadForceEffects(Write("wheel.ffe", contentgen::GameForceEffects(true))), platform::kOk);
  wheel.Shutdown();
  EXPECT_FALSE(wheel.AreForceEffectsLoaded());
  EXPECT_EQ(wheel.GetJoystickAxisCount(), 0);
  // After shutdown the controller is gone: these must not reach it.
  wheel.PlayForceEffect(0, 1);
  wheel.Poll();
}

}  // namespace
