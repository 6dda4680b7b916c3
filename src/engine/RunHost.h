// What a dump run asks of its front end: the things that need a person.
// The desktop application answers with dialogs; the command line answers
// from its options; tests answer from a script.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace trovik {

class FileAccess;

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Polled by long dumps; true stops the dump with the abort ending.
  virtual bool AbortRequested() { return false; }

  // A message to the user (file errors, unknown type, ...).
  virtual void ShowMessage(const std::string& text) = 0;

  // The start offset prompt of the OHCI decoders: the display address, or
  // nothing when the user cancelled.
  virtual std::optional<uint32_t> AskStartOffset() { return std::nullopt; }

  // A yes/no question (such as whether to update the backup GPT too);
  // a front end that cannot ask answers no.
  virtual bool Confirm(const std::string& /*question*/) { return false; }

  // Structure editors of edit mode. Each works on the structure's bytes in
  // place and returns true when the user pressed OK (the bytes are then
  // written back); false leaves the file as it is.
  virtual bool EditBpb(uint8_t* /*bpb62*/) { return false; }
  virtual bool EditMbrEntry(uint8_t* /*entry16*/, int /*index*/) { return false; }
  virtual bool EditGptHeader(uint8_t* /*header512*/, uint32_t /*start*/, FileAccess& /*file*/) { return false; }
  virtual bool EditGptEntry(uint8_t* /*entry128*/, int /*index*/) { return false; }
};

}  // namespace trovik
