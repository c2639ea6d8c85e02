#pragma once

#include <QByteArray>
#include <QWidget>

namespace scenova::platform {

class MpvSession;

// Shows the video of one mpv core in a window of the X server's own.
//
// The widget itself is a plain black widget. When it is shown it gets a
// child filling it that has a native window (a native window of its own
// would make its siblings native too; its ancestors stay as they are), and
// the core is told to draw into that (libmpv's "wid") with one of the given
// video outputs. The core
// then makes its picture window inside ours only while a file with a picture
// plays, and draws every frame straight to the X server: the window holding
// this widget stays a raster window and Qt repaints nothing per frame.
//
// Before the native window goes away (the widget is destroyed or moves to
// another parent, which may make its windows anew) the core is put back on the "null" output,
// waiting a bounded time, so that a playing file keeps its sound and position. The session must
// outlive the widget.
class NativeVideoView final : public QWidget {
  Q_OBJECT
 public:
  // How long the interface thread waits for the core to let go of the window.
  static constexpr int kDetachTimeoutMs = 250;

  NativeVideoView(MpvSession* session, QByteArray outputs, QWidget* parent = nullptr);
  ~NativeVideoView() override;

  // Whether the core has been told to draw into this widget's window.
  bool attached() const { return surface_ != nullptr; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void attach();
  void detach();

  MpvSession* session_;
  QByteArray outputs_;
  QWidget* surface_ = nullptr;  // the native child the core draws into
};

}  // namespace scenova::platform
