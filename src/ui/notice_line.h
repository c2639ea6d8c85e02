#pragma once

// The notice line Label11 under the script: a text shown for a while (6
// seconds unless told otherwise); a newer notice replaces it and starts the
// while again.

#include <QObject>
#include <QString>

class QTimer;

namespace scenova::ui {

class Control;

class NoticeLine : public QObject {
  Q_OBJECT
 public:
  // timer: ends the while (the window's Timer5).
  NoticeLine(Control& label, QTimer& timer, QObject* parent = nullptr);

  void show(const QString& text, int milliseconds = 6000);
  // The while is over: the line hides.
  void expire();

 private:
  Control& label_;
  QTimer& timer_;
};

}  // namespace scenova::ui
