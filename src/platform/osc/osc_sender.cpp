#include "osc_sender.h"

#include <QMetaObject>
#include <QPointer>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace scenova::platform {

namespace {

struct Packet {
  QString host;
  quint16 port = 0;
  QByteArray bytes;
};

// Sends one packet; empty on success, else the reason.
QString sendNow(const Packet& p) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const QByteArray host = p.host.toUtf8();
  const QByteArray port = QByteArray::number(p.port);
  if (const int e = ::getaddrinfo(host.constData(), port.constData(), &hints, &found); e != 0)
    return QString::fromLocal8Bit(::gai_strerror(e));
  QString reason;
  for (addrinfo* a = found; a; a = a->ai_next) {
    const int s = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (s < 0) {
      reason = QString::fromLocal8Bit(std::strerror(errno));
      continue;
    }
    const ssize_t sent = ::sendto(s, p.bytes.constData(), static_cast<size_t>(p.bytes.size()),
                                  MSG_DONTWAIT, a->ai_addr, a->ai_addrlen);
    const int error = errno;
    ::close(s);
    if (sent == p.bytes.size()) {
      reason.clear();
      break;
    }
    reason = QString::fromLocal8Bit(std::strerror(error));
  }
  ::freeaddrinfo(found);
  return reason;
}

bool isNumeric(const QString& host) {
  const QByteArray h = host.toUtf8();
  in6_addr any{};
  return ::inet_pton(AF_INET, h.constData(), &any) == 1 ||
         ::inet_pton(AF_INET6, h.constData(), &any) == 1;
}

}  // namespace

// What the sending thread and the sender share; the thread keeps it alive
// after the sender has gone (a lookup may still be under way).
struct OscSender::Shared {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Packet> waiting;
  bool ending = false;
  OscSender* owner = nullptr;  // null once the sender has gone
  int lookups = 0;             // names being looked up on threads of their own

  void run() {
    while (true) {
      Packet p;
      {
        std::unique_lock lock(mutex);
        wake.wait(lock, [this] { return ending || !waiting.empty(); });
        if (ending) return;
        p = std::move(waiting.front());
        waiting.pop_front();
      }
      const QString reason = sendNow(p);
      if (!reason.isEmpty()) report(p, reason);
    }
  }
  void report(const Packet& p, const QString& reason) {
    std::lock_guard lock(mutex);
    if (!owner) return;
    QPointer<OscSender> to(owner);
    QMetaObject::invokeMethod(
        owner,
        [to, host = p.host, port = p.port, reason] {
          if (to) Q_EMIT to->failed(host, port, reason);
        },
        Qt::QueuedConnection);
  }
};

OscSender::OscSender(QObject* parent) : QObject(parent), shared_(std::make_shared<Shared>()) {
  shared_->owner = this;
  std::thread([shared = shared_] { shared->run(); }).detach();
}

OscSender::~OscSender() {
  std::lock_guard lock(shared_->mutex);
  shared_->owner = nullptr;
  shared_->ending = true;
  shared_->wake.notify_all();
}

void OscSender::send(const QString& host, quint16 port, const QByteArray& packet) {
  {
    std::lock_guard lock(shared_->mutex);
    if (!isNumeric(host)) {
      // A name is looked up on a thread of its own, so that a name server
      // that does not answer holds up no other packet.
      if (shared_->lookups < kMaxLookups) {
        ++shared_->lookups;
        std::thread([shared = shared_, p = Packet{host, port, packet}] {
          const QString reason = sendNow(p);
          if (!reason.isEmpty()) shared->report(p, reason);
          std::lock_guard done(shared->mutex);
          --shared->lookups;
        }).detach();
        return;
      }
    } else if (static_cast<int>(shared_->waiting.size()) < kMaxWaiting) {
      shared_->waiting.push_back({host, port, packet});
      shared_->wake.notify_one();
      return;
    }
  }
  Q_EMIT failed(host, port, QStringLiteral("too many packets waiting"));
}

bool OscSender::resolves(const QString& host, QString* reason) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const int e = ::getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found);
  if (found) ::freeaddrinfo(found);
  if (reason) *reason = e == 0 ? QString() : QString::fromLocal8Bit(::gai_strerror(e));
  return e == 0;
}

}  // namespace scenova::platform
