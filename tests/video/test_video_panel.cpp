// The video transport, the projector switch and the projector window,
// against fake players and fake monitors.

#include "video/video_rig.h"

#include <QAction>
#include <QTest>

using namespace scenova;
using Rig = test::VideoRig;

class TestVideoPanel : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void playPauseStopInTheMainWindow() {
    Rig r;
    r.cue();
    r.wmp2.setUrl(r.ui.Label2[15]->Tag);
    r.ui.WMP2->hide();  // as a video cue leaves it
    r.panel->cmdPlayV_Click();
    QVERIFY(r.wmp2.playing());
    QCOMPARE(r.ui.cmdPlayV->Tag, r.lang[8]);
    QCOMPARE(r.ui.mnuPlayVideo->text(), r.lang[8]);
    QVERIFY(r.playingPicture().endsWith(QStringLiteral("/Files/pause2.jpg")));
    QCOMPARE(r.Timer4.interval(), 100);
    QVERIFY(r.Timer4.isActive());
    QVERIFY(r.panel->busy());
    QVERIFY(!r.ui.WMP2->isHidden());  // the video is seen where it plays
    QCOMPARE(ui::twips::top(r.ui.WMP2), ui::twips::top(r.ui.Picture3) + 1785);

    // The first tick with a position: counter, bar, pointer back.
    r.wmp2.advance(15);
    r.panel->Timer4_Timer();
    QCOMPARE(r.counter(), QStringLiteral("00:15 / 01:00"));
    const double track = ui::twips::width(r.ui.Shape8);
    QCOMPARE(r.bar(), std::floor(track / 60 * 15) - 20);
    QVERIFY(!r.panel->busy());

    r.panel->cmdPlayV_Click();  // pause
    QVERIFY(!r.wmp2.playing());
    QCOMPARE(r.ui.cmdPlayV->Tag, r.lang[7]);
    QVERIFY(!r.Timer4.isActive());
    QVERIFY(r.playingPicture().endsWith(QStringLiteral("/Files/play2.jpg")));
    r.panel->cmdPlayV_Click();  // resumes where it was
    QVERIFY(r.wmp2.playing());
    QCOMPARE(r.wmp2.currentPosition(), 15.0);

