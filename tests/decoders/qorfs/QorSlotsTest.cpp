#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

#include "QorVolume.h"
#include "decoders/partition/Crc32.h"
#include "decoders/qorfs/QorDecoders.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {


DumpResult Dump(Decoder decoder, const std::vector<uint8_t>& bytes, int count = 1, ScriptedHost* host = nullptr) {
  return RunDecoder(decoder, MakeRequest(DumpType::QorSlot, "0", "0", count), bytes, host);
}

std::vector<uint8_t> RootSlot(int index) { return qor::BytesAt(qor::MakeVolume(), qor::RootSlot(index), 128); }

// A sealed slot after a change.
std::vector<uint8_t> Changed(std::vector<uint8_t> slot, const std::function<void(uint8_t*)>& change) {
  change(slot.data());
  qor::SealSlot(slot.data());
  return slot;
}

// The slot's listing from its "name:" or "fats:" line on.
std::string Body(const std::string& marked) {
  const size_t name = marked.find("                  name: ");
  return marked.substr(name != std::string::npos ? name : marked.find("                  fats: "));
}

TEST(QorSlots, VolumeSlotsAreListedInFull) {
  const std::vector<uint8_t> volume = qor::MakeVolume();
  EXPECT_EQ(RunDecoder(DumpQorSlot, MakeRequest(DumpType::QorSlot, "0x600"), volume).marked,
            "QORFS Slot (0x00000600)\n"
            "                   sig: 0x534C4F54  ('SLOT') \n"
            "             Attribute: 0x00000001  Archive\n"
            "                  resv: 00 00 00 00 00\n"
            "           Fat Entries: 2\n"
            "                   CRC: 0x7F\n"
            "               scratch: 0x00\n"
            "               Created: 0x5C3A1F00\n"
            "         Last accessed: 0x5C3A2E10\n"
            "             File Size: 700\n"
            "          Fat Continue: 0\n"
            "         Name Continue: 0\n"
            "                 Flags: 0x0000\n"
            "           Name Length: 10\n"
            "                 resv1: 00 00 00 00 00\n"
            "                  name: readme.txt\n"
            "                  fats: 0x00000007, 0x00000008, \n"
            "\n");
  EXPECT_EQ(RunDecoder(DumpQorSubdir, MakeRequest(DumpType::QorSubdir, "0x1200"), volume).marked,
            "QORFS Sub Slot (0x00001200)\n"
            "                   sig: 0x53554220  ('SUB ') \n"
            "              Reserved: 0x00\n"
            "      Parent Directory: 0x0000000000000003\n"
            "           Fat Entries: 1\n"
            "                   CRC: 0x57\n"
            "               scratch: 0x00\n"
            "               Created: 0x5C3A1F00\n"
            "              Reserved: 0x00000000\n"
            "             File Size: 512\n"
            "          Fat Continue: 0\n"
            "                  Slot: 1\n"
            "              Reserved: 0x0000\n"
            "           Name Length: 0\n"
            "              Reserved: 00 00 00 00 00\n"
            "                  fats: 0x00000009, \n"
            "\n");
  // The NAME slot continues the 80 name bytes of slot 2; the FAT slots
  // continue the 19 entries of slot 4, the second with 64-bit entries.
  EXPECT_EQ(RunDecoder(DumpQorCont, MakeRequest(DumpType::QorCont, "0x780"), volume).marked,
            "QORFS Continue Slot (0x00000780)\n"
            "                   sig: 0x4E414D45  ('NAME') \n"
            "              Previous: 2\n"
            "                  Next: 0\n"
            "               Entries: 20\n"
            "                 Flags: 0x0000  (Using 32-bit fats)\n"
            "                   CRC: 0x2B\n"
            "               scratch: 0x00\n"
            "                  name: cdefghijklmnopqrstuv\n");
  const std::string fats = RunDecoder(DumpQorCont, MakeRequest(DumpType::QorCont, "0x880", "0", 2), volume).text;
  EXPECT_NE(fats.find("0x0000002D, \n                        0x0000002E, 0x0000002F, \nQORFS Continue Slot (0x00000900)\n"),
            std::string::npos);
  EXPECT_TRUE(fats.ends_with("                 Flags: 0x0001  (Using 64-bit fats)\n"
                             "                   CRC: 0x5C\n"
                             "               scratch: 0x00\n"
                             "                  fats: 0x0000000100000000, 0x0000000100000001, 0x0000000100000002, "
                             "0x0000000100000003, \n"
                             "                        0x0000000100000004, \n"));
}

