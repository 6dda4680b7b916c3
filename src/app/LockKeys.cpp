#include "app/LockKeys.h"

#include <QGuiApplication>

#ifdef TROVIK_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace trovik {

LockKeyState ReadLockKeys() {
  LockKeyState state;
#ifdef TROVIK_HAVE_X11
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return state;
  auto indicator = [&](const char* name) {
    Bool on = False;
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return false;
    return on == True;
  };
  state.known = true;
  state.caps = indicator("Caps Lock");
  state.num = indicator("Num Lock");
  state.scroll = indicator("Scroll Lock");
#endif
  return state;
}

}  // namespace trovik
