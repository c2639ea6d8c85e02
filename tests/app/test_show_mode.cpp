// Show mode on the real main window (offscreen): the keys, the read-only
// script, Stop all, the title and frame, and the broken-cue notices.

#include "app/document_commands.h"
#include "app/form1.h"
#include "app/show_mode.h"
#include "app/subsystems.h"
#include "audio/volume_operations.h"
#include "fakes/fakes.h"
#include "fakes/media/fake_audio_device.h"
#include "fakes/media/fake_sound_voices.h"
#include "platform/rtb/rtb.h"
#include "support/form_fixture.h"
#include "ui/notice_line.h"
#include "video/video_operations.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTest>

using namespace scenova;
using namespace scenova::app;

namespace {

// The audio device is made before the window that uses it.
struct AudioDevice {
  platform::FakeAudioDevice audio;
  platform::FakeSoundVoices voices;
};

struct Fixture : AudioDevice, test::FormFixture {
  ShowMode* show = nullptr;

  explicit Fixture(const QByteArray& script = {})
      : FormFixture(test::FormSetup{
            {},
            QStringLiteral("gb"),
            {},
            true,
            [script, device = &audio, voices = &voices](test::FormFixture& f, Services& s) {
              if (!script.isEmpty()) {
                f.folder.write(QStringLiteral("show.rtf"), script);
                s.commandLine = f.folder.file(QStringLiteral("show.rtf"));
              }
              f.folder.write(QStringLiteral("tone.wav"), QByteArrayLiteral("x"));
              s.audio = device;
              s.voices = voices;
            },
            {}}) {
    show = &form->subsystems().show;
    form->show();
    QApplication::setActiveWindow(form.get());
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    form->editor()->setFocus();
  }
  ~Fixture() { QDir::setCurrent(QDir::tempPath()); }
  platform::RTB* editor() const { return form->editor(); }
  void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), k, m);
  }
  QString notice() const {
    return form->ui().Label11->isVisibleTo(form.get()) ? form->ui().Label11->caption() : QString();
  }
  QString text(int n) const { return form->lang()[n]; }
  QString marked() const {
    const std::optional<script::CueBounds> m = show->nextCue().mark();
    return m ? editor()->Mid(m->contentStart(), m->contentLength()) : QString();
  }
};

const QByteArray kShow =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue255;}\\f0 Act one "
    "[[tone.wav]]\\par\\cf1 [[Play Audio]]\\cf0  storm \\cf1 [[FadeOut Fast]]\\cf0\\par "
    "\\cf1 [[Stop Audio]]\\cf0  end\\par}";

}  // namespace

class TestShowMode : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void f12SwitchesShowModeOnAndOff() {
    Fixture f(kShow);
    const QString title = f.form->windowTitle();
    QVERIFY(f.form->ui().mnuShowMode->shortcut() == QKeySequence(Qt::Key_F12));
    QVERIFY(f.form->ui().mnuOpzioni->actions().contains(f.form->ui().mnuShowMode));
    QCOMPARE(f.form->ui().mnuShowMode->text(), f.text(180));

    f.key(Qt::Key_F12);
    QVERIFY(f.show->isOn());
    QVERIFY(f.form->ui().mnuShowMode->isChecked());
    QCOMPARE(f.form->windowTitle(), title + QStringLiteral(" [") + f.text(181) + QLatin1Char(']'));
    QVERIFY(!f.form->ui().Label1->styleSheet().isEmpty());
    QVERIFY(f.editor()->isReadOnly());
    for (QAction* a : {f.form->ui().mnuAnnulla, f.form->ui().mnuTaglia, f.form->ui().mnuIncolla,
                       f.form->ui().mnuAddCommand, f.form->ui().mnuSostituisci})
      QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(!f.form->ui().Combo1->isEnabled());
    QVERIFY(!f.form->ui().Label2[4]->isEnabled());
    QVERIFY(f.form->ui().Label2[4]->graphicsEffect());  // faded
    QVERIFY(!f.form->ui().Label2[2]->graphicsEffect());
    QVERIFY(f.form->ui().mnuCopia->isEnabled());   // copying changes nothing
    QVERIFY(f.form->ui().Label2[2]->isEnabled());  // nor does saving

