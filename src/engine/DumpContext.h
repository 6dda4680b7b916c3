// What a decoder gets for one run: the file, the range, the count, the
// flags, the report and the front end. Decoders read their structures
// through Read/ReadAt, which never deliver a byte past the end of the file
// or past the 4 GiB the run addresses (those bytes read as zeros).
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/DumpRequest.h"
#include "engine/DumpType.h"
#include "engine/FileAccess.h"
#include "engine/Report.h"
#include "engine/RunHost.h"

namespace trovik {

// How a decoder leaves: normally, or with the abort ending ("\nUser Abort...").
enum class DumpEnd { Normal, Abort };

class DumpContext {
 public:
  DumpContext(FileAccess& file, Report& report, RunHost& host, const DumpRequest& request, ByteRange range,
              uint64_t fileSize);

  FileAccess& file;
  Report& report;
  RunHost& host;
  DumpType type;
  uint32_t start;      // offset shown in title lines; decoders advance it per Count item
  uint32_t end;        // last byte of the range (general formats only)
  int count;
  bool askOffset;
  bool isIso;
  bool editMode;
  uint64_t fileSize;   // the whole file's size, before the 4 GiB limit

  // Reads at the current position and moves it on by len.
  size_t Read(void* buffer, size_t len);
  // Reads at offset; the current position becomes offset + len.
  size_t ReadAt(uint64_t offset, void* buffer, size_t len);
  void Seek(uint64_t offset) { position_ = offset; }
  uint64_t Position() const { return position_; }
  // Writes a structure back (edit mode) at its own offset.
  void WriteAt(uint64_t offset, const void* buffer, size_t len);

  bool AbortRequested() { return report.AbortRequested(); }

 private:
  uint64_t position_;
};

}  // namespace trovik
