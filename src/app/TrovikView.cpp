#include "app/TrovikView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>

namespace trovik {

namespace {

constexpr int kMargin = 4;
constexpr int kTab = 8;
// Lines longer than this are drawn from their visible part only.
constexpr qsizetype kLongLine = 64 * 1024;
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);
const QColor kPaper(255, 255, 255);

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

QString HtmlEscaped(QStringView text) { return text.toString().toHtmlEscaped(); }

}  // namespace

int ColumnOfIndex(QStringView line, qsizetype index) {
  index = std::min(index, line.size());
  if (!line.left(index).contains(QLatin1Char('\t'))) return static_cast<int>(index);
  int column = 0;
  for (qsizetype i = 0; i < index; ++i) column = line[i] == QLatin1Char('\t') ? (column / kTab + 1) * kTab : column + 1;
  return column;
}

qsizetype IndexOfColumn(QStringView line, int column) {
  if (!line.contains(QLatin1Char('\t'))) return std::clamp<qsizetype>(column, 0, line.size());
  int at = 0;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const int next = line[i] == QLatin1Char('\t') ? (at / kTab + 1) * kTab : at + 1;
    if (column < (at + next + 1) / 2) return i;
    at = next;
  }
  return line.size();
}

QString ExpandTabs(QStringView line) {
  if (!line.contains(QLatin1Char('\t'))) return line.toString();
  QString out;
  for (QChar c : line) {
    if (c == QLatin1Char('\t'))
      out.append(QString(kTab - out.size() % kTab, QLatin1Char(' ')));
    else
      out.append(c);
  }
  return out;
}

QFont CTrovikView::DefaultReportFont() {
  QFont font;
  if (QFontDatabase::families().contains(QStringLiteral("Courier New"))) {
    font = QFont(QStringLiteral("Courier New"));
  } else {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  }
  font.setPointSize(10);
  font.setFixedPitch(true);
  font.setStyleHint(QFont::TypeWriter);
  font.setKerning(false);
  return font;
}

CTrovikView::CTrovikView(CTrovikDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), doc_(doc) {
  font_ = DefaultReportFont();
  viewport()->setFont(font_);
  QFontMetrics metrics(font_);
  charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
  lineHeight_ = std::max(1, metrics.lineSpacing());
  ascent_ = metrics.ascent();
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_InputMethodEnabled);
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  connect(doc_, &CTrovikDoc::Changed, this, &CTrovikView::OnDocumentChanged);
  UpdateScrollBars();
}

void CTrovikView::OnDocumentChanged(qsizetype pos, qsizetype removed, qsizetype added) {
  // Keep the selection on the text it was on; a position at the edit point
  // moves after inserted text, as a caret that text is typed at does.
  auto map = [&](qsizetype p) {
    if (p >= pos + removed && (removed > 0 || p > pos)) return p - removed + added;
    if (p == pos && removed == 0) return p + added;
    if (p > pos) return pos;
    return p;
  };
  anchor_ = std::clamp<qsizetype>(map(anchor_), 0, doc_->Text().Length());
  caret_ = std::clamp<qsizetype>(map(caret_), 0, doc_->Text().Length());
  UpdateScrollBars();
  viewport()->update();
  NotifySelection();
}

int CTrovikView::VisibleLineCount() const { return std::max(1, viewport()->height() / lineHeight_); }

qsizetype CTrovikView::FirstVisibleLine() const { return verticalScrollBar()->value(); }

void CTrovikView::UpdateScrollBars() {
  const ReportText& text = doc_->Text();
  const int visible = VisibleLineCount();
  const qsizetype lines = text.LineCount();
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, static_cast<int>(std::max<qsizetype>(0, std::min<qsizetype>(lines - visible, INT_MAX))));
  v->setPageStep(visible);
  v->setSingleStep(1);
  QScrollBar* h = horizontalScrollBar();
  const qint64 width = (text.MaxLineColumns() + 2) * static_cast<qint64>(charWidth_) + 2 * kMargin;
  h->setRange(0, static_cast<int>(std::clamp<qint64>(width - viewport()->width(), 0, INT_MAX)));
  h->setPageStep(viewport()->width());
  h->setSingleStep(charWidth_);
}

