// The program as a user installs it (cmake --install into a prefix): every
// file where the desktop looks for it, accepted by the desktop's own
// validators, and the installed program started from the prefix with a home
// of its own: its window comes up in the language of the locale (so the
// shipped language files were found under the prefix) and it writes into
// the home nothing but its own settings, state and recovery folders.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Ran {
  int status = -1;
  QByteArray output;
};

Ran run(const QString& program, const QStringList& args, int timeoutMs = 60000) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  Ran r;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
  } else if (p.exitStatus() == QProcess::NormalExit) {
    r.status = p.exitCode();
  }
  r.output = p.readAll();
  return r;
}

QString xdotool(const QStringList& args) {
  QProcess x;
  x.start(QStringLiteral("xdotool"), args);
  x.waitForFinished(5000);
  return QString::fromUtf8(x.readAllStandardOutput()).trimmed();
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Every file below a folder, relative to it, sorted.
QStringList filesBelow(const QString& folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
  files.sort();
  return files;
}

// The untitled script's name in a language file (line 97).
QString untitledIn(const QString& languageFile) {
  for (const QByteArray& line : readAll(languageFile).split('\n'))
    if (line.startsWith("097")) return QString::fromUtf8(line.mid(3).trimmed());
  return {};
}

constexpr const char* kIconSizes[] = {"16", "22", "24", "32", "48", "64", "128", "256"};

}  // namespace

class TestInstalled : public QObject {
  Q_OBJECT

