#include "host_lookups.h"

#include "osc_sender.h"

#include <QMetaObject>
#include <QPointer>

#include <mutex>
#include <thread>

namespace scenova::platform {

// What the lookup threads share with the object; they keep it alive after
// the object has gone.
struct HostLookups::Shared {
  std::mutex mutex;
  HostLookups* owner = nullptr;  // null once the object has gone
  int running = 0;
};

HostLookups::HostLookups(QObject* parent) : QObject(parent), shared_(std::make_shared<Shared>()) {
  shared_->owner = this;
}

HostLookups::~HostLookups() {
  std::lock_guard lock(shared_->mutex);
  shared_->owner = nullptr;
}

HostLookups::Answer HostLookups::answer(const QString& host) {
  Known& known = known_[host];
  if ((known.answer == Answer::Unknown || known.stale) && !known.asking) start(host, known);
  return known.answer;
}

QString HostLookups::reason(const QString& host) const {
  return known_.value(host).reason;
}

void HostLookups::refresh() {
  for (Known& k : known_) k.stale = true;
}

void HostLookups::start(const QString& host, Known& known) {
  std::lock_guard lock(shared_->mutex);
  if (shared_->running >= kMaxLookups) return;
  ++shared_->running;
  known.asking = true;
  std::thread([shared = shared_, host] {
    QString why;
    const bool resolves = OscSender::resolves(host, &why);
    std::lock_guard done(shared->mutex);
    --shared->running;
    if (!shared->owner) return;
    QPointer<HostLookups> to(shared->owner);
    QMetaObject::invokeMethod(
        shared->owner,
        [to, host, resolves, why] {
          if (to) to->finish(host, resolves, why);
        },
        Qt::QueuedConnection);
  }).detach();
}

void HostLookups::finish(const QString& host, bool resolves, const QString& reason) {
  Known& known = known_[host];
  const Answer now = resolves ? Answer::Resolves : Answer::DoesNotResolve;
  const bool changed = known.answer != now;
  known.answer = now;
  known.reason = reason;
  known.stale = false;
  known.asking = false;
  Q_EMIT answered(host, resolves, changed);
}

}  // namespace scenova::platform
