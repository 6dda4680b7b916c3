// The editor models without a window: what the boxes show for a structure
// and what OK stores back, byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "editors/BpbEditor.h"
#include "editors/GptEditors.h"
#include "editors/MbrEditor.h"
#include "engine/ByteOrder.h"
#include "engine/FileAccess.h"
#include "engine/TextFormat.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::ReadTestFile;
using Bytes = std::vector<uint8_t>;

Bytes Slice(const Bytes& from, size_t offset, size_t length) {
  return Bytes(from.begin() + static_cast<ptrdiff_t>(offset), from.begin() + static_cast<ptrdiff_t>(offset + length));
}

TEST(BpbEditor, OkWithoutChangesWritesTheSameBlock) {
  Bytes high = Slice(ReadTestFile("fat/fat12.img"), 0, 62);
  std::memcpy(high.data() + 3, "\xC4\x80\x9F\xFFNAME", 8);  // high code-page bytes in both texts
  std::memcpy(high.data() + 43, "\xE9t\xE9 \x8A\x84      ", 11);
  for (const Bytes& bpb : {Slice(ReadTestFile("fat/fat12.img"), 0, 62), Slice(ReadTestFile("fat/fat16-head.bin"), 0, 62), high}) {
    Bytes edited = bpb;
    StoreBpbForm(LoadBpbForm(edited.data()), edited.data());
    EXPECT_EQ(edited, bpb);
  }
}

TEST(BpbEditor, RepadsTextsAndNormalisesTheTypeField) {
  Bytes bpb = Slice(ReadTestFile("fat/fat12.img"), 0, 62);
  std::memcpy(bpb.data() + 3, "AB\0CDEFG", 8);
  std::memcpy(bpb.data() + 54, "FAT32   ", 8);
  BpbForm f = LoadBpbForm(bpb.data());
  EXPECT_FALSE(f.fat16);
  StoreBpbForm(f, bpb.data());
  EXPECT_EQ(0, std::memcmp(bpb.data() + 3, "AB\0\0\0\0\0\0", 8));
  EXPECT_EQ(0, std::memcmp(bpb.data() + 54, "FAT12   ", 8));

  std::memcpy(bpb.data() + 54, "FAT16\0\0\0", 8);
  f = LoadBpbForm(bpb.data());
  EXPECT_TRUE(f.fat16);
  f.oemName = u"LONGERTHAN8";
  StoreBpbForm(f, bpb.data());
  EXPECT_EQ(0, std::memcmp(bpb.data() + 3, "LONGERTH", 8));
  EXPECT_EQ(0, std::memcmp(bpb.data() + 54, "FAT16   ", 8));
}

TEST(BpbEditor, NumbersKeepTheirLowOrderBits) {
  Bytes bpb(62, 0);
  BpbForm f = LoadBpbForm(bpb.data());
  f.jump = {"eb", "3c", "0x90"};  // hexadecimal, "0x" or not
  f.bytesPerSector = "0x200";
  f.reservedSectors = "010";  // octal
  f.sectorsPerCluster = "300";
  f.rootEntries = "70000";
  f.hiddenSectors = "-1";
  f.serial = "junk";
  StoreBpbForm(f, bpb.data());
  EXPECT_EQ(Bytes(bpb.begin(), bpb.begin() + 3), (Bytes{0xEB, 0x3C, 0x90}));
  EXPECT_EQ(Le16(bpb.data() + 11), 512);
  EXPECT_EQ(Le16(bpb.data() + 14), 8);
  EXPECT_EQ(bpb[13], 44);
  EXPECT_EQ(Le16(bpb.data() + 17), 70000 & 0xFFFF);
  EXPECT_EQ(Le32(bpb.data() + 28), 0xFFFFFFFFu);
  EXPECT_EQ(Le32(bpb.data() + 39), 0u);
}