  QTemporaryDir prefix_;
  QString at(const QString& relative) const { return prefix_.filePath(relative); }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(prefix_.isValid());
    const Ran install = run(qEnvironmentVariable("SCENOVA_CMAKE"),
                            {QStringLiteral("--install"), qEnvironmentVariable("SCENOVA_BUILD_DIR"),
                             QStringLiteral("--prefix"), prefix_.path()});
    QVERIFY2(install.status == 0, install.output.constData());
  }

  // Each file in its place, the icons in their sizes, nothing else at the top.
  void installsEveryFile() {
    QStringList expected{
        QStringLiteral("bin/scenova"),
        QStringLiteral("share/applications/org.scenova.Scenova.desktop"),
        QStringLiteral("share/mime/packages/org.scenova.Scenova.xml"),
        QStringLiteral("share/metainfo/org.scenova.Scenova.metainfo.xml"),
        QStringLiteral("share/icons/hicolor/scalable/apps/org.scenova.Scenova.svg"),
        QStringLiteral("share/man/man1/scenova.1.gz"),
        QStringLiteral("share/doc/scenova/copyright"),
        QStringLiteral("share/doc/scenova/changelog.gz"),
        QStringLiteral("share/scenova/Scenova.ini"),
        QStringLiteral("share/scenova/Versioni.txt"),
        QStringLiteral("share/scenova/Files/scenova.png"),
        QStringLiteral("share/scenova/Help/English.html"),
        QStringLiteral("share/scenova/Examples/Example.snv"),
        QStringLiteral("share/scenova/Examples/curtain.mp4"),
    };
    const QString source = qEnvironmentVariable("SCENOVA_SOURCE_DIR");
    for (const QString& lang : QDir(source + QStringLiteral("/data/Lang")).entryList(QDir::Files))
      expected << QStringLiteral("share/scenova/Lang/") + lang;
    QVERIFY(expected.size() > 12 + 6);  // the seven language files
    for (const char* size : kIconSizes)
      expected << QStringLiteral("share/icons/hicolor/%1x%1/apps/org.scenova.Scenova.png")
                      .arg(QLatin1StringView(size));
    for (const QString& file : expected) QVERIFY2(QFileInfo(at(file)).isFile(), qPrintable(file));
    QVERIFY(QFileInfo(at(QStringLiteral("bin/scenova"))).isExecutable());
    for (const char* size : kIconSizes) {
      const QImage icon(at(QStringLiteral("share/icons/hicolor/%1x%1/apps/org.scenova.Scenova.png")
                               .arg(QLatin1StringView(size))));
      QCOMPARE(icon.size(), QSize(atoi(size), atoi(size)));
    }
    QCOMPARE(QDir(prefix_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral("bin"), QStringLiteral("share")}));
    // No settings file beside the program that would make it a program folder.
    QCOMPARE(QDir(at(QStringLiteral("bin"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("scenova")});
  }

  // The desktop entry and the AppStream metadata pass the desktop's checks.
  void validatorsAccept() {
    const Ran desktop = run(QStringLiteral("desktop-file-validate"),
                            {at(QStringLiteral("share/applications/org.scenova.Scenova.desktop"))});
    QVERIFY2(desktop.status == 0 && desktop.output.isEmpty(), desktop.output.constData());
    const Ran appstream =
        run(QStringLiteral("appstreamcli"),
            {QStringLiteral("validate"), QStringLiteral("--no-net"),
             at(QStringLiteral("share/metainfo/org.scenova.Scenova.metainfo.xml"))});
    QVERIFY2(appstream.status == 0, appstream.output.constData());
    // The release the metadata announces is the one the program prints.
    const Ran version = run(at(QStringLiteral("bin/scenova")), {QStringLiteral("--version")});
    QCOMPARE(version.status, 0);
    const QByteArray release = version.output.trimmed().mid(QByteArray("Scenova ").size());
    const QByteArray announced = "<release version=\"" + release + '"';
    QVERIFY(readAll(at(QStringLiteral("share/metainfo/org.scenova.Scenova.metainfo.xml")))
                .contains(announced));
  }

  void installedProgramStartsWithAHomeOfItsOwn() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test environment's X server");
    const QString shared = at(QStringLiteral("share/scenova"));
    const QStringList sharedBefore = filesBelow(shared);
    QTemporaryDir home;
    // A home that has run a sound program before: the sound library finds
    // its key there (and would make one otherwise).
    QVERIFY(QDir().mkpath(home.filePath(QStringLiteral(".config/pulse"))));
    QFile cookie(home.filePath(QStringLiteral(".config/pulse/cookie")));
    QVERIFY(cookie.open(QIODevice::WriteOnly) && cookie.write(QByteArray(256, '\x5a')) == 256);
    cookie.close();
    QMap<QString, QByteArray> homeBefore;
    for (const QString& file : filesBelow(home.path()))
      homeBefore.insert(file, readAll(home.filePath(file)));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    // The program's own defaults below HOME: ~/.config, ~/.local/state ...
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME",
                             "QT_QPA_PLATFORM"})
      env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(at(QStringLiteral("bin/scenova")), {});
    QVERIFY(p.waitForStarted());
    const QString title =
        QStringLiteral("^Scenova - ") + untitledIn(shared + QStringLiteral("/Lang/Deutsch.lng"));
    QString id;
    for (int i = 0; i < 200 && id.isEmpty() && p.state() == QProcess::Running; ++i) {
      id = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--pid"), QString::number(p.processId()),
                    QStringLiteral("--name"), title})
               .section(QLatin1Char('\n'), 0, 0);
      if (id.isEmpty()) QTest::qWait(100);  // polling: the window comes up
    }
    QVERIFY2(!id.isEmpty(), "no window in German came up");
    // Closed as an operator closes it: Escape in its window.
    for (int i = 0; i < 5 && p.state() != QProcess::NotRunning; ++i) {
      xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
      xdotool({QStringLiteral("key"), QStringLiteral("--window"), id, QStringLiteral("Escape")});
      p.waitForFinished(2000);
    }
    xdotool({QStringLiteral("keyup"), QStringLiteral("Escape")});
    if (p.state() != QProcess::NotRunning) {
      p.kill();
      p.waitForFinished();
      QFAIL("the program did not end on Escape");
    }
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    // Its settings are the user's, made from the shipped default; the shared
    // folder is as installed.
    QVERIFY(readAll(home.filePath(QStringLiteral(".config/scenova/Scenova.ini")))
                .startsWith("Deutsch.lng\r\n"));
    QCOMPARE(filesBelow(shared), sharedBefore);
    QCOMPARE(
        readAll(shared + QStringLiteral("/Scenova.ini")),
        readAll(qEnvironmentVariable("SCENOVA_SOURCE_DIR") + QStringLiteral("/data/Scenova.ini")));
    for (const QString& file : filesBelow(home.path())) {
      if (homeBefore.contains(file)) {
        QVERIFY2(readAll(home.filePath(file)) == homeBefore.value(file),
                 qPrintable(QStringLiteral("changed in the home: ") + file));
        continue;
      }
      QVERIFY2(file.startsWith(QLatin1StringView(".config/scenova/")) ||
                   file.startsWith(QLatin1StringView(".local/state/scenova/")),
               qPrintable(QStringLiteral("written into the home: ") + file));
    }
  }
};

QTEST_GUILESS_MAIN(TestInstalled)
#include "test_installed.moc"
