// The main window's placement as File > Exit keeps it: a 44-byte record of
// eleven little-endian 32-bit fields (length, flags, show command, minimized
// position, maximized position, normal rectangle).
#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <optional>

class QWidget;

namespace trovik {

struct WindowPlacement {
  static constexpr int kSize = 44;
  static constexpr int kShowNormal = 1;
  static constexpr int kShowMinimized = 2;
  static constexpr int kShowMaximized = 3;
  static constexpr int kRestoreToMaximized = 2;  // flag: a minimized window was maximized before

  uint32_t flags = 0;
  uint32_t showCommand = kShowNormal;
  QPoint minPosition{-1, -1};
  QPoint maxPosition{-1, -1};
  QRect normal;  // the restored window's area on the desktop

  QByteArray Encode() const;
  // Nothing unless the record is exactly 44 bytes, says so in its length
  // field and holds a non-empty rectangle.
  static std::optional<WindowPlacement> Decode(const QByteArray& record);

  static WindowPlacement Of(const QWidget& window);
  // True when enough of the rectangle lies on one of the screens to grab
  // the window by its title bar.
  static bool LandsOnScreen(const QRect& rect);
  // Applies a record read from the settings when it is valid and lands on
  // a screen; the window is then shown, maximized when it was. Returns
  // false (and leaves the window alone) otherwise.
  static bool Apply(QWidget& window, const QByteArray& record);
};

}  // namespace trovik
