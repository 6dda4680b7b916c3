// The structure editors as a person meets them: the boxes filled from the
// structure, the buttons, and what OK, Cancel or Escape leaves in the bytes.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <cstring>

#include "GuiTestSupport.h"
#include "editors/qt/EditBpbDlg.h"
#include "editors/qt/EditGptDlgs.h"
#include "editors/qt/EditMbrDlg.h"
#include "editors/qt/EditorDialogs.h"
#include "engine/ByteOrder.h"
#include "engine/FileAccess.h"
#include "support/Scratch.h"

namespace trovik {
namespace {

using namespace test;
using Bytes = std::vector<uint8_t>;

Bytes Slice(const Bytes& from, size_t offset, size_t length) {
  return Bytes(from.begin() + static_cast<ptrdiff_t>(offset), from.begin() + static_cast<ptrdiff_t>(offset + length));
}
bool Checked(QWidget* dialog, const char* name) {
  return dialog->findChild<QAbstractButton*>(QLatin1String(name))->isChecked();
}

TEST(EditBpbDlg, ShowsTheBlockGeneratesSerialsInTheBoxOnlyAndStoresTypedValues) {
  const Bytes original = Slice(ReadTestFile("fat/fat12.img"), 0, 62);
  Bytes bpb = original;
  {
    CEditBpbDlg dialog(bpb.data());
    EXPECT_EQ(Text(&dialog, "jump0") + Text(&dialog, "jump1") + Text(&dialog, "jump2") + " " +
                  Text(&dialog, "bytesPerSector") + " " + Text(&dialog, "serial") + " " + Text(&dialog, "label"),
              "EB3C90 512 0x1234ABCD TROVIK12   ");
    EXPECT_TRUE(Checked(&dialog, "fat12"));
    EXPECT_FALSE(Checked(&dialog, "fat16"));
    Click(&dialog, "generate");
    const QString first = Text(&dialog, "serial");
    Click(&dialog, "generate");
    EXPECT_NE(Text(&dialog, "serial"), first);
    EXPECT_NE(first, "0x1234ABCD");
    Click(&dialog, "cancel");
    EXPECT_EQ(bpb, original);
  }
  Bytes fat16 = Slice(ReadTestFile("fat/fat16-head.bin"), 0, 62);
  CEditBpbDlg dialog(fat16.data());
  EXPECT_TRUE(Checked(&dialog, "fat16"));
  Box(&dialog, "jump0")->clear();
  QTest::keyClicks(Box(&dialog, "jump0"), "e9");
  EXPECT_EQ(Text(&dialog, "jump0"), "E9");  // the jump boxes force upper case
  Box(&dialog, "sectorsPerCluster")->setText("300");
  Box(&dialog, "oemName")->setText(QString::fromUtf8("\xC3\x89T\xE2\x82\xAC"));  // code page 1252 letters
  dialog.findChild<QRadioButton*>("fat12")->setChecked(true);
  Click(&dialog, "ok");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(fat16[0], 0xE9);
  EXPECT_EQ(fat16[13], 44);
  EXPECT_EQ(0, std::memcmp(fat16.data() + 3, "\xC9T\x80\0\0\0\0\0", 8));
  EXPECT_EQ(0, std::memcmp(fat16.data() + 54, "FAT12   ", 8));
}

TEST(EditMbrDlg, GenFillsTheStoredBytesAndOkStoresThem) {
  Bytes entry = Slice(ReadTestFile("partition/mbr.bin"), 0x1CE, 16);
  CEditMbrDlg dialog(entry.data(), 1);
  EXPECT_TRUE(Box(&dialog, "entryNum")->isReadOnly());
  EXPECT_EQ(Text(&dialog, "entryNum") + " " + Text(&dialog, "bootId") + " " + Text(&dialog, "systemId") + " " +
                Text(&dialog, "startLba"),
            "1 0x00 0x83 10240");
  Box(&dialog, "startLba")->setText("302463");  // cylinder 300, head 1, sector 1
  Box(&dialog, "sectorCount")->setText("1008");
  Click(&dialog, "genStart");
  Click(&dialog, "genEnd");  // last sector 303470: cylinder 301, head 0, sector 63
  EXPECT_EQ(Text(&dialog, "startHead") + "/" + Text(&dialog, "startSector") + "/" + Text(&dialog, "startCylinder") +
                " " + Text(&dialog, "endHead") + "/" + Text(&dialog, "endSector") + "/" + Text(&dialog, "endCylinder"),
            "1/65/44 0/127/45");
  Box(&dialog, "bootId")->setText("80");
  Click(&dialog, "ok");
  EXPECT_EQ(entry, (Bytes{0x80, 1, 0x41, 44, 0x83, 0, 0x7F, 45, 0x7F, 0x9D, 4, 0, 0xF0, 3, 0, 0}));
}

TEST(EditGptHeaderDlg, RecalculateShowsTheNewCrcAndOkHandsItOver) {
  // CRC-32 values worked out with zlib over the changed entry array and the
  // header holding the new array CRC.
  MemoryFile file(ReadTestFile("partition/gpt.bin"));
  file.Bytes()[0x400 + 56] = 'e';  // an entry's name changed
  Bytes header = Slice(file.Bytes(), 0x200, 512);
  const Bytes original = header;
  {
    CEditGptHeaderDlg dialog(header.data(), 0x200, file);
    EXPECT_EQ(Text(&dialog, "entryCount") + " " + Text(&dialog, "originalCrc") + " [" + Text(&dialog, "newCrc") + "]",
              "128 0xADA78D65 []");
    Click(&dialog, "recalculate");
    EXPECT_EQ(Text(&dialog, "newCrc"), "0x3901089C");
    Click(&dialog, "cancel");
    EXPECT_EQ(header, original);  // nothing reaches the caller on Cancel
  }
  CEditGptHeaderDlg dialog(header.data(), 0x200, file);
  Click(&dialog, "recalculate");
  Click(&dialog, "ok");
  EXPECT_EQ(Le32(header.data() + 88), 0x3901089Cu);
  EXPECT_EQ(Le32(header.data() + 16), 0xBB382BBAu);
  EXPECT_EQ(0, std::memcmp(header.data() + 20, original.data() + 20, 68));  // nothing else moved
}

TEST(EditorEntryPoints, GptEntryShowsAndStoresItsFields) {
  Bytes entry = Slice(ReadTestFile("partition/gpt.bin"), 0x480, 128);  // "Linux root", attribute bits 60 and 62
  PutLe64(entry.data() + 40, 0x2'0000'0000ull);                       // past 2 TiB
  const Bytes original = entry;
  AnswerNextModal([](QWidget* dialog) {
    EXPECT_EQ(Text(dialog, "entryNum") + " " + Text(dialog, "endLba") + " " + Text(dialog, "name"),
              "1 8589934592 Linux root");
    EXPECT_EQ(dialog->findChild<QTextEdit*>("reminder")->toPlainText(),
              "Modifying a value here will need the Header updated.\nBe sure to 'Edit' the Header too.");
    Box(dialog, "name")->setText(QString::fromUtf8("Wurzel \xC3\xBC"));
    Box(dialog, "startLba")->setText("0x1000");
    dialog->findChild<QCheckBox*>("legacyBootable")->setChecked(true);
    Click(dialog, "ok");
  });
  EXPECT_TRUE(EditGptEntry(nullptr, entry.data(), 1));
  EXPECT_EQ(Le64(entry.data() + 32), 0x1000u);
  EXPECT_EQ(Le64(entry.data() + 40), 0x2'0000'0000ull);
  EXPECT_EQ(Le64(entry.data() + 48), Le64(original.data() + 48) | 4);
  EXPECT_EQ(Le16(entry.data() + 56 + 2 * 7), 0x00FC);
  EXPECT_EQ(Le16(entry.data() + 56 + 2 * 8), 0);
  EXPECT_EQ(0, std::memcmp(entry.data(), original.data(), 32));  // the GUIDs
}

TEST(EditorEntryPoints, CancelAndEscapeLeaveTheBytesAsTheyWere) {
  Bytes mbr(16, 0);
  AnswerNextModal([](QWidget* dialog) {
    Box(dialog, "bootId")->setText("80");
    Click(dialog, "cancel");
  });
  EXPECT_FALSE(EditMbrEntry(nullptr, mbr.data(), 2));
  EXPECT_EQ(mbr, Bytes(16, 0));

  // Escape closes an editor as Cancel does, and the converter, which has no
  // Cancel button; a dialog Escape leaves open is closed here and counted.
  const Bytes original = Slice(ReadTestFile("fat/fat12.img"), 0, 62);
  Bytes bpb = original;
  std::vector<QString> closedByEscape;
  auto pressEscape = [&](QWidget* dialog) {
    if (QLineEdit* serial = Box(dialog, "serial")) serial->setText("0x1");
    QTest::keyClick(dialog, Qt::Key_Escape);
    if (!dialog->isVisible()) closedByEscape.push_back(dialog->windowTitle());
    dialog->close();
  };
  AnswerNextModal(pressEscape);
  EXPECT_FALSE(EditBpb(nullptr, bpb.data()));
  EXPECT_EQ(bpb, original);
  AnswerNextModal(pressEscape);
  ShowLbaChs(nullptr);
  EXPECT_EQ(closedByEscape, (std::vector<QString>{"Edit BPB", "LBA to CHS"}));
}

// Edit mode's one entry opens the type's own dialog; a type without one, or
// bytes of another size, is answered with Cancel and opens nothing.
TEST(EditorEntryPoints, EachEditableTypeOpensItsDialog) {
  MemoryFile file(Bytes(0x4000));
  for (const auto& [type, size, title] :
       {std::tuple{DumpType::FatBpb, size_t{62}, "Edit BPB"}, {DumpType::Mbr, size_t{16}, "Edit MBR"},
        {DumpType::GptHeader, size_t{512}, "Edit GPT Header"}, {DumpType::GptEntry, size_t{128}, "Edit GPT Entry"}}) {
    Bytes bytes(size);
    QString shown;
    test::AnswerNextModal([&](QWidget* dialog) {
      shown = dialog->windowTitle();
      test::Click(dialog, "cancel");
    });
    EXPECT_FALSE(EditStructure(nullptr, type, bytes, 0, 0x200, file));
    EXPECT_EQ(shown, QLatin1String(title));
    Bytes wrong(size + 1);
    bool opened = false;
    QPointer<QTimer> watcher = test::AnswerNextModal([&](QWidget* dialog) {
      opened = true;
      test::Click(dialog, "cancel");
    });
    EXPECT_FALSE(EditStructure(nullptr, type, wrong, 0, 0x200, file));
    EXPECT_FALSE(EditStructure(nullptr, DumpType::FatDir, bytes, 0, 0x200, file));
    EXPECT_FALSE(opened);
    delete watcher.data();
  }
}

}  // namespace
}  // namespace trovik
