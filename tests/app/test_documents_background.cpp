// Open and Save read and write the file beside the window's event loop: the
// window goes on meanwhile, what is typed during a save waits for it and is
// not lost, what is typed while another script loads goes with the old
// script, and the file commands do not run inside one another.

#include "app/document_commands.h"
#include "support/form_fixture.h"

#include <QKeyEvent>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

using namespace scenova;
using test::FormFixture;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void typeKey(QWidget& target, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, {}, text);
  QCoreApplication::sendEvent(&target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, {}, text);
  QCoreApplication::sendEvent(&target, &release);
}

// A script long enough that its file takes a while.
QString longScript() {
  QString text;
  for (int i = 0; i < 3000; ++i) text += QStringLiteral("Scene %1 [[Play Audio]]\r\n").arg(i);
  return text;
}

}  // namespace

class TestDocumentsBackground : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void init() { QDir::setCurrent(QDir::tempPath()); }

  void typingDuringASaveWaitsForIt() {
    FormFixture f;
    const QString path = f.folder.file(QStringLiteral("act.snv"));
    f.rtb().SetText(longScript());
    f.rtb().SetSelStart(0);
    f.form->doc().DocumentPath = path;
    f.form->doc().Modified = 1;
    int turns = 0;
    QTimer during;
    QObject::connect(&during, &QTimer::timeout, [&] {
      if (++turns == 1) {
        typeKey(f.rtb(), Qt::Key_Z, QStringLiteral("Z"));
        // The file commands wait for the save in progress.
        f.form->subsystems().documents.Save();
        f.form->subsystems().documents.New();
        QVERIFY(f.form->subsystems().documents.busy());
        QVERIFY(!f.form->subsystems().documents.askOnClose());
      }
    });
    during.start(0);
    f.form->subsystems().documents.Save();
    during.stop();
    QVERIFY(turns > 0);  // the window's events went on
    const QByteArray saved = readAll(path);
    QVERIFY(saved.contains("Scene 2999"));
    QVERIFY(!saved.contains("Z"));  // the file holds the script as it was saved
    QCOMPARE(f.form->doc().Modified, 0);
    QCoreApplication::processEvents();  // the key, handed on after the save
    QVERIFY(f.rtb().Text().startsWith(QStringLiteral("ZScene 0")));
    QCOMPARE(f.form->doc().Modified, 1);
    QVERIFY(!f.form->subsystems().documents.busy());
  }

  // Changes the program makes while the file is written are either in the
  // file or leave the script marked as modified: never saved in name only.
  // (Changes during the copy start it again, a few times at most.)
  void changesDuringTheWriteKeepTheScriptModified() {
    FormFixture f;
    const QString path = f.folder.file(QStringLiteral("act.snv"));
    f.rtb().SetText(longScript());
    f.form->doc().DocumentPath = path;
    f.form->doc().Modified = 1;
    int changes = 0;
    QTimer during;
    QObject::connect(&during, &QTimer::timeout, [&] {
      f.rtb().SetSelStart(0);
      f.rtb().SetSelText(QStringLiteral("<%1>").arg(++changes));
    });
    during.start(0);
    f.form->subsystems().documents.Save();
    during.stop();
    QVERIFY(changes > 3);
    const QByteArray saved = readAll(path);
    QVERIFY(saved.contains("Scene 2999"));
    QVERIFY(!saved.contains(QStringLiteral("<%1>").arg(changes).toLatin1()));
    QCOMPARE(f.form->doc().Modified, 1);
  }

  void typingDuringAnOpenDoesNotReachTheNewScript() {
    FormFixture f;
    const QString path = f.folder.file(QStringLiteral("next.snv"));
    QString script;
    {
      FormFixture writer;
      writer.rtb().SetText(longScript());
      QVERIFY(writer.rtb().SaveFile(path));
      script = writer.rtb().Text();
    }
    f.rtb().SetText(QStringLiteral("old"));
    f.form->doc().Modified = 0;
    int turns = 0;
    QTimer during;
    QObject::connect(&during, &QTimer::timeout, [&] {
      if (++turns == 1) typeKey(f.rtb(), Qt::Key_Q, QStringLiteral("Q"));
    });
    during.start(0);
    QVERIFY(f.form->subsystems().documents.openScript(path));
    during.stop();
    QVERIFY(turns > 0);
    QCoreApplication::processEvents();
    QCOMPARE(f.rtb().Text(), script);
    QCOMPARE(f.form->doc().Modified, 0);
    QCOMPARE(f.form->doc().DocumentPath, path);
    // The loaded script lives on the window's thread like the editor.
    QCOMPARE(f.rtb().document()->thread(), f.rtb().thread());
  }
};

QTEST_MAIN(TestDocumentsBackground)
#include "test_documents_background.moc"
