#include "audio/transport_buttons.h"

#include "ui/language_table.h"
#include "ui/main_controls.h"
#include "ui/picture_cache.h"

#include <QGuiApplication>

namespace scenova::audio {

namespace {
// Back, forward and stop; the play buttons choose by their marker.
constexpr const char* kNormal[] = {"play", "bac", "for", "stop"};
constexpr const char* kHighlighted[] = {"play2", "bac2", "for2", "stop2"};

constexpr size_t idx(TransportButtons::Button b) {
  return static_cast<size_t>(b);
}
bool isPlay(TransportButtons::Button b) {
  return b == TransportButtons::Play || b == TransportButtons::PlayV;
}
// The first button of b's group.
int groupStart(TransportButtons::Button b) {
  return b < TransportButtons::PlayV ? 0 : 4;
}

void restoreOverrideCursors() {
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}
}  // namespace

TransportButtons::TransportButtons(const ui::TransportControls& ui, const ui::LanguageTable& lang,
                                   QString programFolder, QObject* parent)
    : QObject(parent),
      ui_(ui),
      lang_(lang),
      folder_(std::move(programFolder)),
      defaultPointer_(restoreOverrideCursors) {
  QStringList all;
  for (const char* n :
       {"play", "play2", "pause", "pause2", "bac", "bac2", "for", "for2", "stop", "stop2"})
    all << picture(n);
  ui::PictureCache::instance().preload(all);
  for (int b = 0; b < kCount; ++b) show(static_cast<Button>(b), false);
}

QString TransportButtons::picture(const char* name) const {
  return folder_ + QStringLiteral("/Files/") + QLatin1StringView(name) + QStringLiteral(".jpg");
}

ui::Control* TransportButtons::control(Button b) const {
  switch (b) {
    case Play:
      return ui_.audio.cmdPlayA;
    case Bac:
      return ui_.audio.cmdBacA;
    case For:
      return ui_.audio.cmdForA;
    case Stop:
      return ui_.audio.cmdStopA;
    case PlayV:
      return ui_.video.cmdPlayV;
    case BacV:
      return ui_.video.cmdBacV;
    case ForV:
      return ui_.video.cmdForV;
    case StopV:
      return ui_.video.cmdStopV;
  }
  return nullptr;
}

bool TransportButtons::playing(Button play) const {
  const ui::Control* c = control(play);
  return c && c->Tag == lang_[8];
}

void TransportButtons::show(Button b, bool highlighted) {
  ui::Control* c = control(b);
  if (!c) return;
  const Look look = highlighted ? Look::Highlighted : Look::Normal;
  if (isPlay(b)) {
    // The play button shows what its next press does.
    const bool p = playing(b);
    if (c->setPicture(
            picture(p ? (highlighted ? "pause2" : "pause") : (highlighted ? "play2" : "play")))) {
      look_[idx(b)] = look;
      lookPlaying_[idx(b)] = p;
    }
    if (highlighted) c->setToolTip(lang_.tooltip(p ? 122 : 120));
    return;
  }
  const size_t kind = idx(b) % 4;
  if (c->setPicture(picture(highlighted ? kHighlighted[kind] : kNormal[kind])))
    look_[idx(b)] = look;
}

void TransportButtons::hover(Button b) {
  // A picture is loaded only when a mark changes, or when a lit play
  // button's marker changed under it (a Stop): moving inside a button
  // touches no picture.
  if (marks_[idx(b)] == 0) {
    marks_[idx(b)] = 1;
    show(b, true);
  } else if (isPlay(b) &&
             (look_[idx(b)] != Look::Highlighted || lookPlaying_[idx(b)] != playing(b))) {
    show(b, true);
  }
  const int first = groupStart(b);
  for (int i = first; i < first + 4; ++i) {
    const auto other = static_cast<Button>(i);
    if (other == b || marks_[idx(other)] == 0) continue;
    marks_[idx(other)] = 0;
    show(other, false);
  }
}

void TransportButtons::showPressed(Button play) {
  if (isPlay(play)) show(play, true);
}

void TransportButtons::unlightAll() {
  for (int i = 0; i < kCount; ++i) {
    const auto b = static_cast<Button>(i);
    if (marks_[idx(b)] == 0) continue;
    marks_[idx(b)] = 0;
    show(b, false);
  }
}

void TransportButtons::Form_MouseMove(int, int, double, double) {
  if (clearToolbar_) clearToolbar_();
  unlightAll();
}

void TransportButtons::Label1_MouseMove(int, int, double, double) {
  Form_MouseMove(0, 0, 0, 0);
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
void TransportButtons::cmdPlayV_MouseMove(int, int, double, double) {
  hover(PlayV);
}
void TransportButtons::cmdBacV_MouseMove(int, int, double, double) {
  hover(BacV);
  if (defaultPointer_) defaultPointer_();
}
void TransportButtons::cmdForV_MouseMove(int, int, double, double) {
  hover(ForV);
}
void TransportButtons::cmdStopV_MouseMove(int, int, double, double) {
  hover(StopV);
}

void TransportButtons::connectControls() {
  using T = TransportButtons;
  using ui::Control;
  connect(ui_.audio.cmdPlayA, &Control::MouseMove, this, &T::cmdPlayA_MouseMove);
  connect(ui_.audio.cmdBacA, &Control::MouseMove, this, &T::cmdBacA_MouseMove);
  connect(ui_.audio.cmdForA, &Control::MouseMove, this, &T::cmdForA_MouseMove);
  connect(ui_.audio.cmdStopA, &Control::MouseMove, this, &T::cmdStopA_MouseMove);
  connect(ui_.video.cmdPlayV, &Control::MouseMove, this, &T::cmdPlayV_MouseMove);
  connect(ui_.video.cmdBacV, &Control::MouseMove, this, &T::cmdBacV_MouseMove);
  connect(ui_.video.cmdForV, &Control::MouseMove, this, &T::cmdForV_MouseMove);
  connect(ui_.video.cmdStopV, &Control::MouseMove, this, &T::cmdStopV_MouseMove);
  connect(ui_.Label1, &Control::MouseMove, this, &T::Label1_MouseMove);
}

}  // namespace scenova::audio
