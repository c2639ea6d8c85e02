// Relative cues follow the script: a click, the media loader and the cue
// sheet look in the script's folder first, whatever a file dialog did to
// the current directory.

#include "app/document_commands.h"
#include "script/cue_sheet.h"
#include "script/media_loader.h"
#include "support/form_fixture.h"

#include <QBuffer>
#include <QTest>

using namespace scenova;
using script::resolveCueFile;

namespace {

void touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write("RIFF");
}

}  // namespace

class TestCuePaths : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void lookupOrder() {
    QTemporaryDir root;
    const QString script = root.filePath(QStringLiteral("show")),
                  current = root.filePath(QStringLiteral("here")),
                  program = root.filePath(QStringLiteral("program"));
    for (const QString& f : {script, current, program})
      touch(f + QStringLiteral("/everywhere.wav"));
    touch(current + QStringLiteral("/current.wav"));
    touch(program + QStringLiteral("/Files/bell.wav"));
    auto find = [&](const QString& cue) { return resolveCueFile(cue, script, current, program); };
    QCOMPARE(find(QStringLiteral("everywhere.wav")), script + QStringLiteral("/everywhere.wav"));
    QCOMPARE(find(QStringLiteral("current.wav")), current + QStringLiteral("/current.wav"));
    QCOMPARE(find(QStringLiteral("Files\\bell.wav")), program + QStringLiteral("/Files/bell.wav"));
    // Written from the root, as on the system the scripts come from.
    QCOMPARE(find(QStringLiteral("\\Files\\bell.wav")),
             program + QStringLiteral("/Files/bell.wav"));
    QCOMPARE(find(current + QStringLiteral("/current.wav")),
             current + QStringLiteral("/current.wav"));
    QCOMPARE(find(QStringLiteral("nowhere.wav")), QString());
    QCOMPARE(find(QStringLiteral("")), QString());
    // A folder is no media file.
    QDir().mkpath(script + QStringLiteral("/folder.wav"));
    QCOMPARE(find(QStringLiteral("folder.wav")), QString());
    // Without a script (untitled) the current folder comes first.
    QCOMPARE(resolveCueFile(QStringLiteral("everywhere.wav"), QString(), current, program),
             current + QStringLiteral("/everywhere.wav"));
  }

  void clickFindsTheScriptsMediaAfterADialogMovedAway() {
    test::FormFixture f;
    QTemporaryDir show, elsewhere;
    touch(show.filePath(QStringLiteral("sounds/thunder.wav")));
    const QString script = show.filePath(QStringLiteral("act1.snv"));
    {
      QFile s(script);
      QVERIFY(s.open(QIODevice::WriteOnly));
      s.write("{\\rtf1\\ansi Storm [[sounds/thunder.wav]]\\par}");
    }
    QVERIFY(f.form->subsystems().documents.openScript(script));
    QDir::setCurrent(elsewhere.path());  // as any file dialog may leave it
    platform::RTB& rtb = f.rtb();
    rtb.SetSelStart(10);
    Q_EMIT rtb.Click();
    QCOMPARE(f.form->ui().Label2[15]->Tag, show.filePath(QStringLiteral("sounds/thunder.wav")));

    // The cue sheet of the same script agrees.
    QBuffer out, err;
    QVERIFY(out.open(QIODevice::WriteOnly));
    QVERIFY(err.open(QIODevice::WriteOnly));
    QCOMPARE(script::writeCueSheet(script, f.folder.path(), out, err), 0);
    QVERIFY2(out.data().contains(show.filePath(QStringLiteral("sounds/thunder.wav")).toUtf8()),
             out.data().constData());
    QDir::setCurrent(QDir::tempPath());
  }
};

QTEST_MAIN(TestCuePaths)
#include "test_cue_paths.moc"
