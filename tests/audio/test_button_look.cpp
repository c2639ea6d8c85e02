// The transport buttons' look: which button of each group is lit, which
// picture each shows, the play buttons' pictures and tooltips by their
// marker, the background, the default pointer and how often picture files
// are read.

#include "audio/transport_rig.h"
#include "ui/picture_cache.h"

#include <QGuiApplication>
#include <QTest>

using namespace scenova;
using Rig = test::TransportRig;
using B = audio::TransportButtons;

class TestButtonLook : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void groupsAreIndependent() {
    Rig r;
    r.buttons->cmdPlayA_MouseMove();
    r.buttons->cmdStopA_MouseMove();
    QVERIFY(r.buttons->isLit(B::Stop));
    QVERIFY(!r.buttons->isLit(B::Play));
    QCOMPARE(r.ui.cmdPlayA->picturePath(), r.picture("play"));
    // Into the video panel: the audio stop button stays lit.
    r.buttons->cmdForV_MouseMove();
    QVERIFY(r.buttons->isLit(B::Stop));
    QCOMPARE(r.ui.cmdStopA->picturePath(), r.picture("stop2"));
    QCOMPARE(r.ui.cmdForV->picturePath(), r.picture("for2"));
    r.buttons->cmdPlayV_MouseMove();
    QCOMPARE(r.ui.cmdForV->picturePath(), r.picture("for"));
    QCOMPARE(r.ui.cmdPlayV->picturePath(), r.picture("play2"));
    QCOMPARE(r.ui.cmdPlayV->toolTip(), r.lang.tooltip(120));
    // Another audio button unlights the audio stop, not the video play.
    r.buttons->cmdBacA_MouseMove();
    QCOMPARE(r.ui.cmdStopA->picturePath(), r.picture("stop"));
    QCOMPARE(r.ui.cmdBacA->picturePath(), r.picture("bac2"));
    QVERIFY(r.buttons->isLit(B::PlayV));
  }

  void backgroundAndFrameUnlightEverything() {
    Rig r;
    int toolbarCleared = 0;
    r.buttons->setToolbarHoverClear([&] { ++toolbarCleared; });
    r.buttons->connectControls();
    r.buttons->cmdStopA_MouseMove();
    r.buttons->cmdStopV_MouseMove();
    r.buttons->Form_MouseMove();
    QCOMPARE(toolbarCleared, 1);
    for (int b = 0; b < B::kCount; ++b) QVERIFY(!r.buttons->isLit(static_cast<B::Button>(b)));
    QCOMPARE(r.ui.cmdStopA->picturePath(), r.picture("stop"));
    QCOMPARE(r.ui.cmdStopV->picturePath(), r.picture("stop"));
    // The frame around the editor reports its moves like the background.
    r.buttons->cmdBacV_MouseMove();
    Q_EMIT r.ui.Label1->MouseMove(0, 0, 10, 10);
    QCOMPARE(toolbarCleared, 2);
    QVERIFY(!r.buttons->isLit(B::BacV));
    // Real moves over a button reach its handler.
    Q_EMIT r.ui.cmdForA->MouseMove(0, 0, 10, 10);
    QVERIFY(r.buttons->isLit(B::For));
  }

  void playButtonsFollowTheirMarker() {
    Rig r;
    // Video playing: the lit play button offers pause, and shows pause
    // after the pointer leaves.
    r.ui.cmdPlayV->Tag = r.lang[8];
    r.buttons->cmdPlayV_MouseMove();
    QCOMPARE(r.ui.cmdPlayV->picturePath(), r.picture("pause2"));
    QCOMPARE(r.ui.cmdPlayV->toolTip(), r.lang.tooltip(122));
    r.buttons->cmdStopV_MouseMove();
    QCOMPARE(r.ui.cmdPlayV->picturePath(), r.picture("pause"));
  }

  void stopNeverLeavesThePausePicture() {
    // The pointer rests on Play (lit), a cue starts the track and a cue
    // stops it: the button must offer Play again, not a lit Pause.
    Rig r;
    r.open(180000);
    r.buttons->cmdPlayA_MouseMove();
    r.transport->cmdPlayA_Click();
    QCOMPARE(r.playPicture(), r.picture("pause2"));
    QCOMPARE(r.ui.cmdPlayA->toolTip(), r.lang.tooltip(122));
    r.transport->cmdStopA_Click();
    QCOMPARE(r.playPicture(), r.picture("play2"));
    QCOMPARE(r.ui.cmdPlayA->toolTip(), r.lang.tooltip(120));
    // Pause by the button, then Stop with the play button unlit.
    r.transport->cmdPlayA_Click();
    r.buttons->Form_MouseMove();
    QCOMPARE(r.playPicture(), r.picture("pause"));
    r.transport->cmdStopA_Click();
    QCOMPARE(r.playPicture(), r.picture("play2"));
    QVERIFY(r.buttons->isLit(B::Play));
  }

  void onlyVideoBackRestoresThePointer() {
    Rig r;
    int restored = 0;
    r.buttons->setDefaultPointer([&restored] { ++restored; });
    r.buttons->cmdPlayA_MouseMove();
    r.buttons->cmdBacA_MouseMove();
    r.buttons->cmdForA_MouseMove();
    r.buttons->cmdStopA_MouseMove();
    r.buttons->cmdPlayV_MouseMove();
    r.buttons->cmdForV_MouseMove();
    r.buttons->cmdStopV_MouseMove();
    QCOMPARE(restored, 0);
    r.buttons->cmdBacV_MouseMove();
    QCOMPARE(restored, 1);
  }

  void picturesAreReadOnce() {
    const int before = ui::PictureCache::instance().fileReads();
    Rig r;  // decodes the ten pictures of its program folder
    const int afterStart = ui::PictureCache::instance().fileReads();
    QCOMPARE(afterStart - before, 10);
    r.open(180000);
    for (int i = 0; i < 50; ++i) {
      r.buttons->cmdPlayA_MouseMove();
      r.buttons->cmdStopA_MouseMove();
      r.buttons->cmdBacV_MouseMove();
      r.buttons->Form_MouseMove();
      r.transport->cmdPlayA_Click();
      r.transport->cmdStopA_Click();
    }
    QCOMPARE(ui::PictureCache::instance().fileReads(), afterStart);
    // Another set of buttons on the same folder shares the decoded pictures.
    audio::TransportButtons again(r.ui.transport(), r.lang, r.folder.path());
    QCOMPARE(ui::PictureCache::instance().fileReads(), afterStart);
  }

  void badPictureKeepsTheCurrentOne() {
    ui::PictureCache::instance().clear();
    test::ProgramFolder folder;
    folder.write(QStringLiteral("Files/stop2.jpg"), QByteArrayLiteral("not a picture"));
    QFile::remove(folder.file(QStringLiteral("Files/bac2.jpg")));
    Rig r;
    audio::TransportButtons buttons(r.ui.transport(), r.lang, folder.path());
    const QString stop = r.ui.cmdStopA->picturePath();
    buttons.cmdStopA_MouseMove();
    QCOMPARE(r.ui.cmdStopA->picturePath(), stop);
    QVERIFY(buttons.isLit(B::Stop));
    buttons.cmdBacA_MouseMove();  // missing file: no crash, the mark moves on
    QVERIFY(buttons.isLit(B::Bac));
    QCOMPARE(r.ui.cmdStopA->picturePath(), folder.file(QStringLiteral("Files/stop.jpg")));
  }
};

QTEST_MAIN(TestButtonLook)
#include "test_button_look.moc"
