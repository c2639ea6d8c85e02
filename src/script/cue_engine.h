#pragma once

// The show itself: the audio transport, its buttons' hover look, the cue
// interpreter, the media loader and cue activation, put together over the
// main window's controls.
//
//   CueParts parts{&ui, &lang, &Timer1, std::make_unique<MyHost>(...), rtb};
//   auto* engine = new CueEngine(std::move(parts), window);
//   engine->connectControls();

#include "audio/audio_transport.h"
#include "audio/transport_buttons.h"
#include "script/cue_activation.h"
#include "script/cue_context.h"
#include "script/interpreter.h"
#include "script/media_loader.h"

#include <QObject>

#include <memory>

class QTimer;

namespace scenova::script {

struct CueParts {
  ui::MainControls* ui = nullptr;
  const ui::LanguageTable* lang = nullptr;
  QTimer* Timer1 = nullptr;
  std::unique_ptr<CueHost> host;
  platform::RTB* editor = nullptr;  // the script's editor: required
};

class CueEngine : public QObject {
  Q_OBJECT
 public:
  explicit CueEngine(CueParts parts, QObject* parent = nullptr);
  ~CueEngine() override;

  // Connects the transport buttons, the counter, the Audio menu, Timer1 and
  // the editor's mouse events to their handlers.
  void connectControls();

  CueState& state() { return state_; }
  audio::TransportButtons& buttons() { return *buttons_; }
  audio::AudioTransport& transport() { return *transport_; }
  Interpreter& interpreter() { return interpreter_; }
  MediaLoader& loader() { return loader_; }
  CueActivation& activation() { return *activation_; }

 private:
  CueParts parts_;
  CueState state_;
  audio::TransportButtons* buttons_;
  audio::AudioTransport* transport_;
  CueContext context_;
  Interpreter interpreter_;
  MediaLoader loader_;
  std::unique_ptr<CueActivation> activation_;
};

}  // namespace scenova::script
