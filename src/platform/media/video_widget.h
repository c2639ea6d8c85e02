#pragma once

#include <QByteArray>
#include <QOpenGLWidget>

#include <atomic>

struct mpv_render_context;

namespace scenova::platform {

class MpvSession;

// Shows the video of one mpv core through libmpv's OpenGL render API.
//
// The core starts with the "null" video output, so that files load and play
// (sound, positions) before this widget has ever been shown. Once Qt has made
// the widget's GL context, the render context is created and the core is
// switched to the "libmpv" output, which draws here; when the GL context goes
// away (the widget is destroyed or moved to another window) the core is put
// back on "null" first. The session must outlive the widget.
class VideoWidget final : public QOpenGLWidget {
  Q_OBJECT
 public:
  explicit VideoWidget(MpvSession* session, QWidget* parent = nullptr);
  ~VideoWidget() override;

  bool hasRenderContext() const { return render_ != nullptr; }
  // Frames drawn so far (for tests and diagnostics).
  qint64 framesDrawn() const { return frames_; }

 protected:
  void initializeGL() override;
  void paintGL() override;

 private:
  static void onUpdate(void* self);
  void releaseRenderContext();

  MpvSession* session_;
  mpv_render_context* render_ = nullptr;
  std::atomic<bool> updatePosted_{false};
  bool videoActive_ = false;
  QByteArray videoTrack_;  // the core's "vid" as last reported
  qint64 frames_ = 0;
};

}  // namespace scenova::platform
