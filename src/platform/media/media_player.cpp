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

}  // namespace

std::unique_ptr<MediaPlayer> createMediaPlayer(const PlayerSettings& settings, QWidget* parent) {
  return std::make_unique<MpvMediaPlayer>(settings, openGlWidgetsWork(), parent);
}

QString formatPlayerTime(double seconds) {
  const qint64 total = std::isfinite(seconds) && seconds > 0 ? qint64(std::floor(seconds)) : 0;
  const qint64 h = total / 3600, m = total / 60 % 60, s = total % 60;
  const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
  if (h > 0) return QString::number(h) + QLatin1Char(':') + two(m) + QLatin1Char(':') + two(s);
  return two(m) + QLatin1Char(':') + two(s);
}

int virtualKeyCode(const QKeyEvent& event) {
  // Keys whose code is not their character code.
  static constexpr std::pair<int, int> kCodes[] = {{Qt::Key_Backspace, 8},
                                                   {Qt::Key_Tab, 9},
                                                   {Qt::Key_Backtab, 9},
                                                   {Qt::Key_Clear, 12},
                                                   {Qt::Key_Return, 13},
                                                   {Qt::Key_Enter, 13},
                                                   {Qt::Key_Shift, 16},
                                                   {Qt::Key_Control, 17},
                                                   {Qt::Key_Alt, 18},
                                                   {Qt::Key_Pause, 19},
                                                   {Qt::Key_CapsLock, 20},
                                                   {Qt::Key_Escape, 27},
                                                   {Qt::Key_Space, 32},
                                                   {Qt::Key_PageUp, 33},
                                                   {Qt::Key_PageDown, 34},
                                                   {Qt::Key_End, 35},
                                                   {Qt::Key_Home, 36},
                                                   {Qt::Key_Left, 37},
                                                   {Qt::Key_Up, 38},
                                                   {Qt::Key_Right, 39},
                                                   {Qt::Key_Down, 40},
                                                   {Qt::Key_Print, 44},
                                                   {Qt::Key_Insert, 45},
                                                   {Qt::Key_Delete, 46},
                                                   {Qt::Key_NumLock, 144},
                                                   {Qt::Key_ScrollLock, 145},
                                                   {Qt::Key_Semicolon, 186},
                                                   {Qt::Key_Equal, 187},
                                                   {Qt::Key_Plus, 187},
                                                   {Qt::Key_Comma, 188},
                                                   {Qt::Key_Minus, 189},
                                                   {Qt::Key_Period, 190},
                                                   {Qt::Key_Slash, 191},
                                                   {Qt::Key_QuoteLeft, 192},
                                                   {Qt::Key_BracketLeft, 219},
                                                   {Qt::Key_Backslash, 220},
                                                   {Qt::Key_BracketRight, 221},
                                                   {Qt::Key_Apostrophe, 222}};
  static constexpr std::pair<int, int> kKeypad[] = {{Qt::Key_Asterisk, 106},
                                                    {Qt::Key_Plus, 107},
                                                    {Qt::Key_Minus, 109},
                                                    {Qt::Key_Period, 110},
                                                    {Qt::Key_Slash, 111}};
  const int key = event.key();
  if (event.modifiers() & Qt::KeypadModifier) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return 96 + (key - Qt::Key_0);
    for (const auto& [qt, code] : kKeypad)
      if (qt == key) return code;
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // same as 'A'..'Z'
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;  // '0'..'9'
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
  for (const auto& [qt, code] : kCodes)
    if (qt == key) return code;
  return 0;
}

int keyShiftState(const QKeyEvent& event) {
  const Qt::KeyboardModifiers m = event.modifiers();
  return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
         (m & Qt::AltModifier ? 4 : 0);
}

}  // namespace scenova::platform
