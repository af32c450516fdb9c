// The race frame's passes on the null device: each pass the game marks starts from the device state the drawing
// keeps between passes, with stencil shadows on and off, in the game (its menus' showroom, then a race) and in the
// headless race the race report draws.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/data_file.h"
#include "frontend/race_request.h"
#include "game/headless_race.h"
#include "game/race_frame.h"
#include "game_test_support.h"
#include "race/race_list.h"

namespace {

namespace gfx = platform::gfx;
namespace gs = app::game_state;
namespace arg = gfx::texture_arg;
using app::SettingId;
using gfx::RenderState;
using gfx::TextureStageState;

// Every pass the sample race has gets drawn: the reflection, the cube maps, the mirror, the headlights, the glow.
constexpr SettingId kEveryPass[] = {SettingId::SCENEREFLECTION, SettingId::CUBEMAPPING, SettingId::REARVIEW,
                                    SettingId::MOTIONBLUR, SettingId::HEADLIGHTS};

// The states off the baseline, one "name=value" each; empty when the device is on it.
std::string OffBaseline(const gfx::DeviceState& state, const app::Settings& settings) {
  const auto op = [](gfx::TextureOp value) { return static_cast<uint32_t>(value); };
  const uint32_t linear = static_cast<uint32_t>(gfx::TextureFilter::Linear);
  const uint32_t mip = static_cast<uint32_t>(settings.GetInt(SettingId::MIPFILTER));
  const struct {
    uint32_t stage;
    TextureStageState state;
    uint32_t value;
    const char* name;
  } stages[] = {
      {0, TextureStageState::ColorOp, op(gfx::TextureOp::Modulate), "stage 0 colour op"},
      {0, TextureStageState::ColorArg1, arg::kTexture, "stage 0 colour arg 1"},
      {0, TextureStageState::ColorArg2, arg::kCurrent, "stage 0 colour arg 2"},
      {0, TextureStageState::AlphaOp, op(gfx::TextureOp::Modulate), "stage 0 alpha op"},
      {0, TextureStageState::AlphaArg1, arg::kDiffuse, "stage 0 alpha arg 1"},
      {0, TextureStageState::AlphaArg2, arg::kCurrent, "stage 0 alpha arg 2"},
      {0, TextureStageState::TexCoordIndex, 0, "stage 0 coordinates"},
      {0, TextureStageState::TextureTransformFlags, gfx::texture_transform::kDisable, "stage 0 transform"},
      {1, TextureStageState::ColorOp, op(gfx::TextureOp::Disable), "stage 1 colour op"},
      {1, TextureStageState::ColorArg1, arg::kTexture, "stage 1 colour arg 1"},
      {1, TextureStageState::ColorArg2, arg::kCurrent, "stage 1 colour arg 2"},
      {1, TextureStageState::TexCoordIndex, 0, "stage 1 coordinates"},
      {1, TextureStageState::TextureTransformFlags, gfx::texture_transform::kDisable, "stage 1 transform"},
      {2, TextureStageState::ColorOp, op(gfx::TextureOp::Disable), "stage 2 colour op"},
      {0, TextureStageState::MinFilter, linear, "stage 0 min filter"},
      {0, TextureStageState::MagFilter, linear, "stage 0 mag filter"},
      {0, TextureStageState::MipFilter, mip, "stage 0 mip filter"},
      {1, TextureStageState::MinFilter, linear, "stage 1 min filter"},
      {1, TextureStageState::MagFilter, linear, "stage 1 mag filter"},
      {1, TextureStageState::MipFilter, mip, "stage 1 mip filter"},
  };
  const struct {
    RenderState state;
    uint32_t value;
    const char* name;
  } renders[] = {
      {RenderState::AlphaBlendEnable, 0, "blending"},
      {RenderState::SrcBlend, static_cast<uint32_t>(gfx::Blend::One), "source blend"},
      {RenderState::DestBlend, static_cast<uint32_t>(gfx::Blend::Zero), "destination blend"},
      {RenderState::ZEnable, 1, "depth test"},
      {RenderState::ZWriteEnable, 1, "depth writes"},
      {RenderState::AlphaTestEnable, 0, "alpha test"},
      {RenderState::CullMode, static_cast<uint32_t>(gfx::CullMode::CounterClockwise), "culling"},
      {RenderState::StencilEnable, 0, "stencil"},
      {RenderState::ClipPlaneEnable, 0, "clip planes"},
      {RenderState::ZBias, 0, "depth bias"},
      {RenderState::FogEnable, 0, "fog"},
      {RenderState::SpecularEnable, settings.GetInt(SettingId::SPECULAR) != 0 ? 1u : 0u, "specular"},
  };
  std::string off;
  for (const auto& s : stages) {
    const uint32_t value = state.Stage(s.stage, s.state);
    if (value != s.value) off += std::string(" ") + s.name + "=" + std::to_string(value);
  }
  for (const auto& r : renders) {
    const uint32_t value = state.Render(r.state);
    if (value != r.value) off += std::string(" ") + r.name + "=" + std::to_string(value);
  }
  return off;
}

// A null device that reads its states each time the game marks the start of a pass.
class PassCheckingDevice : public gfx::NullDevice {
 public:
  using NullDevice::NullDevice;
  void MarkPass(const char* name) override {
    if (previous == "3d: particles") particleDraws += Stats().draws - drawsAtMark;
    previous = name != nullptr ? name : "";
    drawsAtMark = Stats().draws;
    if (settings == nullptr) return;
    ++checked[previous];
    const std::string off = OffBaseline(State(), *settings);
    if (!off.empty()) offAt.emplace(previous, off);
  }

