#include "midi_mapping.h"

#include <QStringList>

namespace scenova::remote {

namespace {

// MIDI Show Control: F0 7F <device> 02 <format> <command> ... F7.
std::optional<QString> showControl(const unsigned char* b, std::size_t size) {
  if (size < 7 || b[1] != 0x7f || b[3] != 0x02 || b[size - 1] != 0xf7) return std::nullopt;
  switch (b[5]) {
    case 0x01:
      return QStringLiteral("msc:go");
    case 0x02:
      return QStringLiteral("msc:stop");
    case 0x0a:
      return QStringLiteral("msc:reset");
    default:
      return std::nullopt;
  }
}

std::optional<int> numberAfter(const QString& trigger, QLatin1StringView prefix) {
  if (!trigger.startsWith(prefix)) return std::nullopt;
  bool ok = false;
  const int n = trigger.mid(prefix.size()).toInt(&ok);
  if (!ok || n < 0 || n > 127 || trigger.mid(prefix.size()).startsWith(QLatin1Char('+')))
    return std::nullopt;
  return n;
}

}  // namespace

std::optional<QString> midiTrigger(const unsigned char* b, std::size_t size) {
  if (!b || size == 0) return std::nullopt;
  if (b[0] == 0xf0) return showControl(b, size);
  if (size < 2 || (b[1] & 0x80)) return std::nullopt;
  switch (b[0] & 0xf0) {
    case 0x90:
      if (size >= 3 && !(b[2] & 0x80) && b[2] > 0) return QStringLiteral("note:%1").arg(b[1]);
      return std::nullopt;
    case 0xb0:
      if (size >= 3 && !(b[2] & 0x80) && b[2] > 0) return QStringLiteral("cc:%1").arg(b[1]);
      return std::nullopt;
    case 0xc0:
      return QStringLiteral("pc:%1").arg(b[1]);
    default:
      return std::nullopt;
  }
}

bool isMidiTrigger(const QString& t) {
  if (t == QLatin1StringView("msc:go") || t == QLatin1StringView("msc:stop") ||
      t == QLatin1StringView("msc:reset"))
    return true;
  for (const char* prefix : {"note:", "cc:", "pc:"})
    if (numberAfter(t, QLatin1StringView(prefix))) return true;
  return false;
}

MidiMapping MidiMapping::defaults() {
  MidiMapping m;
  m.bindings_ = {{RemoteCommand::Go, QStringLiteral("msc:go")},
                 {RemoteCommand::Go, QStringLiteral("note:60")},
                 {RemoteCommand::Stop, QStringLiteral("msc:stop")},
                 {RemoteCommand::Stop, QStringLiteral("note:61")},
                 {RemoteCommand::Next, QStringLiteral("note:62")},
                 {RemoteCommand::First, QStringLiteral("msc:reset")}};
  return m;
}

std::optional<RemoteCommand> MidiMapping::commandFor(const unsigned char* bytes,
                                                     std::size_t size) const {
  const std::optional<QString> trigger = midiTrigger(bytes, size);
  if (!trigger) return std::nullopt;
  for (const MidiBinding& b : bindings_)
    if (b.trigger == *trigger) return b.command;
  return std::nullopt;
}

QString MidiMapping::triggersOf(RemoteCommand command) const {
  QStringList words;
  for (const MidiBinding& b : bindings_)
    if (b.command == command) words << b.trigger;
  return words.join(QLatin1Char(' '));
}

void MidiMapping::setTriggers(RemoteCommand command, const QString& words) {
  bindings_.removeIf([command](const MidiBinding& b) { return b.command == command; });
  for (const QString& w : words.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts))
    if (isMidiTrigger(w)) bindings_.append({command, w});
}

bool operator==(const MidiMapping& a, const MidiMapping& b) {
  for (RemoteCommand c : kMidiCommands)
    if (a.triggersOf(c) != b.triggersOf(c)) return false;
  return true;
}

QString commandName(RemoteCommand command) {
  switch (command) {
    case RemoteCommand::Go:
      return QStringLiteral("go");
    case RemoteCommand::Stop:
      return QStringLiteral("stop");
    case RemoteCommand::Next:
      return QStringLiteral("next");
    case RemoteCommand::Previous:
      return QStringLiteral("previous");
    case RemoteCommand::First:
      return QStringLiteral("first");
    default:
      return {};
  }
}

}  // namespace scenova::remote
