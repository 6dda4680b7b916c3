// The window and trovik-dump give the same report for the same request:
// every sample image under every dump type, text and red ranges, and the
// same messages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>

#include "GuiTestSupport.h"
#include "app/DumpRunner.h"
#include "app/MainFrame.h"
#include "app/TrovikDoc.h"
#include "catalog/Catalog.h"
#include "engine/TextFormat.h"
#include "support/Program.h"
#include "support/Scratch.h"

namespace trovik {
namespace {

// What a terminal gets of the window's text: control characters other than
// tab and line feed, DEL and the code page's five unassigned bytes are the
// middle dot there.
QString AsTerminalShows(QString text) {
  for (QChar& c : text) {
    const char16_t u = c.unicode();
    if ((u < 0x20 && u != '\t' && u != '\n') || u == 0x7F || u == 0x81 || u == 0x8D || u == 0x8F || u == 0x90 ||
        u == 0x9D)
      c = QChar(0xB7);
  }
  return text;
}

QString MarkAnsi(const std::string& out) {
  QString text;
  std::vector<TextRange> red;
  bool inRed = false;
  for (size_t i = 0; i < out.size();) {
    if (out.compare(i, 5, "\x1b[31m") == 0 || out.compare(i, 4, "\x1b[0m") == 0) {
      inRed = out[i + 2] == '3';
      i += inRed ? 5 : 4;
      continue;
    }
    const size_t next = std::min(out.find('\x1b', i + 1), out.size());
    const qsizetype from = text.size();
    text += QString::fromUtf8(out.data() + i, static_cast<qsizetype>(next - i));
    if (inRed) red.push_back({from, text.size()});
    i = next;
  }
  return test::Marked(text, red, true);
}

class CliAgreement : public testing::TestWithParam<std::string> {};

TEST_P(CliAgreement, SameReportAndMessagesForEveryType) {
  const std::string path = test::TestDataPath(GetParam());
  const uint64_t size = std::filesystem::file_size(path);
  CMainFrame frame;
  DumpRunner& runner = *frame.Runner();
  // Messages of the window's runs are read and closed as they open.
  QStringList shown;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown << box->text();
      box->accept();
    }
  });
  closer.start(2);

  for (const DumpTypeInfo& type : DumpTypeTable()) {
    const std::string start = Format("0x%08X", type.defaultStart);
    // The general formats over 1 KiB from the type's start: enough to compare.
    const std::string end = Format("0x%08llX", static_cast<unsigned long long>(
                                                   std::min<uint64_t>(type.defaultStart + 0x3FFull, size ? size - 1 : 0)));
    const int count = type.countEnabled ? type.defaultCount : 1;
    const auto cli = test::RunProgram({TROVIK_DUMP_PATH, "-t", std::to_string(static_cast<int>(type.id)), "-s", start,
                                       "-e", end, "-n", std::to_string(count), "--color", "always", path});

    DumpRequest request;
    request.dumpType = type.id;
    request.start = start;
    request.end = end;
    request.count = count;
    frame.Document()->NewDocument();
    shown.clear();
    runner.Start(PosixFile::Open(path, OpenMode::ReadOnly), request);
    runner.WaitForFinished();
    const ReportText& report = frame.Document()->Text();
    const QString window = test::Marked(AsTerminalShows(report.ToPlainText()), report.RedRanges(0, report.Length()), true);
    const std::string what = GetParam() + " as " + std::string(type.name);
    EXPECT_EQ(window.toStdString(), MarkAnsi(cli.out).toStdString()) << what;
    const QString messages = shown.isEmpty() ? QString() : shown.join(QLatin1Char('\n')) + QLatin1Char('\n');
    EXPECT_EQ(messages.toStdString(), cli.err) << what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    SampleImages, CliAgreement,
    testing::Values("partition/mbr.bin", "partition/gpt.bin", "fat/fat12.img", "fat/fat16-head.bin",
                    "fat/fat32-reserved.bin", "fat/fat32-root.bin", "ext2/ext2-super.bin", "ext2/ext2-gdt.bin",
                    "ext2/ext2-inodes.bin", "ext2/ext2-root.bin", "ext2/ext3-super.bin", "ext2/ext3-gdt.bin",
                    "ext2/ext3-inodes.bin", "ext2/ext3-root.bin", "ext2/ext3-journal.bin", "ext2/ext4-super.bin",
                    "ext2/ext4-gdt.bin", "ext2/ext4-inodes.bin", "ext2/ext4-root.bin", "ext2/ext4-journal.bin",
                    "optical/iso-joliet.iso", "optical/udf-512.img", "optical/udf-files.bin", "exe/hello32.exe",
                    "exe/hello64.exe", "exe/greet32.dll"),
    [](const testing::TestParamInfo<std::string>& info) {
      std::string name;
      for (char c : info.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

}  // namespace
}  // namespace trovik
