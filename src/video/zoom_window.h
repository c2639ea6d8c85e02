#pragma once

// frmZoom, the picture window: a picture cue shown as large as it fits,
// proportions kept, centred on a black frameless window on the second
// monitor. On one monitor it only serves to size the main window's preview.

#include "video/show_window.h"

#include <QImage>
#include <QPixmap>

#include <optional>

namespace scenova::video {

// A picture read for showing: the decoded image (at most kMaxSide pixels on
// its longer side; large JPEGs are decoded at a reduced scale) and the
// picture's natural size, which the fitting uses.
struct PictureFile {
  static constexpr int kMaxSide = 4096;
  static constexpr qint64 kMaxBytes = 256LL << 20;
  QImage image;
  QSize natural;
};
// Nothing, with the reader's error text, for a file that is no readable
// picture (not a picture, 0x0, too large, not a regular file).
std::optional<PictureFile> readPicture(const QString& path, QString* error);

// Image1: draws its picture scaled to its own size with smooth filtering.
class PictureView final : public QWidget {
  Q_OBJECT
 public:
  explicit PictureView(QWidget* parent);
  void setPicture(const PictureFile& picture);
  const QImage& image() const { return image_; }
  QSize natural() const { return natural_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
  QSize natural_;
  QPixmap scaled_;  // the image at the view's size, made once per size
};

class ZoomWindow final : public ShowWindow {
  Q_OBJECT
 public:
  ZoomWindow();

  PictureView* Image1;

  // Fits Image1 into the window keeping the picture's proportions, centred.
  void Form_Resize();

 protected:
  void resizeEvent(QResizeEvent* event) override;
};

// The fitting rule for a picture of natural size w0 x h0 in a box of the
// given size (twips): landscape pictures fill the width first, portrait
// and square ones the height, then the other side is bounded; centred.
QRectF fitPicture(double boxWidth, double boxHeight, double w0, double h0);

}  // namespace scenova::video
