#include "native_video_view.h"

#include <QEvent>
#include <QPalette>
#include <QResizeEvent>

#include <utility>

#include "mpv_session.h"

namespace scenova::platform {

NativeVideoView::NativeVideoView(MpvSession* session, QByteArray outputs, QWidget* parent)
    : QWidget(parent), session_(session), outputs_(std::move(outputs)) {
  setFocusPolicy(Qt::StrongFocus);
  // Black wherever the core draws nothing (no file, sound only, borders).
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
}

NativeVideoView::~NativeVideoView() {
  detach();
}

void NativeVideoView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  attach();
}

void NativeVideoView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The core follows the size of the window it draws in.
  if (surface_) surface_->setGeometry(rect());
}

bool NativeVideoView::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ParentAboutToChange:
      // The native window may be recreated under the new parent.
      detach();
      break;
    default:
      break;
  }
  return QWidget::event(event);
}

void NativeVideoView::attach() {
  if (surface_ || !session_ || !session_->isValid()) return;
  // Only the surface becomes native: the window around it keeps drawing as
  // one raster surface.
  auto* surface = new QWidget(this);
  surface->setObjectName(QStringLiteral("videoSurface"));
  surface->setAttribute(Qt::WA_DontCreateNativeAncestors);
  surface->setAttribute(Qt::WA_NativeWindow);
  surface->setPalette(palette());
  surface->setAutoFillBackground(true);
  surface->setGeometry(rect());
  const WId id = surface->winId();
  if (id == 0) {
    delete surface;
    return;
  }
  surface->show();
  surface_ = surface;
  // Requests of one client run in the order given: the window is known to
  // the core before the output that uses it starts.
  session_->setPropertyAsync("wid", QByteArray::number(quint64(id)));
  session_->setPropertyAsync("vo", outputs_);
}

void NativeVideoView::detach() {
  if (!surface_) return;
  if (session_ && session_->isValid()) {
    const int rc = session_->setPropertyWait("vo", "null", kDetachTimeoutMs);
    if (rc < 0) qWarning("Video output: the media engine was slow to leave the video window");
  }
  delete surface_;
  surface_ = nullptr;
}

}  // namespace scenova::platform
