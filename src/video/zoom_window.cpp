#include "video/zoom_window.h"

#include "platform/safe_write.h"
#include "ui/controls.h"

#include <QImageReader>
#include <QPainter>

#include <cmath>

namespace scenova::video {

std::optional<PictureFile> readPicture(const QString& path, QString* error) {
  if (!platform::checkReadableRegularFile(path, PictureFile::kMaxBytes, error)) return std::nullopt;
  QImageReader reader(path);
  reader.setAutoTransform(false);
  const QSize natural = reader.size();
  if (!reader.canRead() || natural.width() <= 0 || natural.height() <= 0) {
    if (error) *error = reader.errorString();
    return std::nullopt;
  }
  // Large pictures are decoded straight at a reduced size (JPEG does this
  // in the decoder): a projector shows no more than a few thousand pixels.
  if (std::max(natural.width(), natural.height()) > PictureFile::kMaxSide)
    reader.setScaledSize(
        natural.scaled(PictureFile::kMaxSide, PictureFile::kMaxSide, Qt::KeepAspectRatio));
  PictureFile out;
  out.natural = natural;
  if (!reader.read(&out.image) || out.image.isNull()) {
    if (error) *error = reader.errorString();
    return std::nullopt;
  }
  return out;
}

QRectF fitPicture(double boxWidth, double boxHeight, double w0, double h0) {
  if (!(w0 > 0 && h0 > 0)) return {};
  double w = 0, h = 0;
  if (h0 < w0) {
    w = boxWidth;
    h = boxWidth / w0 * h0;
    if (h > boxHeight) {
      h = boxHeight;
      w = boxHeight / h0 * w0;
    }
  } else {
    h = boxHeight;
    w = boxHeight / h0 * w0;
    if (w > boxWidth) {
      w = boxWidth;
      h = boxWidth / w0 * h0;
    }
  }
  return {(boxWidth - w) / 2, (boxHeight - h) / 2, w, h};
}

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Image1"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setCursor(Qt::BlankCursor);
}

void PictureView::setPicture(const PictureFile& picture) {
  image_ = picture.image;
  natural_ = picture.natural;
  scaled_ = QPixmap();
  update();
}

void PictureView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  if (image_.isNull() || width() <= 0 || height() <= 0) return;
  const qreal dpr = devicePixelRatioF();
  const QSize target = size() * dpr;
  if (scaled_.isNull() || scaled_.size() != target) {
    scaled_ =
        QPixmap::fromImage(image_.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    scaled_.setDevicePixelRatio(dpr);
  }
  p.drawPixmap(0, 0, scaled_);
}

ZoomWindow::ZoomWindow() : ShowWindow(QStringLiteral("frmZoom")), Image1(new PictureView(this)) {
  Image1->hide();
}

void ZoomWindow::Form_Resize() {
  const QSize n = Image1->natural();
  const double W = width() * ui::kTwipsPerPixel, H = height() * ui::kTwipsPerPixel;
  const QRectF fit = fitPicture(W, H, n.width(), n.height());
  if (fit.isEmpty()) return;  // no picture: the control stays as it was
  ui::twips::setGeometry(Image1, fit.left(), fit.top(), fit.width(), fit.height());
}

void ZoomWindow::resizeEvent(QResizeEvent* event) {
  ShowWindow::resizeEvent(event);
  Form_Resize();
}

}  // namespace scenova::video
