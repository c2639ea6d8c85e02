#pragma once

// What the end-to-end tests share to run the real program: a program folder
// with the test program copied in as "scenova" (as a user copies one), its
// start in English under the test X server with the dialogs logging to a
// file, and short clips made with ffmpeg.

#include "support/program_folder.h"
#include "support/program_window.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <memory>

namespace scenova::test {

// Copies the test program (SCENOVA_EXECUTABLE) into the folder as "scenova".
inline bool installTestProgram(const ProgramFolder& folder) {
  const QString exe = folder.file(QStringLiteral("scenova"));
  return QFile::copy(qEnvironmentVariable("SCENOVA_EXECUTABLE"), exe) &&
         QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Starts the program installed in the folder with `args`, in British English
// on the X server, its questions logged to dialogs.log in the folder and
// answered in turn by `answers` ("yes,no"). It announces its shown window
// for ProgramWindow::find. `extra` adds to its environment or overrides it
// (the choices its dialogs make, a state folder of the test's own...).
inline std::unique_ptr<QProcess> startProgram(const ProgramFolder& folder, const QStringList& args,
                                              const QString& answers = {},
                                              const QProcessEnvironment& extra = {}) {
  auto program = std::make_unique<QProcess>();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_GB.UTF-8"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.insert(QStringLiteral("SCENOVA_TEST_DIALOG_LOG"), folder.file(QStringLiteral("dialogs.log")));
  env.insert(QStringLiteral("SCENOVA_TEST_DIALOG_ANSWERS"), answers);
  env.insert(extra);
  ProgramWindow::announceShown(env);
  program->setProcessEnvironment(env);
  program->setWorkingDirectory(folder.path());
  program->start(folder.file(QStringLiteral("scenova")), args);
  return program;
}

// A clip of `seconds` made by ffmpeg from a lavfi picture source (such as
// "smptebars=size=320x180:rate=25") with a 440 Hz tone as its sound.
inline bool makeClip(const QString& path, const QString& pictureSource, int seconds) {
  QProcess ff;
  ff.start(QStringLiteral("ffmpeg"),
           {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), pictureSource,
            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440:sample_rate=44100"), QStringLiteral("-t"),
            QString::number(seconds), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), path});
  return ff.waitForFinished(60000) && ff.exitStatus() == QProcess::NormalExit && ff.exitCode() == 0;
}

}  // namespace scenova::test
