#include "audio/output_choice.h"
#include "form1.h"
#include "subsystems.h"
#include "wiring.h"

#include <QAction>
#include <QMenu>

namespace scenova::app {

audio::OutputParts outputParts(Form1& form) {
  const Services& services = form.services();
  return audio::OutputParts{
      .outputs = *services.outputs,
      .device = *services.audio,
      .mixer = *services.mixer,
      .players = *services.playerRoute,
      .dialogs = *services.dialogs,
      .dialogOwner = &form,
      .text = windowText(form),
      .notice = windowNotice(form),
  };
}

void wireOutput(Subsystems& s) {
  Form1& form = s.window;
  audio::OutputChoice* choice = &s.output;
  // Options, Audio output..., after the audio properties.
  auto* item = new QAction(choice->text(audio::OutputChoice::kMenuCaption), &form);
  item->setObjectName(QStringLiteral("mnuAudioOutput"));
  form.ui().mnuOpzioni->insertAction(form.ui().mnuMonitorSettings, item);
  QObject::connect(item, &QAction::triggered, choice, &audio::OutputChoice::choose);
  QObject::connect(&form, &Form1::languageApplied, item, [item, choice] {
    item->setText(choice->text(audio::OutputChoice::kMenuCaption));
  });
  QObject::connect(choice, &audio::OutputChoice::rememberedChanged, &form, &Form1::SaveSettings);
}

}  // namespace scenova::app
