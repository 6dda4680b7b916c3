// The fixture of the tests that drive the main window: shown, with its
// report, view and run at hand, and a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "app/DumpRunner.h"
#include "app/MainFrame.h"
#include "app/TrovikView.h"
#include "support/ReportCapture.h"

namespace trovik::test {

class FrameTest : public testing::Test {
 protected:
  void SetUp() override { frame.show(); }
  CTrovikDoc* Doc() { return frame.Document(); }
  CTrovikView* View() { return frame.View(); }
  DumpRunner* Runner() { return frame.Runner(); }
  QString Text() { return Doc()->Text().ToPlainText(); }
  // Runs the request over the file in `into` as File > Open does after the
  // request dialog.
  static void Run(CMainFrame& into, const std::string& path, const DumpRequest& request) {
    into.StartRun(PosixFile::Open(path, OpenMode::ReadOnly), request);
    into.Runner()->WaitForFinished();
  }

  ScratchDir scratch;
  CMainFrame frame;
};

}  // namespace trovik::test
