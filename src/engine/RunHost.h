// What a dump run asks of its front end: the things that need a person.
// The desktop application answers with dialogs; the command line answers
// from its options; tests answer from a script.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/DumpType.h"

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

  // Edit mode: the editor of a structure of this type (its catalog row has
  // an edit step). bytes is the structure, or item `index` of Count items,
  // as read from `offset` of `file`; the editor works on them in place and
  // returns true when the user pressed OK (the bytes are then written back
  // at offset); false leaves the file as it is.
  virtual bool EditStructure(DumpType /*type*/, std::span<uint8_t> /*bytes*/, int /*index*/, uint64_t /*offset*/,
                             FileAccess& /*file*/) {
    return false;
  }
};

}  // namespace trovik
