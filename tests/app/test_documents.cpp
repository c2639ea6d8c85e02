// New, Open, Save, Save As, the questions, the title and media cues, with
// the dialogs answered by the fake; and what a failed write or load must
// leave behind: the script in the editor, the old file on disk.

#include "app/comm_dlgs.h"
#include "app/document_commands.h"
#include "support/form_fixture.h"
#include "support/scratch_mount.h"
#include "support/without_root.h"
#include "ui/notice_line.h"

#include <QImageReader>
#include <QSet>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <sys/stat.h>

#include <optional>

using namespace scenova;
using platform::MsgAnswer;
using test::FormFixture;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// The editor with one bold word and the text "Act 1", modified.
void typeScript(FormFixture& f) {
  f.rtb().SetText(QStringLiteral("Act 1 "));
  f.rtb().SetSelStart(f.rtb().TextLength());
  f.rtb().SetSelBold(true);
  f.rtb().SetSelText(QStringLiteral("thunder"));
  QCOMPARE(f.form->doc().Modified, 1);
}

}  // namespace

class TestDocuments : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void init() { QDir::setCurrent(QDir::tempPath()); }

  void saveAsTxtWritesRtfThatReopensFormatted() {
    FormFixture f;
    app::DocumentCommands& d = f.form->subsystems().documents;
    // Save on an untitled, unmodified script does nothing at all.
    d.Save();
    QVERIFY(f.dialogs.fileRequests.isEmpty());
    QVERIFY(!f.form->ui().Label11->isVisibleTo(f.form.get()));

    typeScript(f);
    const QString path = f.folder.file(QStringLiteral("act one.txt"));
    f.dialogs.fileAnswers.push_back(path);
    f.form->ui().Label2[2]->Click();  // Save on an untitled script asks for a name
    const platform::FileDialogRequest& r = f.dialogs.fileRequests.constLast();
    QCOMPARE(r.title, f.text(55));
    QCOMPARE(r.forOpen, false);
    QCOMPARE(r.defaultExtension, QStringLiteral("snv"));
    QCOMPARE(r.fileName, f.text(97) + QStringLiteral(" 1"));
    QCOMPARE(r.filters.size(), 3);
    QCOMPARE(r.filters[0].patterns, QStringLiteral("*.snv"));
    QCOMPARE(r.filters[1].patterns, QStringLiteral("*.rtf"));
    QCOMPARE(r.filters[2].patterns, QStringLiteral("*.txt"));
    QVERIFY(readAll(path).startsWith("{\\rtf1"));
    QCOMPARE(f.form->doc().Modified, 0);
    QCOMPARE(f.form->doc().DocumentPath, path);
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Scenova - act one.txt"));
    QCOMPARE(QDir::current().canonicalPath(), QDir(f.folder.path()).canonicalPath());
    QCOMPARE(f.form->doc().LastFolder, QFileInfo(path).absolutePath());

    // Save on a named, unmodified script writes it all the same: its file
    // may have gone since.
    QFile::remove(path);
    d.Save();
    QVERIFY(readAll(path).startsWith("{\\rtf1"));
    QVERIFY(f.form->ui().Label11->isVisibleTo(f.form.get()));
    QCOMPARE(f.form->ui().Label11->caption(), f.text(148));

    // Opened again in a fresh window, the word is still bold.
    FormFixture g;
    g.dialogs.fileAnswers.push_back(f.folder.file(QStringLiteral("act one.txt")));
    f.rtb().SetSelStart(0);
    f.rtb().SetSelText(QStringLiteral("!"));
    d.Save();
    QVERIFY(QFileInfo::exists(path));
    g.form->subsystems().documents.Open();
    QCOMPARE(g.dialogs.fileRequests.constLast().title, g.text(52));
    QCOMPARE(g.dialogs.fileRequests.constLast().forOpen, true);
    QCOMPARE(g.rtb().Text(), QStringLiteral("!Act 1 thunder"));
    g.rtb().Select(8, 3);
    QCOMPARE(g.rtb().SelBold(), std::optional<bool>(true));
    g.rtb().Select(1, 3);
    QCOMPARE(g.rtb().SelBold(), std::optional<bool>(false));
    QCOMPARE(g.form->doc().Modified, 0);
    QCOMPARE(g.form->windowTitle(), QStringLiteral("Scenova - act one.txt"));
  }

  void saveQuestionBeforeNewAndOpen() {
    FormFixture f;
    typeScript(f);
    // Yes, then the Save As dialog cancelled: nothing changes.
    f.dialogs.messageAnswers.push_back(MsgAnswer::Yes);
    f.form->subsystems().documents.New();
    QCOMPARE(f.dialogs.messages.constLast().text, f.text(123));
    QCOMPARE(f.dialogs.messages.constLast().buttons, platform::MsgButtons::YesNoCancel);
    QCOMPARE(f.rtb().Text(), QStringLiteral("Act 1 thunder"));
    QCOMPARE(f.form->doc().Modified, 1);
    QCOMPARE(f.form->doc().UntitledCount, 1);
    QVERIFY(f.form->subsystems().documents.saveAsCancelled());
    // Cancel stops Open before its dialog.
    const qsizetype dialogs = f.dialogs.fileRequests.size();
    f.dialogs.messageAnswers.push_back(MsgAnswer::Cancel);
    f.form->subsystems().documents.Open();
    QCOMPARE(f.dialogs.fileRequests.size(), dialogs);
    // No: a new untitled script, numbered on.
    f.dialogs.messageAnswers.push_back(MsgAnswer::No);
    f.form->ui().Label2[0]->Click();
    QCOMPARE(f.rtb().TextLength(), 0);
    QCOMPARE(f.form->doc().Modified, 0);
    QCOMPARE(f.form->windowTitle(),
             QStringLiteral("Scenova - ") + f.text(97) + QStringLiteral(" 2"));
    // An empty or unmodified script is not asked about.
    const qsizetype asked = f.dialogs.messages.size();
    f.form->subsystems().documents.New();
    QCOMPARE(f.dialogs.messages.size(), asked);
    f.form->doc().UntitledCount = 32767;
    f.form->subsystems().documents.New();
    QCOMPARE(f.form->doc().UntitledCount, 32767);
  }

  // Help, Example show: the shipped example opens (after the question about
  // unsaved work) with every cue file found beside it.
  void exampleShowOpensFromTheHelpMenu() {
    FormFixture f;
    const QDir shipped(qEnvironmentVariable("SCENOVA_SOURCE_DIR") +
                       QStringLiteral("/data/Examples"));
    QVERIFY(QDir().mkpath(f.folder.file(QStringLiteral("Examples"))));
    for (const QString& name : shipped.entryList(QDir::Files))
      QVERIFY(
          QFile::copy(shipped.filePath(name), f.folder.file(QStringLiteral("Examples/") + name)));
    typeScript(f);
    f.dialogs.messageAnswers.push_back(MsgAnswer::Cancel);
    f.form->ui().mnuEsempio->trigger();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages.constLast().text, f.text(123));
    QCOMPARE(f.rtb().Text(), QStringLiteral("Act 1 thunder"));
    f.dialogs.messageAnswers.push_back(MsgAnswer::No);
    f.form->ui().mnuEsempio->trigger();
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Scenova - Example.snv"));
    QCOMPARE(f.form->doc().DocumentPath, f.folder.file(QStringLiteral("Examples/Example.snv")));
    QVERIFY(f.rtb().Text().contains(QStringLiteral("[[rumble.wav]]")));
    // The check at opening looks the cues up beside the example, wherever the
    // working folder is.
    QVERIFY(f.form->ui().Label11->isVisibleTo(f.form.get()));
    QCOMPARE(f.form->ui().Label11->caption(), f.text(184));
    QCOMPARE(f.form->ui().mnuEsempio->text(), f.text(261));
  }

  void saveAsOverExistingFileAsksFirst() {
    FormFixture f;
    typeScript(f);
    const QString path = f.folder.file(QStringLiteral("old.snv"));
    writeBytes(path, "old content");
    f.dialogs.fileAnswers.push_back(path);
    f.dialogs.messageAnswers.push_back(MsgAnswer::No);
    f.form->subsystems().documents.mnuSalvaConNome_Click();
    QCOMPARE(f.dialogs.messages.constLast().text, f.text(53) + QStringLiteral("\r\r") + f.text(54));
    QCOMPARE(readAll(path), QByteArray("old content"));
    QCOMPARE(f.form->doc().Modified, 1);
    f.dialogs.fileAnswers.push_back(path);
    f.dialogs.messageAnswers.push_back(MsgAnswer::Yes);
    f.form->subsystems().documents.mnuSalvaConNome_Click();
    QVERIFY(readAll(path).startsWith("{\\rtf1"));
    QCOMPARE(f.form->doc().Modified, 0);
  }

  void failedWritesKeepTheScriptAndTheOldFile_data() {
    QTest::addColumn<QString>("where");
    QTest::newRow("a folder") << QStringLiteral("folder");
    QTest::newRow("a missing folder") << QStringLiteral("missing");
    QTest::newRow("a read-only folder") << QStringLiteral("readonly");
    QTest::newRow("a full file system") << QStringLiteral("full");
  }
  void failedWritesKeepTheScriptAndTheOldFile() {
    QFETCH(QString, where);
    FormFixture f;
    QString path;
    std::unique_ptr<test::ScratchMount> mount;
    if (where == QLatin1String("folder")) {
      path = f.folder.file(QStringLiteral("show.snv"));
      QDir().mkpath(path);
    } else if (where == QLatin1String("missing")) {
      path = f.folder.file(QStringLiteral("gone/show.snv"));
    } else {
      mount = std::make_unique<test::ScratchMount>(64);
      if (!mount->ok()) QSKIP("cannot mount a small file system here");
      path = mount->path() + QStringLiteral("/show.snv");
      writeBytes(path, "{\\rtf1 the old script}");
      if (where == QLatin1String("readonly"))
        QVERIFY(mount->remountReadOnly());
      else
        QVERIFY(mount->fill());
    }
    const QByteArray before = readAll(path);
    f.form->doc().DocumentPath = path;
    f.form->subsystems().documents.ShowFileTitle(path);
    // Larger than the small file system.
    f.rtb().SetText(QStringLiteral("A line of the play.\n").repeated(5000));
    f.form->subsystems().documents.Save();
    QCOMPARE(f.form->doc().Modified, 1);
    QCOMPARE(readAll(path), before);
    QVERIFY(!f.dialogs.messages.isEmpty());
    const QString said = f.dialogs.messages.constLast().text;
    QVERIFY2(said.startsWith(f.text(150)), qPrintable(said));
    QVERIFY2(said.contains(path), qPrintable(said));
    QVERIFY(!f.form->ui().Label11->isVisibleTo(f.form.get()));  // no "saved" notice
    // The close question's Yes cannot close the window on a failed save.
    f.form->show();
    f.dialogs.messageAnswers.push_back(MsgAnswer::Yes);
    f.form->mnuEsci_Click();
    QVERIFY(f.form->isVisible());
    QCOMPARE(readAll(path), before);
    f.form->hide();
  }

  // Save writes whatever the state of the script: a file deleted since it
  // was read is written anew, one replaced by a folder is reported.
  void saveAlwaysWrites() {
    FormFixture f;
    const QString path = f.folder.file(QStringLiteral("act.snv"));
    writeBytes(path, "{\\rtf1 Act 1}");
    // A save killed half-way left its temporary file: opening clears it.
    const QString leftover = f.folder.file(QStringLiteral(".act.snv.scenova-tmp-k1LLed"));
    writeBytes(leftover, "{\\rtf1 Act");
    QVERIFY(f.form->subsystems().documents.openScript(path));
    QVERIFY(!QFileInfo::exists(leftover));
    QCOMPARE(f.form->doc().Modified, 0);
    QVERIFY(QFile::remove(path));
    f.form->subsystems().documents.Save();
    QVERIFY(readAll(path).startsWith("{\\rtf1"));
    QVERIFY(readAll(path).contains("Act 1"));
    QCOMPARE(f.form->ui().Label11->caption(), f.text(148));
    f.form->notice().expire();
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkpath(path));
    f.form->subsystems().documents.Save();
    QVERIFY(!f.dialogs.messages.isEmpty());
    QVERIFY(f.dialogs.messages.constLast().text.startsWith(f.text(150)));
    QVERIFY(!f.form->ui().Label11->isVisibleTo(f.form.get()));
    QCOMPARE(f.form->doc().Modified, 1);  // in no file: closing asks
  }

  // A file another program changed since it was read or saved here is not
  // overwritten without a question: overwrite, save under another name, or
  // leave it.
  void aFileChangedOnDiskIsNotOverwrittenUnasked() {
    FormFixture f;
    const QString path = f.folder.file(QStringLiteral("act.snv"));
    writeBytes(path, "{\\rtf1 Act 1}");
    QVERIFY(f.form->subsystems().documents.openScript(path));
    f.rtb().SetSelStart(f.rtb().TextLength());
    f.rtb().SetSelText(QStringLiteral(" typed"));
    f.form->subsystems().documents.Save();  // unchanged on disk: no question
    QVERIFY(f.dialogs.messages.isEmpty());
    f.rtb().SetSelText(QStringLiteral(" again"));
    writeBytes(path, "{\\rtf1 the stage manager's version}");
    f.dialogs.messageAnswers.push_back(MsgAnswer::Cancel);
    f.form->subsystems().documents.Save();
    QCOMPARE(f.dialogs.messages.size(), 1);
    const platform::FakeDialogs::MessageCall& asked = f.dialogs.messages[0];
    QVERIFY(asked.text.startsWith(f.text(246)));
    QVERIFY(asked.text.contains(path));
    QVERIFY(asked.text.endsWith(f.text(247)));
    QCOMPARE(asked.buttons, platform::MsgButtons::YesNoCancel);
    QCOMPARE(readAll(path), QByteArray("{\\rtf1 the stage manager's version}"));
    QCOMPARE(f.form->doc().Modified, 1);
    // No: under another name; the changed file stays as it is.
    const QString copy = f.folder.file(QStringLiteral("act (mine).snv"));
    f.dialogs.messageAnswers.push_back(MsgAnswer::No);
    f.dialogs.fileAnswers.push_back(copy);
    f.form->subsystems().documents.Save();
    QCOMPARE(f.dialogs.messages.size(), 2);
    QVERIFY(readAll(copy).contains("typed again"));
    QCOMPARE(f.form->doc().DocumentPath, copy);
    QCOMPARE(readAll(path), QByteArray("{\\rtf1 the stage manager's version}"));
    // A change of the time alone counts too; Yes overwrites.
    QFile touched(copy);
    QVERIFY(touched.open(QIODevice::ReadWrite));
    QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(3600),
                                QFileDevice::FileModificationTime));
    touched.close();
    f.rtb().SetSelText(QStringLiteral(" third"));
    f.dialogs.messageAnswers.push_back(MsgAnswer::Yes);
    f.form->subsystems().documents.Save();
    QCOMPARE(f.dialogs.messages.size(), 3);
    QVERIFY(readAll(copy).contains("again third"));
    QCOMPARE(f.form->doc().Modified, 0);
    f.form->subsystems().documents.Save();  // written here last: no question
    QCOMPARE(f.dialogs.messages.size(), 3);
  }

  // A script opened through a chain of links is saved into the file at its
  // end; every link stays a link.
  void linkChainsStay() {
    FormFixture f;
    QTemporaryDir elsewhere;
    const QString real = elsewhere.filePath(QStringLiteral("real.snv"));
    const QString l2 = elsewhere.filePath(QStringLiteral("l2"));
    const QString a = f.folder.file(QStringLiteral("a.snv"));
    writeBytes(real, "{\\rtf1 Act 1}");
    QVERIFY(QFile::link(real, l2));
    QVERIFY(QFile::link(l2, a));
    QVERIFY(f.form->subsystems().documents.openScript(a));
    f.rtb().SetSelStart(f.rtb().TextLength());
    f.rtb().SetSelText(QStringLiteral(" typed"));
    f.form->subsystems().documents.Save();
    QVERIFY(QFileInfo(a).isSymLink());
    QVERIFY(QFileInfo(l2).isSymLink());
    QVERIFY(readAll(real).contains("Act 1 typed"));
    QCOMPARE(f.form->doc().DocumentPath, a);
  }

  void failedLoadsChangeNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("fifo") << QStringLiteral("fifo");
    QTest::newRow("300 MB") << QStringLiteral("huge");
    QTest::newRow("missing") << QStringLiteral("missing");
    QTest::newRow("unreadable") << QStringLiteral("unreadable");
  }
  void failedLoadsChangeNothing() {
    QFETCH(QString, kind);
    FormFixture f;
    const QString named = f.folder.file(QStringLiteral("mine.snv"));
    writeBytes(named, "{\\rtf1 mine}");
    QVERIFY(f.form->subsystems().documents.openScript(named));
    f.rtb().SetSelStart(f.rtb().TextLength());
    f.rtb().SetSelText(QStringLiteral(" typed"));
    const QString path = f.folder.file(QStringLiteral("bad.snv"));
    if (kind == QLatin1String("folder")) {
      QDir().mkpath(path);
    } else if (kind == QLatin1String("fifo")) {
      QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("huge")) {
      QFile big(path);
      QVERIFY(big.open(QIODevice::WriteOnly));
      QVERIFY(big.resize(qint64{300} << 20));  // sparse: no disk used
    } else if (kind == QLatin1String("unreadable")) {
      writeBytes(path, "{\\rtf1 secret}");
      QFile::setPermissions(path, QFileDevice::Permissions());
      QFile::setPermissions(f.folder.path(), QFile::permissions(f.folder.path()) | QFile::ExeOther);
    }
    f.dialogs.messageAnswers.push_back(MsgAnswer::No);  // the save question
    f.dialogs.fileAnswers.push_back(path);
    {
      // Root reads every file: the open is checked as an ordinary user's.
      std::optional<test::FileChecksAsOrdinaryUser> ordinary;
      if (kind == QLatin1String("unreadable")) {
        ordinary.emplace();
        QVERIFY(!QFile(path).open(QIODevice::ReadOnly));
      }
      f.form->subsystems().documents.Open();
    }
    QCOMPARE(f.rtb().Text(), QStringLiteral("mine typed"));
    QCOMPARE(f.form->doc().DocumentPath, QFileInfo(named).absoluteFilePath());
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Scenova - mine.snv"));
    QCOMPARE(f.form->doc().Modified, 1);
    QVERIFY2(f.dialogs.messages.constLast().text.startsWith(f.text(151)),
             qPrintable(f.dialogs.messages.constLast().text));
    // A Save now writes the script that is shown, to its own file.
    f.form->subsystems().documents.Save();
    QVERIFY(readAll(named).contains("typed"));
  }

  void commandLineScripts() {
    test::ProgramFolder scripts;
    // A name that does not exist yet is the name of a new script.
    FormFixture f(scripts.file(QStringLiteral("new act.snv")));
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Scenova - new act.snv"));
    QCOMPARE(f.form->doc().Modified, 0);
    f.rtb().SetText(QStringLiteral("written later"));
    f.form->subsystems().documents.Save();
    QVERIFY(readAll(scripts.file(QStringLiteral("new act.snv"))).startsWith("{\\rtf1"));
    // One that exists but cannot be read is reported; the window stays untitled.
    QDir().mkpath(scripts.file(QStringLiteral("a folder.snv")));
    FormFixture g(scripts.file(QStringLiteral("a folder.snv")));
    QVERIFY(g.form->doc().DocumentPath.isEmpty());
    QCOMPARE(g.form->windowTitle(),
             QStringLiteral("Scenova - ") + g.text(97) + QStringLiteral(" 1"));
    QCOMPARE(g.dialogs.messages.size(), 1);
  }

  void windowTitles() {
    FormFixture f;
    app::DocumentCommands& d = f.form->subsystems().documents;
    d.ShowFileTitle(QStringLiteral("C:\\shows\\hamlet.snv"));
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Scenova - hamlet.snv"));
    d.ShowFileTitle(QStringLiteral("/shows/macbeth.rtf"));
    QCOMPARE(f.form->doc().DocumentName, QStringLiteral("macbeth.rtf"));
    d.ShowFileTitle(QStringLiteral("no separator"));
    d.ShowFileTitle(QString());
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Scenova - macbeth.rtf"));
    QCOMPARE(app::TrimAtNul(QStringLiteral("a.snv") + QChar(0) + QStringLiteral("junk")),
             QStringLiteral("a.snv"));
  }

  void mediaReferences() {
    using D = app::DocumentCommands;
    QCOMPARE(D::mediaReference(QStringLiteral("/opt/scenova/Files/bell.wav"),
                               QStringLiteral("/opt/scenova")),
             QStringLiteral("Files/bell.wav"));
    QCOMPARE(
        D::mediaReference(QStringLiteral("/OPT/Scenova/x.mp3"), QStringLiteral("/opt/scenova")),
        QStringLiteral("x.mp3"));
    // A sibling folder that merely starts with the same name keeps its path.
    QCOMPARE(
        D::mediaReference(QStringLiteral("/opt/scenova-old/x.mp3"), QStringLiteral("/opt/scenova")),
        QStringLiteral("/opt/scenova-old/x.mp3"));
  }

  void insertMediaReferenceAfterTheSelection() {
    FormFixture f;
    platform::RTB& rtb = f.rtb();
    rtb.SetText(QStringLiteral("Thunder here"));
    rtb.Select(0, 7);
    rtb.SetSelItalic(true);
    rtb.SetSelFontSize(14);
    rtb.Select(0, 7);
    f.form->doc().Modified = 0;
    f.dialogs.fileAnswers.push_back(f.folder.file(QStringLiteral("Files/sounds/bell.wav")));
    f.form->ui().Label2[15]->Click();
    const platform::FileDialogRequest& r = f.dialogs.fileRequests.constLast();
    QCOMPARE(r.title, f.text(25));
    QCOMPARE(r.defaultExtension, QStringLiteral("wav"));
    QCOMPARE(r.filters.size(), 2);
    QCOMPARE(r.filters[0].description, f.text(41));
    // Every sound the player plays and every picture a cue shows, each once.
    const QStringList patterns = r.filters[0].patterns.split(u';');
    QCOMPARE(QSet<QString>(patterns.begin(), patterns.end()).size(), patterns.size());
    for (const char* ending : {"wav", "mp3", "flac", "ogg", "opus", "m4a", "mp4", "mid", "jpg",
                               "jpeg", "png", "gif", "bmp"})
      QVERIFY2(patterns.contains(QStringLiteral("*.") + QLatin1StringView(ending)), ending);
    for (const QByteArray& format : QImageReader::supportedImageFormats())
      QVERIFY(patterns.contains(QStringLiteral("*.") + QString::fromLatin1(format)));
    QCOMPARE(r.filters[1].patterns, QStringLiteral("*.*"));
    QCOMPARE(rtb.Text(), QStringLiteral("Thunder[[Files/sounds/bell.wav]]  here"));
    QCOMPARE(f.form->doc().Modified, 1);
    rtb.Select(7, 25);  // the cue: red Arial, italic and 14 pt as the text before
    QCOMPARE(rtb.SelColor().value_or(QColor()).rgb(), QColor(255, 0, 0).rgb());
    QCOMPARE(rtb.SelFontName(), std::optional<QString>(QStringLiteral("Arial")));
    QCOMPARE(rtb.SelItalic(), std::optional<bool>(true));
    QCOMPARE(rtb.SelFontSize(), std::optional<qreal>(14));
    rtb.Select(32, 1);  // the blank after it: the previous format again
    QVERIFY(rtb.SelColor() != std::optional<QColor>(QColor(255, 0, 0)));
    QCOMPARE(rtb.SelItalic(), std::optional<bool>(true));
    // Cancelled: nothing inserted.
    const QString before = rtb.Text();
    f.form->subsystems().documents.InsertMediaReference();
    QCOMPARE(rtb.Text(), before);
  }
};

QTEST_MAIN(TestDocuments)
#include "test_documents.moc"
