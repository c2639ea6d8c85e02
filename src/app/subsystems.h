#pragma once

// The main window's subsystems: each is owned here as a typed member and
// built, in the order of the members, from the window and the subsystems
// declared above it, so the compiler holds the order (a member used before
// its line is an error under -Werror=uninitialized). Nothing is ever null:
// where the system lacks a device, the window put a null object in its
// place.
//
// Adding a subsystem: one member below the subsystems it needs, its
// construction in the member's initializer, and (when it connects to
// controls or other subsystems' signals) a wire function in its own
// wire_*.cpp, declared in wiring.h and called from the constructor in
// subsystems.cpp.

#include "audio/layer_rows.h"
#include "audio/output_choice.h"
#include "audio/sound_layers.h"
#include "audio/volume_control.h"
#include "document_commands.h"
#include "editing_tools.h"
#include "exit_commands.h"
#include "form1.h"
#include "formatting_commands.h"
#include "print_help_commands.h"
#include "recovery.h"
#include "remote_control.h"
#include "script/cue_engine.h"
#include "show_mode.h"
#include "toolbar_commands.h"
#include "video/video_panel.h"
#include "wiring.h"

namespace scenova::app {

class Form1;

struct Subsystems {
  explicit Subsystems(Form1& window);
  ~Subsystems();
  Subsystems(const Subsystems&) = delete;
  Subsystems& operator=(const Subsystems&) = delete;

  Form1& window;
  // Video panel, projector and picture windows.
  video::VideoPanel video{videoParts(window), &window};
  // The volume knob and fades.
  audio::VolumeControl volume{volumeParts(window, video), &window};
  // Options, Audio output: where the transport, the knob and the players'
  // sound go.
  audio::OutputChoice output{outputParts(window), &window};
  // Sound files side by side beside the transport, on the chosen output.
  audio::SoundLayers layers{*window.services().voices, windowNotice(window), windowText(window),
                            &window};
  // Their rows under the audio panel.
  audio::LayerRows layerRows{layers,
                             window.ui().Picture2,
                             {window.ui().Picture3, window.ui().WMP2},
                             windowText(window),
                             window.ui().central};
  // Audio transport, cue interpreter, cue activation and media loading.
  script::CueEngine cues{cueParts(window, volume, video, layers), &window};
  // GO, cue groups, the next-cue mark, Stop all and the broken-cue marks.
  ShowMode show{window, cues, video, volume, layers};
  // Bold, italic, alignment and sizes on the selection.
  FormattingCommands formatting{*window.editor()};
  // Undo and redo, typing aids, Find and Replace, Add Command.
  EditingTools editing{window, cues.interpreter(), formatting};
  // Printing, the text colour, the About box, help and web links.
  PrintHelpCommands printHelp{window};
  // New, Open, Save, Save As.
  DocumentCommands documents{window, show};
  // The seventeen toolbar buttons and their hover frame.
  ToolbarCommands toolbar{window, documents, formatting, editing, printHelp};
  // Copies of unsaved work.
  RecoveryKeeper recovery{window, documents, recoveryOptions(window)};
  // Escape, closing, the end of the show windows and sounds.
  ExitCommands exits{window, show, video, volume, cues.transport()};
  // GO, Stop all and the next-cue mark over OSC and MIDI.
  RemoteControl remote{window, show, cues};
};

}  // namespace scenova::app
