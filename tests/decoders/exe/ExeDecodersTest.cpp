// Executable header listings: whole listings of a real PE32+ program, and
// constructed headers for layouts, odd bytes, Count, abort and short files.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "decoders/exe/ExeDecoders.h"
#include "engine/ByteOrder.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::ReadTestFile;
using test::RunDecoder;
using test::ScriptedHost;

std::string Line(const std::string& text, const std::string& label) {
  const size_t at = text.find(label);
  if (at == std::string::npos) return "";
  const size_t begin = text.rfind('\n', at) + 1;
  return text.substr(begin, text.find('\n', begin) - begin);
}

TEST(MzHeader, ListsRealHeaderAndStub) {
  const auto bytes = ReadTestFile("exe/hello64.exe");
  EXPECT_EQ(RunDecoder(DumpMz, MakeRequest(DumpType::Mz, "0"), bytes).marked,
            "PE EXE:  DOS EXE Header (0x00000000)\n"
            "                 Magic: 0x5A4D\n"
            "    Bytes on last page: 0x0090\n"
            "         Pages in file: 0x0003\n"
            "           Relocations: 0x0000\n"
            "        Size of header: 0x0004 (paragraphs)\n"
            "Min Extra Paras needed: 0x0000\n"
            "Max Extra Paras needed: 0xFFFF\n"
            "      Initial SS Value: 0x0000\n"
            "      Initial SP Value: 0x00B8\n"
            "              Checksum: 0x0000\n"
            "      Initial IP Value: 0x0000\n"
            "      Initial CS Value: 0x0000\n"
            "    Relocation address: 0x0040\n"
            "        Overlay number: 0x0000\n"
            "              Reserved: 0x0000 0x0000 0x0000 0x0000\n"
            "        OEM Identifier: 0x0000\n"
            "       OEM Information: 0x0000\n"
            "              Reserved: 0x0000 0x0000 0x0000 0x0000 0x0000\n"
            "                        0x0000 0x0000 0x0000 0x0000 0x0000\n"
            "File Address of new EXE header: 0x00000080\n"
            "              DOS Stub:\n"
            "            \n"
            "00000040  0E 1F BA 0E 00 B4 09 CD-21 B8 01 4C CD 21 54 68     ........!..L.!Th\n"
            "00000050  69 73 20 70 72 6F 67 72-61 6D 20 63 61 6E 6E 6F     is.program.canno\n"
            "00000060  74 20 62 65 20 72 75 6E-20 69 6E 20 44 4F 53 20     t.be.run.in.DOS.\n"
            "00000070  6D 6F 64 65 2E 0D 0D 0A-24 00 00 00 00 00 00 00     mode....$.......\n"
            "00000080  50 45 00 00 64 86 0A 00-00 F1 53 65 00 00 00 00     PE..d.....Se....\n"
            "00000090  00 00 00 00 F0 00 2E 02-0B 02 02 28 00 18 00 00     ...........(....\n"
            "000000A0  00 36 00 00 00 02 00 00-D0 14 00 00 00 10 00 00     .6..............");
}

TEST(MzHeader, StubFollowsTheHeaderWhereverItStartsAndZerosPastTheEnd) {
  std::vector<uint8_t> bytes(0x200 + 64 + 20, 0xEE);
  PutLe16(&bytes[0x200], 0x5A4D);
  PutLe32(&bytes[0x200 + 60], 0x12345678);
  bytes[0x240] = 0x20;
  bytes[0x241] = 0x7F;
  bytes[0x242] = 0x80;
  const std::string text = RunDecoder(DumpMz, MakeRequest(DumpType::Mz, "0x200"), bytes).text;
  EXPECT_EQ(Line(text, "File Address"), "File Address of new EXE header: 0x12345678");
  EXPECT_EQ(Line(text, "\n00000240"),
            "00000240  20 7F 80 EE EE EE EE EE-EE EE EE EE EE EE EE EE     .\x7F..............");
  // The file ends four bytes into the second line: the rest reads as zeros.
  EXPECT_EQ(Line(text, "\n00000250"), "00000250  EE EE EE EE 00 00 00 00-00 00 00 00 00 00 00 00     ................");
  EXPECT_NE(text.find("\n000002A0 "), std::string::npos);
  EXPECT_EQ(text.find("\n000002B0 "), std::string::npos);
}

