// Scripts open with this program from the desktop: the type for "*.snv", the
// desktop entry and the default handler (unless the user chose another),
// rewritten at each start so they follow a moved program folder, and left
// alone in portable mode.

#include "platform/file_association.h"
#include "support/program_folder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace scenova;
using namespace scenova::platform;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A complete program folder: the executable beside its data.
struct Installed : test::ProgramFolder {
  Installed() {
    QFile::copy(qEnvironmentVariable("SCENOVA_EXECUTABLE"), file(QStringLiteral("scenova")));
    QFile::setPermissions(file(QStringLiteral("scenova")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
};

// The user's folders of one test: data, configuration and state.
struct Home {
  QTemporaryDir dir;
  QString data() const { return dir.filePath(QStringLiteral("data")); }
  QString config() const { return dir.filePath(QStringLiteral("config")); }
  QString entry() const { return data() + QStringLiteral("/applications/scenova.desktop"); }
  QProcessEnvironment env() const {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("XDG_DATA_HOME"), data());
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), config());
    e.insert(QStringLiteral("XDG_STATE_HOME"), dir.filePath(QStringLiteral("state")));
    e.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));  // xdg-mime asks gio
    e.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return e;
  }
  // Starts the program, waits until its window is up (or 15 s), ends it.
  void run(const Installed& program) const {
    QProcess p;
    p.setProcessEnvironment(env());
    p.start(program.file(QStringLiteral("scenova")), {});
    QVERIFY(p.waitForStarted());
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 15000) {
      QProcess x;
      x.start(QStringLiteral("xdotool"),
              {QStringLiteral("search"), QStringLiteral("--pid"), QString::number(p.processId())});
      x.waitForFinished(5000);
      if (!x.readAllStandardOutput().trimmed().isEmpty()) break;
      QTest::qWait(100);  // polling
    }
    p.terminate();
    if (!p.waitForFinished(5000)) p.kill();
    p.waitForFinished(5000);
  }
  QString xdgMime(const QStringList& args) const {
    QProcess q;
    q.setProcessEnvironment(env());
    q.start(QStringLiteral("xdg-mime"), args);
    q.waitForFinished(10000);
    return QString::fromUtf8(q.readAllStandardOutput()).trimmed();
  }
};

}  // namespace

