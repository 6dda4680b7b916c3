// Runs the GUI tests offscreen, with settings in a folder of their own that
// is emptied before every test: never the user's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include "app/TrovikApp.h"
#include "gui/AppSettings.h"

struct FreshSettings : testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { QSettings(trovik::settings::kOrganization, trovik::settings::kApplication).clear(); }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir settingsDir;
  qputenv("XDG_CONFIG_HOME", settingsDir.path().toLocal8Bit());
  QApplication app(argc, argv);
  trovik::SetApplicationNames();
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new FreshSettings);
  return RUN_ALL_TESTS();
}