TEST(QorSlots, CountWalksConsecutiveSlotsAndAbortStopsAfterOne) {
  const std::vector<uint8_t> volume = qor::MakeVolume();
  const DumpResult r = RunDecoder(DumpQorSlot, MakeRequest(DumpType::QorSlot, "0x600", "0", 3), volume);
  for (const char* title : {"QORFS Slot (0x00000600)", "QORFS Slot (0x00000680)", "QORFS Slot (0x00000700)"})
    EXPECT_NE(r.text.find(title), std::string::npos);
  EXPECT_NE(r.text.find("Attribute: 0x00000021  Archive Read Only\n"), std::string::npos);
  EXPECT_TRUE(RedTexts(r.marked).empty());

  ScriptedHost host;
  host.abortAfterPolls = 0;
  const DumpResult aborted = RunDecoder(DumpQorCont, MakeRequest(DumpType::QorCont, "0x880", "0", 3), volume, &host);
  EXPECT_EQ(aborted.status, RunStatus::Aborted);
  EXPECT_TRUE(aborted.text.ends_with("0x0000002F, \n\nUser Abort..."));
}

TEST(QorSlots, EachRuleViolationEarnsExactlyItsAnnotation) {
  struct Case {
    Decoder decoder;
    int slot;  // root directory slot, or -1 for the sub-directory slot
    std::function<void(uint8_t*)> change;
    const char* line;
    size_t reds = 1;
  };
  const Case cases[] = {
      {DumpQorSlot, 0, [](uint8_t* s) { s[0] = 'X'; }, "('SLOX') [[ <-- Should be 0x534C4F54.\n]]"},
      {DumpQorSlot, 0, [](uint8_t* s) { s[4] |= 0x40; }, "0x00000041  Archive[[ <-- Bits 31 - 6 should be zeros.\n]]"},
      {DumpQorSlot, 0, [](uint8_t* s) { s[12] = 1; }, "resv: 00 00 00 00 01[[ <-- Should be zeros.\n]]"},
      {DumpQorSlot, 0, [](uint8_t* s) { s[15] = 1; }, "0x01[[ <-- Should be zero when written to disk.\n]]"},
      {DumpQorSlot, 0, [](uint8_t* s) { s[41] = 1; }, "Flags: 0x0100[[ <-- Should be zero.\n]]"},
      {DumpQorSlot, 0, [](uint8_t* s) { s[47] = 2; }, "resv1: 00 00 00 00 02[[ <-- Should be zeros.\n]]"},
      {DumpQorSlot, 0, [](uint8_t* s) { s[13] = 20; s[42] = 0; }, "Fat Entries: 20[[ <-- Must be 0 to 19.\n]]"},
      {DumpQorSubdir, -1, [](uint8_t* s) { s[0] = 'X'; }, "('SUBX') [[ <-- Should be 0x53554220.\n]]"},
      {DumpQorSubdir, -1, [](uint8_t* s) { s[4] = 1; }, "Reserved: 0x01[[ <-- Should be 0x00.\n]]"},
      {DumpQorSubdir, -1, [](uint8_t* s) { s[13] = 0; }, "Fat Entries: 0[[ <-- Must be 1 to 20.\n]]"},
      {DumpQorSubdir, -1, [](uint8_t* s) { s[15] = 1; }, "0x01[[ <-- Should be zero when written to disk.\n]]"},
      {DumpQorSubdir, -1, [](uint8_t* s) { s[23] = 1; }, "Reserved: 0x01000000[[ <-- Should be 0x00000000.\n]]"},
      {DumpQorSubdir, -1, [](uint8_t* s) { s[40] = 1; }, "Reserved: 0x0001[[ <-- Should be 0x0000.\n]]"},
      {DumpQorSubdir, -1, [](uint8_t* s) { s[42] = 1; }, "Name Length: 1[[ <-- Should be zero.\n]]"},
      {DumpQorSubdir, -1, [](uint8_t* s) { s[43] = 1; }, "Reserved: 01 00 00 00 00[[ <-- Should be zeros.\n]]"},
      {DumpQorCont, 3, [](uint8_t* s) { s[0] = 'X'; }, "[[ <-- Should be 0x4E414D45 or 0x46415420.\n]]"},
      {DumpQorCont, 3, [](uint8_t* s) { s[12] = 113; }, "Entries: 113[[ <-- Should be less <= 112.\n]]", 2},
      {DumpQorCont, 5, [](uint8_t* s) { s[12] = 0; }, "Entries: 0[[ <-- Should be at least 1 and less <= 28.\n]]"},
      {DumpQorCont, 6, [](uint8_t* s) { s[12] = 0; }, "Entries: 0[[ <-- Should be at least 1 and less <= 14.\n]]"},
  };
  const std::vector<uint8_t> volume = qor::MakeVolume();
  for (const Case& c : cases) {
    const uint32_t offset = c.slot < 0 ? qor::SubDirSlot(0) : qor::RootSlot(c.slot);
    const DumpResult r = Dump(c.decoder, Changed(qor::BytesAt(volume, offset, 128), c.change));
    EXPECT_EQ(RedTexts(r.marked).size(), c.reds) << r.marked;
    EXPECT_NE(r.marked.find(c.line), std::string::npos) << r.marked;
  }
  // A continue slot with neither signature lists no body, and its scratch
  // byte is not checked.
  const DumpResult illegal = Dump(DumpQorCont, Changed(RootSlot(3), [](uint8_t* s) { s[0] = 'X'; s[15] = 7; }));
  EXPECT_TRUE(illegal.text.ends_with("scratch: 0x07\nIllegal value found in sig: 0x4E414D58\n"));
}

