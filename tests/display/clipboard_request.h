// A paste as another X program makes it: asks the CLIPBOARD selection's owner for a target into a window of its
// own and reads the answer, or asks and goes away at once without reading it.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <string>

namespace clipboard_test {

struct Paste {
  bool answered = false;  // a SelectionNotify came back in time
  bool refused = false;   // it named no property
  std::string type;       // the type of the property it filled
  std::string bytes;      // the property's bytes (atoms as their names, one per line, for TARGETS)
};

// Asks for the target and waits at most timeoutMs for the owner's answer. With abandon set, it closes its
// connection (destroying its window) right after asking, and returns nothing.
inline Paste RequestClipboard(const std::string& target, bool abandon = false, int timeoutMs = 5000) {
  Paste paste;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return paste;
  const ::Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
  const Atom wanted = XInternAtom(display, target.c_str(), False);
  const Atom property = XInternAtom(display, "CORSAIRE_PASTE", False);
  XConvertSelection(display, clipboard, wanted, property, window, CurrentTime);
  XFlush(display);
  if (abandon) {
    XCloseDisplay(display);
    return paste;
  }
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type != SelectionNotify || event.xselection.requestor != window) continue;
      paste.answered = true;
      paste.refused = event.xselection.property == None;
      if (!paste.refused) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, property, 0, 1 << 16, True, AnyPropertyType, &type, &format, &count,
                               &remaining, &data) == Success) {
          if (char* name = type != None ? XGetAtomName(display, type) : nullptr) {
            paste.type = name;
            XFree(name);
          }
          if (format == 8 && data != nullptr) {
            paste.bytes.assign(reinterpret_cast<const char*>(data), count);
          } else if (format == 32 && type == XA_ATOM && data != nullptr) {
            const auto* atoms = reinterpret_cast<const Atom*>(data);
            for (unsigned long i = 0; i < count; ++i) {
              if (char* name = XGetAtomName(display, atoms[i])) {
                paste.bytes += std::string(name) + "\n";
                XFree(name);
              }
            }
          }
          if (data != nullptr) XFree(data);
        }
      }
      XCloseDisplay(display);
      return paste;
    }
    pollfd file{ConnectionNumber(display), POLLIN, 0};
    if (poll(&file, 1, timeoutMs) <= 0) break;
  }
  XCloseDisplay(display);
  return paste;
}

}  // namespace clipboard_test
