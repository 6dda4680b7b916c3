// The application object: names the settings store, reads the command
// line, builds the main window and puts it where File > Exit left it.
#pragma once

#include <QApplication>
#include <QPointer>

#include "app/MainFrame.h"

namespace trovik {


class CTrovikApp : public QApplication {
  Q_OBJECT
 public:
  CTrovikApp(int& argc, char** argv);

  // Start-up; false ends the application (the command line was not
  // understood). With a FILE argument a dump run on it starts at once.
  bool InitInstance();
  CMainFrame* MainFrame() const { return frame_; }

 protected:
  bool event(QEvent* event) override;

 private:
  QPointer<CMainFrame> frame_;
};

// Sets the organisation and application names the settings are kept under,
// and makes the application's icons available.
void SetApplicationNames();

}  // namespace trovik
