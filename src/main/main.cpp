// Entry point of the game: runs from the executable's folder, builds the application, starts it and runs it.
#include <cstdio>
#include <memory>
#include <string>

#include "game/game_application.h"
#include "platform/gfx/graphics.h"
#include "platform/os.h"
#include "platform/window_system.h"

// The game takes no command-line arguments.
int main() {
  // Every data path of the game is relative to the executable's folder.
  const std::string folder = platform::ExecutableFolder();
  if (folder.empty() || !platform::SetCurrentFolder(folder)) {
    std::fprintf(stderr, "corsaire: cannot change to the executable's folder\n");
  }

  std::unique_ptr<platform::WindowSystem> windows = platform::CreateSdlWindowSystem();
  if (!windows) {
    std::fprintf(stderr, "corsaire: no video device\n");
    return app::kExitCodeCreateFailed;
  }
  platform::WindowSystem& desktop = *windows;

  app::GraphicsAppServices services;
  services.windows = &desktop;
  services.createGraphics = [&desktop] { return platform::gfx::CreateGlGraphicsSystem(desktop); };

  int exitCode = app::kExitCodeCreateFailed;
  {
    auto application = std::make_unique<game::GameApplication>(services);
    if (platform::Succeeded(application->Create())) exitCode = application->Run();
  }
  return exitCode;
}