TEST(BpbEditor, GeneratedSerialsAreNewEachStartWithBits15And31Clear) {
  // The first serials an unseeded generator gives at every start (the C
  // standard's example generator from seed 1: 16838 5758, 10113 17515, ...).
  const std::string first = GenerateSerialText();
  for (const char* unseeded : {"0x41C6167E", "0x2781446B", "0x794B15FB"}) EXPECT_NE(first, unseeded);
  std::set<std::string> seen{first};
  for (int i = 0; i < 1000; ++i) {
    const std::string serial = GenerateSerialText();
    seen.insert(serial);
    EXPECT_EQ(std::stoul(serial, nullptr, 16) & 0x80008000u, 0u) << serial;
  }
  EXPECT_EQ(seen.size(), 1001u);
}

TEST(MbrEditor, RoundTripAndBases) {
  const Bytes sector = ReadTestFile("partition/mbr.bin");
  for (int i = 0; i < 4; ++i) {
    Bytes entry = Slice(sector, 0x1BE + 16 * i, 16);
    StoreMbrForm(LoadMbrForm(entry.data(), i), entry.data());
    EXPECT_EQ(entry, Slice(sector, 0x1BE + 16 * i, 16)) << i;
  }
  Bytes entry(16, 0);
  MbrForm f = LoadMbrForm(entry.data(), 0);
  f.bootId = "80";  // hexadecimal boxes
  f.systemId = "0x0C";
  f.startHead = "300";
  f.startCylinder = "010";
  f.sectorCount = "4294967297";
  StoreMbrForm(f, entry.data());
  EXPECT_EQ(Bytes(entry.begin(), entry.begin() + 5), (Bytes{0x80, 44, 0, 8, 0x0C}));
  EXPECT_EQ(Le32(entry.data() + 12), 1u);
}

TEST(MbrEditor, GenFillsTheStoredChsBytes) {
  struct Case {
    const char *startLba, *count, *triple;  // head/sector byte/cylinder byte
  };
  for (const Case& c : {Case{"0", "", "0/1/0"}, Case{"63", "", "1/1/0"},
                        Case{"302463", "", "1/65/44"},  // cylinder 300: bit 8 goes to bit 6 of the sector byte
                        Case{"1032191", "", "15/255/255"}, Case{"1032192", "", "15/255/255"}}) {
    MbrForm f;
    f.startLba = c.startLba;
    GenerateStartChs(f);
    EXPECT_EQ(f.startHead + "/" + f.startSector + "/" + f.startCylinder, c.triple) << c.startLba;
  }
  for (const Case& c : {Case{"63", "1008", "0/63/1"}, Case{"0", "0", "0/1/0"}, Case{"2048", "0xFFFFFFFF", "15/255/255"}}) {
    MbrForm f;
    f.startLba = c.startLba;
    f.sectorCount = c.count;
    GenerateEndChs(f);
    EXPECT_EQ(f.endHead + "/" + f.endSector + "/" + f.endCylinder, c.triple) << c.startLba << "+" << c.count;
  }
}

