// Byte layouts of the DOS MZ header and the PE headers: named offsets into
// the bytes as they lie in the file (all little-endian).
#pragma once

#include <cstddef>
#include <cstdint>

namespace trovik::exe {

namespace mz {
constexpr size_t kSize = 64;
constexpr size_t kStubSize = 112;  // what follows the header in a PE file's stub
constexpr size_t kMagic = 0;
constexpr size_t kBytesOnLastPage = 2;
constexpr size_t kPagesInFile = 4;
constexpr size_t kRelocations = 6;
constexpr size_t kHeaderParagraphs = 8;
constexpr size_t kMinExtraParagraphs = 10;
constexpr size_t kMaxExtraParagraphs = 12;
constexpr size_t kInitialSs = 14;
constexpr size_t kInitialSp = 16;
constexpr size_t kChecksum = 18;
constexpr size_t kInitialIp = 20;
constexpr size_t kInitialCs = 22;
constexpr size_t kRelocationTable = 24;
constexpr size_t kOverlayNumber = 26;
constexpr size_t kReserved1 = 28;  // 4 words
constexpr size_t kOemId = 36;
constexpr size_t kOemInfo = 38;
constexpr size_t kReserved2 = 40;  // 10 words
constexpr size_t kNewHeaderOffset = 60;
}  // namespace mz

namespace pe {
constexpr size_t kHeaderSize = 24;  // signature + COFF file header
constexpr size_t kSignature = 0;
constexpr size_t kMachine = 4;
constexpr size_t kNumberOfSections = 6;
constexpr size_t kTimeStamp = 8;
constexpr size_t kSymbolTable = 12;
constexpr size_t kNumberOfSymbols = 16;
constexpr size_t kOptionalHeaderSize = 20;
constexpr size_t kCharacteristics = 22;
}  // namespace pe

// Optional header. The fields from Section Alignment to DLL Characteristics
// lie at the same offsets in both layouts; PE32+ drops Base of Data, widens
// the image base and the four stack and heap sizes to 64 bits, and so moves
// everything after them.
namespace opt {
constexpr uint16_t kMagicPe32Plus = 0x020B;
constexpr size_t kDataDirectories = 16;  // always listed, whatever the header's count says

constexpr size_t kMagic = 0;
constexpr size_t kMajorLinker = 2;
constexpr size_t kMinorLinker = 3;
constexpr size_t kSizeOfCode = 4;
constexpr size_t kInitializedData = 8;
constexpr size_t kUninitializedData = 12;
constexpr size_t kEntryPoint = 16;
constexpr size_t kBaseOfCode = 20;
constexpr size_t kSectionAlignment = 32;
constexpr size_t kFileAlignment = 36;
constexpr size_t kMajorImageVersion = 44;
constexpr size_t kMinorImageVersion = 46;
constexpr size_t kMajorSubsystemVersion = 48;
constexpr size_t kMinorSubsystemVersion = 50;
constexpr size_t kWin32Version = 52;
constexpr size_t kSizeOfImage = 56;
constexpr size_t kSizeOfHeaders = 60;
constexpr size_t kChecksum = 64;
constexpr size_t kSubsystem = 68;
constexpr size_t kDllCharacteristics = 70;

// Where the two layouts differ.
struct Layout {
  size_t size;
  bool wide;          // 64-bit image base and stack/heap sizes
  size_t baseOfData;  // PE32 only
  size_t imageBase;
  size_t stackReserve, stackCommit, heapReserve, heapCommit;
  size_t loaderFlags;
  size_t numberOfRvaAndSizes;
  size_t dataDirectories;
};

constexpr Layout kPe32{224, false, 24, 28, 72, 76, 80, 84, 88, 92, 96};
constexpr Layout kPe32Plus{240, true, 0, 24, 72, 80, 88, 96, 104, 108, 112};
constexpr size_t kMaxSize = 240;
}  // namespace opt

namespace section {
constexpr size_t kSize = 40;
constexpr size_t kName = 0;  // 8 bytes, zero-padded
constexpr size_t kNameLength = 8;
constexpr size_t kVirtualSize = 8;
constexpr size_t kVirtualAddress = 12;
constexpr size_t kSizeOfRawData = 16;
constexpr size_t kPointerToRawData = 20;
constexpr size_t kPointerToRelocations = 24;
constexpr size_t kPointerToLineNumbers = 28;
constexpr size_t kNumberOfRelocations = 32;
constexpr size_t kNumberOfLineNumbers = 34;
constexpr size_t kCharacteristics = 36;
}  // namespace section

}  // namespace trovik::exe
