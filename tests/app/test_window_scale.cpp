// The main window's first size under a large scale factor: at 2x a screen
// leaves few pixels, and the window must still open inside its free area
// (on the offscreen platform's 800x600 screen: 400x300 at 2x).

#include "app/form1.h"
#include "support/form_fixture.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

using namespace scenova;

class TestWindowScale : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void firstSizeFitsTheScreen() {
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
    test::FormFixture f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QTest::qWait(0);  // a resize the window may post to itself
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect window = f.form->frameGeometry();
    QVERIFY2(window.width() <= avail.width() && window.height() <= avail.height(),
             qPrintable(QStringLiteral("%1x%2 on %3x%4")
                            .arg(window.width())
                            .arg(window.height())
                            .arg(avail.width())
                            .arg(avail.height())));
    // The editor is what gives way; it is still there.
    QVERIFY(f.form->ui().RTB->width() > 0 && f.form->ui().RTB->height() > 0);
  }
};

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  TestWindowScale test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_window_scale.moc"
