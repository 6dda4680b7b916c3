// Test support: a sink that keeps the whole report with its red ranges, a
// front end answered from a script, and one call that dumps bytes held in
// memory exactly as a run would.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalog/Catalog.h"
#include "engine/FileAccess.h"
#include "engine/Report.h"
#include "engine/RunHost.h"
#include "support/Scratch.h"

namespace trovik::test {

class CaptureSink : public ReportSink {
 public:
  void Write(std::string_view text, bool red) override;
  void EraseBeforeInsertion() override;

  const std::string& Text() const { return text_; }
  // The text with every red range wrapped in "[[" and "]]".
  std::string Marked() const;

 private:
  std::string text_;
  std::vector<bool> red_;
};

class ScriptedHost : public RunHost {
 public:
  // Abort after this many polls have answered "no" (like a key that is
  // pressed then and stays down); negative: never.
  int abortAfterPolls = -1;
  int polls = 0;
  std::vector<std::string> messages;
  std::optional<uint32_t> startOffset;  // answer of the start offset prompt
  // Editors: called with the structure's bytes and the item index; return
  // true for OK. Unset editors answer Cancel.
  std::function<bool(uint8_t*, int)> editor;
  std::vector<int> editorCalls;
  // Yes/no questions asked, and the answer to all of them.
  std::vector<std::string> questions;
  bool confirm = false;

  bool AbortRequested() override { return abortAfterPolls >= 0 && polls++ >= abortAfterPolls; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::optional<uint32_t> AskStartOffset() override { return startOffset; }
  bool Confirm(const std::string& question) override {
    questions.push_back(question);
    return confirm;
  }
  bool EditStructure(DumpType, std::span<uint8_t> bytes, int index, uint64_t, FileAccess&) override {
    editorCalls.push_back(index);
    return editor && editor(bytes.data(), index);
  }
};

struct DumpResult {
  RunStatus status;
  std::string text;    // the report as the view receives it
  std::string marked;  // the same with red ranges in [[ ]]
  std::vector<std::string> messages;
};

// A request for one type with start (and end) given as the dialog's texts.
DumpRequest MakeRequest(DumpType type, std::string start = "0", std::string end = "0x00000000", int count = 1);
// The same in edit mode: each structure is offered to its editor.
DumpRequest MakeEditRequest(DumpType type, std::string start, int count = 1);

// Runs the request over the bytes through the full run (range fixing,
// dispatch, endings).
DumpResult RunOnBytes(const DumpRequest& request, std::vector<uint8_t> bytes, ScriptedHost* host = nullptr);
// The same over any file (a FakeFile with its log, a real file).
DumpResult RunOnFile(const DumpRequest& request, FileAccess& file, ScriptedHost* host = nullptr);

// The red ranges of a marked report ("[[...]]"), in order.
std::vector<std::string> RedTexts(const std::string& marked);

}  // namespace trovik::test
