// The report view: shows the report document unwrapped in a fixed-pitch
// font, black with red annotations, and lets the user edit, select, search
// and copy it. It draws only the lines on screen, so a report of a million
// lines scrolls as easily as a short one.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFont>
#include <QList>

#include "app/ReportText.h"
#include "app/TrovikDoc.h"

class QAction;
class QPrinter;

namespace trovik {

class CTrovikView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit CTrovikView(CTrovikDoc* doc, QWidget* parent = nullptr);

  CTrovikDoc* Document() const { return doc_; }

  // "Courier New" 10 pt where the machine has it, else the system's
  // fixed-pitch font at 10 pt.
  static QFont DefaultReportFont();
  QFont ReportFont() const { return font_; }

  // The selection: anchor is where it began, caret where it ends (the
  // insertion point). Equal when nothing is selected.
  qsizetype Anchor() const { return anchor_; }
  qsizetype Caret() const { return caret_; }
  qsizetype SelectionStart() const { return std::min(anchor_, caret_); }
  qsizetype SelectionEnd() const { return std::max(anchor_, caret_); }
  bool HasSelection() const { return anchor_ != caret_; }
  void SetSelection(qsizetype anchor, qsizetype caret, bool scrollIntoView = true);
  QString SelectedText() const;

  // Replaces the selection with text, as typing or pasting does (with Undo).
  void ReplaceSelection(const QString& text);

  bool IsReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);

  // Edit commands.
  void Undo();
  void Cut();
  void Copy();
  void Paste();
  void SelectAll();

  // Searches from the selection (down: after it, up: before it), wrapping
  // round the ends once, and selects the match. False when there is none.
  bool FindText(const QString& text, ReportText::FindOptions options);
  // Replaces the selection when it is a match, then finds the next one.
  bool ReplaceAndFind(const QString& text, const QString& replacement, ReportText::FindOptions options);
  // Replaces every match in the report as one Undo step; returns how many.
  int ReplaceAll(const QString& text, const QString& replacement, ReportText::FindOptions options);

  void ScrollToPosition(qsizetype pos);
  bool IsPositionVisible(qsizetype pos) const;
  qsizetype FirstVisibleLine() const;
  int VisibleLineCount() const;

  // Actions for the context menu (the frame's Edit commands).
  void SetContextActions(const QList<QAction*>& actions) { contextActions_ = actions; }

  // Position under a point of the viewport.
  qsizetype PositionAt(const QPoint& point) const;
  QRect CaretRect() const;

 signals:
  void SelectionChanged();
  void CopyAvailable(bool available);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void scrollContentsBy(int dx, int dy) override;
  bool event(QEvent* event) override;

 private:
  void OnDocumentChanged(qsizetype pos, qsizetype removed, qsizetype added);
  void UpdateScrollBars();
  void MoveCaret(qsizetype pos, bool extend);
  void RestartBlink();
  void NotifySelection();
  qsizetype WordStart(qsizetype pos) const;
  qsizetype WordEnd(qsizetype pos) const;
  qsizetype VerticalMove(qsizetype lines);
  int CaretColumn() const;
  int LineHeight() const { return lineHeight_; }

  CTrovikDoc* doc_;
  QFont font_;
  int charWidth_ = 8;
  int lineHeight_ = 16;
  int ascent_ = 12;
  qsizetype anchor_ = 0;
  qsizetype caret_ = 0;
  int desiredColumn_ = -1;
  bool readOnly_ = false;
  bool caretOn_ = true;
  bool dragging_ = false;
  bool hadSelection_ = false;
  QPoint lastDragPoint_;
  QBasicTimer blinkTimer_;
  QBasicTimer scrollTimer_;
  QList<QAction*> contextActions_;
};

// Display columns of a line with tabs expanded to the next multiple of 8.
int ColumnOfIndex(QStringView line, qsizetype index);
qsizetype IndexOfColumn(QStringView line, int column);
QString ExpandTabs(QStringView line);

}  // namespace trovik
