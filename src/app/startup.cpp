#include "startup.h"

#include <QApplication>
#include <QMainWindow>

namespace scenova::app {

int Main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow w;
  w.show();
  return app.exec();
}

}  // namespace scenova::app
