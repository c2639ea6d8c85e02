// The next-cue mark and GO on the real editor and cue engine (fake audio
// device, recording volume and video), and the broken-cue marks.

#include "script/broken_cues.h"
#include "script/cue_marks.h"
#include "script/cue_rig.h"
#include "script/cue_sheet.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace scenova;
using script::CueBounds;

namespace {

// The cue rig with the click connected and the show's marks on its editor.
struct ShowRig : test::CueRig {
  script::ScriptMarks marks{*editor};
  script::NextCue next{*editor, marks, engine->activation()};

  explicit ShowRig(const QString& script) {
    engine->connectControls();
    editor->SetText(script);
    editor->SetSelStart(0);
    folder.write(QStringLiteral("a.wav"), QByteArrayLiteral("x"));
  }
  // The content of the marked cue; null when nothing is marked.
  QString marked() const {
    const std::optional<CueBounds> m = next.mark();
    return m ? editor->Mid(m->contentStart(), m->contentLength()) : QString();
  }
  QStringList effects() { return volume.calls + video.calls + actions(); }
  void clearEffects() {
    volume.calls.clear();
    video.calls.clear();
    device.commands.clear();
  }
};

const QString kShow = QStringLiteral(
    "Act one.\r\n[[a.wav]] The storm.\r\n[[Play Audio]] Thunder.\r\n[[FadeOut Fast]]\r\n"
    "Quiet. [[Stop Audio]] End.");

}  // namespace

class TestNextCue : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void goFiresEachCueAsAClickAndMovesOn() {
    ShowRig r(kShow);
    r.editor->setReadOnly(true);  // as in show mode
    QSignalSpy changes(r.editor, &platform::RTB::Change);
    r.next.start();
    QCOMPARE(r.marked(), QStringLiteral("a.wav"));

    QVERIFY(r.next.go());  // the media cue loads, stopped
    QVERIFY(r.actions().contains(QStringLiteral("close all")));
    QVERIFY(!r.device.playing);
    QCOMPARE(r.marked(), QStringLiteral("Play Audio"));
    r.clearEffects();

    QVERIFY(r.next.go());
    QVERIFY(r.device.playing);
    QCOMPARE(r.actions().constLast(), QStringLiteral("play wav1"));
    QCOMPARE(r.marked(), QStringLiteral("FadeOut Fast"));
    r.clearEffects();

    QVERIFY(r.next.go());
    QCOMPARE(r.effects(), QStringList{QStringLiteral("fade 3")});
    QCOMPARE(r.marked(), QStringLiteral("Stop Audio"));
    r.clearEffects();

    QVERIFY(r.next.go());
    QVERIFY(r.actions().contains(QStringLiteral("seek wav1 to start")));
    QVERIFY(r.marked().isNull());
    r.clearEffects();