TEST(PeHeader, PrintsAnyBytesAsStoredWithoutShiftingTheTimeStamp) {
  std::vector<uint8_t> bytes(24);
  PutLe32(&bytes[0], 0x0000454E);  // "NE": not a PE signature
  PutLe16(&bytes[4], 0xBEEF);      // no such machine
  PutLe16(&bytes[6], 0xFFFF);
  PutLe32(&bytes[8], 86399);
  PutLe32(&bytes[16], 0xFFFFFFFF);
  PutLe16(&bytes[20], 0x1234);
  EXPECT_EQ(RunDecoder(DumpPeHeader, MakeRequest(DumpType::PeHeader, "0"), bytes).marked,
            "PE EXE:  PE Header (0x00000000)\n"
            "              Signature: 0x0000454E\n"
            "                Machine: 0xBEEF\n"
            "     Number of Sections: 65535\n"
            "             Time Stamp: 0x0001517F  (Thursday 01 January 1970  23:59:59)\n"
            "Pointer to Symbol Table: 0x00000000\n"
            "      Number of Symbols: -1\n"
            "Size of Optional Header: 4660\n"
            "        Characteristics: 0x0000\n");
}

TEST(PeOptional, ListsRealPe32PlusHeaderInItsOwnLayout) {
  const auto bytes = ReadTestFile("exe/hello64.exe");
  EXPECT_EQ(RunDecoder(DumpPeOptional, MakeRequest(DumpType::PeOptional, "0x98"), bytes).marked,
            "PE EXE:  PE Optional Header (0x00000098)\n"
            "                  Magic: 0x020B\n"
            "   Major Linker Version: 2\n"
            "   Minor Linker Version: 40\n"
            "           Size of Code: 0x00001800\n"
            "  Initialized Data Size: 0x00003600\n"
            "Uninitialized Data Size: 0x00000200\n"
            " Address of Entry Point: 0x000014D0\n"
            "           Base of Code: 0x00001000\n"
            "             Image Base: 0x0000000140000000\n"
            "      Section Alignment: 0x00001000\n"
            "         File Alignment: 0x00000200\n"
            "    Major Image Version: 0\n"
            "    Minor Image Version: 0\n"
            "Major Subsystem Version: 5\n"
            "Minor Subsystem Version: 2\n"
            "               Reserved: 0x00000000\n"
            "          Size of Image: 0x0000C000\n"
            "        Size of Headers: 0x00000400\n"
            "               Checksum: 0x0000B338\n"
            "              Subsystem: 0x0003\n"
            "    DLL Characteristics: 0x0160\n"
            "  Size of Stack Reserve: 0x0000000000200000\n"
            "   Size of Stack Commit: 0x0000000000001000\n"
            "   Size of Heap Reserve: 0x0000000000100000\n"
            "    Size of Heap Commit: 0x0000000000001000\n"
            "           Loader Flags: 0x00000000\n"
            "Number of RVA and Sizes: 0x00000010\n"
            "       Data Directory 00: Virtual Address = 0x00000000, Size = 0x00000000\n"
            "       Data Directory 01: Virtual Address = 0x00008000, Size = 0x00000570\n"
            "       Data Directory 02: Virtual Address = 0x00000000, Size = 0x00000000\n"
            "       Data Directory 03: Virtual Address = 0x00005000, Size = 0x0000021C\n"
            "       Data Directory 04: Virtual Address = 0x00000000, Size = 0x00000000\n"
            "       Data Directory 05: Virtual Address = 0x0000B000, Size = 0x00000080\n"
            "       Data Directory 06: Virtual Address = 0x00000000, Size = 0x00000000\n"
            "       Data Directory 07: Virtual Address = 0x00000000, Size = 0x00000000\n"
            "       Data Directory 08: Virtual Address = 0x00000000, Size = 0x00000000\n"
            "       Data Directory 09: Virtual Address = 0x00004040, Size = 0x00000028\n"
            "       Data Directory 10: Virtual Address = 0x00000000, Size = 0x00000000\n"
            "       Data Directory 11: Virtual Address = 0x00000000, Size = 0x00000000\n"
            "       Data Directory 12: Virtual Address = 0x00008178, Size = 0x00000138\n"
            "       Data Directory 13: Virtual Address = 0x00000000, Size = 0x00000000\n"
            "       Data Directory 14: Virtual Address = 0x00000000, Size = 0x00000000\n"
            "       Data Directory 15: Virtual Address = 0x00000000, Size = 0x00000000\n");
}

