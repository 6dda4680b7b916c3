// Edit mode as a person goes through it in the window: the request dialog's
// "Edit", the structure's editor answered with OK, the run writing the
// structure into the file, and for a GPT the question about its backup.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QRadioButton>

#include "GuiTestSupport.h"
#include "app/DumpRunner.h"
#include "app/MainFrame.h"
#include "app/TrovikDoc.h"
#include "editors/qt/EditGptDlgs.h"
#include "editors/qt/EditMbrDlg.h"
#include "engine/DumpType.h"
#include "request/LimitsDlg.h"
#include "support/Program.h"
#include "support/Scratch.h"

namespace trovik {
namespace {

using test::Box;
using test::Click;

// Chooses the type in the request dialog, lets `adjust` change it, presses
// "Edit" and hands the editor that opens next to `edit`.
void EditThroughTheDialogs(DumpType type, std::function<void(CLimitsDlg*)> adjust, std::function<void(QWidget*)> edit) {
  test::AnswerNextModal([=](QWidget* modal) {
    auto* limits = qobject_cast<CLimitsDlg*>(modal);
    ASSERT_NE(limits, nullptr);
    limits->TypeButton(static_cast<int>(type))->click();
    if (adjust) adjust(limits);
    test::AnswerNextModal(edit);
    qobject_cast<QAbstractButton*>(limits->Control(3))->click();
  });
}

TEST(EditFlow, OkInTheMbrEditorWritesTheEntryIntoTheFile) {
  test::ScratchDir scratch;
  const std::vector<uint8_t> sector = test::ReadTestFile("partition/mbr.bin");
  const std::string path = scratch.Write("disk.img", sector);
  CMainFrame frame;
  bool edited = false;
  EditThroughTheDialogs(
      DumpType::Mbr, [](CLimitsDlg* limits) { qobject_cast<QLineEdit*>(limits->Control(1005))->setText("2"); },
      [&](QWidget* editor) {
        ASSERT_NE(qobject_cast<CEditMbrDlg*>(editor), nullptr);
        Box(editor, "systemId")->setText("8E");
        Box(editor, "sectorCount")->setText("0x1000");
        // The second entry's editor follows and is cancelled after a change.
        test::AnswerNextModal([&](QWidget* second) {
          Box(second, "bootId")->setText("80");
          Click(second, "cancel");
          edited = true;
        });
        Click(editor, "ok");
      });
  frame.DumpFile(QString::fromStdString(path));
  frame.Runner()->WaitForFinished();
  ASSERT_TRUE(edited);

  std::vector<uint8_t> expected = sector;
  expected[0x1BE + 4] = 0x8E;
  std::copy_n("\x00\x10\x00\x00", 4, expected.begin() + 0x1BE + 12);
  EXPECT_EQ(test::ReadFile(path), expected);
  // The listing that follows reads the file as it now is.
  const QString report = frame.Document()->Text().ToPlainText();
  EXPECT_TRUE(report.startsWith(QStringLiteral("Boot:  Master Boot Record (0x000001BE)"))) << report.toStdString();
  EXPECT_TRUE(report.contains(QStringLiteral("(0x000001CE)")));
  EXPECT_TRUE(report.contains(QStringLiteral("4096"))) << report.toStdString();
}

TEST(EditFlow, AGptHeaderEditAsksAboutTheBackupAndUpdatesItOnYes) {
  test::ScratchDir scratch;
  const std::string image = scratch.File("disk.img");
  const auto made = test::RunShell("truncate -s 4M " + image + " && sgdisk --clear --new=1:2048:+1M " + image);
  ASSERT_EQ(made.status, 0) << "sgdisk (package gdisk) is needed: " << made.out;
  // A partition renamed in the primary entry array only, as an entry edit leaves it.
  std::vector<uint8_t> disk = test::ReadFile(image);
  disk[1024 + 56] = 'X';
  test::WriteFile(image, disk);
  ASSERT_EQ(test::RunShell("sgdisk -v " + image).out.find("No problems found"), std::string::npos);

  CMainFrame frame;
  test::ShownMessage question;
  EditThroughTheDialogs(
      DumpType::GptHeader, [](CLimitsDlg* limits) { qobject_cast<QLineEdit*>(limits->Control(1000))->setText("0x200"); },
      [&](QWidget* editor) {
    ASSERT_NE(qobject_cast<CEditGptHeaderDlg*>(editor), nullptr);
    Click(editor, "recalculate");
    test::AnswerNextModal(
        [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); }, &question);
    Click(editor, "ok");
  });
  frame.DumpFile(QString::fromStdString(image));
  frame.Runner()->WaitForFinished();
  ASSERT_TRUE(question.shown);
  EXPECT_TRUE(question.text.startsWith(QStringLiteral("Update the backup copy of the GPT too?")))
      << question.text.toStdString();
  const std::string verify = test::RunShell("sgdisk -v " + image).out;
  EXPECT_NE(verify.find("No problems found"), std::string::npos) << verify;
}

}  // namespace
}  // namespace trovik
