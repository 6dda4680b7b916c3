// On-disk layout of the ISO 9660 structures this family decodes. Numbers
// that the format stores twice (little-endian, then big-endian) are named by
// the offset of their little-endian copy; the big-endian copy follows it.
#pragma once

#include <cstddef>

namespace trovik::iso {

constexpr size_t kSectorSize = 2048;

// Volume descriptor (primary and supplementary share one layout).
namespace vd {
constexpr size_t kType = 0;
constexpr size_t kStandardId = 1;  // "CD001", 5 bytes
constexpr size_t kVersion = 6;
constexpr size_t kFlags = 7;  // reserved in the primary descriptor
constexpr size_t kSystemId = 8;
constexpr size_t kVolumeId = 40;
constexpr size_t kReserved72 = 72;
constexpr size_t kVolumeSpaceSize = 80;    // 4 + 4
constexpr size_t kEscapeSequences = 88;    // 32 bytes, reserved in the primary
constexpr size_t kVolumeSetSize = 120;     // 2 + 2
constexpr size_t kVolumeSequence = 124;    // 2 + 2
constexpr size_t kLogicalBlockSize = 128;  // 2 + 2
constexpr size_t kPathTableSize = 132;     // 4 + 4
constexpr size_t kLPathTable = 140;
constexpr size_t kLOptPathTable = 144;
constexpr size_t kMPathTable = 148;
constexpr size_t kMOptPathTable = 152;
constexpr size_t kRootRecord = 156;  // 34-byte directory record
constexpr size_t kVolumeSetId = 190;
constexpr size_t kPublisherId = 318;
constexpr size_t kPreparerId = 446;
constexpr size_t kApplicationId = 574;
constexpr size_t kCopyrightFile = 702;
constexpr size_t kAbstractFile = 739;
constexpr size_t kBibliographicFile = 776;
constexpr size_t kCreationDate = 813;
constexpr size_t kModificationDate = 830;
constexpr size_t kExpirationDate = 847;
constexpr size_t kEffectiveDate = 864;
constexpr size_t kFileStructureVersion = 881;
constexpr size_t kReserved882 = 882;
constexpr size_t kReservedArea = 1395;  // to the end of the sector, must be zero
constexpr size_t kReservedAreaSize = kSectorSize - kReservedArea;
}  // namespace vd

// Directory record: 33 fixed bytes, the name, a pad byte after an even-length
// name, then system use data up to the record length.
namespace dir {
constexpr size_t kFixedRead = 34;  // the fixed part plus the first name byte
constexpr size_t kNameOffset = 33;
constexpr size_t kLength = 0;
constexpr size_t kExtAttrLength = 1;
constexpr size_t kExtent = 2;      // 4 + 4
constexpr size_t kDataLength = 10;  // 4 + 4
constexpr size_t kDate = 18;        // 7 bytes
constexpr size_t kFlags = 25;
constexpr size_t kUnitSize = 26;
constexpr size_t kGapSize = 27;
constexpr size_t kSequence = 28;  // 2 + 2
constexpr size_t kNameLength = 32;
}  // namespace dir

// Path table entry: 8 fixed bytes, the name, a pad byte after an odd-length
// name.
namespace path {
constexpr size_t kFixedRead = 9;
constexpr size_t kNameOffset = 8;
constexpr size_t kNameLength = 0;
constexpr size_t kExtAttrLength = 1;
constexpr size_t kExtent = 2;
constexpr size_t kParent = 6;
}  // namespace path

}  // namespace trovik::iso
