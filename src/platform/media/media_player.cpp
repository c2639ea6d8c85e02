#include "media_player.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QOpenGLContext>

#include <cmath>
#include <utility>

#include "mpv_player.h"

namespace scenova::platform {

namespace {

// Whether widgets can draw with OpenGL here: not on Qt's platforms without a
// window system, nor where no context can be made. Asked once per process.
bool openGlWidgetsWork() {
  static const bool works = [] {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1StringView("offscreen") || platform == QLatin1StringView("minimal"))
      return false;
    QOpenGLContext probe;
    return probe.create();
  }();
  return works;
}

// On X11 the core draws into a window of its own inside the widget, which
// costs the rest of the window nothing; elsewhere through Qt's OpenGL.
MpvMediaPlayer::VideoOutput videoOutputHere() {
  using Output = MpvMediaPlayer::VideoOutput;
  if (QGuiApplication::platformName() == QLatin1StringView("xcb")) return Output::NativeWindow;
  return openGlWidgetsWork() ? Output::OpenGL : Output::None;
}

}  // namespace

std::unique_ptr<MediaPlayer> createMediaPlayer(const PlayerSettings& settings, QWidget* parent) {
  return std::make_unique<MpvMediaPlayer>(settings, videoOutputHere(), parent);
}

QString formatPlayerTime(double seconds) {
  const qint64 total = std::isfinite(seconds) && seconds > 0 ? qint64(std::floor(seconds)) : 0;
  const qint64 h = total / 3600, m = total / 60 % 60, s = total % 60;
  const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
  if (h > 0) return QString::number(h) + QLatin1Char(':') + two(m) + QLatin1Char(':') + two(s);
  return two(m) + QLatin1Char(':') + two(s);
}

int keyShiftState(const QKeyEvent& event) {
  return shiftState(event.modifiers());
}

}  // namespace scenova::platform
