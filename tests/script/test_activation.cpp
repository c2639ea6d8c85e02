// Cue activation and the media loader: where a click finds a cue, what it
// loads or carries out, and what happens with files that are not there.

#include "script/cue_rig.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTest>

using namespace scenova;
using Rig = test::CueRig;

class TestActivation : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void search_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("content");  // null: no cue
    const QString cue = QStringLiteral("ab [[Play Audio]] cd");
    const QString none;
    QTest::newRow("inside") << cue << 8 << QStringLiteral("Play Audio");
    QTest::newRow("between the opening brackets") << cue << 4 << QStringLiteral("Play Audio");
    QTest::newRow("right after the opening brackets") << cue << 5 << QStringLiteral("Play Audio");
    QTest::newRow("right before the closing brackets") << cue << 15 << QStringLiteral("Play Audio");
    QTest::newRow("right before the opening brackets") << cue << 3 << none;
    QTest::newRow("between the closing brackets") << cue << 16 << none;
    QTest::newRow("right after the closing brackets") << cue << 17 << none;
    QTest::newRow("closing pair met first going back")
        << QStringLiteral("abc ]] def [[x") << 8 << none;
    QTest::newRow("no closing pair ahead") << QStringLiteral("abc ]] def [[x") << 13 << none;
    QTest::newRow("opening pair met first going on") << QStringLiteral("[[a [[b]]") << 2 << none;
    QTest::newRow("the nearest opening pair")
        << QStringLiteral("[[[a]]") << 4 << QStringLiteral("a");
    QTest::newRow("empty cue") << QStringLiteral("x [[]] y") << 4 << QString(QLatin1StringView(""));
    QTest::newRow("closing 256 characters on")
        << QStringLiteral("[[") + QString(255, QLatin1Char('a')) + QStringLiteral("]]") << 2
        << QString(255, QLatin1Char('a'));
    QTest::newRow("closing 257 characters on")
        << QStringLiteral("[[") + QString(256, QLatin1Char('a')) + QStringLiteral("]]") << 2
        << none;
    QTest::newRow("long way back")
        << QStringLiteral("[[") + QString(10000, QLatin1Char('b')) + QStringLiteral("]]") << 10001
        << QString(10000, QLatin1Char('b'));
    QTest::newRow("across a paragraph break")
        << QStringLiteral("[[Play\r\nAudio]]") << 3 << QStringLiteral("Play\r\nAudio");
    QTest::newRow("beyond 16-bit positions")
        << QString(40000, QLatin1Char('x')) + QStringLiteral("[[FadeIn]]") << 40004
        << QStringLiteral("FadeIn");
  }
  void search() {
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, content);
    Rig r;
    r.editor->SetText(text);
    const std::optional<script::CueSpan> span = script::findCueAround(*r.editor, caret);
    QCOMPARE(span.has_value(), !content.isNull());
    if (span) QCOMPARE(r.editor->Mid(span->start, span->end - span->start), content);
  }

  void clickCarriesACommandOutAndKeepsTheCaret() {
    Rig r;
    r.audioLoaded();
    r.device.positionMs = 1000;
    const QString text = QStringLiteral("Line one\r\nthen [[ play audio ]] here");
    r.editor->SetText(text);
    r.clickIn(text, QStringLiteral("audio"), 2);
    QCOMPARE(r.editor->Text(), QStringLiteral("Line one\r\nthen [[Play Audio]] here"));
    QCOMPARE(r.actions(), QStringList{QStringLiteral("play wav1")});
    QCOMPARE(r.editor->SelStart(), static_cast<int>(text.indexOf(QStringLiteral("audio")) + 2));
    QCOMPARE(r.editor->SelLength(), 0);
    QVERIFY(r.state().CommandDone);
    QCOMPARE(r.currentCue(), QStringLiteral("play audio"));
  }

  void shortScriptsFireNothing() {
    Rig r;
    r.editor->SetText(QStringLiteral("[[]]"));
    r.clickAt(2);
    QVERIFY(r.host->notices.isEmpty());
    r.editor->SetText(QStringLiteral("[[]] "));
    r.clickAt(2);
    QCOMPARE(r.host->notices, QStringList{r.lang[127]});
  }

  void notFound_data() {
    QTest::addColumn<QString>("cue");
    QTest::newRow("missing file") << QStringLiteral("missing.wav");
    QTest::newRow("a folder") << QStringLiteral("Files");
    QTest::newRow("10,000 characters") << QString(10000, QLatin1Char('n'));
    QTest::newRow("a name too long for the file system")
        << QString(300, QLatin1Char('m')) + QStringLiteral(".wav");
    QTest::newRow("a NUL in the name") << QStringLiteral("Files/play.jpg") + QChar(0);
    QTest::newRow("player command before its player") << QStringLiteral("Play Video");
    QTest::newRow("a line break inside") << QStringLiteral("Play\r\nAudio");
  }
  void notFound() {
    QFETCH(QString, cue);
    Rig r;
    r.ui.Label2[15]->Tag = QStringLiteral("earlier");
    const QString text = QStringLiteral("x [[") + cue + QStringLiteral("]] y");
    r.editor->SetText(text);
    r.clickAt(static_cast<int>(text.size()) - 4);  // right before "]]"
    QCOMPARE(r.host->notices, QStringList{r.lang[127]});
    QCOMPARE(r.currentCue(), QString());
    QVERIFY(r.device.commands.isEmpty());
    QVERIFY(r.video.calls.isEmpty());
    QVERIFY(!r.state().CueHasMedia);
    QCOMPARE(r.editor->Text(), text);
  }

  void mediaKinds_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("kind");
    using T = script::MediaType;
    QTest::newRow("mp3") << QStringLiteral("Intro.MP3") << int(T::Audio);
    QTest::newRow("mpeg without its dot") << QStringLiteral("clip.mpeg") << int(T::Video);
    QTest::newRow("video in capitals") << QStringLiteral("CLIP.AVI") << int(T::Video);
    QTest::newRow("picture") << QStringLiteral("photo.Jpg") << int(T::Picture);
    QTest::newRow("bitmap") << QStringLiteral("a.bmp") << int(T::Picture);
    // Every format the image reader reads is a picture, not only .jpg and .bmp.
    QTest::newRow("jpeg") << QStringLiteral("photo.jpeg") << int(T::Picture);
    QTest::newRow("png in capitals") << QStringLiteral("Slide.PNG") << int(T::Picture);
    QTest::newRow("gif") << QStringLiteral("/show/v1.2/logo.gif") << int(T::Picture);
    QTest::newRow("a dot in a folder only")
        << QStringLiteral("/show/a.png/thunder") << int(T::Audio);
    QTest::newRow("karaoke") << QStringLiteral("song.kar") << int(T::Midi);
    QTest::newRow("midi") << QStringLiteral("song.MID") << int(T::Midi);
    QTest::newRow("flac") << QStringLiteral("rain.flac") << int(T::Audio);
    QTest::newRow("opus") << QStringLiteral("rain.opus") << int(T::Audio);
  }
  void mediaKinds() {
    QFETCH(QString, path);
    QFETCH(int, kind);
    QCOMPARE(int(script::mediaTypeOf(path)), kind);
  }

  void audioCueLoadsStopped() {
    Rig r;
    QDir().mkpath(r.folder.file(QStringLiteral("Sounds")));
    r.folder.write(QStringLiteral("Sounds/Intro.MP3"), QByteArrayLiteral("x"));
    r.device.lengthMs = 187000;
    // Found below the program folder, written with the other separator,
    // opened with its own case.
    const QString text = QStringLiteral("[[Sounds\\Intro.MP3]]");
    r.editor->SetText(text);
    r.ui.Label11->show();
    r.clickAt(4);
    const QString path = r.folder.path() + QStringLiteral("/Sounds/Intro.MP3");
    QCOMPARE(r.currentCue(), path);
    // Nothing of the new file sounds while it is loaded.
    QCOMPARE(r.actions(),
             (QStringList{QStringLiteral("close all"),
                          QStringLiteral("open \"") + path + QStringLiteral("\" ALIAS wav1"),
                          QStringLiteral("seek wav1 to start")}));
    QVERIFY(!r.device.playing);
    QCOMPARE(r.ui.lblContatore->caption(), QStringLiteral("0:00 / 3:07"));
    QCOMPARE(r.ui.cmdPlayA->Tag, r.lang[7]);
    QCOMPARE(r.ui.mnuPlayAudio->text(), r.lang[7]);
    QVERIFY(r.ui.mnuAudio->menuAction()->isVisible());
    QVERIFY(!r.ui.lblWMP1->isHidden());
    QVERIFY(r.ui.cmdPlayA->isEnabled() && !r.ui.cmdBacA->isHidden());
    QVERIFY(r.ui.Label11->isHidden());
    QVERIFY(r.state().CueHasMedia);
    QCOMPARE(r.state().LoadedKind, QStringLiteral("A"));
    QCOMPARE(r.state().MediaKind, qint16(1));
    QCOMPARE(r.playPicture(), r.picture("play2"));
    QCOMPARE(r.editor->Text(), text);
  }

  void failedOpenShowsTheDevicesText() {
    Rig r;
    r.folder.write(QStringLiteral("thunder.ogg"), QByteArrayLiteral("x"));
    const quint32 failure = platform::code(platform::MciError::UnsupportedFormat);
    r.device.failNextOpen = failure;
    r.editor->SetText(QStringLiteral("[[thunder.ogg]]"));
    r.clickAt(4);
    QCOMPARE(r.host->notices, QStringList{r.device.errorString(failure)});
    // The panel comes up all the same.
    QVERIFY(!r.ui.lblWMP1->isHidden());
    QVERIFY(r.actions().contains(QStringLiteral("seek wav1 to start")));
    // In another language the operator reads that language's words.
    const QString german = QStringLiteral("Kein unterstütztes Audioformat.");
    r.lang.setText(227, german);
    r.host->notices.clear();
    r.device.failNextOpen = failure;
    r.clickAt(4);
    QCOMPARE(r.host->notices, QStringList{german});
  }

  void doubleClickStartsAudio() {
    Rig r;
    r.folder.write(QStringLiteral("tone.wav"), QByteArrayLiteral("x"));
    r.editor->SetText(QStringLiteral("[[tone.wav]] x"));
    r.editor->SetSelStart(4);
    r.engine->activation().RTB_Click();
    r.engine->activation().RTB_DblClick();
    QVERIFY(r.device.playing);
    QCOMPARE(r.ui.cmdPlayA->Tag, r.lang[8]);
    QCOMPARE(r.ui.mnuPlayAudio->text(), r.lang[8]);
    QVERIFY(r.Timer1.isActive());
    QCOMPARE(r.actions().count(QStringLiteral("close all")), 2);
    QCOMPARE(r.playPicture(), r.picture("pause2"));
  }

  void doubleClickRunsACommandTwice() {
    Rig r;
    r.editor->SetText(QStringLiteral("[[fadein]] x"));
    r.editor->SetSelStart(4);
    r.engine->activation().RTB_Click();
    r.engine->activation().RTB_DblClick();
    QCOMPARE(r.volume.calls, (QStringList{QStringLiteral("fade 0"), QStringLiteral("fade 0")}));
  }

  void pictureCueShowsAndStartsNothing() {
    Rig r;
    r.folder.write(QStringLiteral("p.JPG"), QByteArrayLiteral("x"));
    r.editor->SetText(QStringLiteral("[[p.JPG]] x"));
    r.editor->SetSelStart(4);
    r.engine->activation().RTB_DblClick();
    QCOMPARE(r.video.calls, QStringList{QStringLiteral("loadPicture ") + r.folder.path() +
                                        QStringLiteral("/p.JPG")});
    QCOMPARE(r.state().LoadedKind, QStringLiteral("I"));
    QVERIFY(!r.state().CueHasMedia);
    QVERIFY(r.device.commands.isEmpty());
  }

  void videoTitle_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("video") << QStringLiteral("/show/intro.avi") << QStringLiteral("Video - intro");
    QTest::newRow("midi in capitals")
        << QStringLiteral("/show/Song.MID") << QStringLiteral("MIDI - Song");
    QTest::newRow("backslashes") << QStringLiteral("C:\\show\\x.mpeg")
                                 << QStringLiteral("Video - x.");
    QTest::newRow("no folder leaves it")
        << QStringLiteral("clip.avi") << QStringLiteral("Video Player");
    QTest::newRow("name shorter than an ending")
        << QStringLiteral("/a/b.c") << QStringLiteral("Video - ");
  }
  void videoTitle() {
    QFETCH(QString, path);
    QFETCH(QString, title);
    Rig r;
    r.engine->loader().ShowVideoTitle(path);
    QCOMPARE(r.ui.Label8->caption(), title);
  }

  void rightButtonOpensTheEditMenu() {
    Rig r;
    r.editor->SetText(QStringLiteral("[[fadein]]"));
    r.engine->activation().RTB_MouseDown(1, 0, 150, 150);
    QVERIFY(!r.ui.mnuModifica->isVisible());
    r.engine->activation().RTB_MouseDown(2, 0, 150, 150);
    QVERIFY(r.ui.mnuModifica->isVisible());
    r.ui.mnuModifica->close();
    QVERIFY(r.volume.calls.isEmpty());
  }
};

QTEST_MAIN(TestActivation)
#include "test_activation.moc"