TEST(QorSlots, CrcCoversTheWholeSlot) {
  std::vector<uint8_t> slot = RootSlot(0);
  slot[100] ^= 0xFF;
  std::vector<uint8_t> copy = slot;
  copy[14] = 0;
  const uint8_t expected = static_cast<uint8_t>(Crc32().Compute(copy.data(), 128));
  EXPECT_EQ(RedTexts(Dump(DumpQorSlot, slot).marked),
            std::vector<std::string>{Format(" <-- Should be: 0x%02X\n", expected)});
}

TEST(QorSlots, NameAndFatListsFollowTheNameAndWrapAtSeven) {
  // A 5-byte name puts the FAT entries at 56, 60 and 64.
  const auto fiveAndThree = Changed(RootSlot(0), [](uint8_t* s) {
    s[13] = 3;
    s[42] = 5;
    std::memcpy(s + 48, "ab\0de", 5);  // a zero byte adds no character
    for (int i = 0; i < 3; ++i) PutLe32(s + 56 + 4 * i, 0xA0 + i);
  });
  EXPECT_EQ(Body(Dump(DumpQorSlot, fiveAndThree).marked),
            "                  name: abde\n                  fats: 0x000000A0, 0x000000A1, 0x000000A2, \n\n");
  // Seven entries fill the line and leave an empty continuation line.
  const auto fourAndSeven = Changed(RootSlot(0), [](uint8_t* s) {
    s[13] = 7;
    s[42] = 4;
  });
  EXPECT_TRUE(Dump(DumpQorSlot, fourAndSeven).text.ends_with("0x00000000, \n                        \n\n"));
}

