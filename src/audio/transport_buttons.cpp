#include "audio/transport_buttons.h"

#include "ui/language_table.h"
#include "ui/main_controls.h"

namespace scenova::audio {

namespace {
constexpr const char* kNormal[] = {"play", "bac", "for", "stop"};
constexpr const char* kHighlighted[] = {"play2", "bac2", "for2", "stop2"};
}  // namespace

TransportButtons::TransportButtons(ui::MainControls& ui, const ui::LanguageTable& lang,
                                   QString programFolder, QObject* parent)
    : QObject(parent), ui_(ui), lang_(lang), folder_(std::move(programFolder)) {
  for (Button b : {Play, Bac, For, Stop}) showPicture(b, false);
}

QString TransportButtons::picture(const char* name) const {
  return folder_ + QStringLiteral("/Files/") + QLatin1StringView(name) + QStringLiteral(".jpg");
}

ui::Control* TransportButtons::control(Button b) const {
  switch (b) {
    case Play:
      return ui_.cmdPlayA;
    case Bac:
      return ui_.cmdBacA;
    case For:
      return ui_.cmdForA;
    case Stop:
      return ui_.cmdStopA;
  }
  return nullptr;
}

void TransportButtons::showPicture(Button b, bool highlighted) {
  ui::Control* c = control(b);
  if (!c) return;
  if (b == Play) {
    // The play button shows what its next press does.
    const bool playing = c->Tag == lang_[8];
    c->setPicture(
        picture(playing ? (highlighted ? "pause2" : "pause") : (highlighted ? "play2" : "play")));
    if (highlighted) c->setToolTip(lang_.tooltip(playing ? 122 : 120));
    return;
  }
  const auto i = static_cast<size_t>(b);
  c->setPicture(picture(highlighted ? kHighlighted[i] : kNormal[i]));
}

void TransportButtons::hover(Button b) {
  // A picture is loaded only when a mark changes, so moving inside a button
  // reads no file.
  if (marks_[static_cast<size_t>(b)] == 0) {
    marks_[static_cast<size_t>(b)] = 1;
    showPicture(b, true);
  }
  for (Button other : {Play, Bac, For, Stop}) {
    if (other == b || marks_[static_cast<size_t>(other)] == 0) continue;
    marks_[static_cast<size_t>(other)] = 0;
    showPicture(other, false);
  }
}

void TransportButtons::unlightAll() {
  for (Button b : {Play, Bac, For, Stop}) {
    if (marks_[static_cast<size_t>(b)] == 0) continue;
    marks_[static_cast<size_t>(b)] = 0;
    showPicture(b, false);
  }
}

void TransportButtons::cmdPlayA_MouseMove(int, int, double, double) {
  hover(Play);
}
void TransportButtons::cmdBacA_MouseMove(int, int, double, double) {
  hover(Bac);
}
void TransportButtons::cmdForA_MouseMove(int, int, double, double) {
  hover(For);
}
void TransportButtons::cmdStopA_MouseMove(int, int, double, double) {
  hover(Stop);
}

void TransportButtons::connectControls() {
  connect(ui_.cmdPlayA, &ui::Control::MouseMove, this, &TransportButtons::cmdPlayA_MouseMove);
  connect(ui_.cmdBacA, &ui::Control::MouseMove, this, &TransportButtons::cmdBacA_MouseMove);
  connect(ui_.cmdForA, &ui::Control::MouseMove, this, &TransportButtons::cmdForA_MouseMove);
  connect(ui_.cmdStopA, &ui::Control::MouseMove, this, &TransportButtons::cmdStopA_MouseMove);
}

}  // namespace scenova::audio
