// The clipboard on X, served by the game on a connection of its own from a thread of its own: a paste request is
// answered at once even while a message box or a folder dialog holds the main thread, and a program that asked
// and went away can never end the game with an X error.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop.h"

namespace platform {

namespace {

// How long SetText waits for the serving thread to take the clipboard: it only has to talk to the X server.
constexpr auto kOwnershipWait = std::chrono::seconds(5);

// The connections whose errors are the clipboard's own (a requestor window gone before its answer); every other
// error goes to the handler that was there before.
std::mutex handlerMutex;
std::vector<Display*> quietDisplays;
XErrorHandler previousHandler = nullptr;

int OnXError(Display* display, XErrorEvent* error) {
  XErrorHandler previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(handlerMutex);
    for (Display* quiet : quietDisplays) {
      if (quiet == display) return 0;
    }
    previous = previousHandler;
  }
  return previous != nullptr ? previous(display, error) : 0;
}

// Latin-1 for the STRING target: characters past U+00FF become '?'.
std::string ToLatin1(const std::string& utf8) {
  std::string latin;
  for (size_t i = 0; i < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    uint32_t code = '?';
    size_t length = 1;
    if (byte < 0x80) {
      code = byte;
    } else if ((byte & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      code = (byte & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
      length = 2;
    } else if ((byte & 0xF0) == 0xE0) {
      length = 3;
    } else if ((byte & 0xF8) == 0xF0) {
      length = 4;
    }
    latin.push_back(code <= 0xFF ? static_cast<char>(code) : '?');
    i += length;
  }
  return latin;
}

class X11Clipboard final : public Clipboard {
 public:
  explicit X11Clipboard(Display* display) : display_(display) {
    {
      std::lock_guard<std::mutex> lock(handlerMutex);
      quietDisplays.push_back(display_);
    }
    InstallErrorHandler();
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    clipboard_ = XInternAtom(display_, "CLIPBOARD", False);
    targets_ = XInternAtom(display_, "TARGETS", False);
    utf8_ = XInternAtom(display_, "UTF8_STRING", False);
    text_ = XInternAtom(display_, "TEXT", False);
    plainUtf8_ = XInternAtom(display_, "text/plain;charset=utf-8", False);
    plain_ = XInternAtom(display_, "text/plain", False);
    XFlush(display_);
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
    thread_ = std::thread([this] { Serve(); });
  }

  ~X11Clipboard() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    Wake();
    if (thread_.joinable()) thread_.join();
    {
      std::lock_guard<std::mutex> lock(handlerMutex);
      std::erase(quietDisplays, display_);
    }
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
    for (int end : wake_) {
      if (end >= 0) close(end);
    }
  }

  bool SetText(const std::string& text) override {
    // Whoever set a handler since (the window system) is chained behind ours again.
    InstallErrorHandler();
    std::unique_lock<std::mutex> lock(mutex_);
    pending_ = text;
    hasPending_ = true;
    const uint64_t asked = ++requests_;
    Wake();
    // The serving thread takes the clipboard and says whether the server gave it.
    if (!changed_.wait_for(lock, kOwnershipWait, [&] { return answered_ >= asked; })) return false;
    return owned_;
  }

 private:
  static void InstallErrorHandler() {
    std::lock_guard<std::mutex> lock(handlerMutex);
    const XErrorHandler replaced = XSetErrorHandler(OnXError);
    if (replaced != OnXError) previousHandler = replaced;
  }

  void Wake() {
    if (wake_[1] < 0) return;
    const char byte = 1;
    (void)!write(wake_[1], &byte, 1);
  }

  void Serve() {
    const int xFile = ConnectionNumber(display_);
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        if (quit_) return;
        if (hasPending_) {
          heldText_ = pending_;
          hasPending_ = false;
          lock.unlock();
          XSetSelectionOwner(display_, clipboard_, window_, CurrentTime);
          const bool owned = XGetSelectionOwner(display_, clipboard_) == window_;
          lock.lock();
          owned_ = owned;
          answered_ = requests_;
          changed_.notify_all();
        }
      }
      while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == SelectionRequest) Answer(event.xselectionrequest);
      }
      pollfd files[2] = {{xFile, POLLIN, 0}, {wake_[0], POLLIN, 0}};
      if (poll(files, wake_[0] >= 0 ? 2 : 1, wake_[0] >= 0 ? -1 : 100) > 0 && (files[1].revents & POLLIN) != 0) {
        char drained[64];
        while (read(wake_[0], drained, sizeof drained) > 0) {
        }
      }
    }
  }

  // Answers one paste request: the list of targets, the text as UTF-8 or Latin-1, or a refusal for anything
  // else. A requestor window that has gone away only costs an ignored error.
  void Answer(const XSelectionRequestEvent& request) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = request.display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    // Old clients name no property: the target's name is used instead.
    const Atom property = request.property != None ? request.property : request.target;
    const long largest = XMaxRequestSize(display_) * 4 - 64;
    if (request.selection == clipboard_ && request.owner == window_) {
      if (request.target == targets_) {
        const Atom offered[] = {targets_, utf8_, XA_STRING, text_, plainUtf8_, plain_};
        XChangeProperty(display_, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered), static_cast<int>(std::size(offered)));
        reply.xselection.property = property;
      } else if (request.target == utf8_ || request.target == plainUtf8_ || request.target == XA_STRING ||
                 request.target == plain_ || request.target == text_) {
        const bool latin = request.target == XA_STRING || request.target == plain_ || request.target == text_;
        const std::string bytes = latin ? ToLatin1(heldText_) : heldText_;
        // Texts past one request would need the incremental transfer; the game's are a few dozen bytes.
        if (static_cast<long>(bytes.size()) < largest) {
          XChangeProperty(display_, request.requestor, property, latin ? XA_STRING : utf8_, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
          reply.xselection.property = property;
        }
      }
    }
    XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
    XFlush(display_);
  }

  Display* display_;
  ::Window window_ = 0;
  Atom clipboard_ = None, targets_ = None, utf8_ = None, text_ = None, plainUtf8_ = None, plain_ = None;
  int wake_[2] = {-1, -1};
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string pending_;
  bool hasPending_ = false;
  bool quit_ = false;
  bool owned_ = false;
  uint64_t requests_ = 0, answered_ = 0;
  std::string heldText_;  // the serving thread's own copy
};

}  // namespace

std::unique_ptr<Clipboard> CreateX11Clipboard(const std::string& displayName) {
  Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
  if (display == nullptr) return nullptr;
  return std::make_unique<X11Clipboard>(display);
}

Clipboard& DesktopClipboard() {
  // On X the game answers paste requests itself; other desktops keep the text through SDL. The choice waits for
  // the first text, by when the window system has started SDL's video.
  class Chooser final : public Clipboard {
   public:
    bool SetText(const std::string& text) override {
      if (!chosen_) {
        const char* driver = SDL_WasInit(SDL_INIT_VIDEO) != 0 ? SDL_GetCurrentVideoDriver() : nullptr;
        if (driver != nullptr && std::strcmp(driver, "x11") == 0) x11_ = CreateX11Clipboard("");
        chosen_ = driver != nullptr;
      }
      return x11_ ? x11_->SetText(text) : SdlClipboard().SetText(text);
    }

   private:
    bool chosen_ = false;
    std::unique_ptr<Clipboard> x11_;
  };
  static Chooser clipboard;
  return clipboard;
}

}  // namespace platform
