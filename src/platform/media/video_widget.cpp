#include "video_widget.h"

#include <QMetaObject>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <mpv/render_gl.h>

#include "mpv_session.h"

namespace scenova::platform {

namespace {

void* procAddress(void*, const char* name) {
  QOpenGLContext* gl = QOpenGLContext::currentContext();
  return gl ? reinterpret_cast<void*>(gl->getProcAddress(name)) : nullptr;
}

}  // namespace

VideoWidget::VideoWidget(MpvSession* session, QWidget* parent)
    : QOpenGLWidget(parent), session_(session) {
  setFocusPolicy(Qt::StrongFocus);
  // Without a video output (nothing loaded, sound only) the widget is black;
  // the renderer would keep showing the last picture.
  if (session_ && session_->isValid()) {
    session_->observe("vo-configured", MPV_FORMAT_FLAG);
    // The selected video track, kept as it changes: the interface thread
    // never reads the core directly (it may be busy opening a file).
    session_->observe("vid", MPV_FORMAT_STRING);
    connect(session_, &MpvSession::propertyChanged, this,
            [this](const QByteArray& name, const QVariant& value) {
              if (name == "vid") {
                videoTrack_ = value.toString().toUtf8();
                return;
              }
              if (name != "vo-configured") return;
              videoActive_ = value.toBool();
              update();
            });
  }
}

VideoWidget::~VideoWidget() {
  releaseRenderContext();
}

void VideoWidget::initializeGL() {
  releaseRenderContext();
  if (!session_ || !session_->isValid()) return;
  // A widget moved to another window gets a new context; let go of the old
  // renderer while that context is still there.
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &VideoWidget::releaseRenderContext,
          Qt::DirectConnection);

  mpv_opengl_init_params gl{&procAddress, nullptr};
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
      {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
      {MPV_RENDER_PARAM_INVALID, nullptr}};
  if (mpv_render_context_create(&render_, session_->handle(), params) < 0) {
    render_ = nullptr;
    qWarning("Video output: the OpenGL renderer could not be created");
    return;
  }
  mpv_render_context_set_update_callback(render_, &VideoWidget::onUpdate, this);
  session_->setPropertyAsync("vo", "libmpv");
  // A file loaded before the video output existed may have given up its
  // picture; select it again.
  if (videoTrack_ == "no") session_->setPropertyAsync("vid", "auto");
}

void VideoWidget::paintGL() {
  if (!render_ || !videoActive_) {
    context()->functions()->glClearColor(0, 0, 0, 1);
    context()->functions()->glClear(GL_COLOR_BUFFER_BIT);
    return;
  }
  const qreal ratio = devicePixelRatioF();
  mpv_opengl_fbo fbo{int(defaultFramebufferObject()), int(width() * ratio), int(height() * ratio),
                     0};
  int flip = 1;
  mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                               {MPV_RENDER_PARAM_FLIP_Y, &flip},
                               {MPV_RENDER_PARAM_INVALID, nullptr}};
  mpv_render_context_render(render_, params);
  ++frames_;
}

void VideoWidget::onUpdate(void* self) {
  // Called on one of mpv's threads: only post a repaint, at most one at a time.
  auto* w = static_cast<VideoWidget*>(self);
  if (w->updatePosted_.exchange(true)) return;
  QMetaObject::invokeMethod(
      w,
      [w] {
        w->updatePosted_ = false;
        w->update();
      },
      Qt::QueuedConnection);
}

void VideoWidget::releaseRenderContext() {
  if (!render_) return;
  // Move the core off this output first, so that freeing the renderer does
  // not take the picture away from the file that is playing.
  if (session_ && session_->isValid()) session_->setProperty("vo", "null");
  const bool current = context() && context()->isValid();
  if (current) makeCurrent();
  mpv_render_context_set_update_callback(render_, nullptr, nullptr);
  mpv_render_context_free(render_);
  render_ = nullptr;
  if (current) doneCurrent();
}

}  // namespace scenova::platform
