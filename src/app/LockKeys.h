// The keyboard's lock keys, for the status bar's CAP, NUM and SCRL panes.
#pragma once

namespace trovik {

struct LockKeyState {
  bool known = false;  // false where the platform does not tell
  bool caps = false;
  bool num = false;
  bool scroll = false;
};

LockKeyState ReadLockKeys();

}  // namespace trovik
