#pragma once

// Which MIDI message gives which remote command. A trigger is written as a
// short word, so that the settings file and the dialog show it as it is:
//
//   msc:go  msc:stop  msc:reset    MIDI Show Control (any device id, any
//                                  command format)
//   note:N                         Note On of note N (0..127), any channel,
//                                  velocity above 0
//   cc:N                           Control Change N with a value above 0
//   pc:N                           Program Change N
//
// The default mapping: MSC GO, STOP and RESET to go, stop and first; notes
// 60, 61 and 62 to go, stop and next.

#include "remote/remote_dispatch.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <optional>

namespace scenova::remote {

struct MidiBinding {
  RemoteCommand command = RemoteCommand::Go;
  QString trigger;
  friend bool operator==(const MidiBinding&, const MidiBinding&) = default;
};

// The trigger a MIDI message is (for "learn" and for the mapping); nullopt
// for a message no trigger describes (a Note Off, a clock, a broken one).
std::optional<QString> midiTrigger(const unsigned char* bytes, std::size_t size);
// Whether a text is a trigger written as above.
bool isMidiTrigger(const QString& trigger);

class MidiMapping {
 public:
  static MidiMapping defaults();

  // The command of the first binding whose trigger the message is.
  std::optional<RemoteCommand> commandFor(const unsigned char* bytes, std::size_t size) const;

  const QList<MidiBinding>& bindings() const { return bindings_; }
  // The triggers of one command, separated by blanks.
  QString triggersOf(RemoteCommand command) const;
  // Replaces the command's triggers with the valid words of the text.
  void setTriggers(RemoteCommand command, const QString& words);

  // The same triggers for every command, in whatever order.
  friend bool operator==(const MidiMapping& a, const MidiMapping& b);

 private:
  QList<MidiBinding> bindings_;
};

// The commands MIDI can give, in the order the dialog lists them, and their
// names in the settings file.
inline constexpr RemoteCommand kMidiCommands[] = {RemoteCommand::Go, RemoteCommand::Stop,
                                                  RemoteCommand::Next, RemoteCommand::Previous,
                                                  RemoteCommand::First};
QString commandName(RemoteCommand command);

}  // namespace scenova::remote