    r.panel->cmdStopV_Click();
    QCOMPARE(r.counter(), QStringLiteral("00:00 / 00:00"));
    QCOMPARE(r.bar(), 1.0);
    QCOMPARE(r.wmp2.currentPosition(), 0.0);
    QVERIFY(!r.wmp2.playing());
    QVERIFY(!r.Timer4.isActive());
    QCOMPARE(r.ui.cmdPlayV->Tag, r.lang[7]);
    QVERIFY(r.playingPicture().endsWith(QStringLiteral("/Files/play.jpg")));
    QVERIFY(!r.panel->busy());
  }

  void counterRules() {
    Rig r;
    r.cue();
    // Nothing loaded: the bar hides and the counter stays.
    r.panel->Timer4_Timer();
    QVERIFY(r.ui.Shape7->isHidden());
    r.wmp2.setUrl(r.ui.Label2[15]->Tag);
    r.panel->Timer4_Timer();  // at 0: the bar at its minimum, shown again
    QVERIFY(!r.ui.Shape7->isHidden());
    QCOMPARE(r.bar(), 1.0);
    // A file without a length: the bar stays empty, nothing breaks.
    r.wmp2.mediaDuration = 0;
    r.wmp2.setUrl(QStringLiteral("/show/still.mp4"));
    r.panel->Timer4_Timer();
    QCOMPARE(r.bar(), 1.0);
    // End of media on WMP2: the button offers Play, the timer goes on.
    r.wmp2.mediaDuration = 30;
    r.wmp2.setUrl(QStringLiteral("/show/clip.mp4"));
    r.panel->cmdPlayV_Click();
    r.wmp2.advance(40);
    r.panel->Timer4_Timer();
    QCOMPARE(r.counter(), QStringLiteral("00:30 / 00:30"));
    QCOMPARE(r.ui.cmdPlayV->Tag, r.lang[7]);
    QCOMPARE(r.ui.mnuPlayVideo->text(), r.lang[7]);
    QVERIFY(r.playingPicture().endsWith(QStringLiteral("/Files/play.jpg")));
    QVERIFY(r.Timer4.isActive());
    r.panel->cmdPlayV_Click();  // plays again from the start
    QVERIFY(r.wmp2.playing());
  }

  void seekingPassesTheRawValue() {
    Rig r;
    r.cue();
    r.wmp2.setUrl(r.ui.Label2[15]->Tag);
    r.wmp2.setPositionForTest(58);
    r.wmp2.calls.clear();
    r.panel->cmdForV_Click();
    QCOMPARE(r.wmp2.calls, QStringList{QStringLiteral("seek 63")});
    QCOMPARE(r.counter(), QStringLiteral("01:00 / 01:00"));  // counter moved at once
    r.wmp2.setPositionForTest(2);
    r.wmp2.calls.clear();
    r.panel->cmdBacV_Click();
    QCOMPARE(r.wmp2.calls, QStringList{QStringLiteral("seek -3")});
    // Pointing at the counter stores the time under the pointer.
    const double w = ui::twips::width(r.ui.lblContatoreV);
    r.panel->lblContatoreV_MouseMove(0, 0, w / 4, 0);
    QCOMPARE(r.ui.lblContatoreV->Tag, QStringLiteral(" 15"));
    r.wmp2.calls.clear();
    r.panel->lblContatoreV_Click();
    QCOMPARE(r.wmp2.calls, QStringList{QStringLiteral("seek 15")});
    // Nothing stored, or no number: no seek at all.
    for (const char* tag : {"", "abc"}) {
      r.ui.lblContatoreV->Tag = QLatin1StringView(tag);
      r.wmp2.calls.clear();
      r.panel->lblContatoreV_Click();
      QVERIFY(r.wmp2.calls.isEmpty());
    }
    r.ui.lblContatoreV->Tag = QStringLiteral(" 5000");  // beyond the end: as given
    r.panel->lblContatoreV_Click();
    QCOMPARE(r.wmp2.calls, QStringList{QStringLiteral("seek 5000")});
  }

  void projectorPlaysOnTheSecondMonitor() {
    Rig r;
    r.cue();
    r.projectorOn();
    QVERIFY(r.form2()->isVisible());
    QCOMPARE(r.form2()->geometry(), test::kRightMonitor);
    QVERIFY(r.ui.WMP2->isHidden());
    r.panel->cmdPlayV_Click();
    QCOMPARE(r.wmp1->url(), r.clip);
    QVERIFY(r.wmp1->playing());
    QVERIFY(!r.wmp2.playing());
    QCOMPARE(r.form2()->Timer1.interval(), 100);
    QVERIFY(r.form2()->Timer1.isActive());
    QVERIFY(!r.Timer4.isActive());
    QCOMPARE(r.form2()->geometry(), test::kRightMonitor);
    QVERIFY(r.form2()->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(r.form2()->cursor().shape(), Qt::BlankCursor);
    QCOMPARE(r.wmp1->widget()->geometry(), QRect(QPoint(0, 0), test::kRightMonitor.size()));

    r.wmp1->advance(30);
    r.panel->Form2_Timer1_Timer();
    QCOMPARE(r.counter(), QStringLiteral("00:30 / 01:00"));
    // Pause stops both players; resuming keeps the position: no reload.
    r.panel->cmdPlayV_Click();
    QVERIFY(!r.wmp1->playing());
    QVERIFY(!r.form2()->Timer1.isActive());
    r.wmp1->calls.clear();
    r.panel->cmdPlayV_Click();
    QCOMPARE(r.wmp1->calls, QStringList{QStringLiteral("play")});
    QCOMPARE(r.wmp1->currentPosition(), 30.0);
    // The end on the projector leaves the pause look until Stop.
    r.wmp1->advance(100);
    r.panel->Form2_Timer1_Timer();
    QCOMPARE(r.ui.cmdPlayV->Tag, r.lang[8]);

    // Escape hides the window; the video and the counter go on.
    r.wmp1->setPositionForTest(10);
    r.wmp1->play();
    QTest::keyClick(r.form2(), Qt::Key_Escape);
    QVERIFY(r.form2()->isHidden());
    QVERIFY(r.wmp1->playing());
    QVERIFY(r.form2()->Timer1.isActive());
    r.panel->cmdPlayV_Click();  // pause
    r.panel->cmdPlayV_Click();  // play again: the window is back
    QVERIFY(r.form2()->isVisible());
    r.wmp1->pressKey(27);  // Escape from the player itself
    QVERIFY(r.form2()->isHidden());

    r.panel->cmdStopV_Click();
    QVERIFY(!r.wmp1->playing());
    QCOMPARE(r.wmp1->currentPosition(), 0.0);
    QVERIFY(r.form2()->isHidden());
    QCOMPARE(r.counter(), QStringLiteral("00:00 / 00:00"));
  }

  void projectorReloadsTheVideoNotACommand() {
    // Projector On empties the players; the cue clicked last is the command
    // "Play Video" itself: the video the players had comes back.
    Rig r;
    r.cue();
    r.wmp2.setUrl(r.clip);
    r.ui.Check1->setChecked(true);
    QVERIFY(!r.wmp2.loaded());
    r.ui.Label2[15]->Tag = QStringLiteral("Play Video");
    r.panel->cmdPlayV_Click();
    QCOMPARE(r.wmp1->url(), r.clip);
    QVERIFY(r.wmp1->playing());
    QVERIFY(r.notices.isEmpty());
  }

  void theSwitch() {
    Rig r;
    r.cue();
    // Ticking it empties both players and shows the projector.
    r.wmp2.setUrl(QStringLiteral("/show/a.mp4"));
    r.ui.Check1->setChecked(true);
    QVERIFY(!r.wmp2.loaded());
    QVERIFY(r.form2()->isVisible());
    r.wmp1->setUrl(QStringLiteral("/show/a.mp4"));
    // "Projector On" again: nothing changes, the players keep their media.
    r.panel->setProjector(true);
    QVERIFY(r.wmp1->loaded());
    // The caption label re-applies the switch: both players emptied.
    r.ui.Label5->Click();
    QVERIFY(!r.wmp1->loaded());
    QVERIFY(r.form2()->isVisible());
    // Off: back to the panel, Timer4 every second.
    r.panel->setProjector(false);
    QVERIFY(r.form2()->isHidden());
    QVERIFY(!r.ui.WMP2->isHidden());
    QCOMPARE(r.Timer4.interval(), 1000);
    QVERIFY(r.notices.isEmpty());
  }

  void oneMonitorFlipsTheSwitchBack() {
    Rig r({test::kLeftMonitor});
    r.cue();
    r.ui.Check1->setChecked(true);
    QVERIFY(!r.ui.Check1->isChecked());
    QCOMPARE(r.notices, QStringList{r.lang[124]});
    QVERIFY(!r.ui.WMP2->isHidden());
    QCOMPARE(r.Timer4.interval(), 1000);
    QVERIFY(!r.panel->hasForm2() || r.form2()->isHidden());
    // Play stays in the main window.
    r.wmp2.setUrl(r.ui.Label2[15]->Tag);
    r.panel->cmdPlayV_Click();
    QVERIFY(r.wmp2.playing());
  }

  void secondMonitorUnpluggedUnreported() {
    // Gone after the list was built, and the system never said so.
    Rig r;
    r.cue();
    r.monitors.monitors.removeLast();
    QCOMPARE(r.panel->monitorCount(), 2);
    r.ui.Check1->setChecked(true);
    // Never over the operator's screen; the switch goes back and says why.
    QVERIFY(r.form2()->isHidden());
    QVERIFY(!r.ui.Check1->isChecked());
    QCOMPARE(r.notices, QStringList{r.lang[124]});
    // The next video cue goes where it is seen: to the main window.
    QVERIFY(r.panel->activePlayer() == &r.wmp2);
    r.wmp2.setUrl(r.clip);
    r.panel->cmdPlayV_Click();
    QVERIFY(r.form2()->isHidden());
    QVERIFY(r.wmp2.playing());
    QCOMPARE(r.wmp2.url(), r.clip);
    QVERIFY(!r.ui.WMP2->isHidden());
    r.panel->cmdStopV_Click();  // the panel stays usable
    QCOMPARE(r.counter(), QStringLiteral("00:00 / 00:00"));
  }

  void refusedAtPlayTheVideoStaysInSight() {
    // The projector worked when the switch was ticked, then its monitor
    // went without a report; the cue went to the projector's player.
    Rig r;
    r.cue();
    r.projectorOn();
    r.wmp1->setUrl(r.clip);
    r.monitors.monitors.removeLast();
    r.panel->cmdPlayV_Click();
    QVERIFY(!r.ui.Check1->isChecked());
    QCOMPARE(r.notices, QStringList{r.lang[124]});
    QVERIFY(r.form2()->isHidden());
    QVERIFY(!r.wmp1->playing());
    QVERIFY(r.wmp2.playing());
    QCOMPARE(r.wmp2.url(), r.clip);
    QVERIFY(!r.ui.WMP2->isHidden());
    QCOMPARE(r.ui.cmdPlayV->Tag, r.lang[8]);
  }

  // Where the projector goes: the first monitor that is not the primary
  // (the first in the list), one right of it before any other.
  void projectorPlacedByGeometry_data() {
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QRect>("projector");
    const QRect primary(0, 0, 1024, 768);
    QTest::newRow("right, top-aligned")
        << QList<QRect>{primary, test::kRightMonitor} << test::kRightMonitor;
    QTest::newRow("right, bottom-aligned")
        << QList<QRect>{primary, QRect(1024, 168, 800, 600)} << QRect(1024, 168, 800, 600);
    QTest::newRow("right, taller")
        << QList<QRect>{primary, QRect(1024, -200, 1280, 1024)} << QRect(1024, -200, 1280, 1024);
    QTest::newRow("left") << QList<QRect>{primary, QRect(-1024, 0, 1024, 768)}
                          << QRect(-1024, 0, 1024, 768);
    // As X lays it out: the desktop starts at the left monitor.
    QTest::newRow("left, primary off the origin")
        << QList<QRect>{QRect(1024, 0, 1024, 768), QRect(0, 0, 1024, 768)}
        << QRect(0, 0, 1024, 768);
    QTest::newRow("above") << QList<QRect>{QRect(0, 768, 1024, 768), QRect(0, 0, 1024, 768)}
                           << QRect(0, 0, 1024, 768);
    QTest::newRow("below") << QList<QRect>{primary, QRect(0, 768, 1024, 768)}
                           << QRect(0, 768, 1024, 768);
    QTest::newRow("left and right: the right one")
        << QList<QRect>{primary, QRect(-1024, 0, 1024, 768), test::kRightMonitor}
        << test::kRightMonitor;
  }
  void projectorPlacedByGeometry() {
    QFETCH(QList<QRect>, screens);
    QFETCH(QRect, projector);
    Rig r(screens);
    r.cue();
    r.ui.Check1->setChecked(true);
    QVERIFY(r.ui.Check1->isChecked());
    QVERIFY(r.notices.isEmpty());
    QVERIFY(r.form2()->isVisible());
    QCOMPARE(r.form2()->geometry(), projector);
    r.panel->loadPicture(r.picture(QStringLiteral("slide.png"), 400, 300, "PNG"));
    QCOMPARE(r.panel->frmZoom().geometry(), projector);
  }

  void monitorsChangingDuringTheShow() {
    Rig r({test::kLeftMonitor});
    r.cue();
    r.ui.Check1->setChecked(true);
    QVERIFY(!r.ui.Check1->isChecked());
    QCOMPARE(r.notices, QStringList{r.lang[124]});
    // The projector plugged in after start works at once.
    r.monitors.monitors.append({test::kRightMonitor, test::kRightMonitor});
    r.monitors.notifyChanged();
    QCOMPARE(r.panel->monitorCount(), 2);
    r.notices.clear();
    r.ui.Check1->setChecked(true);
    QVERIFY(r.ui.Check1->isChecked());
    QCOMPARE(r.form2()->geometry(), test::kRightMonitor);
    r.panel->cmdPlayV_Click();
    QVERIFY(r.wmp1->playing());
    QCOMPARE(r.wmp1->url(), r.clip);
    // Another resolution, then moved below: the window follows.
    const QRect smaller(1024, 0, 800, 600);
    r.monitors.monitors[1] = {smaller, smaller};
    r.monitors.notifyChanged();
    QCOMPARE(r.form2()->geometry(), smaller);
    const QRect below(0, 768, 800, 600);
    r.monitors.monitors[1] = {below, below};
    r.monitors.notifyChanged();
    QCOMPARE(r.form2()->geometry(), below);
    QVERIFY(r.notices.isEmpty());
    // Unplugged mid-video: the window goes, the operator is told, and the
    // video goes on in the main window from where it stood.
    r.wmp1->advance(12);
    r.monitors.monitors.removeLast();
    r.monitors.notifyChanged();
    QVERIFY(r.form2()->isHidden());
    QVERIFY(!r.ui.Check1->isChecked());
    QCOMPARE(r.notices, QStringList{r.lang[208]});
    QVERIFY(!r.wmp1->playing());
    QVERIFY(r.wmp2.playing());
    QCOMPARE(r.wmp2.url(), r.clip);
    QCOMPARE(r.wmp2.currentPosition(), 12.0);
    QVERIFY(!r.ui.WMP2->isHidden());
    // Later reports change nothing more.
    r.monitors.notifyChanged();
    QCOMPARE(r.notices.size(), 1);
  }

  void pictureWindowHidesWhenItsMonitorGoes() {
    Rig r;
    r.panel->loadPicture(r.picture(QStringLiteral("slide.png"), 400, 300, "PNG"));
    QVERIFY(r.panel->frmZoom().isVisible());
    r.monitors.monitors.removeLast();
    r.monitors.notifyChanged();
    QVERIFY(r.panel->frmZoom().isHidden());
    QCOMPARE(r.notices, QStringList{r.lang[208]});
  }

  void aFileThatCannotPlayIsReported() {
    Rig r;
    r.wmp2.unplayable << QStringLiteral("/show/empty.mp4");
    r.wmp2.setUrl(QStringLiteral("/show/empty.mp4"));
    QCOMPARE(r.notices.size(), 1);
    // In the operator's language, the engine's own (English) detail after it.
    QVERIFY2(r.notices[0].startsWith(r.lang[221] + QLatin1Char(' ')), qPrintable(r.notices[0]));
    QVERIFY(r.notices[0].contains(QStringLiteral("empty.mp4")));
  }

  void buttonsAndMenuReachTheHandlers() {
    Rig r;
    r.cue();
    r.wmp2.setUrl(r.ui.Label2[15]->Tag);
    r.ui.mnuPlayVideo->trigger();
    QVERIFY(r.wmp2.playing());
    r.ui.cmdStopV->Click();
    QVERIFY(!r.wmp2.playing());
    r.wmp2.calls.clear();
    r.ui.mnuForVideo->trigger();
    r.ui.cmdBacV->Click();
    QCOMPARE(r.wmp2.calls, (QStringList{QStringLiteral("seek 5"), QStringLiteral("seek 0")}));
  }
};

QTEST_MAIN(TestVideoPanel)
#include "test_video_panel.moc"
