#include "platform/rtb/headless.h"

#include "platform/headless_app.h"
#include "platform/rtb/script_file.h"
#include "platform/rtb/script_text.h"

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace scenova::platform {

namespace {

int failWith(const QString& message, int status = 1) {
  const QByteArray line = "scenova: " + message.toUtf8() + '\n';
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
  return status;
}

// Qt's own diagnostics (fonts, platform) stay off standard error, which
// carries only the command's one-line failure.
int exportText(const QString& script) {
  QTextDocument doc;
  QString error;
  if (!readScriptFile(script, doc, &error)) return failWith(error);
  const QByteArray bytes = programText(doc).toUtf8();
  errno = 0;
  const bool written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()),
                                   stdout) == static_cast<size_t>(bytes.size()) &&
                       std::fflush(stdout) == 0;
  if (written) return 0;
  const int err = errno;
  return failWith(QStringLiteral("cannot write to standard output: ") +
                  QString::fromLocal8Bit(std::strerror(err != 0 ? err : EIO)));
}

int convert(const QString& in, const QString& out) {
  QTextDocument doc;
  QString error;
  if (!readScriptFile(in, doc, &error) || !writeScriptFile(out, doc, &error)) {
    return failWith(error);
  }
  return 0;
}

}  // namespace

int runHeadlessCommand(int argc, char** argv, bool* handled) {
  const QByteArray command = argc > 1 ? QByteArray(argv[1]) : QByteArray();
  const bool isExport = command == "--export-text";
  const bool isConvert = command == "--convert";
  if (handled) *handled = isExport || isConvert;
  if (!isExport && !isConvert) return 0;
  if (argc != (isExport ? 3 : 4)) {
    return failWith(isExport ? QStringLiteral("usage: scenova --export-text SCRIPT")
                             : QStringLiteral("usage: scenova --convert IN OUT"),
                    2);
  }

  HeadlessApplication app(argv[0]);
  return isExport ? exportText(QFile::decodeName(argv[2]))
                  : convert(QFile::decodeName(argv[2]), QFile::decodeName(argv[3]));
}

}  // namespace scenova::platform
