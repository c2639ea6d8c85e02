#pragma once

// Broken cues: media cues whose file cannot be found, looked up the way the
// pre-show check looks them up, marked in the editor with a red wavy
// underline (ScriptMarks) before the audience finds them.
//
// A check runs at once when asked (opening a script, entering show mode,
// the menu command) and a short while after the last edit otherwise, so
// typing never waits for the file system.

#include "script/cue_search.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QTextDocument;

namespace scenova::platform {
class RTB;
}

namespace scenova::script {

class ScriptMarks;

// Whether the cue with this content (as written between the brackets) is a
// media cue whose file cannot be found.
using MissingTest = std::function<bool(QStringView content)>;

struct CueCheck {
  int cues = 0;             // every cue of the script, commands included
  QList<CueBounds> broken;  // in script order
};

CueCheck checkCues(const ScriptSource& source, const MissingTest& missing);

class BrokenCues : public QObject {
  Q_OBJECT
 public:
  BrokenCues(platform::RTB& editor, ScriptMarks& marks, MissingTest missing,
             QObject* parent = nullptr);

  // Checks now and marks what it finds; returns the number of broken cues.
  // With announce, checked() says so.
  int check(bool announce);
  // Checks a short while from now (each call starts the while again).
  void checkSoon();

  // The pause after the last edit before a check.
  static constexpr int kSettleMs = 400;

  // For tests: runs a pending check now.
  void runPending();
  bool pending() const { return timer_.isActive(); }

 Q_SIGNALS:
  // After every check: how many cues the script holds and how many are
  // broken; announce when the operator should be told.
  void checked(int cues, int broken, bool announce);

 private:
  void changed();

  platform::RTB& editor_;
  ScriptMarks& marks_;
  MissingTest missing_;
  QTimer timer_;
  QPointer<QTextDocument> document_;
};

}  // namespace scenova::script
