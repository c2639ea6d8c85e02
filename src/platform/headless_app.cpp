#include "headless_app.h"

#include <QGuiApplication>

#include <clocale>
#include <cstdio>

namespace scenova::platform {

namespace {

void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtCriticalMsg && type != QtFatalMsg) return;
  const QByteArray line = message.toUtf8() + '\n';
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
}

}  // namespace

HeadlessApplication::HeadlessApplication(char* programName)
    : argv_{programName, nullptr}, previous_(qInstallMessageHandler(quietMessages)) {
  if (!QCoreApplication::instance()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QGuiApplication>(argc_, argv_);
  }
  // Qt takes the user's locale for everything; numbers keep the point.
  std::setlocale(LC_NUMERIC, "C");
}

HeadlessApplication::~HeadlessApplication() {
  app_.reset();
  qInstallMessageHandler(previous_);
}

}  // namespace scenova::platform
