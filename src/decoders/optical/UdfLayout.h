// On-disk layout of the UDF descriptors this family decodes (all numbers
// little-endian). Offsets count from the start of the descriptor, or of the
// small structure a descriptor embeds. Numbers the listings show signed are
// declared signed; a reader that follows one reads it as unsigned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ByteOrder.h"

namespace trovik::udf {

// One descriptor is read as 2,048 bytes whatever the sector size.
inline constexpr size_t kDescriptorRead = 2048;

namespace tag {
inline constexpr size_t kSize = 16;
inline constexpr U16 kIdentifier{0}, kVersion{2};
inline constexpr U8 kChecksum{4}, kReserved{5};
inline constexpr U16 kSerial{6}, kCrc{8}, kCrcLength{10};
inline constexpr S32 kLocation{12};
}  // namespace tag

enum TagId : uint16_t {
  kPrimaryVolume = 1, kAnchor = 2, kImplementationUse = 4, kPartition = 5, kLogicalVolume = 6,
  kUnallocatedSpace = 7, kTerminating = 8, kFileSet = 256, kFileIdentifier = 257, kExtendedFileEntry = 266,
};

inline constexpr int32_t kAnchorLocation = 256;

// Small structures the descriptors embed.
namespace entity {  // an entity identifier
inline constexpr size_t kSize = 32;
inline constexpr U8 kFlags{0};
inline constexpr Bytes kIdentifier{1, 23}, kSuffix{24, 8};
}  // namespace entity

namespace timestamp {
inline constexpr size_t kSize = 12;
inline constexpr U16 kTypeAndZone{0};
inline constexpr S16 kYear{2};
inline constexpr U8 kMonth{4}, kDay{5}, kHour{6}, kMinute{7}, kSecond{8};
inline constexpr U8 kCentiseconds{9}, kHundredsOfMicroseconds{10}, kMicroseconds{11};
}  // namespace timestamp

namespace extent {  // a run of sectors: its length in bytes, its first sector
inline constexpr size_t kSize = 8;
inline constexpr S32 kLength{0}, kLocation{4};
}  // namespace extent

namespace longad {  // a long allocation descriptor: a run of blocks of a partition
inline constexpr size_t kSize = 16;
inline constexpr S32 kLength{0}, kLocation{4};
inline constexpr U16 kPartition{8};
}  // namespace longad

// The first byte of a 64-byte character set field is its type.
namespace pvd {  // primary volume descriptor
inline constexpr size_t kSize = 512;
inline constexpr S32 kSequenceNumber{16}, kNumber{20};
inline constexpr Bytes kVolumeId{24, 32};
inline constexpr U16 kVolumeSequence{56}, kMaxVolumeSequence{58}, kInterchangeLevel{60}, kMaxInterchangeLevel{62};
inline constexpr S32 kCharacterSetList{64}, kMaxCharacterSetList{68};
inline constexpr Bytes kVolumeSetId{72, 128};
inline constexpr U8 kDescCharSetType{200}, kExplCharSetType{264};
inline constexpr Bytes kVolumeAbstract{328, extent::kSize}, kCopyrightNotice{336, extent::kSize};
inline constexpr Bytes kApplicationId{344, entity::kSize}, kRecordingTime{376, timestamp::kSize};
inline constexpr Bytes kImplementationId{388, entity::kSize}, kImplementationUse{420, 64};
inline constexpr S32 kPredecessorLocation{484};
inline constexpr U16 kFlags{488};
}  // namespace pvd

namespace anchor {  // anchor volume descriptor pointer
inline constexpr size_t kSize = 512;
inline constexpr Bytes kMainSequence{16, extent::kSize}, kReserveSequence{24, extent::kSize};
}  // namespace anchor

namespace iuvd {  // implementation use volume descriptor
inline constexpr size_t kSize = 512;
inline constexpr S32 kSequenceNumber{16};
inline constexpr Bytes kImplementationId{20, entity::kSize}, kImplementationUse{52, 460};
}  // namespace iuvd

namespace partition {  // partition descriptor
inline constexpr size_t kSize = 512;
inline constexpr S32 kSequenceNumber{16};
inline constexpr U16 kFlags{20}, kNumber{22};
inline constexpr uint16_t kAllocatedBit = 1;
inline constexpr Bytes kContents{24, entity::kSize}, kContentsUse{56, 128};
inline constexpr U32 kAccessType{184};
inline constexpr S32 kStart{188};
inline constexpr U32 kLength{192};  // in sectors
inline constexpr Bytes kImplementationId{196, entity::kSize}, kImplementationUse{228, 128};
inline constexpr Bytes kReserved{356, 156};
inline constexpr size_t kReservedShown = 128;  // the listing shows the first 128 bytes
}  // namespace partition

namespace lvd {  // logical volume descriptor
inline constexpr S32 kSequenceNumber{16};
inline constexpr U8 kDescCharSetType{20};
inline constexpr Bytes kVolumeId{84, 128};
inline constexpr S32 kLogicalBlockSize{212};
inline constexpr Bytes kDomainId{216, entity::kSize};
inline constexpr Bytes kContentsUse{248, longad::kSize};  // where the file set descriptor is
inline constexpr S32 kMapTableLength{264}, kMapCount{268};
inline constexpr Bytes kImplementationId{272, entity::kSize}, kImplementationUse{304, 128};
inline constexpr Bytes kIntegritySequence{432, extent::kSize};
inline constexpr Bytes kPartitionMaps{440, kDescriptorRead - 440};  // as far as a read holds
}  // namespace lvd

// A partition map of a logical volume: a type and length, then the fields of
// its type.
namespace pmap {
inline constexpr size_t kHeaderSize = 2;
inline constexpr U8 kType{0}, kLength{1};
namespace type1 {
inline constexpr size_t kSize = 6;
inline constexpr U16 kVolumeSequence{2}, kPartition{4};
}  // namespace type1
namespace type2 {
inline constexpr size_t kSize = 64;
inline constexpr Bytes kReserved{2, 2}, kTypeId{4, entity::kSize};
inline constexpr U16 kVolumeSequence{36}, kPartition{38};
inline constexpr Bytes kReservedEnd{40, 24};
}  // namespace type2
}  // namespace pmap

namespace usd {  // unallocated space descriptor
inline constexpr S32 kSequenceNumber{16};
inline constexpr U32 kDescriptorCount{20};
inline constexpr Bytes kDescriptors{24, kDescriptorRead - 24};  // extents, as far as a read holds
}  // namespace usd

namespace fsd {  // file set descriptor
inline constexpr size_t kSize = 512;
inline constexpr Bytes kRecordingTime{16, timestamp::kSize};
inline constexpr U16 kInterchangeLevel{28}, kMaxInterchangeLevel{30};
inline constexpr S32 kCharacterSetList{32}, kMaxCharacterSetList{36}, kFileSetNumber{40}, kFileSetDescriptorNumber{44};
inline constexpr U8 kVolumeIdCharSetType{48}, kFileSetCharSetType{240};
inline constexpr Bytes kVolumeId{112, 128}, kFileSetId{304, 32}, kCopyrightFileId{336, 32}, kAbstractFileId{368, 32};
inline constexpr Bytes kRootDirectory{400, longad::kSize}, kDomainId{416, entity::kSize};
inline constexpr Bytes kNextExtent{448, longad::kSize}, kStreamDirectory{464, longad::kSize};
}  // namespace fsd

namespace fid {  // file identifier descriptor
inline constexpr U16 kVersion{16};
inline constexpr U8 kCharacteristics{18}, kIdentifierLength{19};
inline constexpr Bytes kIcb{20, longad::kSize};
inline constexpr U16 kImplementationUseLength{36};
inline constexpr Bytes kImplementationUse{38, kDescriptorRead - 38};  // as far as a read holds
}  // namespace fid

namespace icbtag {  // the tag of an information control block
inline constexpr size_t kSize = 20;
inline constexpr S32 kPriorEntries{0};
inline constexpr U16 kStrategyType{4}, kStrategyParameter{6}, kMaxEntries{8};
inline constexpr U8 kReserved{10}, kFileType{11};
inline constexpr S32 kParentLocation{12};
inline constexpr U16 kParentPartition{16}, kFlags{18};
}  // namespace icbtag

namespace efe {  // extended file entry; four timestamps at 80..127 are not listed
inline constexpr Bytes kIcbTag{16, icbtag::kSize};
inline constexpr U32 kUid{36}, kGid{40}, kPermissions{44};
inline constexpr U16 kLinkCount{48};
inline constexpr U8 kRecordFormat{50}, kRecordDisplayAttributes{51};
inline constexpr S32 kRecordLength{52};
inline constexpr S64 kInformationLength{56}, kObjectSize{64}, kLogicalBlocksRecorded{72};
inline constexpr S32 kCheckpoint{128}, kReserved{132};
inline constexpr Bytes kExtendedAttributeIcb{136, longad::kSize}, kStreamDirectoryIcb{152, longad::kSize};
inline constexpr Bytes kImplementationId{168, entity::kSize};
inline constexpr U64 kUniqueId{200};
inline constexpr U32 kExtendedAttributesLength{208}, kAllocationDescriptorsLength{212};
inline constexpr Bytes kExtendedAttributes{216, kDescriptorRead - 216};  // then the allocation descriptors
}  // namespace efe

// CRC-16 of descriptor tags: polynomial 0x1021, initial value 0, most
// significant bit first, no final inversion. Length 0 gives 0.
uint16_t ComputeTagCrc(const uint8_t* bytes, size_t length);
// The tag checksum: bytes 0..15 except the checksum byte itself, modulo 256.
uint8_t TagChecksum(const uint8_t* tag);
// An identifier field (d-string) of `size` bytes as 8-bit text. Byte 0 is
// the compression ID (8: one byte per character; 16: big-endian 16-bit
// units, of which the low byte is kept), the last byte the number of bytes
// used. Other compression IDs give an empty text; the text ends at its
// first zero.
std::string IdentifierText(const uint8_t* field, size_t size);

}  // namespace trovik::udf
