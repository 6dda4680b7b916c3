#include "app/TrovikApp.h"

#include <QCommandLineParser>
#include <QFileOpenEvent>
#include <QIcon>
#include <QTimer>

#include "app/MainFrame.h"
#include "app/WindowPlacement.h"
#include "gui/AppSettings.h"

// The icons are compiled into the static GUI library, whose resource
// initialiser the linker would otherwise leave out.
static void InitTrovikResources() { Q_INIT_RESOURCE(trovik); }

namespace trovik {

void SetApplicationNames() {
  InitTrovikResources();
  QCoreApplication::setOrganizationName(QString::fromLatin1(settings::kOrganization));
  QCoreApplication::setApplicationName(QString::fromLatin1(settings::kApplication));
  QCoreApplication::setApplicationVersion(QStringLiteral(TROVIK_VERSION));
  // No display name: the window system would add it to every title
  // ("Untitled - trovik — Trovik"); the titles name the program themselves.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.trovik.Trovik"));
}

CTrovikApp::CTrovikApp(int& argc, char** argv) : QApplication(argc, argv) {
  SetApplicationNames();
  setWindowIcon(QIcon::fromTheme(QStringLiteral("org.trovik.Trovik"), QIcon(QStringLiteral(":/icons/trovik.png"))));
}

bool CTrovikApp::InitInstance() {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      tr("Dumps a byte range of a file as a hex listing, source data or text, or decodes the on-disk\n"
         "structure found there, in an editable report."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("FILE"), tr("a file to dump at once (the request dialog opens)"),
                               QStringLiteral("[FILE]"));
  if (!parser.parse(arguments())) {
    fputs(qPrintable(parser.errorText() + QLatin1Char('\n')), stderr);
    return false;
  }
  if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
  if (parser.isSet(QStringLiteral("version"))) parser.showVersion();

  frame_ = new CMainFrame;
  frame_->setAttribute(Qt::WA_DeleteOnClose);
  if (!WindowPlacement::Apply(*frame_, settings::WindowPlacement())) frame_->show();

  const QStringList files = parser.positionalArguments();
  if (!files.isEmpty()) {
    const QString path = files.first();
    QTimer::singleShot(0, frame_, [frame = frame_, path] {
      if (frame) frame->DumpFile(path);
    });
  }
  return true;
}

bool CTrovikApp::event(QEvent* event) {
  // A file handed over by the desktop while the application runs.
  if (event->type() == QEvent::FileOpen && frame_) {
    frame_->DumpFile(static_cast<QFileOpenEvent*>(event)->file());
    return true;
  }
  return QApplication::event(event);
}

}  // namespace trovik
