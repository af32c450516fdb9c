// Draining a window system's queue in tests: the waiting messages of the wanted kinds, in arrival order; the
// others are dropped.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/window_system.h"

namespace platform {

inline std::vector<Message> TakeMessages(WindowSystem& windows, std::initializer_list<uint32_t> kinds) {
  std::vector<Message> taken;
  Message message;
  while (windows.PeekMessage(message, true)) {
    for (uint32_t kind : kinds) {
      if (message.message == kind) taken.push_back(message);
    }
  }
  return taken;
}

}  // namespace platform
