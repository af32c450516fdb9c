// Pictures of a race as the game draws it: the report's race run on the OpenGL device of a window on the
// caller's X display, sized and set up by the game folder's config.dat, and the player's view written as PNG
// files at the simulated times asked for.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/headless_race.h"
#include "platform/gfx/graphics.h"
#include "platform/window_system.h"

namespace race_report {

// Frames drawn before each picture, so the glow trails, the road reflection and the cars' environment cubes
// have caught up with the race as they have in play.
constexpr int kShotWarmFrames = 30;

// "S1,S2,...": simulated seconds, each at least 0, returned sorted. False for an empty or malformed list.
bool ParseShotTimes(const std::string& text, std::vector<float>& times);

// The window and the OpenGL device a race draws its pictures on.
class ShotCamera {
 public:
  ShotCamera() = default;
  ~ShotCamera();
  ShotCamera(const ShotCamera&) = delete;
  ShotCamera& operator=(const ShotCamera&) = delete;

  // A window of the settings' screen size with its device; false, with the reason in error, without a display
  // or OpenGL 3.3.
  bool Open(const app::Settings& settings, std::string& error);
  platform::gfx::Device* Device() const { return device_; }
  const platform::gfx::GraphicsSystem* Graphics() const { return graphics_.get(); }

  // Draws the race's frame through the game's passes; when path is given, reads it back and writes it as a PNG
  // file there. Returns false when the picture cannot be written.
  bool Shoot(game::HeadlessRace& race, const std::string& path);
  int FramesDrawn() const { return framesDrawn_; }
  // Mean wall-clock time of a drawn frame, in milliseconds.
  double MeanFrameMilliseconds() const { return framesDrawn_ > 0 ? drawSeconds_ * 1000.0 / framesDrawn_ : 0.0; }

 private:
  std::unique_ptr<platform::WindowSystem> windows_;
  platform::WindowHandle window_ = 0;
  std::unique_ptr<platform::gfx::GraphicsSystem> graphics_;
  platform::gfx::Device* device_ = nullptr;
  int framesDrawn_ = 0;
  double drawSeconds_ = 0;
};

// Calls shoot(path or "") after the frames the race runs: "" for the frames that lead up to each time, the
// picture's file (folder/shot_<seconds>.png) at the first frame that reaches it.
class ShotPlan {
 public:
  ShotPlan(std::string folder, std::vector<float> times) : folder_(std::move(folder)), times_(std::move(times)) {}
  // What to draw after the frame that ended at the simulated time: nothing (false), a frame alone (true, path
  // empty) or the picture (true, its path).
  bool Next(float time, std::string& path);
  bool Done() const { return next_ >= times_.size(); }

 private:
  std::string folder_;
  std::vector<float> times_;
  size_t next_ = 0;
};

}  // namespace race_report
