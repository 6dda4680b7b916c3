// The report document: the report text with its red ranges, the undo
// history of the user's edits, and the file the report was saved to. It is
// kept on disk as plain UTF-8 text without colours.
#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "app/ReportText.h"

namespace trovik {

class CTrovikDoc : public QObject {
  Q_OBJECT
 public:
  explicit CTrovikDoc(QObject* parent = nullptr);

  const ReportText& Text() const { return text_; }

  // An edit of the user: replaces [pos, pos + len) with text in the normal
  // colour and records it for Undo. Returns where the new text ends.
  qsizetype Replace(qsizetype pos, qsizetype len, QStringView text);
  // Report text written by a dump: not recorded for Undo (and, since it
  // moves what earlier edits refer to, the undo history is dropped).
  void InsertReport(qsizetype pos, QStringView text, bool red);
  // The same with the red ranges given relative to the text.
  void InsertReportRich(qsizetype pos, QStringView text, const std::vector<TextRange>& red);
  // Report text as the core writes it (code page 1252, see ReportLineBreaks).
  void InsertReportBytes(qsizetype pos, std::string_view text, const std::vector<TextRange>& red);
  void RemoveReport(qsizetype pos, qsizetype len);

  bool CanUndo() const { return !undo_.empty(); }
  // Undoes the last edit; returns the range of text it put back.
  TextRange Undo();
  // The next typed character starts a new undo step.
  void BreakUndoMerge() { mergeTyping_ = false; }
  // Several edits that Undo takes back as one (Replace All).
  void BeginUndoGroup();
  void EndUndoGroup();

  // File > New: an empty, unmodified, untitled report; its memory goes
  // back to the system.
  void NewDocument();
  // Saves the report as UTF-8 text. On failure returns false with the cause.
  bool SaveTo(const QString& path, QString* error);
  // Replaces the report with a text file's content (see LenientTextDecoder).
  // The text is not the report's own file: the report becomes untitled and
  // unmodified, so Save asks for a name.
  bool LoadText(const QString& path, QString* error);
  // Replaces the whole report (no undo).
  void SetPlainText(QStringView text);

  QString Path() const { return path_; }
  void SetPath(const QString& path);
  // The name the window title and the save prompt show.
  QString Title() const;
  bool IsModified() const { return modified_; }
  void SetModified(bool modified);

 signals:
  // [pos, pos + removed) was replaced by `added` characters.
  void Changed(qsizetype pos, qsizetype removed, qsizetype added);
  void ModifiedChanged(bool modified);
  void UndoAvailable(bool available);
  void PathChanged(const QString& path);

 private:
  struct Edit {
    qsizetype pos = 0;
    ReportText removed;  // with its colours
    qsizetype inserted = 0;
  };
  using Step = std::vector<Edit>;

  void ClearUndo();
  void PushEdit(Edit edit, bool typing);

  ReportText text_;
  std::vector<Step> undo_;
  int groupDepth_ = 0;
  bool mergeTyping_ = false;
  bool modified_ = false;
  QString path_;
};

}  // namespace trovik