  const app::Settings* settings = nullptr;  // the game's, once it has them
  std::map<std::string, int> checked;       // pass -> how many times its start was checked
  std::map<std::string, std::string> offAt;  // pass -> the first states found off the baseline at its start
  uint32_t particleDraws = 0;

 private:
  std::string previous;
  uint32_t drawsAtMark = 0;
};

class PassCheckingGraphics : public gfx::NullGraphicsSystem {
 public:
  platform::HResult CreateDevice(uint32_t adapter, gfx::DeviceType type, platform::WindowHandle, uint32_t,
                                 gfx::PresentParameters& parameters, gfx::Device** device) override {
    if (device == nullptr || type != gfx::DeviceType::Hal || adapter >= description.adapters.size() ||
        platform::Failed(CheckParameters(adapter, parameters))) {
      return platform::kInvalidCall;
    }
    auto* made = new PassCheckingDevice(*this, adapter, description.adapters[adapter], parameters);
    parameters = made->Parameters();
    lastDevice = made;
    *device = made;
    return platform::kOk;
  }
};

class RaceFrame : public game_test::GameFixture {
 protected:
  void TearDown() override { EndGame(); }
  // The shared sample folder's settings go back as they were before the game, ending, can save them.
  void EndGame() {
    if (app_ != nullptr) {
      for (const auto& [id, value] : savedSettings_) app_->GetSettings()->SetInt(id, value);
    }
    savedSettings_.clear();
    app_.reset();
    graphicsMaker_ = nullptr;
  }
  void Set(app::Settings& settings, SettingId id, int value) {
    savedSettings_.emplace_back(id, settings.GetInt(id));
    settings.SetInt(id, value);
  }

