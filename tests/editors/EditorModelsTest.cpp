// The editor models without a window: what the boxes show, what OK stores back byte for byte, the GPT CRC
// recalculation and the LBA/CHS converter.
#include <gtest/gtest.h>

#include <set>

#include "editors/BpbEditor.h"
#include "editors/GptEditors.h"
#include "editors/LbaChsConverter.h"
#include "editors/MbrEditor.h"
#include "support/FakeFile.h"
#include "support/Golden.h"
#include "support/RuleTable.h"
#include "support/Scratch.h"

namespace trovik::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Slice(const Bytes& from, size_t offset, size_t length) { return Bytes(from.begin() + offset, from.begin() + offset + length); }
Bytes Patched(Bytes bytes, const std::vector<Patch>& patches) {
  Apply(bytes, patches);
  return bytes;
}

// Loading a structure into the boxes and storing them back unchanged writes the same bytes.
template <typename Form>
void ExpectRoundTrip(const Bytes& bytes, Form (*load)(const uint8_t*, int), void (*store)(const Form&, uint8_t*)) {
  Bytes stored = bytes;
  store(load(bytes.data(), 1), stored.data());
  EXPECT_EQ(stored, bytes);
}

TEST(EditorModels, UnchangedBoxesStoreTheSameBytes) {
  const Bytes fat12 = Slice(ReadTestFile("fat/fat12.img"), 0, 62), mbr = ReadTestFile("partition/mbr.bin");
  const Bytes gpt = ReadTestFile("partition/gpt.bin");
  // High code-page bytes in both texts included.
  for (const Bytes& bpb : {fat12, Slice(ReadTestFile("fat/fat16-head.bin"), 0, 62),
                           Patched(fat12, {Text(3, "\xC4\x80\x9F\xFFNAME"), Text(43, "\xE9t\xE9 \x8A\x84     ")})})
    ExpectRoundTrip<BpbForm>(bpb, [](const uint8_t* data, int) { return LoadBpbForm(data); }, StoreBpbForm);
  for (int i = 0; i < 4; ++i) {
    ExpectRoundTrip(Slice(mbr, 0x1BE + 16 * i, 16), LoadMbrForm, StoreMbrForm);
    ExpectRoundTrip(Slice(gpt, 1024 + 128 * i, 128), LoadGptEntryForm, StoreGptEntryForm);
  }
}

TEST(BpbEditor, StoresWhatTheBoxesSay) {
  const Bytes fat12 = Slice(ReadTestFile("fat/fat12.img"), 0, 62);
  // Texts are zero-padded or cut to their field; the type field is rewritten as FAT12 or FAT16.
  Bytes bpb = Patched(fat12, {Text(3, std::string("AB\0CDEFG", 8)), Text(54, "FAT32   ")});
  BpbForm f = LoadBpbForm(bpb.data());
  EXPECT_FALSE(f.fat16);
  StoreBpbForm(f, bpb.data());
  EXPECT_EQ(Slice(bpb, 3, 8), Patched(Bytes(8), {Text(0, "AB")}));
  EXPECT_EQ(Slice(bpb, 54, 8), Patched(Bytes(8), {Text(0, "FAT12   ")}));
  Apply(bpb, {Text(54, std::string("FAT16\0\0\0", 8))});
  f = LoadBpbForm(bpb.data());
  EXPECT_TRUE(f.fat16);
  // Numbers: hexadecimal jump bytes ("0x" or not), automatic bases, low-order bits kept.
  f.oemName = u"LONGERTHAN8";
  f.jump = {"e9", "0a", "0x91"};
  f.bytesPerSector = "0x400", f.reservedSectors = "010", f.sectorsPerCluster = "300", f.rootEntries = "70000";
  f.hiddenSectors = "-1", f.serial = "junk";
  StoreBpbForm(f, bpb.data());
  EXPECT_EQ(bpb, Patched(fat12, {Text(0, "\xE9\x0A\x91LONGERTH"), Le16(11, 1024), U8(13, 44), Le16(14, 8),
                                 Le16(17, 70000 & 0xFFFF), Le32(28, 0xFFFFFFFF), Le32(39, 0), Text(54, "FAT16   ")}));

  // Generated serials are new at each start and keep bits 15 and 31 clear. The C standard's example generator from
  // seed 1 draws 16838 5758, 10113 17515, ...: an unseeded generator would give them at every start.
  EXPECT_EQ(SerialGenerator().NextSerial(), 0x41C6167Eu);
  const std::string first = GenerateSerialText();
  for (const char* unseeded : {"0x41C6167E", "0x2781446B", "0x794B15FB"}) EXPECT_NE(first, unseeded);
  std::set<std::string> seen{first};
  for (int i = 0; i < 1000; ++i) {
    const std::string serial = *seen.insert(GenerateSerialText()).first;
    EXPECT_EQ(std::stoul(serial, nullptr, 16) & 0x80008000u, 0u) << serial;
  }
  EXPECT_EQ(seen.size(), 1001u);
}

