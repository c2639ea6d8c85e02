// Remote control on any packet: what the listening thread hands over after
// liblo has decoded it goes through the dispatch exactly as in the program
// (with the show in and out of show mode, subscribers coming and going).
// Nothing may crash, read outside the packet or loop; a message that
// decodes encodes again to the same address and types; the subscribers
// stay bounded. The same bytes are also read as a MIDI message.

#include "platform/osc/osc_message.h"
#include "remote/midi_mapping.h"
#include "remote/remote_dispatch.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace scenova;

namespace {

class Show final : public remote::RemoteTarget {
 public:
  bool show = false;
  int replies = 0;
  bool inShow() const override { return show; }
  void go() override {}
  void stopAll() override {}
  void markNext() override {}
  void markPrevious() override {}
  void markFirst() override {}
  bool fireCue(const QString& text) override { return text.size() % 2 == 0; }
  void refused(remote::RemoteCommand) override {}
  void reply(const QString& sender, const platform::OscMessage& m) override {
    if (sender.isEmpty() || platform::encodeOscMessage(m).isEmpty()) std::abort();
    ++replies;
  }
  remote::ShowState state() const override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto* bytes = reinterpret_cast<const char*>(data);
  std::vector<platform::OscMessage> messages;
  const platform::OscDecode result = platform::decodeOscPacket(bytes, size, messages);
  if (result != platform::OscDecode::Ok && !messages.empty()) std::abort();
  if (messages.size() > static_cast<size_t>(platform::kMaxMessagesPerPacket)) std::abort();

  Show show;
  remote::RemoteDispatch dispatch(show);
  qint64 now = 0;
  int i = 0;
  for (const platform::OscMessage& m : messages) {
    show.show = (i++ % 2) == 0;
    const QString sender = QStringLiteral("127.0.0.1:%1").arg(1000 + (i % 20));
    dispatch.handle(m, sender, now);
    dispatch.publish(now);
    now += 30;
    if (dispatch.subscribers() > remote::RemoteDispatch::kMaxSubscribers) std::abort();

    const QByteArray again = platform::encodeOscMessage(m);
    if (again.isEmpty()) continue;
    std::vector<platform::OscMessage> back;
    if (platform::decodeOscPacket(again.constData(), static_cast<size_t>(again.size()), back) !=
            platform::OscDecode::Ok ||
        back.size() != 1 || back[0].address != m.address || back[0].types() != m.types())
      std::abort();
  }

  const remote::MidiMapping mapping = remote::MidiMapping::defaults();
  (void)mapping.commandFor(data, size);
  if (const auto trigger = remote::midiTrigger(data, size);
      trigger && !remote::isMidiTrigger(*trigger))
    std::abort();
  return 0;
}
