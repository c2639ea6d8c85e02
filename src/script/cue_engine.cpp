#include "script/cue_engine.h"

#include "platform/rtb/rtb.h"
#include "ui/main_controls.h"

namespace scenova::script {

namespace {

audio::TransportParts transportParts(const CueParts& parts, audio::TransportButtons* buttons) {
  audio::TransportParts t;
  t.ui = parts.ui;
  t.videoPanel = parts.ui;
  t.lang = parts.lang;
  t.Timer1 = parts.Timer1;
  t.device = &parts.host->audioDevice();
  t.buttons = buttons;
  CueHost* host = parts.host.get();
  t.videoPlayer = [host]() -> platform::MediaPlayer& { return host->mainPlayer(); };
  t.notice = [host](const QString& text) { host->ShowNotice(text); };
  t.programFolder = parts.host->programFolder();
  return t;
}

}  // namespace

CueEngine::CueEngine(CueParts parts, QObject* parent)
    : QObject(parent),
      parts_(std::move(parts)),
      buttons_(new audio::TransportButtons(parts_.ui->transport(), *parts_.lang,
                                           parts_.host->programFolder(), this)),
      transport_(new audio::AudioTransport(transportParts(parts_, buttons_), this)),
      context_{*parts_.ui,   *parts_.ui,   *parts_.ui, *parts_.ui, parts_.ui->mnuModifica,
               *parts_.lang, *parts_.host, state_,     *transport_},
      interpreter_(context_, *parts_.editor),
      loader_(context_),
      activation_(
          std::make_unique<CueActivation>(context_, *parts_.editor, interpreter_, loader_)) {}

CueEngine::~CueEngine() = default;

void CueEngine::connectControls() {
  buttons_->connectControls();
  transport_->connectControls();
  platform::RTB* editor = parts_.editor;
  CueActivation* a = activation_.get();
  connect(editor, &platform::RTB::Click, this, [a] { a->RTB_Click(); });
  connect(editor, &platform::RTB::DblClick, this, [a] { a->RTB_DblClick(); });
  connect(editor, &platform::RTB::MouseDown, this,
          [a](int button, int shift, int x, int y) { a->RTB_MouseDown(button, shift, x, y); });
}

}  // namespace scenova::script
