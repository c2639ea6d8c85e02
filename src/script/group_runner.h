#pragma once

// Fires a cue group (script/cue_groups.h) for one GO: its cues in order,
// each as a click on it would, and at a [[Wait s]] the cues after it that
// many seconds later on a timer, so the window goes on meanwhile. Several
// groups may be waiting at once; cancel() drops every wait still pending
// (Stop all).
//
//   CueGroupRunner runner(fireOne);
//   const qsizetype next = runner.run(cues);  // fires up to the first Wait

#include "script/cue_search.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QTimer;

namespace scenova::script {

// One cue of a group: where it lies and its content as it read then.
struct GroupCue {
  CueBounds at;
  QString content;
};

// The notices a group shows: what the notice line shows now (empty when
// nothing), how to show one, and the text for a Wait whose time cannot be
// used.
struct GroupNotices {
  std::function<QString()> shown;
  std::function<void(const QString&)> show;
  std::function<QString()> badWait;
};

class CueGroupRunner : public QObject {
  Q_OBJECT
 public:
  // fire: fires one cue as a click on it would; false when the cue is no
  // longer there as it read (the script changed), which ends the group.
  using Fire = std::function<bool(const GroupCue&)>;

  explicit CueGroupRunner(Fire fire, QObject* parent = nullptr);
  ~CueGroupRunner() override;

  void setNotices(GroupNotices notices) { notices_ = std::move(notices); }

  // Fires the cues up to the first Wait now and sets a timer for the rest.
  // A Wait whose time is not from 0.1 to 600 s (wherever it stands in the
  // group) fires nothing after it and says so at once: the cues after it
  // are left to the next GO. Returns the index of the first cue left to the
  // next GO (the group's size when none).
  qsizetype run(const QList<GroupCue>& group);

  // The groups waiting for their time.
  int pending() const { return static_cast<int>(timers_.size()); }
  // Drops every pending wait; returns how many there were.
  int cancel();

 private:
  // Fires the cues up to the first Wait, and sets its timer for the rest;
  // then shows what they said, and extraNotice.
  void runFrom(const QList<GroupCue>& group, const QString& extraNotice);
  void waitThenRun(QList<GroupCue> rest, int ms);

  Fire fire_;
  GroupNotices notices_;
  QList<QTimer*> timers_;
};

}  // namespace scenova::script