TEST(GptEntryEditor, RoundTripKeepsLbasPast2TiBAndHighAttributes) {
  const Bytes disk = ReadTestFile("partition/gpt.bin");
  for (int i = 0; i < 4; ++i) {
    Bytes entry = Slice(disk, 1024 + 128 * i, 128);
    StoreGptEntryForm(LoadGptEntryForm(entry.data(), i), entry.data());
    EXPECT_EQ(entry, Slice(disk, 1024 + 128 * i, 128)) << i;
  }
  Bytes entry(128, 0);
  PutLe64(entry.data() + 40, 0xFFFF'FFFF'FFFF'FFFEull);
  PutLe64(entry.data() + 48, 0xD000'0000'0000'0005ull);
  GptEntryForm f = LoadGptEntryForm(entry.data(), 3);
  EXPECT_EQ(f.lastLba, "18446744073709551614");
  f.firstLba = "0x200000000";
  f.required = false;
  f.hiddenFromUefi = true;
  StoreGptEntryForm(f, entry.data());
  EXPECT_EQ(Le64(entry.data() + 32), 0x2'0000'0000ull);
  EXPECT_EQ(Le64(entry.data() + 40), 0xFFFF'FFFF'FFFF'FFFEull);
  EXPECT_EQ(Le64(entry.data() + 48), 0xD000'0000'0000'0006ull);
}

TEST(GptEntryEditor, NameIsRewrittenOnlyWhenChanged) {
  Bytes entry(128, 0);
  std::u16string full = u"\u00C9tude-\u0141\u00F3d\u017A-";  // 36 units, beyond 8 bits
  full.resize(36, u'x');
  for (size_t i = 0; i < 36; ++i) PutLe16(entry.data() + 56 + 2 * i, full[i]);
  EXPECT_EQ(LoadGptEntryForm(entry.data(), 0).name, full);

  // Bytes after a terminating zero unit stay while the name is untouched...
  Bytes withTail(128, 0);
  PutLe16(withTail.data() + 56, 'A');
  PutLe16(withTail.data() + 60, 0xBEEF);
  Bytes edited = withTail;
  GptEntryForm f = LoadGptEntryForm(edited.data(), 0);
  StoreGptEntryForm(f, edited.data());
  EXPECT_EQ(edited, withTail);
  // ...and are cleared when it changes.
  f.name = u"R\u00E9";
  StoreGptEntryForm(f, edited.data());
  Bytes expected = withTail;
  std::memset(expected.data() + 56, 0, 72);
  PutLe16(expected.data() + 56, 'R');
  PutLe16(expected.data() + 58, 0xE9);
  EXPECT_EQ(edited, expected);
}

class FailingFile : public MemoryFile {
 public:
  using MemoryFile::MemoryFile;
  size_t ReadAt(uint64_t, void*, size_t) override { throw FileError("Error reading file: Input/output error"); }
};

TEST(GptHeaderEditor, RecalculationOfAnIntactTableKeepsBothCrcs) {
  MemoryFile file(ReadTestFile("partition/gpt.bin"));
  Bytes header = Slice(file.Bytes(), 512, 512);
  const GptHeaderForm form = LoadGptHeaderForm(header.data());
  EXPECT_EQ(form.entryCount, "128");
  const CrcRecalculation r = RecalculateGptCrcs(header.data(), 512, file);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(header, Slice(file.Bytes(), 512, 512));
  EXPECT_EQ(form.originalCrc, Format("0x%08X", r.entryArrayCrc));
}

TEST(GptHeaderEditor, RefusalsLeaveBothCrcsUnchanged) {
  const Bytes disk = ReadTestFile("partition/gpt.bin");
  struct Case {
    uint32_t count, size;
    uint64_t arrayLba, ownLba;
    const char* says;
  };
  for (const Case& c : {Case{0, 128, 2, 1, "empty"}, Case{128, 0, 2, 1, "empty"},
                        Case{0xFFFFFFFF, 0xFFFFFFFF, 2, 1, "too large"}, Case{128, 128, 30, 1, "not wholly inside"},
                        Case{4, 128, 1, 5, "not wholly inside"},
                        Case{4, 128, 0x7FFFFFFFFFFFFFFF, 0x8000000000000000, "not wholly inside"}}) {
    MemoryFile file(disk);
    Bytes header = Slice(disk, 512, 512);
    PutLe32(header.data() + 80, c.count);
    PutLe32(header.data() + 84, c.size);
    PutLe64(header.data() + 72, c.arrayLba);
    PutLe64(header.data() + 24, c.ownLba);
    const Bytes before = header;
    const CrcRecalculation r = RecalculateGptCrcs(header.data(), 512, file);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(c.says), std::string::npos) << r.message;
    EXPECT_NE(r.message.find("The CRCs were not changed."), std::string::npos);
    EXPECT_EQ(header, before) << c.says;
  }
  FailingFile failing(disk);
  Bytes header = Slice(disk, 512, 512);
  const CrcRecalculation r = RecalculateGptCrcs(header.data(), 512, failing);
  EXPECT_NE(r.message.find("Input/output error"), std::string::npos);
  EXPECT_EQ(header, Slice(disk, 512, 512));
}

}  // namespace
}  // namespace trovik
