#pragma once

// Runs a command-line program as a headless command runs: in a process of
// its own, without a display (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM
// removed), with a home of its own should it ever start a window. The exit
// status and both outputs, or status -1 when it crashed or did not finish
// in time.

#include "support/file_size_limit.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace scenova::test {

struct Run {
  int status = -1;  // -1: crashed or did not finish in time
  QByteArray out, err;
};

struct RunOptions {
  QString stdoutFile;        // appended to instead of read
  QString locale;            // LC_ALL, when not empty
  rlim_t fileSizeLimit = 0;  // a full disk after that many bytes
  int timeoutMs = 30000;
};

inline Run runHeadless(const QString& program, const QStringList& args, const RunOptions& o = {}) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    env.remove(QString::fromLatin1(name));
  if (!o.locale.isEmpty()) env.insert(QStringLiteral("LC_ALL"), o.locale);
  static const QTemporaryDir home;
  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
    env.insert(QString::fromLatin1(name), home.path());
  p.setProcessEnvironment(env);
  if (!o.stdoutFile.isEmpty()) p.setStandardOutputFile(o.stdoutFile, QIODevice::Append);
  if (o.fileSizeLimit > 0) startWithFileSizeLimit(p, o.fileSizeLimit);
  p.start(program, args);
  Run run;
  if (!p.waitForFinished(o.timeoutMs)) {
    p.kill();
    p.waitForFinished();
    return run;
  }
  if (p.exitStatus() != QProcess::NormalExit) return run;
  run.status = p.exitCode();
  run.out = p.readAllStandardOutput();
  run.err = p.readAllStandardError();
  return run;
}

}  // namespace scenova::test
