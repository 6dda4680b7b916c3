// Draws the application's own toolbar icons (the fallbacks for desktops
// without an icon theme) into res/icons; the application icon comes from
// org.trovik.Trovik.svg (make-app-icons.sh). Run it after
// changing a drawing: `trovik_make_icons <res/icons>`.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

const QColor kInk(60, 60, 60);
const QColor kPaper(250, 250, 250);
const QColor kBlue(52, 101, 164);
const QColor kYellow(237, 212, 0);
const QColor kRed(220, 30, 30);

void Page(QPainter& p, QRectF r) {
  const qreal fold = r.width() * 0.35;
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - fold, r.top());
  path.lineTo(r.right(), r.top() + fold);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setBrush(kPaper);
  p.setPen(QPen(kInk, 1));
  p.drawPath(path);
  p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
  p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void Lines(QPainter& p, QRectF r, int count, bool red = false) {
  for (int i = 0; i < count; ++i) {
    const qreal y = r.top() + i * r.height() / count;
    p.setPen(QPen(red && i == count - 1 ? kRed : kBlue, 1));
    p.drawLine(QPointF(r.left(), y), QPointF(r.right() - (i % 2) * r.width() * 0.3, y));
  }
}

using Drawing = std::function<void(QPainter&)>;

// Drawings are made on a 16-unit square.
const std::pair<const char*, Drawing> kIcons[] = {
    {"new", [](QPainter& p) { Page(p, {2.5, 1.5, 11, 13}); }},
    {"open",
     [](QPainter& p) {
       p.setPen(QPen(kInk, 1));
       p.setBrush(kYellow.darker(115));
       p.drawRect(QRectF(1.5, 3.5, 12, 10));
       p.setBrush(kYellow);
       QPainterPath front;
       front.moveTo(3.5, 6.5);
       front.lineTo(15, 6.5);
       front.lineTo(13.5, 13.5);
       front.lineTo(1.5, 13.5);
       front.closeSubpath();
       p.drawPath(front);
     }},
    {"opentext",
     [](QPainter& p) {
       Page(p, {2.5, 1.5, 11, 13});
       Lines(p, {4.5, 6.5, 7, 7}, 4);
     }},
    {"save",
     [](QPainter& p) {
       p.setPen(QPen(kInk, 1));
       p.setBrush(kBlue);
       p.drawRect(QRectF(1.5, 1.5, 13, 13));
       p.setBrush(kPaper);
       p.drawRect(QRectF(4.5, 1.5, 7, 5));
       p.setBrush(kInk.lighter(150));
       p.drawRect(QRectF(4.5, 9.5, 7, 5));
     }},
    {"cut",
     [](QPainter& p) {
       p.setPen(QPen(kInk, 1.3));
       p.drawLine(QPointF(4, 1.5), QPointF(10.5, 11));
       p.drawLine(QPointF(12, 1.5), QPointF(5.5, 11));
       p.setBrush(Qt::NoBrush);
       p.setPen(QPen(kRed, 1.3));
       p.drawEllipse(QPointF(4.5, 12.5), 2.2, 2.2);
       p.drawEllipse(QPointF(11.5, 12.5), 2.2, 2.2);
     }},
    {"copy",
     [](QPainter& p) {
       Page(p, {1.5, 1.5, 9, 10});
       Page(p, {5.5, 4.5, 9, 10});
     }},
    {"paste",
     [](QPainter& p) {
       p.setPen(QPen(kInk, 1));
       p.setBrush(QColor(193, 125, 17));
       p.drawRoundedRect(QRectF(2.5, 2.5, 10, 12), 1, 1);
       p.setBrush(kInk.lighter(170));
       p.drawRect(QRectF(5.5, 1.5, 4, 2));
       Page(p, {6.5, 6.5, 8, 8.5});
     }},
    {"print",
     [](QPainter& p) {
       p.setPen(QPen(kInk, 1));
       p.setBrush(kPaper);
       p.drawRect(QRectF(4.5, 1.5, 7, 5));
       p.setBrush(QColor(186, 189, 182));
       p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
       p.setBrush(kPaper);
       p.drawRect(QRectF(4.5, 10.5, 7, 4));
       p.setPen(QPen(QColor(78, 154, 6), 1));
       p.drawPoint(QPointF(12.5, 8.5));
     }},
    {"lbachs",
     [](QPainter& p) {
       // A disk cylinder with a block of it marked.
       p.setPen(QPen(kInk, 1));
       p.setBrush(QColor(186, 189, 182));
       p.drawRect(QRectF(2.5, 4.5, 11, 8));
       p.drawEllipse(QRectF(2.5, 10.5, 11, 4));
       p.setBrush(kPaper);
       p.drawEllipse(QRectF(2.5, 2.5, 11, 4));
       p.setPen(QPen(kRed, 1.5));
       p.drawLine(QPointF(8, 7), QPointF(8, 12));
     }},
    {"about",
     [](QPainter& p) {
       p.setPen(QPen(kBlue.darker(120), 1));
       p.setBrush(kBlue);
       p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
       p.setPen(QPen(kPaper, 2));
       p.drawLine(QPointF(8, 7), QPointF(8, 12));
       p.drawPoint(QPointF(8, 4.5));
     }},
};

void Write(const QString& folder, const char* name, const Drawing& draw, int size, const QString& suffix) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 16.0, size / 16.0);
  draw(painter);
  painter.end();
  image.save(QStringLiteral("%1/%2%3.png").arg(folder, QLatin1String(name), suffix));
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  for (const auto& [name, draw] : kIcons) {
    Write(folder, name, draw, 16, QString());
    Write(folder, name, draw, 32, QStringLiteral("@2x"));
  }
  return 0;
}