void CTrovikView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void CTrovikView::scrollContentsBy(int, int) { viewport()->update(); }

void CTrovikView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.setFont(font_);
  const QRect area = event->rect();
  painter.fillRect(area, kPaper);
  const ReportText& text = doc_->Text();
  const QPalette& pal = palette();
  const QColor highlight = pal.color(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
  const QColor highlightText =
      pal.color(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::HighlightedText);
  const int xOffset = kMargin - horizontalScrollBar()->value();
  const qsizetype top = FirstVisibleLine();
  const qsizetype firstLine = top + area.top() / lineHeight_;
  const qsizetype lastLine = std::min(text.LineCount() - 1, top + area.bottom() / lineHeight_);
  const qsizetype selStart = SelectionStart(), selEnd = SelectionEnd();
  const int firstColumn = std::max(0, (area.left() - xOffset) / charWidth_ - 1);
  const int lastColumn = (area.right() - xOffset) / charWidth_ + 2;

  for (qsizetype line = firstLine; line <= lastLine; ++line) {
    const int y = static_cast<int>(line - top) * lineHeight_;
    const qsizetype start = text.LineStart(line);
    const qsizetype length = text.LineLength(line);
    // The characters on screen: [from, to) of the line, at display column base.
    qsizetype from = 0, to = length;
    QString raw;
    if (length > kLongLine) {
      from = std::min<qsizetype>(firstColumn, length);
      to = std::min<qsizetype>(lastColumn, length);
      raw = text.Text(start + from, to - from);
    } else {
      raw = text.Text(start, length);
    }
    const bool hasTabs = raw.contains(QLatin1Char('\t'));
    auto column = [&](qsizetype index) {
      return hasTabs ? ColumnOfIndex(raw, index - from) : static_cast<int>(index);
    };
    const QString shown = hasTabs ? ExpandTabs(raw) : raw;
    const int shownBase = hasTabs ? 0 : static_cast<int>(from);

    // Cut points: red ranges and the selection.
    std::vector<qsizetype> cuts{from, to};
    const auto red = text.RedRanges(start + from, to - from);
    for (const TextRange& r : red) {
      cuts.push_back(r.start - start);
      cuts.push_back(r.end - start);
    }
    if (selStart < start + to && selEnd > start + from) {
      cuts.push_back(std::max(selStart - start, from));
      cuts.push_back(std::min(selEnd - start, to));
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    size_t redIndex = 0;
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
      const qsizetype a = cuts[i], b = cuts[i + 1];
      if (a >= b) continue;
      const int ca = column(a), cb = column(b);
      if (cb < firstColumn || ca > lastColumn) continue;
      while (redIndex < red.size() && red[redIndex].end <= start + a) ++redIndex;
      const bool isRed = redIndex < red.size() && red[redIndex].start <= start + a;
      const bool selected = start + a >= selStart && start + b <= selEnd && selStart != selEnd;
      const QRect box(xOffset + ca * charWidth_, y, (cb - ca) * charWidth_, lineHeight_);
      if (selected) painter.fillRect(box, highlight);
      painter.setPen(selected ? highlightText : (isRed ? kRed : kBlack));
      painter.drawText(box.left(), y + ascent_, shown.mid(ca - shownBase, cb - ca));
    }
    // A selected line break shows as a small block after the line.
    if (selStart <= start + length && selEnd > start + length) {
      painter.fillRect(QRect(xOffset + column(to) * charWidth_, y, charWidth_ / 2 + 1, lineHeight_), highlight);
    }
  }

  if (caretOn_ && hasFocus() && !readOnly_) {
    const QRect caret = CaretRect();
    painter.fillRect(caret, kBlack);
  } else if (caretOn_ && hasFocus()) {
    painter.fillRect(CaretRect(), QColor(128, 128, 128));
  }
}