    // Past the last cue: nothing fires.
    QVERIFY(!r.next.go());
    QVERIFY(r.effects().isEmpty());
    // A read-only script keeps its text and raises no change, even for cues
    // a click would otherwise rewrite.
    QCOMPARE(r.editor->Text(), kShow);
    QCOMPARE(changes.count(), 0);
  }

  void aReadOnlyScriptKeepsCuesAsWritten() {
    ShowRig r(QStringLiteral("x [[a.wav]] y [[ play audio ]] z"));
    r.editor->setReadOnly(true);
    r.next.start();
    r.next.go();
    r.clearEffects();
    r.next.go();
    QVERIFY(r.device.playing);
    QCOMPARE(r.editor->Text(), QStringLiteral("x [[a.wav]] y [[ play audio ]] z"));
    QVERIFY(r.next.mark() == std::nullopt);
    // An editable script is normalised by the same click, and the mark
    // still moves past the rewritten cue.
    ShowRig e(QStringLiteral("x [[a.wav]] y [[ play audio ]] z [[Stop Audio]]"));
    e.next.start();
    e.next.go();
    e.next.go();
    QCOMPARE(e.editor->Text(), QStringLiteral("x [[a.wav]] y [[Play Audio]] z [[Stop Audio]]"));
    QCOMPARE(e.marked(), QStringLiteral("Stop Audio"));
  }

  void theMarkStartsAtTheCaret() {
    ShowRig r(kShow);
    const int play = static_cast<int>(kShow.indexOf(QStringLiteral("Play")));
    r.editor->SetSelStart(play + 2);  // inside "Play Audio"
    r.next.start();
    QCOMPARE(r.marked(), QStringLiteral("Play Audio"));
    r.next.stop();
    QVERIFY(r.next.mark() == std::nullopt);
    QVERIFY(r.editor->extraSelections().isEmpty());
    r.editor->SetSelStart(static_cast<int>(kShow.indexOf(QStringLiteral(" Thunder"))));
    r.next.start();
    QCOMPARE(r.marked(), QStringLiteral("FadeOut Fast"));
  }

  void upDownHomeMoveTheMarkWithoutFiring() {
    ShowRig r(kShow);
    r.next.start();
    r.next.next();
    r.next.next();
    QCOMPARE(r.marked(), QStringLiteral("FadeOut Fast"));
    r.next.previous();
    QCOMPARE(r.marked(), QStringLiteral("Play Audio"));
    r.next.first();
    QCOMPARE(r.marked(), QStringLiteral("a.wav"));
    r.next.previous();  // nothing before the first cue: it stays
    QCOMPARE(r.marked(), QStringLiteral("a.wav"));
    for (int i = 0; i < 6; ++i) r.next.next();  // nothing after the last: it stays
    QCOMPARE(r.marked(), QStringLiteral("Stop Audio"));
    QVERIFY(r.effects().isEmpty());
    // Past the end (after the last GO), Up comes back to the last cue.
    r.next.go();
    QVERIFY(r.next.mark() == std::nullopt);
    r.next.previous();
    QCOMPARE(r.marked(), QStringLiteral("Stop Audio"));
  }

  void theMarkFollowsClicksOnCues() {
    ShowRig r(kShow);
    r.next.start();
    // A click in "FadeOut Fast" fires it and marks the cue after it.
    r.editor->SetSelStart(static_cast<int>(kShow.indexOf(QStringLiteral("Out"))));
    Q_EMIT r.editor->Click();
    QCOMPARE(r.volume.calls, QStringList{QStringLiteral("fade 3")});
    QCOMPARE(r.marked(), QStringLiteral("Stop Audio"));
    // A click beside the cues fires nothing and leaves the mark.
    r.editor->SetSelStart(3);
    Q_EMIT r.editor->Click();
    QCOMPARE(r.marked(), QStringLiteral("Stop Audio"));
    // Stopped, nothing follows the clicks any more.
    r.next.stop();
    r.editor->SetSelStart(static_cast<int>(kShow.indexOf(QStringLiteral("a.wav"))));
    Q_EMIT r.editor->Click();
    QVERIFY(r.editor->extraSelections().isEmpty());
  }

  void theMarkIsNotPartOfTheScript() {
    ShowRig r(kShow);
    const QString plain = r.folder.file(QStringLiteral("plain.rtf"));
    const QString marked = r.folder.file(QStringLiteral("marked.rtf"));
    QVERIFY(r.editor->SaveFile(plain));
    QSignalSpy changes(r.editor, &platform::RTB::Change);
    r.next.start();
    r.next.next();
    QVERIFY(!r.editor->extraSelections().isEmpty());
    QVERIFY(r.editor->SaveFile(marked));
    QCOMPARE(changes.count(), 0);
    QCOMPARE(r.folder.read(QStringLiteral("marked.rtf")),
             r.folder.read(QStringLiteral("plain.rtf")));
    // Reopened, the script holds no trace of it either.
    QVERIFY(r.editor->LoadFile(marked));
    QCOMPARE(r.editor->Text(), kShow);
  }

  void anotherScriptResetsTheMark() {
    ShowRig r(kShow);
    r.next.start();
    r.next.next();
    r.next.next();
    r.folder.write(QStringLiteral("other.rtf"), "{\\rtf1\\ansi Scene two [[Stop Audio]]\\par}");
    QVERIFY(r.editor->LoadFile(r.folder.file(QStringLiteral("other.rtf"))));
    QCOMPARE(r.marked(), QStringLiteral("Stop Audio"));
    r.folder.write(QStringLiteral("none.rtf"), "{\\rtf1\\ansi No cues at all\\par}");
    QVERIFY(r.editor->LoadFile(r.folder.file(QStringLiteral("none.rtf"))));
    QVERIFY(r.next.mark() == std::nullopt);
    QVERIFY(!r.next.go());
    // The whole text replaced in the same document: the mark starts over.
    r.editor->SetText(QStringLiteral("New [[a.wav]] text"));
    r.next.first();
    QCOMPARE(r.marked(), QStringLiteral("a.wav"));
    r.editor->SetText(QString());
    QVERIFY(r.next.mark() == std::nullopt);
    QVERIFY(!r.next.go());
  }

  void oddScriptsFireOnlyWhatIsMarked() {
    {  // A cue across a line break is no command: its file is not found.
      ShowRig r(QStringLiteral("x [[Play\r\nAudio]] y"));
      r.next.start();
      QCOMPARE(r.marked(), QStringLiteral("Play\r\nAudio"));
      QVERIFY(r.next.go());
      QCOMPARE(r.host->notices, QStringList{r.lang[127]});
      QVERIFY(r.actions().isEmpty());
    }
    {  // Nested opening pairs: the nearest one counts.
      ShowRig r(QStringLiteral("[[a.wav [[FadeIn]] b]]"));
      r.next.start();
      QCOMPARE(r.marked(), QStringLiteral("FadeIn"));
      QVERIFY(r.next.go());
      QCOMPARE(r.volume.calls, QStringList{QStringLiteral("fade 0")});
      QVERIFY(!r.next.go());
    }
    {  // Too short for the click to accept: GO moves on without firing.
      ShowRig r(QStringLiteral("[[]]"));
      r.next.start();
      QCOMPARE(r.marked(), QString(QLatin1StringView("")));
      QVERIFY(r.next.go());
      QVERIFY(r.next.mark() == std::nullopt);
      QVERIFY(r.effects().isEmpty());
    }
  }

  // ---- cue groups: cues joined by "+" go with one GO ----

  void goFiresAWholeGroupAndMarksTheCueAfterIt() {
    ShowRig r(QStringLiteral(
        "[[a.wav]] + [[Vol 100]] + [[Play Audio]] Thunder.\r\n[[FadeIn]] +\r\n[[Stop Audio]]"));
    r.editor->setReadOnly(true);
    r.next.start();
    // The cues joined to the marked one are marked too, paler.
    const QList<QTextEdit::ExtraSelection> marks = r.editor->extraSelections();
    QCOMPARE(marks.size(), 2);
    QCOMPARE(marks[1].cursor.selectedText(), QStringLiteral(" + [[Vol 100]] + [[Play Audio]]"));
    QVERIFY(marks[1].format.background() != marks[0].format.background());
    QVERIFY(r.next.go());
    QVERIFY(r.device.playing);
    QVERIFY(r.volume.calls.contains(QStringLiteral("apply")));
    QCOMPARE(r.marked(), QStringLiteral("FadeIn"));
    QCOMPARE(r.editor->extraSelections().size(), 1);
    // A "+" at the paragraph's end joins nothing.
    r.clearEffects();
    QVERIFY(r.next.go());
    QCOMPARE(r.effects(), QStringList{QStringLiteral("fade 0")});
    QCOMPARE(r.marked(), QStringLiteral("Stop Audio"));
    // Up and Down step group by group.
    r.next.previous();
    r.next.previous();
    QCOMPARE(r.marked(), QStringLiteral("a.wav"));
    r.next.next();
    QCOMPARE(r.marked(), QStringLiteral("FadeIn"));
    // A click fires only the cue it lands in, and the next GO the rest of
    // its group.
    r.next.first();
    r.clearEffects();
    r.editor->SetSelStart(static_cast<int>(r.editor->Text().indexOf(QStringLiteral("Vol"))) + 1);
    Q_EMIT r.editor->Click();
    QCOMPARE(r.volume.calls.count(QStringLiteral("apply")), 1);
    QVERIFY(r.actions().isEmpty());
    QCOMPARE(r.marked(), QStringLiteral("Play Audio"));
    QVERIFY(r.next.go());  // Play Audio only
    QVERIFY(r.actions().contains(QStringLiteral("play wav1")));
    QVERIFY(!r.actions().contains(QStringLiteral("close all")));
    QCOMPARE(r.volume.calls.count(QStringLiteral("apply")), 1);
    QCOMPARE(r.marked(), QStringLiteral("FadeIn"));
  }

  void outsideShowModeAClickFiresOnlyItsCue() {
    ShowRig r(QStringLiteral("[[a.wav]] + [[Vol 100]] + [[Play Audio]]"));
    r.clickAt(3);
    QVERIFY(r.device.isOpen());
    QVERIFY(!r.device.playing);
    QVERIFY(r.volume.calls.isEmpty());
  }

  void aWaitFiresTheRestLaterAndTheMarkGoesOnAtOnce() {
    ShowRig r(
        QStringLiteral("[[a.wav]] + [[Play Audio]] + [[Wait 0.3]] + [[Stop Audio]] + [[Vol 40]]\r\n"
                       "[[FadeIn]]"));
    r.editor->setReadOnly(true);
    r.next.start();
    QVERIFY(r.next.go());
    QVERIFY(r.device.playing);
    QVERIFY(r.volume.calls.isEmpty());
    QCOMPARE(r.next.groups().pending(), 1);
    QCOMPARE(r.marked(), QStringLiteral("FadeIn"));
    QTRY_VERIFY_WITH_TIMEOUT(!r.device.playing, 5000);
    QVERIFY(r.volume.calls.contains(QStringLiteral("apply")));  // Vol 40, after the stop
    QCOMPARE(r.next.groups().pending(), 0);
    QCOMPARE(r.marked(), QStringLiteral("FadeIn"));  // the later clicks leave the mark
  }

  void stopAllDropsThePendingWaits() {
    ShowRig r(
        QStringLiteral("[[a.wav]] + [[Play Audio]] + [[Wait 0.2]] + [[Stop Audio]]\r\n"
                       "[[FadeIn]] + [[Wait 0.5]] + [[FadeOut]]"));
    r.editor->setReadOnly(true);
    r.next.start();
    r.next.go();
    QVERIFY(r.device.playing);
    QCOMPARE(r.next.cancelWaits(), 1);
    QCOMPARE(r.next.groups().pending(), 0);
    // The next group's later cue fires after the dropped one's time: the
    // dropped Stop Audio would have come first.
    r.next.go();
    QTRY_VERIFY_WITH_TIMEOUT(r.volume.calls.contains(QStringLiteral("fade 3")), 5000);
    QVERIFY(r.device.playing);
    // Leaving show mode drops them too.
    r.next.first();
    r.next.go();
    QCOMPARE(r.next.groups().pending(), 1);
    r.next.stop();
    QCOMPARE(r.next.groups().pending(), 0);
  }

  void aWaitWithATimeThatCannotBeUsedLeavesTheRestToTheNextGo() {
    for (const char* time : {"0", "-1", "1e9", "abc"}) {
      ShowRig r(
          QStringLiteral("[[a.wav]] + [[Wait %1]] + [[Play Audio]] + [[Vol 40]] [[Stop Audio]]")
              .arg(QLatin1StringView(time)));
      QStringList said;
      r.next.groups().setNotices({nullptr, [&said](const QString& n) { said << n; },
                                  [] { return QStringLiteral("bad wait"); }});
      r.editor->setReadOnly(true);
      r.next.start();
      QVERIFY(r.next.go());
      QVERIFY2(r.device.isOpen() && !r.device.playing, time);
      QCOMPARE(said, QStringList{QStringLiteral("bad wait")});
      QCOMPARE(r.next.groups().pending(), 0);
      QCOMPARE(r.marked(), QStringLiteral("Play Audio"));
      QVERIFY(r.next.go());
      QVERIFY(r.device.playing);
      QVERIFY(r.volume.calls.contains(QStringLiteral("apply")));
      QCOMPARE(r.marked(), QStringLiteral("Stop Audio"));
    }
    // After a wait that can be used: said at the GO all the same, and the
    // mark goes to the cue after the one that cannot.
    ShowRig r(QStringLiteral(
        "[[a.wav]] + [[Wait 0.2]] + [[Play Audio]] + [[Wait 0]] + [[Vol 40]] [[Stop Audio]]"));
    QStringList said;
    r.next.groups().setNotices({nullptr, [&said](const QString& n) { said << n; },
                                [] { return QStringLiteral("bad wait"); }});
    r.editor->setReadOnly(true);
    r.next.start();
    r.next.go();
    QCOMPARE(said, QStringList{QStringLiteral("bad wait")});
    QCOMPARE(r.marked(), QStringLiteral("Vol 40"));
    QTRY_VERIFY_WITH_TIMEOUT(r.device.playing, 5000);
    QCOMPARE(r.next.groups().pending(), 0);
    QVERIFY(r.volume.calls.isEmpty());
  }

  void aMissingFileInAGroupIsSaidAndTheRestFires() {
    ShowRig r(QStringLiteral("[[a.wav]] + [[gone.wav]] + [[Play Audio]] + [[b.jpg]]"));
    r.folder.write(QStringLiteral("b.jpg"), QByteArrayLiteral("x"));
    ui::Control* line = r.ui.Label11;
    r.next.groups().setNotices({[line] { return line->isHidden() ? QString() : line->caption(); },
                                [&r](const QString& n) { r.host->ShowNotice(n); },
                                [] { return QString(); }});
    r.editor->setReadOnly(true);
    r.next.start();
    QVERIFY(r.next.go());
    QVERIFY(r.device.playing);
    QVERIFY(r.video.calls.join(QLatin1Char(' ')).contains(QStringLiteral("b.jpg")));
    // The picture found after it does not hide what the missing file said.
    QVERIFY(!line->isHidden());
    QCOMPARE(line->caption(), r.lang[127]);
  }

  void aWaitClickedOnItsOwnDoesNothingAndSaysSo() {
    ShowRig r(QStringLiteral("x [[wait  1.5 ]] y"));
    r.clickAt(5);
    QCOMPARE(r.host->notices, QStringList{r.lang[262]});
    QVERIFY(r.effects().isEmpty());
    QCOMPARE(r.editor->Text(), QStringLiteral("x [[Wait 1.5]] y"));
  }

  void theMarkIsKeptInView() {
    QString script;
    for (int i = 0; i < 300; ++i) script += QStringLiteral("Line %1 [[FadeIn]]\r\n").arg(i);
    ShowRig r(script);
    r.window.resize(800, 600);
    r.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&r.window));
    r.next.start();
    auto inView = [&r] {
      QTextCursor at(r.editor->document());
      at.setPosition(r.editor->toDocumentPosition(r.next.mark()->open));
      const QRect rect = r.editor->cursorRect(at);
      return rect.top() >= 0 && rect.bottom() <= r.editor->viewport()->height();
    };
    for (int i = 0; i < 200; ++i) r.next.next();
    QVERIFY(r.editor->verticalScrollBar()->value() > 0);
    QVERIFY(inView());
    r.next.first();
    QVERIFY(inView());
    for (int i = 0; i < 250; ++i) r.next.go();
    QVERIFY(inView());
  }

  // A script whose cues are nearly all missing is counted whole but only
  // its first cues are marked, so that editing and opening stay quick.
  void manyBrokenCuesAreCountedButOnlyTheFirstMarked() {
    const qsizetype total = script::ScriptMarks::kMostBroken + 7;
    QString text;
    for (qsizetype i = 0; i < total; ++i) text += QStringLiteral("[[gone%1.wav]] ").arg(i);
    ShowRig r(text);
    script::BrokenCues broken(*r.editor, r.marks, [](QStringView) { return true; });
    QSignalSpy checked(&broken, &script::BrokenCues::checked);
    QCOMPARE(broken.check(true), int(total));
    QCOMPARE(checked[0][1].toInt(), int(total));
    QCOMPARE(r.editor->extraSelections().size(), script::ScriptMarks::kMostBroken);
    QCOMPARE(r.editor->Mid(r.marks.broken().first().contentStart(), 9),
             QStringLiteral("gone0.wav"));
  }

  void brokenCuesAreMarkedAndCounted() {
    ShowRig r(
        QStringLiteral("[[a.wav]] [[gone1.wav]] [[Play Audio]] [[gone2.mp4]]\r\n"
                       "[[Vol 50]] [[gone3.jpg]] [[Play Video]]"));
    const QString folder = r.folder.path();
    script::BrokenCues broken(*r.editor, r.marks, [folder](QStringView content) {
      return script::describeCue(content, folder, folder).kind == QLatin1StringView("missing");
    });
    QSignalSpy checked(&broken, &script::BrokenCues::checked);
    QCOMPARE(broken.check(true), 3);
    QCOMPARE(checked.count(), 1);
    QCOMPARE(checked[0][0].toInt(), 7);
    QCOMPARE(checked[0][1].toInt(), 3);
    const QList<QTextEdit::ExtraSelection> marks = r.editor->extraSelections();
    QCOMPARE(marks.size(), 3);
    for (const QTextEdit::ExtraSelection& m : marks)
      QCOMPARE(m.format.underlineStyle(), QTextCharFormat::WaveUnderline);
    QCOMPARE(r.editor->Mid(r.marks.broken()[1].contentStart(), 9), QStringLiteral("gone2.mp4"));

    // The next-cue mark and the broken marks stand side by side.
    r.next.start();
    QCOMPARE(r.editor->extraSelections().size(), 4);
    r.next.stop();

    r.folder.write(QStringLiteral("gone2.mp4"), QByteArrayLiteral("x"));
    QCOMPARE(broken.check(true), 2);
    QCOMPARE(r.editor->extraSelections().size(), 2);

    // An edit rechecks a short while later, not while the key is typed.
    r.editor->SetSelStart(0);
    r.editor->SetSelText(QStringLiteral("[[gone4.wav]] "));
    QVERIFY(broken.pending());
    QCOMPARE(r.marks.broken().size(), 2);  // the old marks, moved with the text
    QCOMPARE(r.editor->Mid(r.marks.broken()[0].contentStart(), 9), QStringLiteral("gone1.wav"));
    broken.runPending();
    QCOMPARE(r.marks.broken().size(), 3);
    QCOMPARE(checked.last()[2].toBool(), false);  // told only when asked

    // Another script: checked and announced at once.
    r.folder.write(QStringLiteral("other.rtf"), "{\\rtf1\\ansi [[a.wav]] [[nothing.wav]]\\par}");
    QVERIFY(r.editor->LoadFile(r.folder.file(QStringLiteral("other.rtf"))));
    QVERIFY(!broken.pending());
    QCOMPARE(checked.last()[1].toInt(), 1);
    QCOMPARE(checked.last()[2].toBool(), true);
    QCOMPARE(r.marks.broken().size(), 1);
  }
};

QTEST_MAIN(TestNextCue)
#include "test_next_cue.moc"
