#pragma once

// Reading what another program offers on the X clipboard (or the primary
// selection, pasted with the middle button) on a connection of its own,
// with a time limit on every answer and a limit on the size. Qt's own
// clipboard waits 5 s for each of the several questions a paste asks, on
// the window's thread, and takes any amount of data: a program that holds
// the clipboard and never answers froze the window for 25 s.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace scenova::platform {

struct SelectionContent {
  enum class Status {
    Received,   // type and data hold the first offered type of those asked for
    Empty,      // no owner, or none of the types asked for
    NoAnswer,   // the owner did not answer in time
    TooLarge,   // the owner offered more than the limit
    NoDisplay,  // the X server could not be reached
  };
  Status status = Status::Empty;
  QString type;
  QByteArray data;
};

// Blocks for up to ms milliseconds per answer: call it off the window's
// thread. display: the X display name (empty: $DISPLAY); primary: the
// primary selection instead of the clipboard; types: the wanted types,
// most wanted first; maxBytes: the largest data taken.
SelectionContent readX11Selection(const QByteArray& display, bool primary, const QStringList& types,
                                  int ms, qsizetype maxBytes);

}  // namespace scenova::platform