TEST(MbrEditor, StoresWhatTheBoxesSay) {
  Bytes entry(16, 0);
  MbrForm f = LoadMbrForm(entry.data(), 0);
  f.bootId = "80", f.systemId = "0x0C";  // hexadecimal boxes
  f.startHead = "300", f.startCylinder = "010", f.sectorCount = "4294967297";
  StoreMbrForm(f, entry.data());
  EXPECT_EQ(entry, (Bytes{0x80, 44, 0, 8, 0x0C, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
}

TEST(GptEntryEditor, StoresLbasPast2TiBAttributesAndChangedNamesOnly) {
  Bytes entry = Patched(Bytes(128), {Le64(40, 0xFFFFFFFFFFFFFFFEull), Le64(48, 0xD000000000000005ull), Le16(56, 0xC9),
                                     Le16(58, 0x141), Le16(60, 'A'), Le16(62, 0), Le16(64, 0xBEEF)});
  GptEntryForm f = LoadGptEntryForm(entry.data(), 3);
  EXPECT_EQ(f.lastLba, "18446744073709551614");
  EXPECT_EQ(f.name, u"\u00C9\u0141A");
  const Bytes untouched = entry;
  StoreGptEntryForm(f, entry.data());
  EXPECT_EQ(entry, untouched);  // bytes after the terminating zero stay while the name is unchanged
  f.firstLba = "0x200000000";
  f.required = false;
  f.hiddenFromUefi = true;
  f.name = u"R\u00E9";
  StoreGptEntryForm(f, entry.data());
  EXPECT_EQ(entry, Patched(Bytes(128), {Le64(32, 0x200000000ull), Le64(40, 0xFFFFFFFFFFFFFFFEull),
                                        Le64(48, 0xD000000000000006ull), Le16(56, 'R'), Le16(58, 0xE9)}));
}

TEST(GptHeaderEditor, RecalculationWritesStandardCrcsOrRefusesAndChangesNothing) {
  const Bytes disk = ReadTestFile("partition/gpt.bin");
  const Bytes header = Slice(disk, 512, 512);
  EXPECT_EQ(LoadGptHeaderForm(header.data()).originalCrc, "0xADA78D65");  // as sgdisk stored it
  // Both CRCs of sgdisk's intact table come out as stored.
  FakeFile file(disk);
  Bytes recalculated = header;
  ASSERT_TRUE(RecalculateGptCrcs(recalculated.data(), 512, file).ok);
  EXPECT_EQ(recalculated, header);
  // One entry of 9 bytes "123456789": the array CRC is CRC-32's published check value.
  FakeFile nine(Patched(disk, {Text(1024, "123456789")}));
  Bytes small = Patched(header, {Le32(80, 1), Le32(84, 9)});
  ASSERT_TRUE(RecalculateGptCrcs(small.data(), 512, nine).ok);
  EXPECT_EQ(Slice(small, 88, 4), (Bytes{0x26, 0x39, 0xF4, 0xCB}));

  // Refusals (tests/golden/editors/gpt-crc-refused.txt): empty, too large or misplaced arrays, an array that cannot be
  // read. They change nothing.
  FakeFile failing(disk);
  failing.failReadAt = 1024;
  std::string refusals;
  for (const std::vector<Patch>& patches : std::vector<std::vector<Patch>>{
           {Le32(80, 0)}, {Le32(84, 0)}, {Le32(80, 0xFFFFFFFF), Le32(84, 0xFFFFFFFF)}, {Le64(72, 30)},
           {Le32(80, 4), Le64(72, 1), Le64(24, 5)}, {Le32(80, 4), Le64(72, 0x7FFFFFFFFFFFFFFF), Le64(24, 0x8000000000000000)},
           {}}) {
    const Bytes before = Patched(header, patches);
    Bytes edited = before;
    const CrcRecalculation r = RecalculateGptCrcs(edited.data(), 512, patches.empty() ? failing : file);
    EXPECT_FALSE(r.ok) << r.message;
    EXPECT_EQ(edited, before) << r.message;
    refusals += r.message + "\n";
  }
  ExpectGolden(refusals, "editors/gpt-crc-refused");
}

std::string Boxes(const LbaChsBoxes& b) {
  return "[" + b.lba + "] " + b.cylinder + "/" + b.head + "/" + b.sector + " " + b.binaryCylinder + " " +
         b.binaryHead + " " + b.binarySector + " " + b.entryCylinder + " " + b.entryHead + " " + b.entrySector + "\n";
}

// The LBA/CHS converter: both directions, their refusals, and which boxes typing clears, as one listing of the
// boxes after each step; and the MBR editor's CHS bytes.
TEST(LbaChsConverter, BothDirectionsTheirRefusalsWhatTypingClearsAndGen) {
  EXPECT_EQ(FormatBinaryDigits(7, 0), "");
  std::string listing;
  // A refused conversion leaves every box as it was (the cylinder's 7 stays).
  for (const char* lba : {"0", "1032191", "0XfbfFF", "302463", "1032192", "99999999999999999999", "-1", "abc", "0x",
                          "0xg1", " "}) {
    LbaChsBoxes b;
    b.lba = lba, b.cylinder = "7";
    const std::string said = ConvertLbaToChs(b).value_or("ok");
    listing += "LBA " + std::string(lba) + ": " + said + "\n  " + Boxes(b);
  }
  // Empty boxes take their defaults; a head beyond the geometry counts as it is.
  for (const auto& [c, h, s] : std::initializer_list<std::tuple<const char*, const char*, const char*>>{
           {"", "", "1"}, {"", "255", "63"}, {"", "", "0"}, {"", "", "64"}, {"0", "256", "1"}, {"1024", "0", "1"},
           {"-1", "0", "1"}, {"x", "0", "1"}}) {
    LbaChsBoxes b;
    b.lba = "12", b.cylinder = c, b.head = h, b.sector = s;
    const std::string said = ConvertChsToLba(b).value_or("ok");
    listing += "CHS " + std::string(c) + "/" + h + "/" + s + ": " + said + "\n  " + Boxes(b);
  }
  LbaChsBoxes b;
  b.lba = "1070";
  ASSERT_EQ(ConvertLbaToChs(b), std::nullopt);
  LbaChsBoxes c = b;
  ChsBoxEdited(c);
  LbaBoxEdited(b);
  listing += "typed in a CHS box: " + Boxes(c) + "typed in the LBA box: " + Boxes(b);
  // Gen in the MBR editor: head/sector byte/cylinder byte of the first and last sector for 16 heads x 63 sectors,
  // cylinder bit 8 in bit 6 of the sector byte.
  for (const auto& [lba, count] : {std::pair{"0", "0"}, {"63", "1008"}, {"302463", "1"}, {"1032191", "1"},
                                   {"1032192", "1"}, {"2048", "0xFFFFFFFF"}}) {
    MbrForm g;
    g.startLba = lba, g.sectorCount = count;
    GenerateStartChs(g), GenerateEndChs(g);
    listing += "Gen " + g.startLba + " " + g.sectorCount + ": " + g.startHead + "/" + g.startSector + "/" +
               g.startCylinder + " " + g.endHead + "/" + g.endSector + "/" + g.endCylinder + "\n";
  }
  ExpectReport(listing, "editors/lba-chs");
}

}  // namespace
}  // namespace trovik::test
