// Video and MIDI cues: which player gets the file, and the video panel.

#include "script/cue_rig.h"
#include "script/url_player.h"

#include <QAction>
#include <QMenu>
#include <QTest>

using namespace scenova;
using Rig = test::CueRig;

class TestVideoCues : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void videoCueLoadsOnce() {
    Rig r;
    test::UrlPlayer wmp1, wmp2;
    r.host->wmp2 = &wmp2;
    r.video.wmp1 = &wmp1;
    r.folder.write(QStringLiteral("clip.mpeg"), QByteArrayLiteral("x"));
    r.editor->SetText(QStringLiteral("[[clip.mpeg]] x"));
    r.clickAt(4);
    r.clickAt(5);
    const QString path = r.folder.path() + QStringLiteral("/clip.mpeg");
    QCOMPARE(wmp2.loads, QStringList{path});
    QCOMPARE(r.ui.Label8->caption(), QStringLiteral("Video - clip."));
    QVERIFY(!r.ui.Picture3->isHidden());
    QVERIFY(!r.ui.Check1->isHidden());
    QCOMPARE(ui::twips::height(r.ui.Shape6), 1425.0);
    QCOMPARE(r.state().MediaKind, qint16(2));
    QVERIFY(r.ui.mnuVideo->menuAction()->isVisible());
    // The double-click starts it.
    r.engine->activation().RTB_DblClick();
    QCOMPARE(r.video.calls.last(), QStringLiteral("cmdPlayV_Click"));
    QCOMPARE(r.ui.cmdPlayV->Tag, r.lang[7]);
  }

  void videoGoesToTheProjectorInProjectorMode() {
    Rig r;
    test::UrlPlayer wmp1, wmp2;
    r.host->wmp2 = &wmp2;
    r.video.wmp1 = &wmp1;
    r.folder.write(QStringLiteral("clip.mp4"), QByteArrayLiteral("x"));
    r.video.monitors = 2;
    r.ui.Check1->setChecked(true);
    r.editor->SetText(QStringLiteral("[[clip.mp4]]"));
    r.clickAt(4);
    QCOMPARE(wmp1.loads, QStringList{r.folder.path() + QStringLiteral("/clip.mp4")});
    QVERIFY(wmp2.loads.isEmpty());
  }

  void midiWithdrawsTheProjector() {
    Rig r;
    test::UrlPlayer wmp1, wmp2;
    r.host->wmp2 = &wmp2;
    r.video.wmp1 = &wmp1;
    r.folder.write(QStringLiteral("song.kar"), QByteArrayLiteral("x"));
    r.video.monitors = 2;
    r.ui.Check1->setChecked(true);
    r.editor->SetText(QStringLiteral("[[song.kar]]"));
    r.clickAt(4);
    QCOMPARE(r.ui.Label8->caption(), QStringLiteral("MIDI - song"));
    QVERIFY(!r.ui.Check1->isChecked());
    QVERIFY(r.ui.Check1->isHidden() && r.ui.Label5->isHidden());
    QCOMPARE(ui::twips::height(r.ui.Shape6), 1185.0);
    QCOMPARE(wmp2.loads.size(), 1);
  }
};

QTEST_MAIN(TestVideoCues)
#include "test_video_cues.moc"