int CTrovikView::CaretColumn() const {
  const ReportText& text = doc_->Text();
  const qsizetype line = text.LineOfPosition(caret_);
  const qsizetype start = text.LineStart(line);
  if (caret_ - start > kLongLine) return static_cast<int>(caret_ - start);
  return ColumnOfIndex(text.Text(start, caret_ - start), caret_ - start);
}

QRect CTrovikView::CaretRect() const {
  const qsizetype line = doc_->Text().LineOfPosition(caret_);
  const int x = kMargin - horizontalScrollBar()->value() + CaretColumn() * charWidth_;
  const int y = static_cast<int>(line - FirstVisibleLine()) * lineHeight_;
  return QRect(x, y, 2, lineHeight_);
}

qsizetype CTrovikView::PositionAt(const QPoint& point) const {
  const ReportText& text = doc_->Text();
  const qsizetype line =
      std::clamp<qsizetype>(FirstVisibleLine() + (point.y() < 0 ? -1 : point.y() / lineHeight_), 0, text.LineCount() - 1);
  const qsizetype start = text.LineStart(line);
  const qsizetype length = text.LineLength(line);
  const int x = point.x() - kMargin + horizontalScrollBar()->value();
  const int column = std::max(0, (x + charWidth_ / 2) / charWidth_);
  if (length > kLongLine) return start + std::min<qsizetype>(column, length);
  return start + IndexOfColumn(text.Text(start, length), column);
}

bool CTrovikView::IsPositionVisible(qsizetype pos) const {
  const qsizetype line = doc_->Text().LineOfPosition(pos);
  return line >= FirstVisibleLine() && line < FirstVisibleLine() + VisibleLineCount();
}

void CTrovikView::ScrollToPosition(qsizetype pos) {
  const ReportText& text = doc_->Text();
  const qsizetype line = text.LineOfPosition(pos);
  QScrollBar* v = verticalScrollBar();
  const int visible = VisibleLineCount();
  if (line < v->value())
    v->setValue(static_cast<int>(line));
  else if (line >= v->value() + visible)
    v->setValue(static_cast<int>(line - visible + 1));
  const qsizetype start = text.LineStart(line);
  const int column = pos - start > kLongLine ? static_cast<int>(pos - start)
                                             : ColumnOfIndex(text.Text(start, pos - start), pos - start);
  const int x = column * charWidth_;
  QScrollBar* h = horizontalScrollBar();
  const int width = viewport()->width() - 2 * kMargin - charWidth_;
  if (x < h->value())
    h->setValue(std::max(0, x - width / 4));
  else if (x > h->value() + width)
    h->setValue(x - width + width / 4);
}

void CTrovikView::SetSelection(qsizetype anchor, qsizetype caret, bool scrollIntoView) {
  const qsizetype length = doc_->Text().Length();
  anchor_ = std::clamp<qsizetype>(anchor, 0, length);
  caret_ = std::clamp<qsizetype>(caret, 0, length);
  desiredColumn_ = -1;
  if (scrollIntoView) ScrollToPosition(caret_);
  RestartBlink();
  viewport()->update();
  NotifySelection();
}

void CTrovikView::NotifySelection() {
  emit SelectionChanged();
  if (HasSelection() != hadSelection_) {
    hadSelection_ = HasSelection();
    emit CopyAvailable(hadSelection_);
  }
}

QString CTrovikView::SelectedText() const {
  return doc_->Text().Text(SelectionStart(), SelectionEnd() - SelectionStart());
}

void CTrovikView::ReplaceSelection(const QString& text) {
  if (readOnly_) return;
  const qsizetype start = SelectionStart();
  const qsizetype end = doc_->Replace(start, SelectionEnd() - start, text);
  SetSelection(end, end);
}

