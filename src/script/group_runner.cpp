#include "script/group_runner.h"

#include "script/cue_groups.h"
#include "script/markup.h"

#include <QTimer>

namespace scenova::script {

namespace {

// The notices the cues of one batch show, so that a later cue that clears
// the notice line (a file found) does not hide what an earlier one said (a
// file missing).
class NoticeKeeper {
 public:
  explicit NoticeKeeper(const GroupNotices& n) : n_(n) {}
  void before() { before_ = shownNow(); }
  void after() {
    const QString now = shownNow();
    if (!now.isEmpty() && now != before_ && !said_.contains(now)) said_ << now;
  }
  void add(const QString& text) {
    if (!text.isEmpty() && !said_.contains(text)) said_ << text;
  }
  void finish() {
    const QString all = said_.join(QStringLiteral("  \u00b7  "));
    if (!all.isEmpty() && n_.show && shownNow() != all) n_.show(all);
  }

 private:
  QString shownNow() const { return n_.shown ? n_.shown() : QString(); }
  const GroupNotices& n_;
  QString before_;
  QStringList said_;
};

}  // namespace

CueGroupRunner::CueGroupRunner(Fire fire, QObject* parent)
    : QObject(parent), fire_(std::move(fire)) {}

CueGroupRunner::~CueGroupRunner() {
  cancel();
}

qsizetype CueGroupRunner::run(const QList<GroupCue>& group) {
  // A wait whose time cannot be used ends the group where it stands, also
  // one that a valid wait comes before: the operator hears of it at the GO,
  // and the cues after it are the next GO's.
  for (qsizetype i = 0; i < group.size(); ++i) {
    const RecognisedCommand wait = recogniseWait(trimBlanks(group[i].content));
    if (wait && !waitMs(wait.argument)) {
      runFrom(group.first(i), notices_.badWait ? notices_.badWait() : QString());
      return i + 1;
    }
  }
  runFrom(group, {});
  return group.size();
}

void CueGroupRunner::runFrom(const QList<GroupCue>& group, const QString& extraNotice) {
  NoticeKeeper notices(notices_);
  for (qsizetype i = 0; i < group.size(); ++i) {
    const GroupCue& cue = group[i];
    if (const RecognisedCommand wait = recogniseWait(trimBlanks(cue.content))) {
      if (i + 1 < group.size()) waitThenRun(group.mid(i + 1), waitMs(wait.argument).value_or(0));
      break;
    }
    notices.before();
    const bool fired = fire_(cue);
    notices.after();
    if (!fired) break;
  }
  notices.add(extraNotice);
  notices.finish();
}

void CueGroupRunner::waitThenRun(QList<GroupCue> rest, int ms) {
  auto* timer = new QTimer(this);
  timer->setSingleShot(true);
  // A coarse timer may be 5 % late: a second's wait must land within a
  // few milliseconds.
  timer->setTimerType(Qt::PreciseTimer);
  connect(timer, &QTimer::timeout, this, [this, timer, rest = std::move(rest)] {
    timers_.removeOne(timer);
    timer->deleteLater();
    runFrom(rest, {});
  });
  timers_ << timer;
  timer->start(ms);
}

int CueGroupRunner::cancel() {
  const int dropped = pending();
  for (QTimer* t : std::as_const(timers_)) {
    t->stop();
    t->deleteLater();
  }
  timers_.clear();
  return dropped;
}

}  // namespace scenova::script
