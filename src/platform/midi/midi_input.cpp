#include "midi_input.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <chrono>
#include <mutex>

namespace scenova::platform {

// What RtMidi's thread and the input share.
struct MidiInput::Shared {
  std::mutex mutex;
  MidiInput* owner = nullptr;
  std::atomic<quint64> dropped{0};
  std::atomic<int> queued{0};
  std::chrono::steady_clock::time_point filled = std::chrono::steady_clock::now();
  double tokens = kMaxDelivered;  // RtMidi's thread only

  void take(const std::vector<unsigned char>& bytes) {
    const auto now = std::chrono::steady_clock::now();
    tokens = std::min<double>(
        kMaxDelivered,
        tokens + std::chrono::duration<double>(now - filled).count() * kMaxDelivered);
    filled = now;
    if (bytes.empty() || bytes.size() > 1024 || tokens < 1 || queued.load() >= kMaxQueued) {
      ++dropped;
      return;
    }
    tokens -= 1;
    std::lock_guard lock(mutex);
    if (!owner) return;
    ++queued;
    const QByteArray message(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size()));
    QPointer<MidiInput> to(owner);
    Shared* self = this;
    QMetaObject::invokeMethod(
        owner,
        [to, self, message] {
          --self->queued;
          if (to) Q_EMIT to->received(message);
        },
        Qt::QueuedConnection);
  }
};

struct MidiInput::Port {
  std::unique_ptr<RtMidiIn> in;
};

namespace {

void onMessage(double, std::vector<unsigned char>* message, void* shared) {
  if (message) static_cast<MidiInput::Shared*>(shared)->take(*message);
}

// RtMidi reports some failures (a JACK server that is not there) only to
// this callback; while the port is opened they are kept, after that they
// are not worth a crash.
void onError(RtMidiError::Type, const std::string& text, void* kept) {
  if (kept) *static_cast<std::string*>(kept) = text;
}

}  // namespace

MidiInput::MidiInput(QObject* parent) : QObject(parent), shared_(std::make_shared<Shared>()) {
  shared_->owner = this;
}

MidiInput::~MidiInput() {
  close();
  std::lock_guard lock(shared_->mutex);
  shared_->owner = nullptr;
}

bool MidiInput::open(QString* error) {
  close();
  struct Choice {
    RtMidi::Api api;
    const char* name;
  };
  QString why;
  const bool sequencer = QFileInfo::exists(QStringLiteral("/dev/snd/seq"));
  for (const Choice c : {Choice{RtMidi::LINUX_ALSA, "ALSA"}, Choice{RtMidi::UNIX_JACK, "JACK"}}) {
    if (c.api == RtMidi::LINUX_ALSA && !sequencer) continue;
    try {
      std::string failure;
      auto in = std::make_unique<RtMidiIn>(c.api, "Scenova", 256);
      in->setErrorCallback(onError, &failure);
      if (in->getCurrentApi() != c.api) continue;
      // Show Control comes as system exclusive; clocks and sensing do not count.
      in->ignoreTypes(false, true, true);
      in->setCallback(onMessage, shared_.get());
      in->openVirtualPort("Scenova");
      if (!failure.empty()) {
        why = QString::fromStdString(failure);
        continue;
      }
      in->setErrorCallback(onError, nullptr);
      port_ = std::make_unique<Port>();
      port_->in = std::move(in);
      system_ = QLatin1StringView(c.name);
      return true;
    } catch (const RtMidiError& e) {
      why = QString::fromStdString(e.getMessage());
    }
  }
  if (why.isEmpty()) why = QStringLiteral("no ALSA sequencer and no JACK server");
  if (error) *error = why;
  return false;
}

void MidiInput::close() {
  if (port_ && port_->in) {
    port_->in->cancelCallback();
    port_->in->closePort();
  }
  port_.reset();
  system_.clear();
}

quint64 MidiInput::dropped() const {
  return shared_->dropped.load();
}

bool MidiInput::isOpen() const {
  return port_ != nullptr;
}

}  // namespace scenova::platform