void CTrovikView::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  viewport()->update();
}

void CTrovikView::Undo() {
  if (readOnly_ || !doc_->CanUndo()) return;
  const TextRange restored = doc_->Undo();
  SetSelection(restored.start, restored.end);
}

void CTrovikView::Copy() {
  if (!HasSelection()) return;
  const qsizetype start = SelectionStart(), end = SelectionEnd();
  auto* mime = new QMimeData;
  const QString plain = doc_->Text().Text(start, end - start);
  mime->setText(plain);
  // Red annotations keep their colour when pasted into a rich-text editor.
  const auto red = doc_->Text().RedRanges(start, end - start);
  if (!red.empty() && plain.size() < (4 << 20)) {
    QString html = QStringLiteral("<pre style=\"font-family:'%1'\">").arg(font_.family());
    qsizetype at = start;
    for (const TextRange& r : red) {
      html += HtmlEscaped(QStringView(plain).mid(at - start, r.start - at));
      html += QStringLiteral("<span style=\"color:#ff0000\">") +
              HtmlEscaped(QStringView(plain).mid(r.start - start, r.end - r.start)) + QStringLiteral("</span>");
      at = r.end;
    }
    html += HtmlEscaped(QStringView(plain).mid(at - start)) + QStringLiteral("</pre>");
    mime->setHtml(html);
  }
  QApplication::clipboard()->setMimeData(mime);
}

void CTrovikView::Cut() {
  if (readOnly_ || !HasSelection()) return;
  Copy();
  ReplaceSelection(QString());
}

void CTrovikView::Paste() {
  if (readOnly_) return;
  QString text = QApplication::clipboard()->text();
  if (text.isEmpty()) return;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  text.remove(QChar(0));
  ReplaceSelection(text);
}

void CTrovikView::SelectAll() { SetSelection(0, doc_->Text().Length(), false); }

bool CTrovikView::FindText(const QString& needle, ReportText::FindOptions options) {
  if (needle.isEmpty()) return false;
  const ReportText& text = doc_->Text();
  qsizetype found;
  if (options.backward) {
    found = text.Find(needle, SelectionStart(), options);
    if (found < 0) found = text.Find(needle, text.Length(), options);
  } else {
    found = text.Find(needle, SelectionEnd(), options);
    if (found < 0) found = text.Find(needle, 0, options);
  }
  if (found < 0) return false;
  SetSelection(found, found + needle.size());
  return true;
}

bool CTrovikView::ReplaceAndFind(const QString& needle, const QString& replacement,
                                 ReportText::FindOptions options) {
  if (readOnly_ || needle.isEmpty()) return false;
  const Qt::CaseSensitivity cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
  if (HasSelection() && SelectedText().compare(needle, cs) == 0) {
    const qsizetype start = SelectionStart();
    const qsizetype end = doc_->Replace(start, SelectionEnd() - start, replacement);
    SetSelection(options.backward ? start : end, options.backward ? start : end);
  }
  return FindText(needle, options);
}

int CTrovikView::ReplaceAll(const QString& needle, const QString& replacement, ReportText::FindOptions options) {
  if (readOnly_ || needle.isEmpty()) return 0;
  options.backward = false;
  int count = 0;
  qsizetype from = 0;
  doc_->BeginUndoGroup();
  for (;;) {
    const qsizetype found = doc_->Text().Find(needle, from, options);
    if (found < 0) break;
    from = doc_->Replace(found, needle.size(), replacement);
    ++count;
  }
  doc_->EndUndoGroup();
  if (count) SetSelection(from, from);
  return count;
}

qsizetype CTrovikView::WordStart(qsizetype pos) const {
  const ReportText& text = doc_->Text();
  while (pos > 0 && !IsWordChar(text.At(pos - 1))) --pos;
  while (pos > 0 && IsWordChar(text.At(pos - 1))) --pos;
  return pos;
}

