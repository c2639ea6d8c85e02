#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>

class QTimer;

namespace scenova::audio {

// Runs a tick every interval on a QTimer without drifting: after n intervals
// of wall time exactly n ticks have run. A timeout that comes late runs the
// ticks it missed (up to maxCatchUp at once, so that a long stall of the
// event loop does not make a fade jump; the rest are dropped). The QTimer's
// active state is the ticker's enabled state: a tick may stop the timer,
// which ends the catch-up at once.
class SteadyTicker : public QObject {
  Q_OBJECT
 public:
  SteadyTicker(QTimer& timer, std::function<void()> tick, QObject* parent = nullptr);

  // Starts (or restarts) counting from now.
  void start(int intervalMs);
  void stop();
  bool isActive() const;

  // Ticks run since the last start.
  qint64 ticksRun() const { return done_; }

  static constexpr int kMaxCatchUp = 10;

 private:
  void onTimeout();

  QTimer& timer_;
  std::function<void()> tick_;
  QElapsedTimer clock_;
  qint64 intervalNs_ = 10'000'000;
  qint64 done_ = 0;
};

}  // namespace scenova::audio
