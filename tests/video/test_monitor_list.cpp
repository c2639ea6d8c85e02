// The monitor list: probing the virtual desktop, the single-monitor
// fallback, and centring a form on a monitor.

#include "fakes/fake_monitors.h"
#include "video/monitor_list.h"

#include <QTest>
#include <QWidget>

using namespace scenova;
using platform::FakeMonitorSystem;
using video::clsMonitors;

class TestMonitorList : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void twoSideBySideInProbeOrder() {
    FakeMonitorSystem sys({QRect(0, 0, 1024, 768), QRect(1024, 0, 1024, 768)});
    sys.monitors[0].work = QRect(0, 0, 1024, 740);  // a panel at the bottom
    const clsMonitors list(sys);
    QCOMPARE(list.Count(), 2);
    const video::clsMonitor& a = list.Monitors()[0];
    const video::clsMonitor& b = list.Monitors()[1];
    QCOMPARE(a.Handle, FakeMonitorSystem::handleOf(0));
    QCOMPARE(b.Handle, FakeMonitorSystem::handleOf(1));
    QCOMPARE(clsMonitors::key(b), QStringLiteral("102"));
    QVERIFY(list.Item(QStringLiteral("102")) == &b);
    QCOMPARE((QList<int>{a.Left, a.Top, a.Right, a.Bottom, a.Width, a.Height}),
             (QList<int>{0, 0, 1024, 768, 1024, 768}));
    QCOMPARE((QList<int>{b.Left, b.Right, b.Width}), (QList<int>{1024, 2048, 1024}));
    QCOMPARE(a.WorkBottom, 740);
    QCOMPARE(list.DesktopWidth(), 2048);
    QCOMPARE(list.DesktopHeight(), 768);
  }

  void rowsTopToBottomThenLeftToRight() {
    // The one on the second row to the left is met after both on the first.
    FakeMonitorSystem sys(
        {QRect(0, 0, 800, 600), QRect(0, 600, 800, 600), QRect(800, 0, 800, 600)});
    const clsMonitors list(sys);
    QCOMPARE(list.Count(), 3);
    QCOMPARE(list.Monitors()[0].Handle, FakeMonitorSystem::handleOf(0));
    QCOMPARE(list.Monitors()[1].Handle, FakeMonitorSystem::handleOf(2));
    QCOMPARE(list.Monitors()[2].Handle, FakeMonitorSystem::handleOf(1));
  }

  void smallMonitorBetweenProbesIsMissed() {
    // 300x200 at 1030,500 holds no cell centre (320+640k, 240+480k).
    FakeMonitorSystem sys({QRect(0, 0, 1024, 768), QRect(1030, 500, 300, 200)});
    QCOMPARE(clsMonitors(sys).Count(), 1);
  }

  void monitorLeftOfThePrimaryIsFound() {
    FakeMonitorSystem sys({QRect(0, 0, 1024, 768), QRect(-1024, 0, 1024, 768)});
    const clsMonitors list(sys);
    QCOMPARE(list.DesktopLeft(), -1024);
    QCOMPARE(list.Count(), 2);
    QCOMPARE(list.Monitors()[0].Left, -1024);
  }

  void withoutMultiMonitorSupportOneEntryLikeThePrimary() {
    FakeMonitorSystem sys({QRect(0, 0, 1280, 1024), QRect(1280, 0, 1024, 768)});
    sys.reportedCount = 0;
    const clsMonitors list(sys);
    QCOMPARE(list.Count(), 1);
    const video::clsMonitor* m = list.Item(QStringLiteral("0"));
    QVERIFY(m);
    QCOMPARE((QList<int>{int(m->Handle), m->Right, m->Bottom, m->WorkRight, m->WorkBottom}),
             (QList<int>{0, 1280, 1024, 1280, 1024}));
    QCOMPARE(list.DesktopWidth(), 1280);
    QCOMPARE(list.DesktopLeft(), 0);
  }

  void centresWithinTheWorkArea() {
    FakeMonitorSystem sys({QRect(0, 0, 1024, 768), QRect(1024, 0, 1024, 768)});
    sys.monitors[1].work = QRect(1024, 0, 1024, 700);
    const clsMonitors list(sys);
    QWidget form;
    form.resize(400, 300);
    list.CenterFormOnMonitor(&form);  // the point (1, 1): the primary
    QCOMPARE(form.pos(), QPoint(312, 234));
    QWidget reference;
    reference.setGeometry(1100, 100, 200, 200);
    list.CenterFormOnMonitor(&form, &reference);
    QCOMPARE(form.pos(), QPoint(1024 + 312, 200));
  }
};

QTEST_MAIN(TestMonitorList)
#include "test_monitor_list.moc"
