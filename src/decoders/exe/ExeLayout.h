// Byte layouts of the DOS MZ header and the PE headers: each field's offset
// bound to its width, as the bytes lie in the file (all little-endian).
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/ByteOrder.h"

namespace trovik::exe {

namespace mz {
inline constexpr size_t kSize = 64;
inline constexpr size_t kStubSize = 112;  // what follows the header in a PE file's stub
inline constexpr U16 kMagic{0};  // "MZ"
inline constexpr uint16_t kMagicValue = 0x5A4D;
inline constexpr U16 kBytesOnLastPage{2};
inline constexpr U16 kPagesInFile{4};
inline constexpr U16 kRelocations{6};
inline constexpr U16 kHeaderParagraphs{8};
inline constexpr U16 kMinExtraParagraphs{10};
inline constexpr U16 kMaxExtraParagraphs{12};
inline constexpr U16 kInitialSs{14};
inline constexpr U16 kInitialSp{16};
inline constexpr U16 kChecksum{18};
inline constexpr U16 kInitialIp{20};
inline constexpr U16 kInitialCs{22};
inline constexpr U16 kRelocationTable{24};
inline constexpr U16 kOverlayNumber{26};
inline constexpr U16 kReserved1{28};  // first of 4 words
inline constexpr U16 kOemId{36};
inline constexpr U16 kOemInfo{38};
inline constexpr U16 kReserved2{40};  // first of 10 words
inline constexpr U32 kNewHeaderOffset{60};
}  // namespace mz

// Signature and COFF file header.
namespace pe {
inline constexpr size_t kSize = 24;
inline constexpr uint32_t kSignatureValue = 0x00004550;  // "PE\0\0"
inline constexpr U32 kSignature{0};
inline constexpr U16 kMachine{4};
inline constexpr U16 kNumberOfSections{6};
inline constexpr U32 kTimeStamp{8};
inline constexpr U32 kSymbolTable{12};
inline constexpr U32 kNumberOfSymbols{16};
inline constexpr U16 kOptionalHeaderSize{20};
inline constexpr U16 kCharacteristics{22};
}  // namespace pe

// Optional header. The fields from Section Alignment to DLL Characteristics
// lie at the same offsets in both variants; PE32+ drops Base of Data, widens
// the image base and the four stack and heap sizes to 64 bits, and so moves
// everything after them.
namespace opt {
inline constexpr uint16_t kMagicPe32Plus = 0x020B;
inline constexpr size_t kDataDirectoryCount = 16;  // always listed, whatever the header's count says

inline constexpr U16 kMagic{0};
inline constexpr U8 kMajorLinker{2};
inline constexpr U8 kMinorLinker{3};
inline constexpr U32 kSizeOfCode{4};
inline constexpr U32 kInitializedData{8};
inline constexpr U32 kUninitializedData{12};
inline constexpr U32 kEntryPoint{16};
inline constexpr U32 kBaseOfCode{20};
inline constexpr U32 kSectionAlignment{32};
inline constexpr U32 kFileAlignment{36};
inline constexpr U16 kMajorImageVersion{44};
inline constexpr U16 kMinorImageVersion{46};
inline constexpr U16 kMajorSubsystemVersion{48};
inline constexpr U16 kMinorSubsystemVersion{50};
inline constexpr U32 kWin32Version{52};
inline constexpr U32 kSizeOfImage{56};
inline constexpr U32 kSizeOfHeaders{60};
inline constexpr U32 kChecksum{64};
inline constexpr U16 kSubsystem{68};
inline constexpr U16 kDllCharacteristics{70};

// The variants' own fields (structs, so one listing takes either as a type).
struct Pe32 {
  static constexpr size_t kSize = 224;
  static constexpr U32 kBaseOfData{24};
  static constexpr U32 kImageBase{28};
  static constexpr U32 kStackReserve{72}, kStackCommit{76}, kHeapReserve{80}, kHeapCommit{84};
  static constexpr U32 kLoaderFlags{88}, kNumberOfRvaAndSizes{92};
  static constexpr Bytes kDataDirectories{96, 128};
};
struct Pe32Plus {
  static constexpr size_t kSize = 240;
  static constexpr U64 kImageBase{24};
  static constexpr U64 kStackReserve{72}, kStackCommit{80}, kHeapReserve{88}, kHeapCommit{96};
  static constexpr U32 kLoaderFlags{104}, kNumberOfRvaAndSizes{108};
  static constexpr Bytes kDataDirectories{112, 128};
};

// One entry of the data directory table.
namespace directory {
inline constexpr size_t kSize = 8;
inline constexpr U32 kVirtualAddress{0}, kLength{4};
}  // namespace directory
static_assert(Pe32::kDataDirectories.End() == Pe32::kSize && Pe32Plus::kDataDirectories.End() == Pe32Plus::kSize);
static_assert(Pe32::kDataDirectories.size == kDataDirectoryCount * directory::kSize);
}  // namespace opt

namespace section {
inline constexpr size_t kSize = 40;
inline constexpr Bytes kName{0, 8};  // zero-padded
inline constexpr U32 kVirtualSize{8};
inline constexpr U32 kVirtualAddress{12};
inline constexpr U32 kSizeOfRawData{16};
inline constexpr U32 kPointerToRawData{20};
inline constexpr U32 kPointerToRelocations{24};
inline constexpr U32 kPointerToLineNumbers{28};
inline constexpr U16 kNumberOfRelocations{32};
inline constexpr U16 kNumberOfLineNumbers{34};
inline constexpr U32 kCharacteristics{36};
}  // namespace section

}  // namespace trovik::exe
