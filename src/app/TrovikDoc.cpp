#include "app/TrovikDoc.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "app/Memory.h"
#include "app/TextCodec.h"
#include "engine/CodePage.h"

namespace trovik {

namespace {
// Undo keeps this many steps; older ones are dropped.
constexpr size_t kUndoLimit = 200;
constexpr qint64 kFileChunk = 1 << 20;
}  // namespace

CTrovikDoc::CTrovikDoc(QObject* parent) : QObject(parent) {}

void CTrovikDoc::ClearUndo() {
  const bool had = !undo_.empty();
  undo_.clear();
  mergeTyping_ = false;
  if (had) emit UndoAvailable(false);
}

void CTrovikDoc::PushEdit(Edit edit, bool typing) {
  const bool had = !undo_.empty();
  if (groupDepth_ > 0 && !undo_.empty()) {
    undo_.back().push_back(std::move(edit));
    return;
  }
  if (typing && mergeTyping_ && !undo_.empty() && undo_.back().size() == 1) {
    Edit& last = undo_.back().front();
    if (last.removed.IsEmpty() && last.pos + last.inserted == edit.pos && edit.removed.IsEmpty()) {
      last.inserted += edit.inserted;
      return;
    }
  }
  undo_.push_back(Step{std::move(edit)});
  if (undo_.size() > kUndoLimit) undo_.erase(undo_.begin());
  mergeTyping_ = typing;
  if (!had) emit UndoAvailable(true);
}

qsizetype CTrovikDoc::Replace(qsizetype pos, qsizetype len, QStringView text) {
  pos = std::clamp<qsizetype>(pos, 0, text_.Length());
  len = std::clamp<qsizetype>(len, 0, text_.Length() - pos);
  if (len == 0 && text.isEmpty()) return pos;
  Edit edit;
  edit.pos = pos;
  edit.removed = text_.Slice(pos, len);
  edit.inserted = text.size();
  const bool typing = len == 0 && text.size() == 1 && text[0] != QLatin1Char('\n');
  text_.Remove(pos, len);
  text_.Insert(pos, text, false);
  PushEdit(std::move(edit), typing);
  SetModified(true);
  emit Changed(pos, len, text.size());
  return pos + text.size();
}

void CTrovikDoc::InsertReport(qsizetype pos, QStringView text, bool red) {
  InsertReportRich(pos, text, red ? std::vector<TextRange>{{0, text.size()}} : std::vector<TextRange>{});
}

void CTrovikDoc::InsertReportRich(qsizetype pos, QStringView text, const std::vector<TextRange>& red) {
  if (text.isEmpty()) return;
  ClearUndo();
  pos = std::clamp<qsizetype>(pos, 0, text_.Length());
  text_.InsertRich(pos, text, red);
  SetModified(true);
  emit Changed(pos, 0, text.size());
}

void CTrovikDoc::InsertReportBytes(qsizetype pos, std::string_view text, const std::vector<TextRange>& red) {
  if (text.empty()) return;
  ClearUndo();
  pos = std::clamp<qsizetype>(pos, 0, text_.Length());
  text_.InsertBytes(pos, text, red);
  SetModified(true);
  emit Changed(pos, 0, static_cast<qsizetype>(text.size()));
}

void CTrovikDoc::RemoveReport(qsizetype pos, qsizetype len) {
  pos = std::clamp<qsizetype>(pos, 0, text_.Length());
  len = std::clamp<qsizetype>(len, 0, text_.Length() - pos);
  if (len == 0) return;
  ClearUndo();
  text_.Remove(pos, len);
  SetModified(true);
  emit Changed(pos, len, 0);
}

TextRange CTrovikDoc::Undo() {
  if (undo_.empty()) return {};
  Step step = std::move(undo_.back());
  undo_.pop_back();
  mergeTyping_ = false;
  TextRange restored{};
  for (auto it = step.rbegin(); it != step.rend(); ++it) {
    text_.Remove(it->pos, it->inserted);
    text_.InsertText(it->pos, it->removed);
    restored = {it->pos, it->pos + it->removed.Length()};
    emit Changed(it->pos, it->inserted, it->removed.Length());
  }
  SetModified(true);
  if (undo_.empty()) emit UndoAvailable(false);
  return restored;
}

void CTrovikDoc::BeginUndoGroup() {
  if (groupDepth_++ == 0) {
    const bool had = !undo_.empty();
    undo_.emplace_back();
    if (!had) emit UndoAvailable(true);
  }
}

void CTrovikDoc::EndUndoGroup() {
  if (groupDepth_ > 0 && --groupDepth_ == 0) {
    if (!undo_.empty() && undo_.back().empty()) undo_.pop_back();
    if (undo_.size() > kUndoLimit) undo_.erase(undo_.begin());
    mergeTyping_ = false;
    if (undo_.empty()) emit UndoAvailable(false);
  }
}

void CTrovikDoc::SetPlainText(QStringView text) {
  const qsizetype old = text_.Length();
  ClearUndo();
  text_.Clear();
  ReleaseFreedMemory();
  text_.Insert(0, text, false);
  emit Changed(0, old, text.size());
}

void CTrovikDoc::NewDocument() {
  SetPlainText(QStringView());
  SetPath(QString());
  SetModified(false);
}

bool CTrovikDoc::SaveTo(const QString& path, QString* error) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = file.errorString();
    return false;
  }
  bool ok = true;
  std::string utf8;
  auto write = [&] {
    if (ok && file.write(utf8.data(), static_cast<qint64>(utf8.size())) != static_cast<qint64>(utf8.size())) ok = false;
    utf8.clear();
  };
  text_.ForEachPiece(0, text_.Length(), [&](auto piece) {
    if constexpr (std::is_same_v<decltype(piece), QStringView>)
      utf8 += piece.toUtf8().toStdString();
    else
      AppendCp1252TextAsUtf8(utf8, piece);
    if (utf8.size() >= static_cast<size_t>(kFileChunk)) write();
  });
  write();
  if (!ok || !file.commit()) {
    if (error) *error = file.errorString();
    file.cancelWriting();
    return false;
  }
  SetPath(path);
  SetModified(false);
  return true;
}

bool CTrovikDoc::LoadText(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error) *error = file.errorString();
    return false;
  }
  const qsizetype old = text_.Length();
  ClearUndo();
  text_.Clear();
  ReleaseFreedMemory();
  LenientTextDecoder decoder;
  QString piece;
  bool ok = true;
  while (true) {
    const QByteArray bytes = file.read(kFileChunk);
    if (bytes.isEmpty()) {
      ok = file.error() == QFileDevice::NoError;
      break;
    }
    piece.clear();
    decoder.Append(bytes, piece);
    text_.Insert(text_.Length(), piece, false);
  }
  piece.clear();
  decoder.Finish(piece);
  text_.Insert(text_.Length(), piece, false);
  if (!ok && error) *error = file.errorString();
  emit Changed(0, old, text_.Length());
  SetPath(QString());
  SetModified(false);
  return ok;
}

void CTrovikDoc::SetPath(const QString& path) {
  if (path_ == path) return;
  path_ = path;
  emit PathChanged(path_);
}

QString CTrovikDoc::Title() const { return path_.isEmpty() ? tr("Untitled") : QFileInfo(path_).fileName(); }

void CTrovikDoc::SetModified(bool modified) {
  if (modified_ == modified) return;
  modified_ = modified;
  emit ModifiedChanged(modified_);
}

}  // namespace trovik
