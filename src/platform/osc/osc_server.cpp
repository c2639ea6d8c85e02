#include "osc_server.h"

#include <QMetaObject>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace scenova::platform {

OscServer::OscServer(QObject* parent) : QObject(parent) {
  qRegisterMetaType<OscMessage>();
}

OscServer::~OscServer() {
  close();
}

bool OscServer::allowed(const OscListen& how, const QHostAddress& sender) {
  if (sender.isLoopback()) return true;
  if (!how.network) return false;
  for (const QHostAddress& a : how.allowed)
    if (a.isEqual(sender, QHostAddress::TolerantConversion)) return true;
  return false;
}

bool OscServer::listen(const OscListen& how, QString* error) {
  close();
  const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (s < 0) {
    if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(how.port);
  address.sin_addr.s_addr = htonl(how.network ? INADDR_ANY : INADDR_LOOPBACK);
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
    ::close(s);
    return false;
  }
  socklen_t length = sizeof address;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) {
    if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
    ::close(s);
    return false;
  }
  socket_ = s;
  wake_ = wake;
  thread_ = std::thread([this, s, wake, how] { run(s, wake, how); });
  return true;
}

void OscServer::close() {
  if (thread_.joinable()) {
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t w = ::write(wake_, &one, sizeof one);
    thread_.join();
  }
  if (socket_ >= 0) ::close(socket_);
  if (wake_ >= 0) ::close(wake_);
  socket_ = wake_ = -1;
  port_ = 0;
}

void OscServer::run(int socket, int wake, OscListen how) {
  using Clock = std::chrono::steady_clock;
  // A token bucket: kMaxDelivered messages at once, then kMaxDelivered a
  // second, so that a flood leaves room for the next real command.
  Clock::time_point filled = Clock::now();
  double tokens = kMaxDelivered;
  std::vector<char> buffer(kMaxOscPacket + 1);
  pollfd fds[2] = {{socket, POLLIN, 0}, {wake, POLLIN, 0}};
  while (true) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    // Everything waiting, then back to sleep.
    for (int i = 0; i < 4096; ++i) {
      sockaddr_storage from{};
      socklen_t fromLength = sizeof from;
      const ssize_t got = ::recvfrom(socket, buffer.data(), buffer.size(), MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&from), &fromLength);
      if (got < 0) break;
      const QHostAddress sender(reinterpret_cast<const sockaddr*>(&from));
      if (!allowed(how, sender) || static_cast<std::size_t>(got) > kMaxOscPacket) {
        ++*dropped_;
        continue;
      }
      std::vector<OscMessage> messages;
      if (decodeOscPacket(buffer.data(), static_cast<std::size_t>(got), messages) !=
          OscDecode::Ok) {
        ++*dropped_;
        continue;
      }
      const Clock::time_point now = Clock::now();
      tokens = std::min<double>(
          kMaxDelivered,
          tokens + std::chrono::duration<double>(now - filled).count() * kMaxDelivered);
      filled = now;
      const auto count = static_cast<int>(messages.size());
      if (tokens < count || queued_.load() + count > kMaxQueued) {
        *dropped_ += static_cast<quint64>(count);
        continue;
      }
      tokens -= count;
      queued_ += count;
      const QString name = sender.toString() + QLatin1Char(':') +
                           QString::number(ntohs(reinterpret_cast<sockaddr_in*>(&from)->sin_port));
      QMetaObject::invokeMethod(
          this, [this, messages = std::move(messages), name] { deliver(messages, name); },
          Qt::QueuedConnection);
    }
  }
}

void OscServer::deliver(std::vector<OscMessage> messages, const QString& sender) {
  queued_ -= static_cast<int>(messages.size());
  for (const OscMessage& m : messages) Q_EMIT received(m, sender);
}

}  // namespace scenova::platform
