#include "remote_texts.h"

namespace scenova::app {

namespace {

const char* builtIn(int index) {
  switch (index) {
    case kRemoteMenu:
      return "Remote control...";
    case kRemoteTitle:
      return "Remote control";
    case kRemoteOn:
      return "Remote control on (OSC over UDP)";
    case kRemotePort:
      return "UDP port:";
    case kRemoteWho:
      return "Who may send:";
    case kRemoteLoopback:
      return "This computer only";
    case kRemoteNetwork:
      return "The local network, from these addresses:";
    case kRemoteAllowed:
      return "Allowed sender addresses, separated by blanks";
    case kRemoteMidi:
      return "MIDI input port \"Scenova\"";
    case kRemoteMapping:
      return "MIDI messages (msc:go, note:60, cc:20, pc:5)";
    case kRemoteGo:
      return "GO:";
    case kRemoteStop:
      return "Stop all:";
    case kRemoteNext:
      return "Next cue:";
    case kRemotePrevious:
      return "Previous cue:";
    case kRemoteFirst:
      return "First cue:";
    case kRemoteLearn:
      return "Learn";
    case kRemoteLearning:
      return "Send the MIDI message now...";
    case kRemoteListening:
      return "Remote control listens on UDP port";
    case kRemotePortUnusable:
      return "Remote control is off: this UDP port cannot be used:";
    case kRemoteNotInShow:
      return "Remote command ignored: show mode is off";
    case kRemoteCueNotFound:
      return "Remote command: no cue with this text:";
    case kRemoteSendFailed:
      return "Network cue not sent:";
    case kRemoteDropped:
      return "Messages dropped:";
    case kRemoteMidiUnavailable:
      return "MIDI input is not available:";
    case kRemoteBadAddress:
      return "Not a network address:";
    case kRemoteHint:
      return "OSC addresses: /scenova/go, /stop, /next, /previous, /first, /cue, /subscribe, /ping";
    case kRemoteMidiOpen:
      return "MIDI input port \"Scenova\" is open";
    case kRemoteHostUnknown:
      return "Network cue: the host name does not resolve:";
    case kRemoteLearned:
      return "Learned:";
    default:
      return "";
  }
}

}  // namespace

QString remoteText(const ui::LanguageTable& lang, int index) {
  const QString t = lang[index];
  return t.isEmpty() ? QString::fromUtf8(builtIn(index)) : t;
}

}  // namespace scenova::app
