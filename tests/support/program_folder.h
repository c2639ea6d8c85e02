#pragma once

// A throw-away program folder for tests: language files, pictures and a
// settings file like the shipped ones, in a temporary directory.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace scenova::test {

class ProgramFolder {
 public:
  ProgramFolder() {
    const QString source = qEnvironmentVariable("SCENOVA_SOURCE_DIR");
    QDir().mkpath(path() + QStringLiteral("/Lang"));
    QDir().mkpath(path() + QStringLiteral("/Files"));
    for (const char* sub : {"Lang", "Files"}) {
      const QDir from(source + QStringLiteral("/data/") + QLatin1StringView(sub));
      for (const QString& f : from.entryList(QDir::Files))
        QFile::copy(from.filePath(f),
                    path() + QLatin1Char('/') + QLatin1StringView(sub) + QLatin1Char('/') + f);
    }
    writeSettings(QByteArrayLiteral("\r\n"));
  }
  QString path() const { return dir_.path(); }
  QString settingsPath() const { return path() + QStringLiteral("/Scenova.ini"); }
  QString file(const QString& relative) const { return path() + QLatin1Char('/') + relative; }
  void write(const QString& relative, const QByteArray& bytes) const {
    QFile f(file(relative));
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
  }
  void writeSettings(const QByteArray& bytes) const { write(QStringLiteral("Scenova.ini"), bytes); }
  QByteArray read(const QString& relative) const {
    QFile f(file(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace scenova::test
