// On-disk layout of the ISO 9660 structures this family decodes and follows.
// A number the format stores in both byte orders is two fields: its
// little-endian half (kName) and its big-endian half (kNameBe). Numbers the
// listings show signed are declared signed; a reader that follows one as a
// sector number or a size reads it as unsigned.
#pragma once

#include <cstddef>

#include "engine/ByteOrder.h"

namespace trovik::iso {

inline constexpr size_t kSectorSize = 2048;

// Volume descriptor (primary and supplementary share one layout).
namespace vd {
inline constexpr size_t kSize = kSectorSize;
inline constexpr U8 kType{0};
inline constexpr Bytes kStandardId{1, 5};  // "CD001"
inline constexpr U8 kVersion{6}, kFlags{7};  // flags: reserved in the primary descriptor
inline constexpr Bytes kSystemId{8, 32}, kVolumeId{40, 32}, kReserved72{72, 8};
inline constexpr S32 kVolumeSpaceSize{80};  inline constexpr U32Be kVolumeSpaceSizeBe{84};
inline constexpr Bytes kEscapeSequences{88, 32};  // reserved in the primary
inline constexpr U16 kVolumeSetSize{120};  inline constexpr U16Be kVolumeSetSizeBe{122};
inline constexpr U16 kVolumeSequence{124};  inline constexpr U16Be kVolumeSequenceBe{126};
inline constexpr U16 kLogicalBlockSize{128};  inline constexpr U16Be kLogicalBlockSizeBe{130};
inline constexpr S32 kPathTableSize{132};  inline constexpr U32Be kPathTableSizeBe{136};
inline constexpr S32 kLPathTable{140}, kLOptPathTable{144};
inline constexpr U32Be kMPathTable{148}, kMOptPathTable{152};
inline constexpr Bytes kRootRecord{156, 34};  // a directory record
inline constexpr Bytes kVolumeSetId{190, 128}, kPublisherId{318, 128}, kPreparerId{446, 128}, kApplicationId{574, 128};
inline constexpr Bytes kCopyrightFile{702, 37}, kAbstractFile{739, 37}, kBibliographicFile{776, 37};
inline constexpr Bytes kCreationDate{813, 17}, kModificationDate{830, 17};  // voldates
inline constexpr Bytes kExpirationDate{847, 17}, kEffectiveDate{864, 17};
inline constexpr U8 kFileStructureVersion{881}, kReserved882{882};
inline constexpr Bytes kReservedArea{1395, kSize - 1395};  // after 512 bytes of application use; must be zero
}  // namespace vd

// The El Torito boot record: a volume descriptor of type 0.
namespace boot {
inline constexpr Bytes kSystemId{7, 32};  // "EL TORITO SPECIFICATION", zero-padded
inline constexpr U32 kCatalog{0x47};      // the boot catalogue's sector
}  // namespace boot

// The boot catalogue: 32-byte entries, a validation entry first, then the
// default entry, then sections (a header and its entries).
namespace catalog {
inline constexpr size_t kEntrySize = 32;
namespace validation {
inline constexpr U8 kHeaderId{0}, kPlatform{1}, kKey55{30}, kKeyAA{31};  // header id 1
}  // namespace validation
namespace section {
inline constexpr U8 kIndicator{0}, kPlatform{1};  // 0x90, or 0x91 for the last section
inline constexpr U16 kEntries{2};
}  // namespace section
namespace entry {
inline constexpr U8 kBootIndicator{0};  // 0x88 bootable, 0x00 not
inline constexpr U16 kSectorCount{6};   // of 512 bytes
inline constexpr U32 kLoadSector{8};
}  // namespace entry
}  // namespace catalog

// Directory record: 33 fixed bytes, the name, a pad byte after an even-length
// name, then system use data up to the record length.
namespace dir {
inline constexpr size_t kSize = 33;              // the fixed part; the name starts here
inline constexpr size_t kFixedRead = kSize + 1;  // with the name's first byte
inline constexpr U8 kLength{0}, kExtAttrLength{1};
inline constexpr S32 kExtent{2};  inline constexpr U32Be kExtentBe{6};
inline constexpr S32 kDataLength{10};  inline constexpr U32Be kDataLengthBe{14};
inline constexpr Bytes kDate{18, 7};  // a dirdate
inline constexpr U8 kFlags{25}, kUnitSize{26}, kGapSize{27};
inline constexpr U16 kSequence{28};  inline constexpr U16Be kSequenceBe{30};
inline constexpr U8 kNameLength{32};
inline constexpr U8 kNameFirstByte{33};  // 0x00 for "." (and the root), 0x01 for ".."
}  // namespace dir

// A directory record's date and time: one-byte numbers, the year counted
// from 1900, the offset from GMT in 15-minute steps.
namespace dirdate {
inline constexpr size_t kSize = 7;
inline constexpr U8 kYear{0}, kMonth{1}, kDay{2}, kHour{3}, kMinute{4}, kSecond{5};
inline constexpr Field<int8_t> kGmtOffset{6};
}  // namespace dirdate

// A volume descriptor's date and time: sixteen digits, then the offset.
namespace voldate {
inline constexpr size_t kSize = 17;
inline constexpr Bytes kDigits{0, 16};  // YYYYMMDDhhmmsscc
inline constexpr Field<int8_t> kGmtOffset{16};
}  // namespace voldate

// Path table entry: 8 fixed bytes, the name, a pad byte after an odd-length
// name.
namespace path {
inline constexpr size_t kSize = 8;  // the fixed part; the name starts here
inline constexpr size_t kFixedRead = kSize + 1;
inline constexpr U8 kNameLength{0}, kExtAttrLength{1};
inline constexpr S32 kExtent{2};
inline constexpr U16 kParent{6};
}  // namespace path

}  // namespace trovik::iso
