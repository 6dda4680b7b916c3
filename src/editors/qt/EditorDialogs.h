// The editor dialogs as the desktop application calls them: from its dump
// run's front end (edit mode) and from Tools > LBA to CHS. Each editor works
// on the caller's bytes in place and returns true when the user pressed OK;
// on Cancel the bytes are exactly as they were. Call on the UI thread.
#pragma once

#include <cstdint>
#include <span>

#include "engine/DumpType.h"

class QWidget;

namespace trovik {

class FileAccess;

// A FAT12/16 BIOS parameter block (62 bytes).
bool EditBpb(QWidget* parent, uint8_t* bpb62);
// One MBR partition entry (16 bytes); index is the entry's number in the
// request, shown as "Entry #".
bool EditMbrEntry(QWidget* parent, uint8_t* entry16, int index);
// A GPT header sector (512 bytes) read at file offset start; "Recalculate
// CRC" reads the partition entry array from file.
bool EditGptHeader(QWidget* parent, uint8_t* header512, uint32_t start, FileAccess& file);
// One GPT partition entry (128 bytes).
bool EditGptEntry(QWidget* parent, uint8_t* entry128, int index);
// Edit mode's editor of a type: the dialog above that belongs to it, with
// the structure's bytes, its item index and its offset in file. A type
// without a dialog here, or bytes of another size, is answered with Cancel.
bool EditStructure(QWidget* parent, DumpType type, std::span<uint8_t> bytes, int index, uint64_t offset,
                   FileAccess& file);
// The LBA/CHS converter, modal.
void ShowLbaChs(QWidget* parent);

}  // namespace trovik