TEST(QorSlots, ListsPassingTheSlotAreCutAtItsEnd) {
  // File slot: 25 entries after a 3-byte name, room for 19.
  const auto fatTooLong = Changed(RootSlot(4), [](uint8_t* s) { s[13] = 25; });
  DumpResult r = Dump(DumpQorSlot, fatTooLong);
  EXPECT_EQ(RedTexts(r.marked), (std::vector<std::string>{" <-- Must be 0 to 19.\n", " <-- (truncated)\n"}));
  EXPECT_TRUE(r.marked.ends_with("0x00000025, 0x00000026, [[ <-- (truncated)\n]]\n"));

  // Name of 100 bytes: the slot's 80 are shown; the FAT list has no room.
  const auto nameTooLong = Changed(RootSlot(2), [](uint8_t* s) {
    s[42] = 100;
    s[13] = 1;
  });
  r = Dump(DumpQorSlot, nameTooLong);
  std::string name80;
  for (int i = 0; i < 80; ++i) name80 += static_cast<char>('a' + i % 26);
  EXPECT_EQ(Body(r.marked), "                  name: " + name80 +
                                "[[ <-- (truncated)\n]]                  fats: [[ <-- (truncated)\n]]\n");
  EXPECT_EQ(RedTexts(r.marked).size(), 3u);  // and the name length itself

  // Sub-directory slot: at most the 20 entries its body holds.
  const auto subTooLong =
      Changed(qor::BytesAt(qor::MakeVolume(), qor::SubDirSlot(0), 128), [](uint8_t* s) { s[13] = 25; });
  r = Dump(DumpQorSubdir, subTooLong);
  EXPECT_EQ(RedTexts(r.marked), (std::vector<std::string>{" <-- Must be 1 to 20.\n", " <-- (truncated)\n"}));
  const std::string subBody = Body(r.text);
  EXPECT_EQ(std::count(subBody.begin(), subBody.end(), ','), 20);

  // Continue slots: 112 name bytes, 28 narrow or 14 wide entries.
  struct ContCase {
    int slot;
    uint8_t entries;
    int listed;
  };
  for (const ContCase& c : {ContCase{3, 120, 112}, ContCase{5, 30, 28}, ContCase{6, 15, 14}}) {
    r = Dump(DumpQorCont, Changed(RootSlot(c.slot), [&](uint8_t* s) {
      s[12] = c.entries;
      if (c.slot == 3) std::memset(s + 16, 'x', 112);
    }));
    const std::vector<std::string> red = RedTexts(r.marked);
    ASSERT_FALSE(red.empty());
    EXPECT_EQ(red.back(), " <-- (truncated)\n");
    EXPECT_TRUE(r.marked.ends_with("[[ <-- (truncated)\n]]"));
    const std::string body = Body(r.text);
    const size_t listed = std::count(body.begin(), body.end(), c.slot == 3 ? 'x' : ',');
    EXPECT_EQ(listed, static_cast<size_t>(c.listed)) << body;
  }
}

// Whatever the bytes and however short the file, every decoder of the family
// finishes and stays inside its buffers (the sanitizers watch the reads).
TEST(QorDecoders, RandomAndTruncatedInputIsDecodedSafely) {
  std::mt19937 random(20240301);
  const Decoder decoders[] = {DumpQorSuper, DumpQorSlot, DumpQorSubdir, DumpQorCont};
  for (int round = 0; round < 100; ++round) {
    std::vector<uint8_t> bytes(random() % 700);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    if (bytes.size() >= 4 && round % 3) PutLe32(bytes.data(), round % 3 == 1 ? 0x4E414D45 : 0x46415420);
    for (Decoder decoder : decoders) {
      const DumpResult r = Dump(decoder, bytes, 3);
      EXPECT_EQ(r.status, RunStatus::Done);
      EXPECT_EQ(r.text.find('\0'), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace trovik::test
