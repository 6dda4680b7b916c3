#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtEndian>

namespace trovik {

namespace {

void Put(QByteArray& out, int32_t value) {
  char bytes[4];
  qToLittleEndian<int32_t>(value, bytes);
  out.append(bytes, 4);
}

int32_t Get(const QByteArray& in, int index) { return qFromLittleEndian<int32_t>(in.constData() + 4 * index); }

}  // namespace

QByteArray WindowPlacement::Encode() const {
  QByteArray out;
  out.reserve(kSize);
  Put(out, kSize);
  Put(out, static_cast<int32_t>(flags));
  Put(out, static_cast<int32_t>(showCommand));
  Put(out, minPosition.x());
  Put(out, minPosition.y());
  Put(out, maxPosition.x());
  Put(out, maxPosition.y());
  Put(out, normal.left());
  Put(out, normal.top());
  Put(out, normal.left() + normal.width());  // right and bottom are exclusive
  Put(out, normal.top() + normal.height());
  return out;
}

std::optional<WindowPlacement> WindowPlacement::Decode(const QByteArray& record) {
  if (record.size() != kSize || Get(record, 0) != kSize) return std::nullopt;
  WindowPlacement p;
  p.flags = static_cast<uint32_t>(Get(record, 1));
  p.showCommand = static_cast<uint32_t>(Get(record, 2));
  p.minPosition = {Get(record, 3), Get(record, 4)};
  p.maxPosition = {Get(record, 5), Get(record, 6)};
  const int left = Get(record, 7), top = Get(record, 8), right = Get(record, 9), bottom = Get(record, 10);
  if (right <= left || bottom <= top) return std::nullopt;
  p.normal = QRect(QPoint(left, top), QSize(right - left, bottom - top));
  return p;
}

WindowPlacement WindowPlacement::Of(const QWidget& window) {
  WindowPlacement p;
  if (window.isMaximized()) {
    p.showCommand = kShowMaximized;
  } else if (window.isMinimized()) {
    p.showCommand = kShowMinimized;
    if (window.windowState() & Qt::WindowMaximized) p.flags |= kRestoreToMaximized;
  }
  p.normal = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
  return p;
}

bool WindowPlacement::LandsOnScreen(const QRect& rect) {
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect common = screen->availableGeometry().intersected(rect);
    if (common.width() >= std::min(rect.width(), 64) && common.height() >= std::min(rect.height(), 32)) return true;
  }
  return false;
}

bool WindowPlacement::Apply(QWidget& window, const QByteArray& record) {
  const std::optional<WindowPlacement> p = Decode(record);
  if (!p || !LandsOnScreen(p->normal)) return false;
  window.setGeometry(p->normal);
  // A window that was minimized opens normally (or maximized, if it was
  // maximized before): starting as an icon would look like no start at all.
  const bool maximized =
      p->showCommand == kShowMaximized || (p->showCommand == kShowMinimized && (p->flags & kRestoreToMaximized));
  if (maximized)
    window.showMaximized();
  else
    window.showNormal();
  return true;
}

}  // namespace trovik
