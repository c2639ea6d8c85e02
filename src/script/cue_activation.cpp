#include "script/cue_activation.h"

#include "audio/audio_operations.h"
#include "platform/rtb/rtb.h"
#include "script/editor_source.h"
#include "script/interpreter.h"
#include "script/markup.h"
#include "script/media_loader.h"
#include "ui/language_table.h"
#include "ui/main_controls.h"
#include "video/video_operations.h"

#include <QAction>
#include <QDir>
#include <QMenu>

#include <algorithm>

namespace scenova::script {

std::optional<CueSpan> findCueAround(const platform::RTB& editor, int caret) {
  caret = std::clamp(caret, 0, editor.TextLength());
  const int open = openingBefore(EditorSource(editor), caret);
  if (open < 0) return std::nullopt;
  const QString ahead = editor.Mid(caret, kCueSearchAhead + 1);
  for (int k = 0; k < kCueSearchAhead; ++k) {
    if (isBracketPair(ahead, k, '[')) return std::nullopt;
    if (isBracketPair(ahead, k, ']')) return CueSpan{open + 2, caret + k};
  }
  return std::nullopt;
}

CueActivation::CueActivation(CueContext context, platform::RTB& editor, Interpreter& interpreter,
                             MediaLoader& loader)
    : c_(context), editor_(editor), interpreter_(interpreter), loader_(loader) {}

void CueActivation::RTB_Click() {
  fired_.reset();
  if (editor_.TextLength() < 5) return;
  const int pos = editor_.SelStart();
  c_.state.CueHasMedia = false;
  const std::optional<CueSpan> cue = findCueAround(editor_, pos);
  if (!cue) return;
  fired_ = cue;
  QString& currentCue = c_.toolbar.Label2[15]->Tag;
  currentCue = trimBlanks(editor_.Mid(cue->start, cue->end - cue->start));
  c_.state.CommandDone = false;
  QString text = currentCue;
  interpreter_.RunCommand(text, cue->start + 1, cue->end + 1, true);
  editor_.SetSelStart(pos);
  if (c_.state.CommandDone) return;
  loadMedia();
}

void CueActivation::loadMedia() {
  QString& currentCue = c_.toolbar.Label2[15]->Tag;
  const QString found = resolveCueFile(currentCue, c_.host.scriptFolder(), QDir::currentPath(),
                                       c_.host.programFolder());
  if (found.isEmpty()) {
    notFound();
    return;
  }
  currentCue = found;
  // A notice left from an earlier click goes; one that loading shows stays.
  c_.editor.Label11->hide();
  loader_.vai(currentCue);
  if (mediaTypeOf(currentCue) == MediaType::Picture) {
    c_.state.CueHasMedia = false;
    c_.state.LoadedKind = QStringLiteral("I");
  }
  if (c_.state.LoadedKind == QLatin1StringView("A")) {
    if (c_.audio.cmdPlayA->Tag == c_.lang[8]) c_.transport.Timer1_Timer();
    c_.audio.mnuPlayAudio->setText(c_.lang[7]);
    c_.audio.mnuAudio->menuAction()->setVisible(true);
    c_.state.CueHasMedia = true;
  } else if (c_.state.LoadedKind == QLatin1StringView("V")) {
    if (c_.video.cmdPlayV->Tag == c_.lang[8]) c_.transport.Timer1_Timer();
    c_.video.mnuVideo->menuAction()->setVisible(true);
    c_.state.CueHasMedia = true;
  }
}

void CueActivation::notFound() {
  c_.toolbar.Label2[15]->Tag.clear();
  c_.host.ShowNotice(c_.lang[127]);
}

void CueActivation::RTB_DblClick() {
  // The click of the first press has run already; a double-click runs the
  // click handling once more and then starts what it loaded.
  RTB_Click();
  if (!c_.state.CueHasMedia) return;
  if (c_.state.MediaKind == 1) {
    c_.audio.cmdPlayA->Tag = c_.lang[7];
    c_.audio.mnuPlayAudio->setText(c_.lang[8]);
    c_.transport.cmdPlayA_Click();
    c_.transport.refreshPlayButton();
  } else if (c_.state.MediaKind == 2) {
    c_.video.cmdPlayV->Tag = c_.lang[7];
    c_.host.video().cmdPlayV_Click();
  }
}

void CueActivation::RTB_MouseDown(int button, int, int x, int y) {
  if (button != ui::kRightButton) return;
  const QPoint at(ui::twips::toPixels(x), ui::twips::toPixels(y));
  c_.mnuModifica->popup(editor_.mapToGlobal(at));
}

}  // namespace scenova::script
