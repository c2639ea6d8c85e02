#include "audio/output_choice.h"
#include "form1.h"
#include "subsystems.h"
#include "wiring.h"

#include <QAction>
#include <QMenu>

namespace scenova::app {

audio::OutputParts outputParts(Form1& form) {
  audio::OutputParts parts;
  parts.outputs = form.services().outputs;
  parts.device = form.services().audio;
  parts.mixer = form.services().mixer;
  parts.players = form.services().playerRoute;
  parts.dialogs = form.services().dialogs;
  parts.dialogOwner = &form;
  parts.text = windowText(form);
  parts.notice = windowNotice(form);
  return parts;
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
