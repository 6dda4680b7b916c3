// The structure editors and the LBA/CHS converter as a person meets them:
// the boxes filled from the structure, the buttons, what typing does to the
// other boxes, and what OK, Cancel or Escape leaves in the bytes. Each
// dialog plays a transcript of actions and what they show
// (tests/golden/gui/*.txt).
#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>

#include "GuiTestSupport.h"
#include "editors/qt/EditBpbDlg.h"
#include "editors/qt/EditGptDlgs.h"
#include "editors/qt/EditMbrDlg.h"
#include "editors/qt/EditorDialogs.h"
#include "editors/qt/LbaChsDlg.h"
#include "engine/ByteOrder.h"
#include "engine/FileAccess.h"
#include "support/Scratch.h"

namespace trovik {
namespace {

using namespace test;
using Bytes = std::vector<uint8_t>;

Bytes Slice(const std::string& file, size_t offset, size_t length) {
  const Bytes all = ReadTestFile(file);
  return Bytes(all.begin() + static_cast<ptrdiff_t>(offset), all.begin() + static_cast<ptrdiff_t>(offset + length));
}

TEST(EditorDialogs, ShowTheStructureOkStoresWhatWasTypedCancelAndEscapeNothing) {
  Bytes fat12 = Slice("fat/fat12.img", 0, 62), fat16 = Slice("fat/fat16-head.bin", 0, 62);
  Bytes mbr = Slice("partition/mbr.bin", 0x1CE, 16), entry = Slice("partition/gpt.bin", 0x480, 128);
  PutLe64(entry.data() + 40, 0x2'0000'0000ull);  // an end past 2 TiB
  // CRC-32 values in the GPT header transcripts were worked out with zlib
  // over the changed entry array and the header holding the new array CRC.
  MemoryFile gpt(ReadTestFile("partition/gpt.bin"));
  gpt.Bytes()[0x400 + 56] = 'e';  // an entry's name changed
  Bytes header(gpt.Bytes().begin() + 0x200, gpt.Bytes().begin() + 0x400);
  PlayTranscript(std::make_unique<CEditBpbDlg>(fat12.data()).get(), "gui/edit-bpb-cancel", fat12);
  PlayTranscript(std::make_unique<CEditBpbDlg>(fat16.data()).get(), "gui/edit-bpb-ok", fat16);
  PlayTranscript(std::make_unique<CEditMbrDlg>(mbr.data(), 1).get(), "gui/edit-mbr", mbr);
  PlayTranscript(std::make_unique<CEditGptEntryDlg>(entry.data(), 1).get(), "gui/edit-gpt-entry", entry);
  PlayTranscript(std::make_unique<CEditGptHeaderDlg>(header.data(), 0x200, gpt).get(), "gui/edit-gpt-header-cancel", header);
  PlayTranscript(std::make_unique<CEditGptHeaderDlg>(header.data(), 0x200, gpt).get(), "gui/edit-gpt-header-ok", header);
  CLbaChsDlg converter;
  converter.show();
  QApplication::setActiveWindow(&converter);
  Box(&converter, "lba")->setFocus();
  PlayTranscript(&converter, "gui/lba-chs");

  // Generate makes a new serial every time. Cancel and Escape leave the
  // bytes as they were; Escape closes the converter too, which has no Cancel
  // button (a dialog Escape leaves open is closed here and not counted).
  const Bytes original = Slice("fat/fat12.img", 0, 62);
  Bytes bpb = original, blank(16, 0);
  {
    CEditBpbDlg dialog(bpb.data());
    Click(&dialog, "generate");
    const QString first = Box(&dialog, "serial")->text();
    Click(&dialog, "generate");
    EXPECT_NE(Box(&dialog, "serial")->text(), first);
    EXPECT_NE(first, "0x1234ABCD");
  }
  AnswerNextModal([](QWidget* dialog) { Box(dialog, "bootId")->setText("80"), Click(dialog, "cancel"); });
  EXPECT_FALSE(EditMbrEntry(nullptr, blank.data(), 2));
  EXPECT_EQ(blank, Bytes(16, 0));
  QStringList closedByEscape;
  auto pressEscape = [&](QWidget* dialog) {
    if (QLineEdit* serial = Box(dialog, "serial")) serial->setText("0x1");
    QTest::keyClick(dialog, Qt::Key_Escape);
    if (!dialog->isVisible()) closedByEscape << dialog->windowTitle();
    dialog->close();
  };
  AnswerNextModal(pressEscape);
  EXPECT_FALSE(EditBpb(nullptr, bpb.data()));
  EXPECT_EQ(bpb, original);
  AnswerNextModal(pressEscape);
  ShowLbaChs(nullptr);
  EXPECT_EQ(closedByEscape, QStringList({"Edit BPB", "LBA to CHS"}));

  // Edit mode's one entry opens the type's own dialog and tells whether it
  // was left with OK; a type without one, or bytes of another size, opens nothing.
  MemoryFile file(Bytes(0x4000));
  for (const auto& [type, size, title] : {std::tuple{DumpType::FatBpb, 62, "Edit BPB"}, {DumpType::Mbr, 16, "Edit MBR"},
                                          {DumpType::GptHeader, 512, "Edit GPT Header"}, {DumpType::GptEntry, 128, "Edit GPT Entry"}}) {
    Bytes bytes(size), wrong(size + 1);
    QString shown;
    const auto press = [&shown](const char* button) {
      return [&shown, button](QWidget* dialog) { shown += dialog->windowTitle() + " ", Click(dialog, button); };
    };
    AnswerNextModal(press("cancel"));
    EXPECT_FALSE(EditStructure(nullptr, type, bytes, 0, 0x200, file));
    AnswerNextModal(press("ok"));
    EXPECT_TRUE(EditStructure(nullptr, type, bytes, 0, 0x200, file));
    QPointer<QTimer> watcher = AnswerNextModal(press("cancel"));
    EXPECT_FALSE(EditStructure(nullptr, type, wrong, 0, 0x200, file));
    EXPECT_FALSE(EditStructure(nullptr, DumpType::FatDir, bytes, 0, 0x200, file));
    EXPECT_EQ(shown, QString("%1 %1 ").arg(title));
    delete watcher.data();
  }
}

}  // namespace
}  // namespace trovik
