// The queue of requested game-state changes: screens, the race and the application ask for a state (with its
// parameter, menu screen and delay) and the frame update applies at most one request per frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

namespace app {

// The game states 1-18; 0 before the first request is applied.
using GameState = int32_t;

namespace game_state {
inline constexpr GameState kNone = 0;
inline constexpr GameState kIntro = 1;
inline constexpr GameState kLoadingScreen = 2;
inline constexpr GameState kEnterMenus = 3;
inline constexpr GameState kOpenPauseMenu = 4;
inline constexpr GameState kOpenResults = 5;
inline constexpr GameState kResumeRace = 6;
inline constexpr GameState kDisclaimer = 7;
inline constexpr GameState kMenus = 8;
inline constexpr GameState kRaceLoading = 9;
inline constexpr GameState kRacing = 10;
inline constexpr GameState kCountdown = 11;
inline constexpr GameState kStartSignal = 12;
inline constexpr GameState kRestartRace = 13;
inline constexpr GameState kAfterFinish = 14;
inline constexpr GameState kBackFromRace = 15;
inline constexpr GameState kPauseMenu = 16;
inline constexpr GameState kResults = 17;
inline constexpr GameState kQuit = 18;
}  // namespace game_state

// Menu screen indices the flow itself uses.
namespace menu_screen {
inline constexpr int32_t kFirstMenu = 0;
inline constexpr int32_t kPauseMenu = 10;
inline constexpr int32_t kResults = 11;
inline constexpr int32_t kLoading = 12;
// Carried by requests that name no screen; the states they lead to keep the current screen.
inline constexpr int32_t NoScreenChange = 13;
}  // namespace menu_screen

class ScreenFlow {
 public:
  // Queue (state, 0, NoScreenChange, delay seconds).
  void Request(GameState newState, float delay);
  // Queue (state, parameter, NoScreenChange, delay).
  void RequestWithParameter(GameState newState, int32_t newParameter, float delay);
  // Queue (state, 0, screen, delay).
  void RequestWithKind(GameState newState, int32_t screen, float delay);
  // Back to the menus: state 15 from the race states 10, 14, 16 and 17, else state 3.
  void RequestBack(int32_t screen, float delay);
  // The request by which a menu screen shows another menu screen, forward or back: the screens' name for
  // RequestBack, queuing exactly what it queues.
  void RequestScreen(int32_t screen, float delay) { RequestBack(screen, delay); }
  // The pause menu: state 4 with the given screen.
  void RequestOptions(int32_t screen, float delay);
  // The loading screen (state 2, screen 12) unless it is already shown, then the race loading (state 9).
  void RequestRaceStart(int32_t raceParameter);

  // Sets the current state, parameter and screen at once and drops every pending request.
  void Reset(GameState newState, int32_t newParameter, int32_t screen);
  // Counts the front request's delay down by frameTime (seconds) and applies it once the delay has run out.
  // Nothing happens with an empty queue or in state 2, where the application takes the front request itself.
  void Update(float frameTime);

  bool IsQueueEmpty() const { return stateQueue.empty(); }
  // The front request's values; 0 (and NoScreenChange for the screen) when the queue is empty.
  GameState FrontState() const { return stateQueue.empty() ? game_state::kNone : stateQueue.front(); }
  int32_t FrontParameter() const { return parameterQueue.empty() ? 0 : parameterQueue.front(); }
  int32_t FrontScreen() const { return screenQueue.empty() ? menu_screen::NoScreenChange : screenQueue.front(); }
  std::size_t QueuedCount() const { return stateQueue.size(); }

  int32_t racesStarted = 0;
  GameState state = game_state::kNone;
  int32_t parameter = 0;
  int32_t menuScreen = menu_screen::NoScreenChange;
  // Element i of the four queues together is request i.
  std::deque<float> delayQueue;
  std::deque<GameState> stateQueue;
  std::deque<int32_t> parameterQueue;
  std::deque<int32_t> screenQueue;

 private:
  void Enqueue(GameState newState, int32_t newParameter, int32_t screen, float delay);
};

}  // namespace app