qsizetype CTrovikView::WordEnd(qsizetype pos) const {
  const ReportText& text = doc_->Text();
  const qsizetype n = text.Length();
  while (pos < n && IsWordChar(text.At(pos))) ++pos;
  while (pos < n && !IsWordChar(text.At(pos))) ++pos;
  return pos;
}

qsizetype CTrovikView::VerticalMove(qsizetype lines) {
  const ReportText& text = doc_->Text();
  if (desiredColumn_ < 0) desiredColumn_ = CaretColumn();
  const qsizetype line = std::clamp<qsizetype>(text.LineOfPosition(caret_) + lines, 0, text.LineCount() - 1);
  const qsizetype start = text.LineStart(line);
  const qsizetype length = text.LineLength(line);
  if (length > kLongLine) return start + std::min<qsizetype>(desiredColumn_, length);
  const QString content = text.Text(start, length);
  if (!content.contains(QLatin1Char('\t'))) return start + std::min<qsizetype>(desiredColumn_, length);
  qsizetype index = 0;
  while (index < length && ColumnOfIndex(content, index + 1) <= desiredColumn_) ++index;
  return start + index;
}

void CTrovikView::MoveCaret(qsizetype pos, bool extend) {
  const int keepColumn = desiredColumn_;
  SetSelection(extend ? anchor_ : pos, pos);
  desiredColumn_ = keepColumn;
  doc_->BreakUndoMerge();
}

bool CTrovikView::event(QEvent* event) {
  // Tab belongs to the text, not to focus changes.
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      keyPressEvent(key);
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

void CTrovikView::keyPressEvent(QKeyEvent* event) {
  const ReportText& text = doc_->Text();
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const qsizetype line = text.LineOfPosition(caret_);
  auto resetColumn = [&] { desiredColumn_ = -1; };
  switch (event->key()) {
    case Qt::Key_Left:
      resetColumn();
      if (!shift && HasSelection())
        MoveCaret(SelectionStart(), false);
      else
        MoveCaret(ctrl ? WordStart(caret_) : std::max<qsizetype>(0, caret_ - 1), shift);
      return;
    case Qt::Key_Right:
      resetColumn();
      if (!shift && HasSelection())
        MoveCaret(SelectionEnd(), false);
      else
        MoveCaret(ctrl ? WordEnd(caret_) : std::min(text.Length(), caret_ + 1), shift);
      return;
    case Qt::Key_Up:
      if (ctrl) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return;
      }
      MoveCaret(VerticalMove(-1), shift);
      return;
    case Qt::Key_Down:
      if (ctrl) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return;
      }
      MoveCaret(VerticalMove(1), shift);
      return;
    case Qt::Key_PageUp:
      verticalScrollBar()->setValue(verticalScrollBar()->value() - VisibleLineCount());
      MoveCaret(VerticalMove(-VisibleLineCount()), shift);
      return;
    case Qt::Key_PageDown:
      verticalScrollBar()->setValue(verticalScrollBar()->value() + VisibleLineCount());
      MoveCaret(VerticalMove(VisibleLineCount()), shift);
      return;
    case Qt::Key_Home:
      resetColumn();
      MoveCaret(ctrl ? 0 : text.LineStart(line), shift);
      return;
    case Qt::Key_End:
      resetColumn();
      MoveCaret(ctrl ? text.Length() : text.LineStart(line) + text.LineLength(line), shift);
      return;
    case Qt::Key_Backspace:
      if (readOnly_) return;
      resetColumn();
      if (!HasSelection()) {
        if (caret_ == 0) return;
        anchor_ = ctrl ? WordStart(caret_) : caret_ - 1;
      }
      ReplaceSelection(QString());
      doc_->BreakUndoMerge();
      return;
    case Qt::Key_Delete:
      if (readOnly_) return;
      resetColumn();
      if (!HasSelection()) {
        if (caret_ == text.Length()) return;
        anchor_ = ctrl ? WordEnd(caret_) : caret_ + 1;
      }
      ReplaceSelection(QString());
      doc_->BreakUndoMerge();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (readOnly_) return;
      resetColumn();
      ReplaceSelection(QStringLiteral("\n"));
      return;
    case Qt::Key_Tab:
      if (readOnly_) return;
      resetColumn();
      ReplaceSelection(QStringLiteral("\t"));
      return;
    case Qt::Key_Escape:
      event->ignore();
      return;
    default:
      break;
  }
  const QString typed = event->text();
  const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (!typed.isEmpty() && !command && typed.at(0).isPrint()) {
    if (readOnly_) return;
    resetColumn();
    ReplaceSelection(typed);
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void CTrovikView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  desiredColumn_ = -1;
  const qsizetype pos = PositionAt(event->position().toPoint());
  MoveCaret(pos, event->modifiers() & Qt::ShiftModifier);
  dragging_ = true;
  lastDragPoint_ = event->position().toPoint();
}

