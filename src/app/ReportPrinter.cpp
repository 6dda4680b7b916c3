#include "app/ReportPrinter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include "app/TrovikView.h"

namespace trovik {

void SetReportMargins(QPrinter& printer) {
  printer.setPageMargins(QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
}

int PrintReport(QPrinter& printer, const ReportText& text, const QFont& font, qsizetype from, qsizetype to) {
  if (to < 0) to = text.Length();
  from = std::clamp<qsizetype>(from, 0, text.Length());
  to = std::clamp<qsizetype>(to, from, text.Length());
  QPainter painter;
  if (!painter.begin(&printer)) return 0;
  QFont printFont(font, &printer);
  painter.setFont(printFont);
  const QFontMetricsF metrics(printFont, &printer);
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  const qreal lineHeight = metrics.lineSpacing();
  const qreal charWidth = metrics.horizontalAdvance(QLatin1Char('M'));
  const int linesPerPage = std::max(1, static_cast<int>(page.height() / lineHeight));
  const qsizetype firstLine = text.LineOfPosition(from);
  const qsizetype lastLine = text.LineOfPosition(to);
  const qsizetype lineCount = lastLine - firstLine + 1;
  const int pageCount = static_cast<int>((lineCount + linesPerPage - 1) / linesPerPage);
  const int columns = std::max(1, static_cast<int>(page.width() / charWidth));

  int firstPage = 1, lastPage = pageCount;
  if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
    firstPage = std::max(1, printer.fromPage());
    lastPage = std::min(pageCount, printer.toPage() > 0 ? printer.toPage() : pageCount);
  }
  int printed = 0;
  painter.setClipRect(QRectF(0, 0, page.width(), page.height()));
  for (int p = firstPage; p <= lastPage; ++p) {
    if (printed > 0 && !printer.newPage()) break;
    for (int i = 0; i < linesPerPage; ++i) {
      const qsizetype line = firstLine + static_cast<qsizetype>(p - 1) * linesPerPage + i;
      if (line > lastLine) break;
      const qsizetype start = std::max(text.LineStart(line), from);
      const qsizetype end = std::min(text.LineStart(line) + text.LineLength(line), to);
      if (end <= start) continue;
      // Only what fits between the margins is drawn.
      const QString raw = text.Text(start, std::min<qsizetype>(end - start, 8 * columns));
      const qreal y = i * lineHeight + metrics.ascent();
      const qsizetype lineHead = text.LineStart(line);
      const QString head = start > lineHead ? text.Text(lineHead, start - lineHead) : QString();
      const int base = ColumnOfIndex(head + raw, head.size());
      const QString full = head + raw;
      std::vector<qsizetype> cuts{0, raw.size()};
      const auto red = text.RedRanges(start, raw.size());
      for (const TextRange& r : red) {
        cuts.push_back(r.start - start);
        cuts.push_back(r.end - start);
      }
      std::sort(cuts.begin(), cuts.end());
      cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
      const QString shown = ExpandTabs(full);
      for (size_t c = 0; c + 1 < cuts.size(); ++c) {
        const qsizetype a = cuts[c], b = cuts[c + 1];
        const bool isRed = std::any_of(red.begin(), red.end(), [&](const TextRange& r) {
          return r.start <= start + a && start + a < r.end;
        });
        const int ca = ColumnOfIndex(full, head.size() + a), cb = ColumnOfIndex(full, head.size() + b);
        painter.setPen(isRed ? QColor(255, 0, 0) : QColor(0, 0, 0));
        painter.drawText(QPointF((ca - base) * charWidth, y), shown.mid(ca, cb - ca));
      }
    }
    ++printed;
  }
  painter.end();
  return printed;
}

}  // namespace trovik