    // A script opened during the show keeps the word in the title.
    f.form->setScriptTitle(QStringLiteral("Scenova - other.rtf"));
    QVERIFY(f.form->windowTitle().endsWith(f.text(181) + QLatin1Char(']')));

    f.key(Qt::Key_F12);
    QVERIFY(!f.show->isOn());
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Scenova - other.rtf"));
    QVERIFY(f.form->ui().Label1->styleSheet().isEmpty());
    QVERIFY(!f.editor()->isReadOnly());
    QVERIFY(f.form->ui().mnuTaglia->isEnabled());
    QVERIFY(f.form->ui().Combo1->isEnabled());
    QVERIFY(f.form->ui().Label2[4]->isEnabled());
    QVERIFY(!f.form->ui().Label2[4]->graphicsEffect());
    // Editable again.
    f.editor()->SetSelStart(0);
    QTest::keyClicks(f.editor(), QStringLiteral("x"));
    QVERIFY(f.editor()->Text().startsWith(QStringLiteral("xAct")));
  }

  void nothingTypedPastedOrDroppedChangesTheScript() {
    Fixture f(kShow);
    const QString before = f.editor()->Text();
    f.key(Qt::Key_F12);
    QApplication::clipboard()->setText(QStringLiteral("PASTED"));
    f.editor()->Select(0, 3);
    QTest::keyClicks(f.editor(), QStringLiteral("abc]]"));
    for (Qt::Key k : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Tab}) f.key(k);
    f.key(Qt::Key_V, Qt::ControlModifier);
    f.key(Qt::Key_X, Qt::ControlModifier);
    f.key(Qt::Key_Z, Qt::ControlModifier);
    f.key(Qt::Key_B, Qt::ControlModifier);
    f.form->ui().mnuIncolla->trigger();
    f.form->ui().mnuTaglia->trigger();
    f.editor()->paste();
    f.editor()->cut();
    // A drop of text onto the script.
    auto* mime = new QMimeData;
    mime->setText(QStringLiteral("DROPPED"));
    const QPointF at(20, 10);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.editor()->viewport(), &enter);
    QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.editor()->viewport(), &drop);
    delete mime;
    QCOMPARE(f.editor()->Text(), before);
    QCOMPARE(f.form->doc().Modified, 0);
  }

  void spaceAndKeypadEnterFireTheNextCue() {
    Fixture f(kShow);
    f.key(Qt::Key_F12);
    QCOMPARE(f.marked(), QStringLiteral("tone.wav"));
    f.key(Qt::Key_Space);  // load
    QVERIFY(f.audio.isOpen());
    QVERIFY(!f.audio.playing);
    QCOMPARE(f.marked(), QStringLiteral("Play Audio"));
    f.key(Qt::Key_Enter, Qt::KeypadModifier);  // play
    QVERIFY(f.audio.playing);
    QCOMPARE(f.marked(), QStringLiteral("FadeOut Fast"));
    // A held key is one GO, and Return is no GO.
    QTest::sendKeyEvent(QTest::KeyAction::Press, f.editor(), Qt::Key_Space, ' ', Qt::NoModifier);
    QCOMPARE(f.marked(), QStringLiteral("Stop Audio"));
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    QApplication::sendEvent(f.editor(), &repeat);
    QTest::sendKeyEvent(QTest::KeyAction::Release, f.editor(), Qt::Key_Space, ' ', Qt::NoModifier);
    f.key(Qt::Key_Return);
    QCOMPARE(f.marked(), QStringLiteral("Stop Audio"));
    QVERIFY(f.audio.playing);
    // Up, Down and Home move the mark without firing.
    f.key(Qt::Key_Up);
    QCOMPARE(f.marked(), QStringLiteral("FadeOut Fast"));
    f.key(Qt::Key_Home);
    QCOMPARE(f.marked(), QStringLiteral("tone.wav"));
    f.key(Qt::Key_PageDown);
    f.key(Qt::Key_Down);
    f.key(Qt::Key_PageUp);
    QCOMPARE(f.marked(), QStringLiteral("Play Audio"));
    QVERIFY(f.audio.playing);
    f.key(Qt::Key_End);
    f.key(Qt::Key_Down);
    f.key(Qt::Key_Down);
    f.key(Qt::Key_Space);  // Stop Audio
    QVERIFY(!f.audio.playing);
    QVERIFY(f.marked().isNull());
    // Past the last cue: a notice, nothing fired.
    f.audio.commands.clear();
    f.key(Qt::Key_Space);
    QCOMPARE(f.notice(), f.text(182));
    QVERIFY(f.audio.actions().isEmpty());
    QCOMPARE(f.form->doc().Modified, 0);
  }

  // GO fires layer cues like any cue; Stop all stops the layers with the
  // transport, and a layer's row appears and goes with it.
  void goAndEscapeWithLayers() {
    Fixture f(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 [[tone.wav]]\\par [[Play Audio]]\\par "
        "[[Loop tone.wav]]\\par [[Sound tone.wav]]\\par}");
    f.key(Qt::Key_F12);
    for (int i = 0; i < 3; ++i) f.key(Qt::Key_Space);
    QVERIFY(f.audio.playing);
    QCOMPARE(f.voices.playing.size(), 1);
    QVERIFY(f.voices.playing.first().loop);
    QWidget* rows = f.form->findChild<QWidget*>(QStringLiteral("layerRows"));
    QVERIFY(rows && rows->isVisible());
    f.key(Qt::Key_Escape);
    QVERIFY(!f.audio.playing);
    QVERIFY(f.voices.playing.isEmpty());
    QVERIFY(rows->isHidden());
    QVERIFY(f.show->isOn());
  }

  // The files of the layer cues are loaded ahead from the next cue on: at
  // opening, when show mode starts (a file that came since counts) and after
  // a layer cue fired (the cues after it come first).
  void layerFilesAreLoadedAheadFromTheNextCue() {
    Fixture f(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 [[Sound tone.wav]]\\par [[Play "
        "Audio]]\\par [[Loop later.wav]]\\par [[Stop tone.wav]]\\par [[Sound gone.wav]]\\par}");
    auto path = [&f](const char* name) {
      return QDir::cleanPath(QFileInfo(f.folder.file(QLatin1StringView(name))).absoluteFilePath());
    };
    QTRY_COMPARE(f.voices.prepared, QStringList{path("tone.wav")});
    f.folder.write(QStringLiteral("later.wav"), QByteArrayLiteral("x"));
    f.key(Qt::Key_F12);
    QCOMPARE(f.voices.prepared, (QStringList{path("tone.wav"), path("later.wav")}));
    f.key(Qt::Key_Space);
    QCOMPARE(f.voices.playing.size(), 1);
    QTRY_COMPARE(f.voices.prepared, (QStringList{path("later.wav"), path("tone.wav")}));
  }

  // The audio panel is told the sound file of the first plain file cue
  // from the next cue on, whenever the mark moves.
  void theNextSoundFileIsLoadedAhead() {
    Fixture f(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 [[tone.wav]] + [[Play Audio]]\\par "
        "[[Sound tone.wav]]\\par [[Vol 20]]\\par [[later.wav]]\\par}");
    f.folder.write(QStringLiteral("later.wav"), QByteArrayLiteral("x"));
    auto path = [&f](const char* name) {
      return QDir::cleanPath(QFileInfo(f.folder.file(QLatin1StringView(name))).absoluteFilePath());
    };
    QTRY_COMPARE(f.audio.prepared.value(f.audio.prepared.size() - 1), path("tone.wav"));
    f.key(Qt::Key_F12);
    f.key(Qt::Key_Space);  // the group: the mark moves past it, to a layer cue
    QTRY_COMPARE(f.audio.prepared.constLast(), path("later.wav"));
    f.key(Qt::Key_Home);
    QTRY_COMPARE(f.audio.prepared.constLast(), path("tone.wav"));
  }

  void escapeStopsAllAndTheWindowStaysOpen() {
    Fixture f(kShow);
    f.key(Qt::Key_F12);
    f.key(Qt::Key_Space);
    f.key(Qt::Key_Space);
    QVERIFY(f.audio.playing);
    f.form->subsystems().volume.fadeButtonClick(3);
    QVERIFY(f.form->timers().Timer3.isActive());
    const double before = ui::twips::top(f.form->ui().Image2);
    QTRY_VERIFY(ui::twips::top(f.form->ui().Image2) != before);  // the fade moves the knob
    const double knob = ui::twips::top(f.form->ui().Image2);
    const QString value = f.form->ui().Image2->Tag;
    f.key(Qt::Key_Escape);
    QVERIFY(!f.audio.playing);
    QCOMPARE(f.audio.positionMs, 0);
    QVERIFY(!f.form->timers().Timer3.isActive());
    QCoreApplication::processEvents();                    // whatever the Escape posted
    QCOMPARE(ui::twips::top(f.form->ui().Image2), knob);  // the volume stays where it was
    QCOMPARE(f.form->ui().Image2->Tag, value);
    QVERIFY(f.form->isVisible());
    QVERIFY(f.show->isOn());
    // Outside show mode Escape closes the window as before.
    f.key(Qt::Key_F12);
    QTest::keyClick(f.form.get(), Qt::Key_Escape);
    QVERIFY(!f.form->isVisible());
  }

  // One GO fires a cue group; Escape drops its pending wait and says so.
  void goFiresAGroupAndEscapeDropsItsWait() {
    Fixture f(
        "{\\rtf1\\ansi [[tone.wav]] + [[Vol 100]] + [[Wait 0.3]] + [[Play Audio]]\\par "
        "[[Vol 50]] + [[Wait 0.6]] + [[FadeIn]]\\par [[Wait 0]] + [[Stop Audio]]\\par}");
    f.key(Qt::Key_F12);
    f.key(Qt::Key_Space);
    QVERIFY(f.audio.isOpen());
    QVERIFY(!f.audio.playing);
    QCOMPARE(f.marked(), QStringLiteral("Vol 50"));
    f.key(Qt::Key_Escape);
    QCOMPARE(f.notice(), f.text(264) + QStringLiteral(" 1"));
    // The next group's fade comes after the dropped Play Audio's time.
    f.key(Qt::Key_Space);
    QCOMPARE(f.marked(), QStringLiteral("Wait 0"));
    QTRY_VERIFY_WITH_TIMEOUT(f.form->timers().Timer3.isActive(), 5000);
    QVERIFY(!f.audio.playing);
    // A wait whose time cannot be used: said, and the rest waits for GO.
    f.key(Qt::Key_Space);
    QCOMPARE(f.notice(), f.text(263));
    QCOMPARE(f.marked(), QStringLiteral("Stop Audio"));
    f.key(Qt::Key_Escape);
  }

  // The check marks waits whose time cannot be used and counts them apart
  // from the missing files.
  void badWaitsAreMarkedAndCountedApart() {
    Fixture f("{\\rtf1\\ansi [[tone.wav]] + [[Wait 0]] + [[gone.wav]] [[Wait 2]]\\par}");
    QCOMPARE(f.notice(),
             f.text(183) + QStringLiteral(" 1  \u00b7  ") + f.text(265) + QStringLiteral(" 1"));
    QCOMPARE(f.show->marks().broken().size(), 2);
  }

  // A network cue whose host name does not resolve is marked and named once
  // its lookup has answered, away from the window; the file count is kept
  // apart, and a numeric address is never marked.
  void unresolvedHostsAreMarkedAndNamed() {
    Fixture f(
        "{\\rtf1\\ansi [[OSC no-such-host.invalid:9000 /go]] [[gone.wav]]\\par "
        "[[OSC 127.0.0.1:9000 /go]] [[OSC no-such-host.invalid:9001 /stop]]\\par}");
    // The file is marked at once, the host when its answer comes.
    QTRY_COMPARE_WITH_TIMEOUT(f.show->marks().broken().size(), 3, 30000);
    QCOMPARE(f.notice(), f.text(183) + QStringLiteral(" 1  \u00b7  ") + f.text(327) +
                             QStringLiteral(" no-such-host.invalid"));
    // The operator's check keeps the known answer while asking again.
    f.form->ui().mnuCheckCues->trigger();
    QCOMPARE(f.show->marks().broken().size(), 3);
  }

  void escapeStopsTheVideoOnceItsPanelIsInUse() {
    Fixture f(kShow);
    const QString playing = f.text(8), idle = f.text(7);
    MainControls& ui = f.form->ui();
    ui.cmdPlayV->Tag = playing;  // as if a video played
    f.key(Qt::Key_F12);
    f.key(Qt::Key_Escape);  // no video loaded yet: its panel is hidden
    QCOMPARE(ui.cmdPlayV->Tag, playing);
    QVERIFY(f.audio.actions().isEmpty());  // nor any audio
    ui.Picture3->show();
    f.key(Qt::Key_Escape);
    QCOMPARE(ui.cmdPlayV->Tag, idle);  // the panel's Stop ran
  }

  void theMarkFollowsAClickOnAnotherCue() {
    Fixture f(kShow);
    f.key(Qt::Key_F12);
    const int fade = static_cast<int>(f.editor()->Text().indexOf(QStringLiteral("FadeOut")));
    f.editor()->SetSelStart(fade + 2);
    Q_EMIT f.editor()->Click();
    QVERIFY(f.form->timers().Timer3.isActive());  // the fade runs
    QCOMPARE(f.marked(), QStringLiteral("Stop Audio"));
    f.key(Qt::Key_Escape);
  }

  void brokenCuesAreCountedOnOpenAndOnRequest() {
    Fixture f(
        "{\\rtf1\\ansi [[tone.wav]] [[one.wav]]\\par [[two.mp4]] [[Vol 20]] [[three.jpg]]\\par}");
    QCOMPARE(f.notice(), f.text(183) + QStringLiteral(" 3"));
    QCOMPARE(f.show->marks().broken().size(), 3);
    f.folder.write(QStringLiteral("two.mp4"), QByteArrayLiteral("x"));
    f.form->ui().mnuCheckCues->trigger();
    QCOMPARE(f.notice(), f.text(183) + QStringLiteral(" 2"));
    QCOMPARE(f.show->marks().broken().size(), 2);
    f.folder.write(QStringLiteral("one.wav"), QByteArrayLiteral("x"));
    f.folder.write(QStringLiteral("three.jpg"), QByteArrayLiteral("x"));
    f.form->notice().expire();
    f.key(Qt::Key_F12);  // entering show mode checks again
    QCOMPARE(f.notice(), f.text(184));
    QVERIFY(f.show->marks().broken().isEmpty());
    QCOMPARE(f.form->doc().Modified, 0);
  }

  // File > Open: the notice counts the opened script's cues in its own
  // folder, not in the folder of the script that was open before.
  void openedScriptIsCheckedInItsOwnFolder() {
    Fixture f;
    test::ProgramFolder first, second;
    first.write(QStringLiteral("thunder.wav"), QByteArrayLiteral("x"));
    first.write(QStringLiteral("act1.rtf"), "{\\rtf1\\ansi [[thunder.wav]] [[Vol 20]]\\par}");
    second.write(QStringLiteral("rain.wav"), QByteArrayLiteral("x"));
    second.write(QStringLiteral("act2.rtf"), "{\\rtf1\\ansi [[thunder.wav]]\\par}");
    second.write(QStringLiteral("act3.rtf"), "{\\rtf1\\ansi [[rain.wav]]\\par}");
    const QList<std::pair<QString, QString>> opened{
        {first.file(QStringLiteral("act1.rtf")), f.text(184)},
        // Its only cue lies beside the script opened before, not beside it.
        {second.file(QStringLiteral("act2.rtf")), f.text(183) + QStringLiteral(" 1")},
        {first.file(QStringLiteral("act1.rtf")), f.text(184)},
        {second.file(QStringLiteral("act3.rtf")), f.text(184)},
    };
    for (const auto& [script, notice] : opened) {
      f.form->notice().expire();
      f.dialogs.fileAnswers.push_back(script);
      f.form->subsystems().documents.Open();
      QCOMPARE(f.form->doc().DocumentPath, script);
      QCOMPARE(f.notice(), notice);
    }
  }

  void savedInAnotherFolderIsCheckedAgain() {
    Fixture f("{\\rtf1\\ansi [[tone.wav]] [[near.wav]]\\par}");
    f.show->brokenCues().runPending();  // the check of the script just opened
    QCOMPARE(f.show->marks().broken().size(), 1);
    QVERIFY(!f.show->brokenCues().pending());
    // Save As into a folder that holds both files, under the same name
    // (the title does not change) and then under another one.
    test::ProgramFolder other;
    other.write(QStringLiteral("tone.wav"), QByteArrayLiteral("x"));
    other.write(QStringLiteral("near.wav"), QByteArrayLiteral("x"));
    const QString title = f.form->windowTitle();
    f.dialogs.fileAnswers.push_back(other.file(QStringLiteral("show.rtf")));
    f.form->subsystems().documents.mnuSalvaConNome_Click();
    QVERIFY(QFile::exists(other.file(QStringLiteral("show.rtf"))));
    QCOMPARE(f.form->windowTitle(), title);
    QVERIFY(f.show->brokenCues().pending());
    f.show->brokenCues().runPending();
    QVERIFY(f.show->marks().broken().isEmpty());
    f.dialogs.fileAnswers.push_back(f.folder.file(QStringLiteral("renamed.rtf")));
    f.form->subsystems().documents.mnuSalvaConNome_Click();
    QVERIFY(QFile::exists(f.folder.file(QStringLiteral("renamed.rtf"))));
    QVERIFY(f.show->brokenCues().pending());
    f.show->brokenCues().runPending();
    QCOMPARE(f.show->marks().broken().size(), 1);
    f.editor()->SetSelText(QStringLiteral(" "));
    f.show->brokenCues().runPending();      // the edit's own check
    f.form->subsystems().documents.Save();  // nothing moved: no check
    QCOMPARE(f.form->doc().Modified, 0);
    QVERIFY(!f.show->brokenCues().pending());
  }

  void captionsFollowTheLanguage() {
    Fixture f(kShow);
    f.key(Qt::Key_F12);
    f.dialogs.fileAnswers.push_back(f.folder.file(QStringLiteral("Lang/Deutsch.lng")));
    f.form->mnuLingua_Click();
    ui::LanguageTable de;
    de.load(f.folder.file(QStringLiteral("Lang/Deutsch.lng")));
    QCOMPARE(f.form->ui().mnuShowMode->text(), de[180]);
    QCOMPARE(f.form->ui().mnuCheckCues->text(), de[185]);
    QVERIFY(f.form->windowTitle().endsWith(QStringLiteral(" [") + de[181] + QLatin1Char(']')));
    QCOMPARE(f.form->windowTitle().count(QLatin1Char('[')), 1);
  }
};

QTEST_MAIN(TestShowMode)
#include "test_show_mode.moc"
