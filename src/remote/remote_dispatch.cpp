#include "remote_dispatch.h"

namespace scenova::remote {

namespace {

using platform::OscArg;
using platform::OscMessage;

struct Address {
  const char* path;
  RemoteCommand command;
};

constexpr Address kAddresses[] = {
    {"/scenova/go", RemoteCommand::Go},
    {"/scenova/stop", RemoteCommand::Stop},
    {"/scenova/next", RemoteCommand::Next},
    {"/scenova/previous", RemoteCommand::Previous},
    {"/scenova/first", RemoteCommand::First},
    {"/scenova/cue", RemoteCommand::Cue},
    {"/scenova/subscribe", RemoteCommand::Subscribe},
    {"/scenova/unsubscribe", RemoteCommand::Unsubscribe},
    {"/scenova/ping", RemoteCommand::Ping},
};

// The longest cue text a message may name.
constexpr qsizetype kMaxCueText = 1024;

}  // namespace

std::optional<RemoteRequest> readRequest(const OscMessage& message, bool* release) {
  if (release) *release = false;
  std::optional<RemoteCommand> command;
  for (const Address& a : kAddresses)
    if (message.address == QLatin1StringView(a.path)) command = a.command;
  if (!command) return std::nullopt;
  RemoteRequest request{*command, {}};
  const QList<OscArg>& args = message.args;
  if (*command == RemoteCommand::Cue) {
    if (args.size() != 1 || args[0].type != OscArg::Type::Text || args[0].text.isEmpty() ||
        args[0].text.size() > kMaxCueText)
      return std::nullopt;
    request.text = args[0].text;
    return request;
  }
  if (args.isEmpty()) return request;
  if (args.size() != 1) return std::nullopt;
  const OscArg& a = args[0];
  if (a.type != OscArg::Type::Int && a.type != OscArg::Type::Float) return std::nullopt;
  if ((a.type == OscArg::Type::Int && a.i == 0) || (a.type == OscArg::Type::Float && a.f == 0)) {
    if (release) *release = true;
    return std::nullopt;
  }
  return request;
}

bool needsShowMode(RemoteCommand command) {
  switch (command) {
    case RemoteCommand::Go:
    case RemoteCommand::Next:
    case RemoteCommand::Previous:
    case RemoteCommand::First:
    case RemoteCommand::Cue:
      return true;
    default:
      return false;
  }
}

OscMessage stateMessage(const ShowState& s) {
  OscMessage m;
  m.address = QStringLiteral("/scenova/state");
  m.args = {OscArg::string(s.nextCue), OscArg::string(s.lastCue), OscArg::integer(s.audio ? 1 : 0),
            OscArg::integer(s.video ? 1 : 0), OscArg::string(s.counter)};
  return m;
}

bool RemoteDispatch::handle(const OscMessage& message, const QString& sender, qint64 now) {
  // Any message keeps its sender's subscription alive.
  if (auto it = subscribers_.find(sender); it != subscribers_.end()) it.value() = now;
  bool release = false;
  const std::optional<RemoteRequest> request = readRequest(message, &release);
  if (!request) {
    if (!release) ++dropped_;
    return release;
  }
  perform(*request, now, sender);
  return true;
}

void RemoteDispatch::perform(const RemoteRequest& request, qint64 now, const QString& sender) {
  if (needsShowMode(request.command) && !target_.inShow()) {
    target_.refused(request.command);
    return;
  }
  switch (request.command) {
    case RemoteCommand::Go:
      target_.go();
      break;
    case RemoteCommand::Stop:
      target_.stopAll();
      break;
    case RemoteCommand::Next:
      target_.markNext();
      break;
    case RemoteCommand::Previous:
      target_.markPrevious();
      break;
    case RemoteCommand::First:
      target_.markFirst();
      break;
    case RemoteCommand::Cue:
      if (!target_.fireCue(request.text)) target_.refused(request.command);
      break;
    case RemoteCommand::Subscribe:
      if (!sender.isEmpty()) subscribe(sender, now);
      return;
    case RemoteCommand::Unsubscribe:
      subscribers_.remove(sender);
      return;
    case RemoteCommand::Ping:
      if (!sender.isEmpty()) target_.reply(sender, OscMessage{QStringLiteral("/scenova/pong"), {}});
      return;
  }
  publish(now);
}

void RemoteDispatch::subscribe(const QString& sender, qint64 now) {
  if (!subscribers_.contains(sender) && subscribers_.size() >= kMaxSubscribers) {
    ++dropped_;
    return;
  }
  subscribers_.insert(sender, now);
  const ShowState state = target_.state();
  target_.reply(sender, stateMessage(state));
  if (!told_) {  // the first subscriber: the others' next state counts from here
    told_ = state;
    toldAt_ = now;
  }
}

bool RemoteDispatch::publish(qint64 now) {
  for (auto it = subscribers_.begin(); it != subscribers_.end();) {
    if (now - it.value() >= kSubscriptionMs)
      it = subscribers_.erase(it);
    else
      ++it;
  }
  if (subscribers_.isEmpty()) {
    told_.reset();
    return true;
  }
  const ShowState state = target_.state();
  if (told_ && *told_ == state) return true;
  if (told_ && now - toldAt_ < kStateIntervalMs) return false;
  told_ = state;
  toldAt_ = now;
  const OscMessage message = stateMessage(state);
  for (auto it = subscribers_.cbegin(); it != subscribers_.cend(); ++it)
    target_.reply(it.key(), message);
  return true;
}

}  // namespace scenova::remote