// Every 32-bit word of the header holds its own offset, so each line shows
// where it was read from.
std::vector<uint8_t> OffsetStampedOptionalHeader(uint16_t magic, size_t length) {
  std::vector<uint8_t> bytes(240);
  for (size_t at = 0; at < bytes.size(); at += 4) PutLe32(&bytes[at], 0xA0000000u + static_cast<uint32_t>(at));
  PutLe16(&bytes[0], magic);
  bytes.resize(length);
  return bytes;
}

TEST(PeOptional, EachMagicUsesItsOwnLayoutAndAShortFileReadsZeros) {
  const auto listing = [](uint16_t magic, size_t length) {
    return RunDecoder(DumpPeOptional, MakeRequest(DumpType::PeOptional, "0"), OffsetStampedOptionalHeader(magic, length))
        .text;
  };
  // PE32+: 64-bit image base and stack/heap sizes, no Base of Data.
  std::string text = listing(0x020B, 240);
  EXPECT_EQ(text.find("Base of Data"), std::string::npos);
  EXPECT_EQ(Line(text, "Image Base"), "             Image Base: 0xA000001CA0000018");
  EXPECT_EQ(Line(text, "Stack Reserve"), "  Size of Stack Reserve: 0xA000004CA0000048");
  EXPECT_EQ(Line(text, "Heap Commit"), "    Size of Heap Commit: 0xA0000064A0000060");
  EXPECT_EQ(Line(text, "Number of RVA"), "Number of RVA and Sizes: 0xA000006C");
  EXPECT_EQ(Line(text, "Directory 15"), "       Data Directory 15: Virtual Address = 0xA00000E8, Size = 0xA00000EC");
  // 236 of the 240 bytes: the last directory's size is missing.
  EXPECT_EQ(Line(listing(0x020B, 236), "Directory 15"),
            "       Data Directory 15: Virtual Address = 0xA00000E8, Size = 0x00000000");
  // PE32 and unknown magics.
  for (uint16_t magic : {0x010B, 0xFFFF}) {
    text = listing(magic, 240);
    EXPECT_EQ(Line(text, "Base of Data"), "           Base of Data: 0xA0000018");
    EXPECT_EQ(Line(text, "Image Base"), "             Image Base: 0xA000001C");
    EXPECT_EQ(Line(text, "Heap Commit"), "    Size of Heap Commit: 0xA0000054");
    EXPECT_EQ(Line(text, "Directory 15"), "       Data Directory 15: Virtual Address = 0xA00000D8, Size = 0xA00000DC");
  }
}

std::vector<uint8_t> SectionEntry(const char (&name)[9], uint32_t virtualSize) {
  std::vector<uint8_t> entry(40);
  for (int i = 0; i < 8; ++i) entry[i] = static_cast<uint8_t>(name[i]);
  PutLe32(&entry[8], virtualSize);
  PutLe32(&entry[12], 0x1000);
  PutLe32(&entry[16], 0x200);
  PutLe32(&entry[20], 0x400);
  PutLe32(&entry[24], 0x11111111);
  PutLe32(&entry[28], 0x22222222);
  PutLe16(&entry[32], 0xFFFF);
  PutLe16(&entry[34], 3);
  PutLe32(&entry[36], 0x60000020);
  return entry;
}

