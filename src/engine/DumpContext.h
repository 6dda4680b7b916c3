// What a decoder gets for one run: the file, the range, the count, the
// flags, the report and the front end. Decoders read their structures
// through Read/ReadAt, which never deliver a byte past the end of the file
// or past the 4 GiB the run addresses (those bytes read as zeros).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

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
  uint32_t start;      // offset shown in title lines (the low 32 bits of ItemOffset())
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
  // Writes a structure back (edit mode) at its own offset. A structure the
  // file no longer wholly holds is not written: a message says so and the
  // result is false.
  bool WriteAt(uint64_t offset, const void* buffer, size_t len);

  bool AbortRequested() { return report.AbortRequested(); }

  // Items of a structure decoder. The item's true offset: `start` is what
  // titles show, and the walk ends before an item would start past
  // 0xFFFFFFFF, so the two never differ while an item is shown; offsets
  // inside an item that crosses 4 GiB are counted from this one.
  uint64_t ItemOffset() const { return item_; }
  // Called before each Count item after the first. False ends the walk:
  // the item before lay wholly past the end of the file, or this one would
  // start past the 4 GiB the run addresses (a red line of its own says so).
  bool NextItem();
  // Called once the item's title line ends the pending text: a red note on
  // it when the file does not wholly hold `size` bytes from the item's
  // offset (the missing bytes read as zeros).
  void CheckExtent(uint64_t size);
  // Moves on to the item `size` bytes further on.
  void Advance(uint64_t size);

 private:
  uint64_t position_;
  uint64_t item_;
  bool itemWhollyPast_ = false;
};

// One item of a Count walk, as its lister sees it.
struct WalkItem {
  int index;             // 0 for the first item
  uint64_t offset;       // where the item starts in the file
  uint32_t shown;        // the offset its title shows: the low 32 bits of `offset`
  const uint8_t* bytes;  // the bytes read for it (zeros where the file holds none)
};
using ItemLister = std::function<void(Report&, const WalkItem&)>;

// The one Count loop of the fixed-size structure types. For each of the
// run's Count items: reads `readSize` bytes (default: `step`) at the item's
// offset, lets `title` write its title line and marks that line when the
// file does not wholly hold the item's `step` bytes, lets `body` write its
// fields, inserts the item's text, moves `step` bytes on and polls the abort
// request. The walk ends early at the end of the file or before an item that
// would start past 4 GiB (see DumpContext::NextItem).
DumpEnd WalkItems(DumpContext& ctx, size_t step, const ItemLister& title, const ItemLister& body,
                  size_t readSize = 0);

inline constexpr const char* kPastEndText = " <-- (past the end of the file)";
inline constexpr const char* kPast4GiBText = " <-- (past 0xFFFFFFFF, beyond the 4 GiB this run addresses)";
inline constexpr const char* kWalkPast4GiBText = "The rest lies past 0xFFFFFFFF, beyond the 4 GiB this run addresses.";

}  // namespace trovik