void CTrovikView::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
  lastDragPoint_ = event->position().toPoint();
  MoveCaret(PositionAt(lastDragPoint_), true);
  if (!viewport()->rect().contains(lastDragPoint_)) {
    if (!scrollTimer_.isActive()) scrollTimer_.start(50, this);
  } else {
    scrollTimer_.stop();
  }
}

void CTrovikView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = false;
  scrollTimer_.stop();
  if (HasSelection() && QApplication::clipboard()->supportsSelection())
    QApplication::clipboard()->setText(SelectedText().left(1 << 20), QClipboard::Selection);
}

void CTrovikView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const ReportText& text = doc_->Text();
  qsizetype pos = PositionAt(event->position().toPoint());
  qsizetype start = pos, end = pos;
  while (start > 0 && IsWordChar(text.At(start - 1))) --start;
  while (end < text.Length() && IsWordChar(text.At(end))) ++end;
  SetSelection(start, end);
}

void CTrovikView::timerEvent(QTimerEvent* event) {
  if (event->timerId() == blinkTimer_.timerId()) {
    caretOn_ = !caretOn_;
    viewport()->update(CaretRect().adjusted(-1, 0, 1, 0));
    return;
  }
  if (event->timerId() == scrollTimer_.timerId()) {
    const QRect r = viewport()->rect();
    if (lastDragPoint_.y() < r.top())
      verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (lastDragPoint_.y() > r.bottom())
      verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (lastDragPoint_.x() < r.left())
      horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (lastDragPoint_.x() > r.right())
      horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const int keep = desiredColumn_;
    caret_ = PositionAt(lastDragPoint_);
    desiredColumn_ = keep;
    viewport()->update();
    NotifySelection();
    return;
  }
  QAbstractScrollArea::timerEvent(event);
}

void CTrovikView::RestartBlink() {
  caretOn_ = true;
  const int flash = QApplication::cursorFlashTime();
  if (flash > 0 && hasFocus())
    blinkTimer_.start(flash / 2, this);
  else
    blinkTimer_.stop();
}

void CTrovikView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  RestartBlink();
  viewport()->update();
}

void CTrovikView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  blinkTimer_.stop();
  viewport()->update();
}

void CTrovikView::contextMenuEvent(QContextMenuEvent* event) {
  if (contextActions_.isEmpty()) return;
  QMenu menu(this);
  for (QAction* action : contextActions_) {
    if (action)
      menu.addAction(action);
    else
      menu.addSeparator();
  }
  menu.exec(event->globalPos());
}

void CTrovikView::inputMethodEvent(QInputMethodEvent* event) {
  if (!readOnly_ && !event->commitString().isEmpty()) ReplaceSelection(event->commitString());
  event->accept();
}

QVariant CTrovikView::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled:
      return !readOnly_;
    case Qt::ImCursorRectangle:
      return CaretRect().translated(viewport()->pos());
    case Qt::ImFont:
      return font_;
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}

}  // namespace trovik
