// Picture cues: the fitting rule, the projector's picture window, the
// preview on one monitor, Img On / Img Off, and pictures that cannot be
// shown.

#include "video/video_rig.h"

#include <QTest>

using namespace scenova;
using Rig = test::VideoRig;
using video::fitPicture;

class TestPictures : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void fittingKeepsProportionsAndCentres() {
    // Landscape on 4:3 fills the width, centred vertically.
    QCOMPARE(fitPicture(15360, 11520, 1920, 1080), QRectF(0, 1440, 15360, 8640));
    // Portrait fills the height, centred horizontally.
    QCOMPARE(fitPicture(15360, 11520, 300, 400), QRectF(3360, 0, 8640, 11520));
    // Square takes the portrait path; so does one wider than the box allows.
    QCOMPARE(fitPicture(15360, 11520, 500, 500), QRectF(1920, 0, 11520, 11520));
    // A very wide picture in a tall box: the width bounds it.
    QCOMPARE(fitPicture(1000, 3000, 200, 100), QRectF(0, 1250, 1000, 500));
    QCOMPARE(fitPicture(3000, 1000, 100, 200), QRectF(1250, 0, 500, 1000));
    QVERIFY(fitPicture(1000, 1000, 0, 0).isEmpty());
  }

  void onTheSecondMonitor() {
    Rig r;
    r.wmp2.setUrl(QStringLiteral("/show/clip.mp4"));
    r.projectorOn();  // the projector window shows a video
    r.wmp1->setUrl(QStringLiteral("/show/clip.mp4"));
    r.panel->loadPicture(r.picture(QStringLiteral("wide.jpg"), 1600, 900));
    QVERIFY(!r.wmp2.loaded());
    QVERIFY(!r.wmp1->loaded());
    QVERIFY(r.form2()->isHidden());
    video::ZoomWindow& z = r.panel->frmZoom();
    QVERIFY(z.isVisible());
    QCOMPARE(z.geometry(), test::kRightMonitor);
    QVERIFY(z.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!z.Image1->isHidden());
    // 1600x900 on 1024x768: full width, 576 high, centred.
    QCOMPARE(z.Image1->geometry(), QRect(0, 96, 1024, 576));
    QVERIFY(r.ui.imgZoom->isHidden());

    // Img Off blanks the picture, the black window stays; Img On brings it.
    r.panel->showPicture(false);
    QVERIFY(z.Image1->isHidden());
    QVERIFY(z.isVisible());
    r.panel->showPicture(true);
    QVERIFY(!z.Image1->isHidden());
    // Escape hides the window; Img On does not bring it back, a cue does.
    QTest::keyClick(&z, Qt::Key_Escape);
    QVERIFY(z.isHidden());
    r.panel->showPicture(true);
    QVERIFY(z.isHidden());
    r.panel->loadPicture(r.picture(QStringLiteral("tall.bmp"), 300, 600, "BMP"));
    QVERIFY(z.isVisible());
    QCOMPARE(z.Image1->geometry(), QRect(320, 0, 384, 768));
  }

  void previewOnOneMonitor() {
    Rig r({test::kLeftMonitor});
    const double left = ui::twips::left(r.ui.Picture3), top = ui::twips::top(r.ui.Picture3);
    QCOMPARE(ui::twips::width(r.ui.Picture3), 3195.0);
    r.panel->loadPicture(r.picture(QStringLiteral("land.jpg"), 400, 300));
    QVERIFY(!r.ui.imgZoom->isHidden());
    QCOMPARE(ui::twips::width(r.ui.imgZoom), 3195.0);
    QCOMPARE(ui::twips::height(r.ui.imgZoom), 2396.25);
    QCOMPARE(ui::twips::left(r.ui.imgZoom), left);
    QCOMPARE(ui::twips::top(r.ui.imgZoom), top + 1785);
    QVERIFY(!r.panel->frmZoom().isVisible());
    r.panel->loadPicture(r.picture(QStringLiteral("port.jpg"), 300, 400));
    QCOMPARE(ui::twips::width(r.ui.imgZoom), 1797.1875);
    QCOMPARE(ui::twips::height(r.ui.imgZoom), 2396.25);
    QCOMPARE(ui::twips::left(r.ui.imgZoom), left + (3195 - 1797.1875) / 2);
    r.panel->showPicture(false);
    QVERIFY(r.ui.imgZoom->isHidden());
    r.panel->showPicture(true);
    QVERIFY(!r.ui.imgZoom->isHidden());
  }

  void picturesThatCannotBeShown() {
    Rig r;
    const QString good = r.picture(QStringLiteral("good.jpg"), 640, 480);
    r.panel->loadPicture(good);
    const QImage shown = r.panel->frmZoom().Image1->image();
    r.folder.write(QStringLiteral("text.jpg"), QByteArrayLiteral("not a picture at all"));
    r.folder.write(QStringLiteral("empty.jpg"), QByteArray());
    for (const QString& bad :
         {r.folder.file(QStringLiteral("text.jpg")), r.folder.file(QStringLiteral("empty.jpg")),
          r.folder.path(), r.folder.file(QStringLiteral("missing.jpg"))}) {
      r.notices.clear();
      r.panel->loadPicture(bad);
      QCOMPARE(r.notices.size(), 1);
      // In the operator's language, the reader's own (English) detail after it.
      QVERIFY2(r.notices[0].startsWith(r.lang[222] + QLatin1Char(' ')), qPrintable(r.notices[0]));
      QVERIFY(r.notices[0].size() > r.lang[222].size() + 1);
      // The previous picture stays.
      QCOMPARE(r.panel->frmZoom().Image1->image(), shown);
    }
  }

  void anUnreadablePictureKeepsThePreview() {
    Rig r({test::kLeftMonitor});
    r.panel->loadPicture(r.picture(QStringLiteral("good.png"), 400, 300, "PNG"));
    QVERIFY(!r.ui.imgZoom->isHidden());
    const QRect where = r.ui.imgZoom->geometry();
    const QImage shown = r.ui.imgZoom->pixmap().toImage();
    QVERIFY(!shown.isNull());
    r.folder.write(QStringLiteral("broken.png"), QByteArrayLiteral("\x89PNG but no more"));
    r.panel->loadPicture(r.folder.file(QStringLiteral("broken.png")));
    QCOMPARE(r.notices.size(), 1);
    QVERIFY(!r.ui.imgZoom->isHidden());
    QCOMPARE(r.ui.imgZoom->geometry(), where);
    QCOMPARE(r.ui.imgZoom->pixmap().toImage(), shown);
  }

  void hugePicturesAreDecodedSmaller() {
    // 20000x20000 pixels: read at a size a projector can show, quickly.
    Rig r;
    QImage big(20000, 20000, QImage::Format_Grayscale8);
    big.fill(128);
    const QString path = r.folder.file(QStringLiteral("huge.jpg"));
    QVERIFY(big.save(path, "JPG", 10));
    big = QImage();
    QString error;
    const auto p = video::readPicture(path, &error);
    QVERIFY2(p, qPrintable(error));
    QCOMPARE(p->natural, QSize(20000, 20000));
    QVERIFY(p->image.width() <= video::PictureFile::kMaxSide);
    r.panel->loadPicture(path);
    QCOMPARE(r.panel->frmZoom().Image1->geometry(), QRect(128, 0, 768, 768));
  }
};

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