  std::vector<std::pair<SettingId, int>> savedSettings_;
};

std::string Report(const PassCheckingDevice& device) {
  std::string report;
  for (const auto& [pass, off] : device.offAt) report += "\n  before " + pass + ":" + off;
  return report;
}

TEST_F(RaceFrame, EveryPassStartsFromTheBaselineWithStencilShadowsOnAndOff) {
  for (const int shadows : {0, 1}) {
    SCOPED_TRACE("STENCILSHADOWS " + std::to_string(shadows));
    {
      SCOPED_TRACE("the game: the menus, then a quick race");
      PassCheckingGraphics* graphics = nullptr;
      graphicsMaker_ = [&graphics]() -> std::unique_ptr<gfx::GraphicsSystem> {
        auto made = std::make_unique<PassCheckingGraphics>();
        graphics = made.get();
        return made;
      };
      game::GameApplication& game = Started(game_test::SampleGameFolder());
      ASSERT_NE(graphics, nullptr);
      auto& device = *static_cast<PassCheckingDevice*>(graphics->lastDevice);
      app::Settings& settings = *game.GetSettings();
      for (const SettingId id : kEveryPass) Set(settings, id, 1);
      Set(settings, SettingId::STENCILSHADOWS, shadows);
      device.settings = &settings;
      app::ScreenFlow& flow = *game.GetScreenFlow();
      flow.Reset(gs::kDisclaimer, 0, app::menu_screen::NoScreenChange);
      game.GetGuiContext()->accepted = true;
      for (int frame = 0; frame < 300 && flow.state != gs::kMenus; ++frame) Frames(1);
      Frames(10);
      EXPECT_GT(device.checked["cube maps"], 0) << "the showroom was drawn";
      race::ContentDatabase& content = *game.GetContentDatabase();
      const std::string& folder = game_test::SampleGameFolder();
      content.LoadFrom(app::DataFile(folder + "manifest.dat"), folder, folder);
      ASSERT_NE(content.quickRaces, nullptr);
      ASSERT_TRUE(frontend::RequestRace(flow, content, content.quickRaces->At(0)));
      for (int frame = 0; frame < 600 && flow.state != gs::kRacing; ++frame) Frames(1);
      ASSERT_EQ(flow.state, gs::kRacing);
      Frames(40);
      EXPECT_GT(device.particleDraws, 0u) << "smoke or dust was drawn";
      EXPECT_GT(device.checked["mirror"], 0);
      EXPECT_TRUE(device.offAt.empty()) << Report(device);
      EndGame();
    }
    {
      SCOPED_TRACE("the race report: the headless race's frame");
      PassCheckingGraphics graphics;
      gfx::PresentParameters parameters;
      parameters.windowed = true;
      parameters.enableAutoDepthStencil = true;
      parameters.autoDepthStencilFormat = gfx::Format::D24S8;
      gfx::Device* made = nullptr;
      ASSERT_EQ(graphics.CreateDevice(0, gfx::DeviceType::Hal, 0, 0, parameters, &made), platform::kOk);
      auto& device = *static_cast<PassCheckingDevice*>(made);
      {
        game::HeadlessRace race(game_test::SampleGameFolder(), 7);
        for (const SettingId id : kEveryPass) race.Settings().SetInt(id, 1);
        race.Settings().SetInt(SettingId::STENCILSHADOWS, shadows);
        std::string error;
        ASSERT_TRUE(race.Load("QUICKRACE", 0, error, made, &graphics)) << error;
        race.DriveEveryCar();
        device.settings = &race.Settings();
        for (int frame = 0; frame < 300 && race.Flow().state != gs::kRacing; ++frame) {
          race.Frame(1.0f / 30.0f);
          game::DrawRaceFrame(*race.Session(), race.Settings(), made);
        }
        ASSERT_EQ(race.Flow().state, gs::kRacing);
        for (int frame = 0; frame < 40; ++frame) {
          race.Frame(1.0f / 30.0f);
          game::DrawRaceFrame(*race.Session(), race.Settings(), made);
        }
        EXPECT_GT(device.particleDraws, 0u) << "smoke or dust was drawn";
        EXPECT_GT(device.checked["mirror"], 0);
        EXPECT_TRUE(device.offAt.empty()) << Report(device);
      }
      made->Release();
    }
  }
}

}  // namespace
