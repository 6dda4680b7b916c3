// trovik: the desktop application.
#include "app/TrovikApp.h"

int main(int argc, char** argv) {
  trovik::CTrovikApp app(argc, argv);
  if (!app.InitInstance()) return 1;
  return app.exec();
}
