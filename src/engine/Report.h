// The report writer. Decoders format their lines into the pending text and
// hand it on with these operations; the text goes to a sink in chunks. A
// report is 8-bit text (code page 1252; 0xB7 is the middle dot that stands
// for an unprintable byte) plus the ranges that are red.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace trovik {

class RunHost;

// The printable form of a byte: itself for 0x20..0x7E, else 0xB7.
uint8_t PrintableChar(uint8_t c);

// Receives the report as it is written. The last character written is held
// back by the Report until more text follows or the run ends, so a sink
// never sees a character that an annotation later replaces.
class ReportSink {
 public:
  virtual ~ReportSink() = default;
  virtual void Write(std::string_view text, bool red) = 0;
  // An annotation came with nothing held back to replace: remove the
  // character before the insertion point, if the sink has one (a view with
  // earlier text does; a stream does not).
  virtual void EraseBeforeInsertion() {}
};

class Report {
 public:
  explicit Report(ReportSink& sink, RunHost* host = nullptr) : sink_(sink), host_(host) {}
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;

  // Building the pending text: the lines of the structure being listed.
  void Add(std::string_view text) { pending_ += text; }
  void Printf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  // A raw byte as a character: a zero byte adds nothing.
  void AddChar(uint8_t c) {
    if (c) pending_ += static_cast<char>(c);
  }
  // A fixed-width text field, not terminated: every byte is shown, control
  // bytes as the placeholder.
  void AddPrintable(const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) pending_ += static_cast<char>(PrintableChar(bytes[i]));
  }

  // Inserts text into the report; the pending text is left as it is.
  void AppendText(std::string_view text);
  // Inserts the pending text and empties it.
  void AppendPending();
  // A broken rule: inserts the pending text, then puts the annotation in red
  // in place of the last character written (normally the line break of the
  // field's line), followed by a new line break.
  void Flag(std::string_view annotation) { AnnotateLine(true, annotation); }
  // The same for a remark that breaks no rule (a confirmation such as
  // " (correct)"): the annotation stays black.
  void Note(std::string_view annotation) { AnnotateLine(false, annotation); }
  // Inserts the pending text, then the text in red as a line of its own.
  void FlagLine(std::string_view text);
  // Flag with label + ": 0x" + the low 32 bits of value in at least
  // `digits` upper-case hexadecimal digits (the value the field should have).
  void FlagHex(std::string_view label, uint64_t value, int digits);

  // Appends hexadecimal and character lines of the bytes to the pending
  // text. Returns true when an abort request stopped it.
  // Addresses past 0xFFFFFFFF (an item that crosses 4 GiB) show their true
  // value in nine digits.
  bool HexDumpBlock(uint64_t base, const uint8_t* bytes, int32_t length, bool collapse);

  // Lines of sixteen bytes in the DOS Debug layout (each opens with a line
  // break and its address, a '-' joins the eighth and ninth byte, the
  // character column shows 0x21..0x7F as themselves and anything else as
  // '.', a short last line is padded so its characters line up), inserted
  // line by line. Used for reserved areas and stubs inside structures.
  // Returns true when any byte is not zero.
  bool AppendDebugLines(uint64_t address, const uint8_t* bytes, size_t length);

  // Polls the front end's abort request.
  bool AbortRequested();
  // Hands the held-back character to the sink; called once when the run ends.
  void Finish();

 private:
  // Only the walk of Count items looks into the pending text, to mark an
  // item's title line when the file does not wholly hold the item.
  friend class DumpContext;
  std::string& Pending() { return pending_; }
  void AnnotateLine(bool red, std::string_view annotation);
  void Emit(std::string_view text, bool red);

  ReportSink& sink_;
  RunHost* host_;
  std::string pending_;
  bool hasHeld_ = false;
  char held_ = 0;
  bool heldRed_ = false;
};

bool IsPowerOfTwo(uint32_t value);

}  // namespace trovik
