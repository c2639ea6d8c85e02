// The window's controls under a dark desktop palette (Fusion): the
// position counters keep dark text on their light fill, and the toolbar's
// pictures are drawn in light ink on the dark toolbar.

#include "ui/controls.h"
#include "ui/main_controls.h"

#include <QApplication>
#include <QMainWindow>
#include <QPalette>
#include <QStyleFactory>
#include <QTest>

using namespace scenova::ui;

namespace {

// The lightness of the darkest and of the lightest pixel of a widget, or
// of a part of it.
std::pair<int, int> lightnessRange(QWidget* w, QRect part = {}) {
  const QImage image = w->grab(part.isNull() ? w->rect() : part).toImage();
  int darkest = 255, lightest = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const int l = QColor(image.pixel(x, y)).lightness();
      darkest = std::min(darkest, l);
      lightest = std::max(lightest, l);
    }
  }
  return {darkest, lightest};
}

}  // namespace

class TestDarkPalette : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void countersAndIconsStayLegible() {
    QMainWindow window;
    MainControls c = buildMainControls(&window, new QWidget, new QWidget);
    window.resize(1100, 760);
    c.Shape2->show();
    c.Picture3->show();
    c.Shape8->show();
    c.lblContatore->setCaption(QStringLiteral("0:03 / 0:20"));
    c.lblContatoreV->setCaption(QStringLiteral("00:03 / 00:20"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (Control* counter : {c.lblContatore, c.lblContatoreV}) {
      // On the screen (its panel, inside the fill's border): a light fill,
      // and text dark enough to read on it.
      const QRect inside = counter->geometry().adjusted(3, 3, -3, -3);
      const auto [darkest, lightest] = lightnessRange(counter->parentWidget(), inside);
      QVERIFY2(lightest > 200, qPrintable(counter->objectName() + QString::number(lightest)));
      QVERIFY2(darkest < 90, qPrintable(counter->objectName() + QString::number(darkest)));
    }
    for (int i : {0, 1, 2, 3, 8, 15, 16}) {
      const auto [darkest, lightest] = lightnessRange(c.Label2[static_cast<size_t>(i)]);
      QVERIFY2(lightest > 170,
               qPrintable(QStringLiteral("toolbar picture %1: %2").arg(i).arg(lightest)));
    }
  }
};

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(53, 53, 53));
  dark.setColor(QPalette::WindowText, Qt::white);
  dark.setColor(QPalette::Base, QColor(35, 35, 35));
  dark.setColor(QPalette::Text, Qt::white);
  dark.setColor(QPalette::Button, QColor(53, 53, 53));
  dark.setColor(QPalette::ButtonText, Qt::white);
  QApplication::setPalette(dark);
  TestDarkPalette test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_dark_palette.moc"
