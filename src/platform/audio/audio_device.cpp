// The mixer's output: the default SDL2 audio device pulling 16-bit stereo from Mixer::Render, or nothing.
#include <SDL.h>

#include <cstdio>

#include "platform/audio/mixer.h"

namespace platform::audio {

namespace {

void FeedDevice(void* user, Uint8* stream, int length) {
  auto* mixer = static_cast<Mixer*>(user);
  mixer->Render(reinterpret_cast<int16_t*>(stream), length / 4);
}

}  // namespace

Mixer::~Mixer() { CloseOutput(); }

bool Mixer::OpenOutput() {
  if (outputOpen_) return true;
  outputOpen_ = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::printf("sound: no audio device (%s); sounds are mixed silently\n", SDL_GetError());
    return true;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = outputRate_;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = FeedDevice;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device_ == 0) {
    std::printf("sound: no audio device (%s); sounds are mixed silently\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return true;
  }
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void Mixer::CloseOutput() {
  if (!outputOpen_) return;
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);  // waits for a running callback to return
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  device_ = 0;
  outputOpen_ = false;
}

bool Mixer::HasDevice() const { return device_ != 0; }

Mixer& SystemMixer() {
  static Mixer mixer;
  return mixer;
}

}  // namespace platform::audio