class TestFileAssociation : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void entryAndDefaultHandler() {
    QCOMPARE(quoteExecArgument(QStringLiteral("/opt/my show/scenova")),
             QStringLiteral("\"/opt/my show/scenova\""));
    QCOMPARE(quoteExecArgument(QStringLiteral("/a\"b$c`d\\e%f")),
             QStringLiteral("\"/a\\\"b\\$c\\`d\\\\e%%f\""));
    const QByteArray entry = scriptDesktopEntry(QStringLiteral("/opt/a\\b"));
    QVERIFY(entry.contains("Exec=\"/opt/a\\\\\\\\b/scenova\" %f\n"));
    QVERIFY(entry.contains("MimeType=application/x-scenova-script;\n"));
    QVERIFY(scriptDesktopEntry(QStringLiteral("/opt/two\nlines")).isEmpty());
    // Without a handler for the type the entry becomes it; other lines stay.
    const QByteArray list =
        "[Added Associations]\napplication/x-scenova-script=added.desktop;\n"
        "[Default Applications]\ntext/html=firefox.desktop;\n"
        "application/x-scenova-script=\n";
    const QByteArray updated = withDefaultHandler(list);
    QCOMPARE(updated,
             QByteArray("[Added Associations]\napplication/x-scenova-script=added.desktop;\n"
                        "[Default Applications]\n"
                        "application/x-scenova-script=scenova.desktop;\n"
                        "text/html=firefox.desktop;\n"));
    QCOMPARE(withDefaultHandler(updated), updated);
    QCOMPARE(withDefaultHandler(QByteArray()),
             QByteArray("[Default Applications]\napplication/x-scenova-script=scenova.desktop;\n"));
    // A handler the user chose is never replaced, however it is written.
    for (const QByteArray& chosen :
         {QByteArray("[Default Applications]\napplication/x-scenova-script=other.desktop;\n"),
          QByteArray("[Default Applications]\r\napplication/x-scenova-script = other.desktop\r\n"
                     "[Added Associations]\r\n")})
      QCOMPARE(withDefaultHandler(chosen), chosen);
    // Written once; a second registration from the same folder writes nothing.
    QTemporaryDir home;
    QVERIFY(registerScriptFileType(QStringLiteral("/opt/scenova"),
                                   home.filePath(QStringLiteral("d")),
                                   home.filePath(QStringLiteral("c"))));
    QVERIFY(!registerScriptFileType(QStringLiteral("/opt/scenova"),
                                    home.filePath(QStringLiteral("d")),
                                    home.filePath(QStringLiteral("c"))));
    QVERIFY(registerScriptFileType(QStringLiteral("/opt/moved"), home.filePath(QStringLiteral("d")),
                                   home.filePath(QStringLiteral("c"))));
    // The type and the entry are registered beside the user's own default.
    QTemporaryDir chosen;
    const QString listPath = chosen.filePath(QStringLiteral("c/mimeapps.list"));
    const QByteArray own = "[Default Applications]\napplication/x-scenova-script=other.desktop;\n";
    QVERIFY(QDir().mkpath(chosen.filePath(QStringLiteral("c"))));
    QFile listFile(listPath);
    QVERIFY(listFile.open(QIODevice::WriteOnly) && listFile.write(own) == own.size());
    listFile.close();
    QVERIFY(registerScriptFileType(QStringLiteral("/opt/scenova"),
                                   chosen.filePath(QStringLiteral("d")),
                                   chosen.filePath(QStringLiteral("c"))));
    QVERIFY(QFileInfo::exists(chosen.filePath(QStringLiteral("d/applications/scenova.desktop"))));
    QCOMPARE(readAll(listPath), own);
  }

  void startsRegisterAndFollowTheProgramFolder() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        qEnvironmentVariableIsEmpty("SCENOVA_TEST_BUS_ADDRESS"))
      QSKIP("needs the test environment's X server");
    for (const char* tool : {"xdotool", "xdg-mime", "update-mime-database"})
      if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
        QSKIP("needs xdotool, xdg-utils and shared-mime-info");
    Home home;
    Installed first;
    home.run(first);
    QVERIFY(readAll(home.entry())
                .contains(quoteExecArgument(first.file(QStringLiteral("scenova"))).toUtf8()));
    QTemporaryDir scripts;
    const QString script = scripts.filePath(QStringLiteral("x.snv"));
    QFile s(script);
    QVERIFY(s.open(QIODevice::WriteOnly));
    s.write("{\\rtf1\\ansi Act 1\\par}");
    s.close();
    // The MIME database is refreshed in the background.
    QString type;
    for (int i = 0; i < 50 && type != QLatin1String(kScriptMimeType); ++i) {
      type = home.xdgMime({QStringLiteral("query"), QStringLiteral("filetype"), script});
      QTest::qWait(100);  // polling
    }
    QCOMPARE(type, QString::fromLatin1(kScriptMimeType));
    QCOMPARE(home.xdgMime({QStringLiteral("query"), QStringLiteral("default"), type}),
             QStringLiteral("scenova.desktop"));
    // Started from another folder, the entry points there.
    Installed moved;
    home.run(moved);
    const QByteArray entry = readAll(home.entry());
    QVERIFY(entry.contains(quoteExecArgument(moved.file(QStringLiteral("scenova"))).toUtf8()));
    QVERIFY(!entry.contains(QByteArray(first.path().toUtf8() + "/scenova")));
    // A user who chose another program for scripts keeps it.
    Home chooser;
    QVERIFY(QDir().mkpath(chooser.config()));
    const QByteArray own = "[Default Applications]\napplication/x-scenova-script=other.desktop;\n";
    QFile ownList(chooser.config() + QStringLiteral("/mimeapps.list"));
    QVERIFY(ownList.open(QIODevice::WriteOnly) && ownList.write(own) == own.size());
    ownList.close();
    chooser.run(first);
    QVERIFY(QFileInfo::exists(chooser.entry()));
    QCOMPARE(readAll(chooser.config() + QStringLiteral("/mimeapps.list")), own);
    // A portable start writes nothing.
    Home clean;
    Installed portable;
    portable.write(QStringLiteral("Files/Portable.ini"), QByteArray());
    clean.run(portable);
    QVERIFY(!QFileInfo::exists(clean.data()));
    QVERIFY(!QFileInfo::exists(clean.config() + QStringLiteral("/mimeapps.list")));
  }
};

QTEST_GUILESS_MAIN(TestFileAssociation)
#include "test_file_association.moc"
