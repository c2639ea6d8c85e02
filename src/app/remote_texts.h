#pragma once

// The language texts of remote control (300..329), with English built in
// for a language file that lacks them.

#include "ui/language_table.h"

namespace scenova::app {

enum RemoteText {
  kRemoteMenu = 300,
  kRemoteTitle = 301,
  kRemoteOn = 302,
  kRemotePort = 303,
  kRemoteWho = 304,
  kRemoteLoopback = 305,
  kRemoteNetwork = 306,
  kRemoteAllowed = 307,
  kRemoteMidi = 308,
  kRemoteMapping = 309,
  kRemoteGo = 310,
  kRemoteStop = 311,
  kRemoteNext = 312,
  kRemotePrevious = 313,
  kRemoteFirst = 314,
  kRemoteLearn = 315,
  kRemoteLearning = 316,
  kRemoteListening = 317,
  kRemotePortUnusable = 318,
  kRemoteNotInShow = 319,
  kRemoteCueNotFound = 320,
  kRemoteSendFailed = 321,
  kRemoteDropped = 322,
  kRemoteMidiUnavailable = 323,
  kRemoteBadAddress = 324,
  kRemoteHint = 325,
  kRemoteMidiOpen = 326,
  kRemoteHostUnknown = 327,
  kRemoteLearned = 328,
};

QString remoteText(const ui::LanguageTable& lang, int index);

}  // namespace scenova::app
