// A stand-in application for the framework until the game application exists: a titled window that clears its
// back buffer to one colour every frame. Not the game.
#pragma once

#include <string>

#include "app/graphics_app.h"

namespace app {

// The game's title on the window.
inline constexpr char kGameName[] = "Corsaire";

class MinimalApp : public GraphicsApp {
 public:
  // The command line is accepted and not interpreted.
  MinimalApp(const GraphicsAppServices& services, const std::string& commandLine);

  // The colour every frame is cleared to (0xAARRGGBB): a deep blue, far from black.
  static constexpr uint32_t kClearColor = 0xFF1E5AA0u;

  platform::HResult OneTimeInit() override;
  platform::HResult Render() override;

  int FramesRendered() const { return framesRendered_; }

 private:
  std::string commandLine_;
  int framesRendered_ = 0;
};

}  // namespace app
