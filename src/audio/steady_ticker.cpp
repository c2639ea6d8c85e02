#include "steady_ticker.h"

#include <QTimer>

namespace scenova::audio {

SteadyTicker::SteadyTicker(QTimer& timer, std::function<void()> tick, QObject* parent)
    : QObject(parent), timer_(timer), tick_(std::move(tick)) {
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &SteadyTicker::onTimeout);
}

void SteadyTicker::start(int intervalMs) {
  intervalNs_ = qint64{std::max(1, intervalMs)} * 1'000'000;
  done_ = 0;
  clock_.start();
  timer_.start(intervalMs);
}

void SteadyTicker::stop() {
  timer_.stop();
}

bool SteadyTicker::isActive() const {
  return timer_.isActive();
}

void SteadyTicker::onTimeout() {
  if (!clock_.isValid()) clock_.start();
  // Tick n is due at (n - 1/2) intervals: a timeout that arrives a little
  // early still runs its tick, one that arrives late runs the missed ones.
  const qint64 due = (clock_.nsecsElapsed() + intervalNs_ / 2) / intervalNs_;
  qint64 behind = due - done_;
  if (behind > kMaxCatchUp) {
    done_ = due - kMaxCatchUp;
    behind = kMaxCatchUp;
  }
  while (behind-- > 0 && timer_.isActive()) {
    ++done_;
    tick_();
  }
}

}  // namespace scenova::audio
