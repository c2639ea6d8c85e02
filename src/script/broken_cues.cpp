#include "script/broken_cues.h"

#include "platform/rtb/rtb.h"
#include "script/cue_marks.h"
#include "script/editor_source.h"

#include <QHash>
#include <QTextDocument>

namespace scenova::script {

CueCheck checkCues(const ScriptSource& source, const MissingTest& missing) {
  CueCheck result;
  // A show names the same few files again and again: each is looked up once.
  QHash<QString, bool> known;
  for (std::optional<CueBounds> cue = cueAtOrAfter(source, 0); cue;
       cue = cueAtOrAfter(source, cue->end())) {
    ++result.cues;
    const QString content = source.read(cue->contentStart(), cue->contentLength());
    auto it = known.constFind(content);
    if (it == known.cend()) it = known.insert(content, missing(content));
    if (*it) result.broken.append(*cue);
  }
  return result;
}

BrokenCues::BrokenCues(platform::RTB& editor, ScriptMarks& marks, MissingTest missing,
                       QObject* parent)
    : QObject(parent), editor_(editor), marks_(marks), missing_(std::move(missing)) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { check(false); });
  connect(&editor_, &platform::RTB::Change, this, &BrokenCues::changed);
  document_ = editor_.document();
}

int BrokenCues::check(bool announce) {
  timer_.stop();
  document_ = editor_.document();
  const CueCheck result = checkCues(EditorSource(editor_), missing_);
  marks_.setBroken(result.broken);
  Q_EMIT checked(result.cues, static_cast<int>(result.broken.size()), announce);
  return static_cast<int>(result.broken.size());
}

void BrokenCues::checkSoon() {
  timer_.start(kSettleMs);
}

void BrokenCues::runPending() {
  if (timer_.isActive()) check(false);
}

void BrokenCues::changed() {
  // Another script (Open): its cues are checked and announced at once.
  if (document_ != editor_.document()) {
    check(true);
    return;
  }
  // An edit: the marks follow the text until the check after the typing.
  checkSoon();
}

}  // namespace scenova::script
