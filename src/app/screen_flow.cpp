// The game-state request queue: one request applied per frame, each after its own delay at the front.
#include "app/screen_flow.h"

namespace app {

void ScreenFlow::Enqueue(GameState newState, int32_t newParameter, int32_t screen, float delay) {
  stateQueue.push_back(newState);
  parameterQueue.push_back(newParameter);
  screenQueue.push_back(screen);
  delayQueue.push_back(delay);
}

void ScreenFlow::Request(GameState newState, float delay) {
  Enqueue(newState, 0, menu_screen::NoScreenChange, delay);
}

void ScreenFlow::RequestWithParameter(GameState newState, int32_t newParameter, float delay) {
  Enqueue(newState, newParameter, menu_screen::NoScreenChange, delay);
}

void ScreenFlow::RequestWithKind(GameState newState, int32_t screen, float delay) {
  Enqueue(newState, 0, screen, delay);
}

void ScreenFlow::RequestBack(int32_t screen, float delay) {
  using namespace game_state;
  const bool fromRace = state == kRacing || state == kAfterFinish || state == kPauseMenu || state == kResults;
  RequestWithKind(fromRace ? kBackFromRace : kEnterMenus, screen, delay);
}

void ScreenFlow::RequestOptions(int32_t screen, float delay) { RequestWithKind(game_state::kOpenPauseMenu, screen, delay); }

void ScreenFlow::RequestRaceStart(int32_t raceParameter) {
  if (state != game_state::kLoadingScreen) Enqueue(game_state::kLoadingScreen, 0, menu_screen::kLoading, 0.0f);
  RequestWithParameter(game_state::kRaceLoading, raceParameter, 0.0f);
}

void ScreenFlow::Reset(GameState newState, int32_t newParameter, int32_t screen) {
  state = newState;
  parameter = newParameter;
  menuScreen = screen;
  delayQueue.clear();
  stateQueue.clear();
  parameterQueue.clear();
  screenQueue.clear();
}

void ScreenFlow::Update(float frameTime) {
  if (stateQueue.empty() || state == game_state::kLoadingScreen) return;
  delayQueue.front() -= frameTime;
  if (delayQueue.front() > 0.0f) return;
  state = stateQueue.front();
  parameter = parameterQueue.front();
  menuScreen = screenQueue.front();
  delayQueue.pop_front();
  stateQueue.pop_front();
  parameterQueue.pop_front();
  screenQueue.pop_front();
}

}  // namespace app
