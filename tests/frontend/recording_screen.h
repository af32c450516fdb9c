// A menu screen that records the calls the manager and popup owners make on it, for routing tests.
#pragma once

#include <string>
#include <vector>

#include "frontend/menu_screen.h"

namespace frontend_test {

class RecordingScreen : public frontend::MenuScreen {
 public:
  RecordingScreen(const frontend::ScreenServices& services, std::vector<std::string>* log, std::string name)
      : MenuScreen(services), log_(log), name_(std::move(name)) {}

  void OnEnter() override {
    Note("enter");
    MenuScreen::OnEnter();
    closed = false;
  }
  void OnLeave() override { Note("leave"); }
  void Init(platform::gfx::Device*) override {}
  void Update(const frontend::ScreenWindow& window, float frameTime) override {
    Note("update");
    sawPressedKey = keyboard.IsKeyPressed('A');
    MenuScreen::Update(window, frameTime);
  }
  void Render(platform::gfx::Device*) override { Note("render"); }
  void OnKeyMessage(uint32_t message, uintptr_t key) override {
    Note("key");
    MenuScreen::OnKeyMessage(message, key);
  }
  void OnMouseMessage(uint32_t message) override {
    Note("mouse");
    MenuScreen::OnMouseMessage(message);
  }
  int32_t HandleInput(const frontend::ScreenWindow& window) override {
    const int32_t id = MenuScreen::HandleInput(window);
    if (keyboard.IsKeyPressed(frontend::kKeyEscape)) closed = true;
    return id;
  }

  bool sawPressedKey = false;

 private:
  void Note(const std::string& call) {
    if (log_ != nullptr) log_->push_back(name_ + " " + call);
  }
  std::vector<std::string>* log_;
  std::string name_;
};

}  // namespace frontend_test