TEST(PeSection, ListsCountEntriesAtTheirOwnOffsets) {
  std::vector<uint8_t> bytes(0x10, 0);
  for (const auto& entry :
       {SectionEntry(".text\0\0\0", 0x17A8), SectionEntry(".eh_fram", 1), SectionEntry("\x20\x7F\x80x\0\0\0\0", 2)})
    bytes.insert(bytes.end(), entry.begin(), entry.end());
  const std::string text = RunDecoder(DumpPeSection, MakeRequest(DumpType::PeSection, "0x10", "0", 3), bytes).marked;
  EXPECT_EQ(text.substr(0, text.find("\n\n") + 2),
            "PE EXE:  PE Section Header (0x00000010)\n"
            "                   Name:  2E 74 65 78 74 00 00 00     [.text   ]\n"
            "Physical Address/Virtual Size: 0x000017A8\n"
            "        Virtual Address: 0x00001000\n"
            "       Size of Raw Data: 0x00000200\n"
            "    Pointer to Raw Data: 0x00000400\n"
            " Pointer to Relocations: 0x11111111\n"
            "Pointer to Line Numbers: 0x22222222\n"
            "  Number of Relocations: 65535\n"
            " Number of Line Numbers: 3\n"
            "        Characteristics: 0x60000020\n"
            "\n");
  EXPECT_NE(text.find("PE EXE:  PE Section Header (0x00000038)\n"
                      "                   Name:  2E 65 68 5F 66 72 61 6D     [.eh_fram]\n"),
            std::string::npos);
  EXPECT_NE(text.find("PE EXE:  PE Section Header (0x00000060)\n"
                      "                   Name:  20 7F 80 78 00 00 00 00     [ \x7F x    ]\n"),
            std::string::npos);
  EXPECT_EQ(text.size(), text.rfind("\n\n") + 2);
}

TEST(PeSection, CountBelowOneWritesNothingAndAbortStopsAfterAnEntry) {
  const std::vector<uint8_t> bytes(200, 0x41);
  for (int count : {0, -3})
    EXPECT_EQ(RunDecoder(DumpPeSection, MakeRequest(DumpType::PeSection, "0", "0", count), bytes).text, "");

  ScriptedHost host;
  host.abortAfterPolls = 1;
  const auto result = RunDecoder(DumpPeSection, MakeRequest(DumpType::PeSection, "0", "0", 5), bytes, &host);
  EXPECT_EQ(result.status, RunStatus::Aborted);
  EXPECT_NE(result.text.find("(0x00000028)"), std::string::npos);
  EXPECT_EQ(result.text.find("(0x00000050)"), std::string::npos);
  EXPECT_EQ(result.text.substr(result.text.size() - 16), "\n\n\nUser Abort...");
}

// Whatever the bytes and wherever the file ends, no decoder reads outside
// what it read (the sanitizer build checks) and each writes its title.
TEST(ExeDecoders, ShortAndRandomFilesDecodeWithoutFaults) {
  std::mt19937 random(7);
  const std::pair<Decoder, DumpType> decoders[] = {{DumpMz, DumpType::Mz},
                                                   {DumpPeHeader, DumpType::PeHeader},
                                                   {DumpPeOptional, DumpType::PeOptional},
                                                   {DumpPeSection, DumpType::PeSection}};
  for (size_t length : {0, 1, 23, 64, 100, 175, 230, 241, 400}) {
    std::vector<uint8_t> bytes(length);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    if (length > 1) bytes[0] = 0x0B, bytes[1] = 0x02;
    for (const auto& [decoder, type] : decoders) {
      for (const char* start : {"0", "0x10", "0xFFFFFFFF"}) {
        const std::string text = RunDecoder(decoder, MakeRequest(type, start, "0", 3), bytes).text;
        EXPECT_EQ(text.rfind("PE EXE:  ", 0), 0u) << static_cast<int>(type) << " " << length << " " << start;
      }
    }
  }
}

}  // namespace
}  // namespace trovik
