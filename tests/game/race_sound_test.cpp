// What a player hears of a race, rendered by the game's own mixer on the recording output: the menu music cut at
// the start, several cars crashing into a wall at once, a pause and the resume. The player's music is a steady
// tone, so a cut without a ramp cannot hide in a quiet moment of a tune. Set CORSAIRE_SOUND_CAPTURE to a file
// name to keep the capture as a WAV file to listen to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/data_file.h"
#include "contentgen/content.h"
#include "contentgen/music.h"
#include "contentgen/test_world.h"
#include "frontend/menu_screen.h"
#include "frontend/race_request.h"
#include "game_test_support.h"
#include "platform/math/math.h"
#include "race/race_list.h"
#include "render/resources/resource_manager.h"
#include "sound_capture/sound_capture.h"
#include "vehicle/vehicle.h"

namespace game {
namespace {

namespace gs = app::game_state;
namespace wm = platform::wm;
namespace world = contentgen::test_world;
using platform::Vec3;
using vehicle::Vehicle;

constexpr int kRate = platform::audio::kDefaultOutputRate;
constexpr int kMaxFrames = 2000;
// A cut without a ramp leaves the last sample before silence (or the first after it) at the music's or the
// engine's level, thousands of units; a ramp brings it down to a few dozen.
constexpr int kLargestEdgeStep = 300;
// Over the last millisecond before a silence (or the first after it) a ramp leaves at most a sixth of the level;
// a cut leaves all of it.
constexpr double kLargestEdgeShare = 0.3;

// The loudest frame of [from, to) of a capture.
int Loudest(const std::vector<int16_t>& stereo, size_t from, size_t to) {
  int loudest = 0;
  for (size_t i = 2 * from; i < std::min(2 * to, stereo.size()); ++i) loudest = std::max(loudest, std::abs(int{stereo[i]}));
  return loudest;
}

// The loudest frame of the millisecond next to a silence (before it, or after it) as a share of the loudest of
// the 50 ms beyond that.
double EdgeShare(const std::vector<int16_t>& stereo, const sound_capture::Silence& silence, bool before) {
  const size_t ms = kRate / 1000;
  const size_t end = silence.startFrame + silence.frames;
  const int edge = before ? Loudest(stereo, silence.startFrame - ms, silence.startFrame) : Loudest(stereo, end, end + ms);
  const int beyond = before ? Loudest(stereo, silence.startFrame - 51 * ms, silence.startFrame - ms)
                            : Loudest(stereo, end + ms, end + 51 * ms);
  EXPECT_GT(beyond, 1000) << "something plays beside the silence";
  return beyond > 0 ? static_cast<double>(edge) / beyond : 1.0;
}

class RaceSoundTest : public game_test::GameFixture {
 protected:
  RaceSoundTest() : GameFixture(kRate, platform::audio::kDefaultChannelCount) {
    music_ = std::filesystem::temp_directory_path() / ("corsaire_race_sound_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(music_);
  }
  ~RaceSoundTest() override { std::filesystem::remove_all(music_); }

  // A 1 kHz tone at -10 dBFS as the player's own music folder.
  void PlayASteadyTone(GameApplication& game) {
    constexpr int kToneRate = 22050;
    constexpr int kSeconds = 20;
    std::vector<int16_t> tone(static_cast<size_t>(kToneRate * kSeconds) * 2);
    for (size_t f = 0; f < tone.size() / 2; ++f) {
      const double fade = std::min({1.0, f / 200.0, (tone.size() / 2 - 1 - f) / 200.0});
      tone[2 * f] = tone[2 * f + 1] =
          static_cast<int16_t>(std::lround(10000 * fade * std::sin(2 * 3.14159265358979 * 1000 * f / kToneRate)));
    }
    const std::vector<uint8_t> ogg = contentgen::EncodeOggVorbis(tone, kToneRate, 2);
    std::ofstream((music_ / "tone.ogg").string(), std::ios::binary)
        .write(reinterpret_cast<const char*>(ogg.data()), static_cast<std::streamsize>(ogg.size()));
    app::Settings& settings = *game.GetSettings();
    oldFolder_ = settings.GetString(app::StringSettingId::MP3FOLDER);
    oldMp3Music_ = settings.GetInt(app::SettingId::MP3MUSIC);
    oldSfxVolume_ = settings.GetInt(app::SettingId::SFXVOLUME);
    settings.SetString(app::StringSettingId::MP3FOLDER, music_.string());
    settings.SetInt(app::SettingId::MP3MUSIC, 1);
  }

  // One frame, with the application clock moving on as the frame time says (the music start reads it).
  void Frame() {
    applicationTime_ += elapsed_;
    ASSERT_EQ(app_->RenderFrame(), platform::kOk);
  }
  void Run(double seconds) {
    for (double t = 0; t < seconds; t += elapsed_) Frame();
  }
  int RunUntil(app::GameState state) {
    for (int frame = 1; frame <= kMaxFrames; ++frame) {
      Frame();
      if (app_->GetScreenFlow()->state == state) return frame;
    }
    return -1;
  }
  void PressKey(uintptr_t key) {
    app_->MsgProc(Window(), wm::kKeyDown, key, 0);
    Frame();
    app_->MsgProc(Window(), wm::kKeyUp, key, 0);
  }

  // Past the notice into the menus, with the sample race lists.
  GameApplication& AtTheMenus() {
    GameApplication& game = Started(game_test::SampleGameFolder());
    PlayASteadyTone(game);
    game.GetScreenFlow()->Reset(gs::kDisclaimer, 0, app::menu_screen::NoScreenChange);
    game.GetGuiContext()->accepted = true;
    EXPECT_GT(RunUntil(gs::kMenus), 0);
    const std::string& folder = game_test::SampleGameFolder();
    game.GetContentDatabase()->LoadFrom(app::DataFile(folder + kContentListFile), folder, folder);
    return game;
  }

  // Every car one behind another along the south straight, turned toward its outer wall and rolling fast: they all
  // hit it within a few frames of each other.
  static void AimEveryCarAtTheWall(race::RaceSession& race) {
    // Close together, so every crash is within hearing of the player's camera.
    float along = -150.0f * static_cast<float>(race.Racers().size() / 2);
    for (Vehicle* car : race.Racers()) {
      Vec3 heading;
      const Vec3 centre = world::CentreAt(along, &heading);
      const Vec3 inward = world::InwardAt(along);
      const Vec3 forward = platform::Normalize(heading * std::cos(0.7f) - inward * std::sin(0.7f));
      car->position = centre + inward * 100.0f + Vec3{0, 30, 0};
      car->rotation = platform::Transpose(platform::LookAtLH({}, forward, {0, 1, 0}));
      car->Reset(race.World(), nullptr);
      constexpr float kSpeed = 1500;  // inches a second, about 85 mph
      for (auto& wheel : car->wheels) {
        wheel->velocity = car->forwardAxis * kSpeed;
        wheel->spin = kSpeed / wheel->radius;
      }
      car->velocity = car->forwardAxis * kSpeed;
      along += 150;
    }
  }

  std::string SampleName(platform::audio::SampleId sample) const {
    const render::SampleRecord* record = app_->GetResourceManager()->FindSampleRecord(sample);
    if (record == nullptr) return "";
    std::string name = record->name.substr(record->name.find_last_of("/\\") + 1);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  }
  void ListenToStarts() {
    mixer_.SetObserver([this](const platform::audio::Mixer::ChannelEvent& event) {
      started_.insert(SampleName(event.sample));
    });
  }
  void TearDown() override {
    mixer_.SetObserver({});
    // The sample game folder is shared: its settings go back as they were before they can be saved.
    if (app_ != nullptr && oldMp3Music_ >= 0) {
      app_->GetSettings()->SetString(app::StringSettingId::MP3FOLDER, oldFolder_);
      app_->GetSettings()->SetInt(app::SettingId::MP3MUSIC, oldMp3Music_);
      app_->GetSettings()->SetInt(app::SettingId::SFXVOLUME, oldSfxVolume_);
    }
    GameFixture::TearDown();
  }

  // The longest silence of a capture, which must exist.
  static sound_capture::Silence LongestSilence(const sound_capture::CaptureFigures& figures) {
    sound_capture::Silence longest;
    for (const sound_capture::Silence& silence : figures.silences) {
      if (silence.frames > longest.frames) longest = silence;
    }
    return longest;
  }

  std::set<std::string> started_;
  std::filesystem::path music_;
  std::string oldFolder_;
  int oldMp3Music_ = -1;
  int oldSfxVolume_ = 100;
};

TEST_F(RaceSoundTest, AWallCrashOfSeveralCarsStaysBelowFullScaleAndEveryCutIsRamped) {
  GameApplication& game = AtTheMenus();
  ListenToStarts();
  mixer_.SetRecording(true);
  Run(1.0);  // a second of menu music
  ASSERT_TRUE(game.GetSoundSystem()->IsMusicPlaying());

  // The race start cuts the menu music; silence follows until the countdown.
  race::ContentDatabase& database = *game.GetContentDatabase();
  const race::RaceDefinition* definition = database.quickRaces != nullptr ? database.quickRaces->At(0) : nullptr;
  ASSERT_NE(definition, nullptr);
  ASSERT_NE(definition->path.find("CITY"), std::string::npos) << "a race on the sample city";
  ASSERT_TRUE(frontend::RequestRace(*game.GetScreenFlow(), database, definition));
  ASSERT_GT(RunUntil(gs::kRacing), 0);
  std::vector<int16_t> heard = mixer_.TakeRecording();
  const sound_capture::CaptureFigures start = sound_capture::Measure(heard, kRate);
  ASSERT_FALSE(start.silences.empty());
  const sound_capture::Silence cut = start.silences.front().startFrame > 0 ? start.silences.front() : start.silences.at(1);
  EXPECT_GT(cut.startFrame, static_cast<size_t>(kRate / 2)) << "after the menu music";
  EXPECT_LE(cut.stepIn, kLargestEdgeStep) << "the menu music cut at the race start";
  EXPECT_LE(EdgeShare(heard, cut, true), kLargestEdgeShare) << "the menu music cut at the race start";

  // Every car into the wall at once.
  race::RaceSession& race = *game.GetRaceSession();
  ASSERT_GE(race.Racers().size(), 3u);
  AimEveryCarAtTheWall(race);
  std::set<const Vehicle*> crashed;
  for (int frame = 0; frame < 40; ++frame) {
    Frame();
    for (const Vehicle* car : race.Racers()) {
      if (std::any_of(std::begin(car->crashCooldowns), std::end(car->crashCooldowns), [](float t) { return t > 0; })) {
        crashed.insert(car);
      }
    }
  }
  EXPECT_GE(crashed.size(), 3u) << "several cars crash together";
  const std::vector<int16_t> crashing = mixer_.TakeRecording();
  const sound_capture::CaptureFigures crash = sound_capture::Measure(crashing, kRate);
  EXPECT_EQ(crash.fullScaleSamples, 0u);
  EXPECT_LT(crash.peak, 32767);
  EXPECT_GT(crash.peak, 8000) << "the crash is loud";
  for (const char* name : {"start1.wav", "start2.wav", "idle.wav"}) EXPECT_EQ(started_.count(name), 1u) << name;
  EXPECT_GT(started_.count("crash.wav") + started_.count("bigcrash.wav") + started_.count("scrapecrash.wav"), 0u);
  EXPECT_TRUE(game.GetSoundSystem()->IsMusicPlaying()) << "the race music";

  // Pause and resume from the keyboard, twice: with everything playing, then with the effects turned down, so
  // the music's own ends are heard alone. Each pause is silent and both its ends are ramped.
  std::vector<int16_t> pausing;
  for (const bool musicAlone : {false, true}) {
    SCOPED_TRACE(musicAlone ? "music alone" : "music and effects");
    if (musicAlone) game.GetSettings()->SetInt(app::SettingId::SFXVOLUME, 0);
    Run(0.5);
    PressKey(frontend::kKeyEscape);
    ASSERT_GT(RunUntil(gs::kPauseMenu), 0);
    Run(1.0);
    PressKey(frontend::kKeyEscape);
    ASSERT_GT(RunUntil(gs::kRacing), 0);
    Run(0.5);
    const std::vector<int16_t> part = mixer_.TakeRecording();
    const sound_capture::CaptureFigures paused = sound_capture::Measure(part, kRate);
    EXPECT_EQ(paused.fullScaleSamples, 0u);
    const sound_capture::Silence pause = LongestSilence(paused);
    EXPECT_GT(pause.frames, static_cast<size_t>(kRate / 2)) << "the pause is silent";
    EXPECT_GT(pause.startFrame, static_cast<size_t>(kRate / 10));
    EXPECT_LE(pause.stepIn, kLargestEdgeStep) << "pause";
    EXPECT_LE(pause.stepOut, kLargestEdgeStep) << "resume";
    EXPECT_LE(EdgeShare(part, pause, true), kLargestEdgeShare) << "pause";
    EXPECT_LE(EdgeShare(part, pause, false), kLargestEdgeShare) << "resume";
    pausing.insert(pausing.end(), part.begin(), part.end());
  }
  if (const char* path = std::getenv("CORSAIRE_SOUND_CAPTURE")) {
    heard.insert(heard.end(), crashing.begin(), crashing.end());
    heard.insert(heard.end(), pausing.begin(), pausing.end());
    EXPECT_TRUE(sound_capture::WriteCaptureWav(path, heard, kRate)) << path;
  }
}

}  // namespace
}  // namespace game
