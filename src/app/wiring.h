#pragma once

// Where the subsystems attach themselves to the main window. Each function
// lives in the subsystem's own wire_*.cpp, so the window stays a composition
// root and never learns the subsystems' insides.

namespace scenova::app {

class Form1;
struct SettingsValues;

// Audio transport, cue interpreter, cue activation and media loading. Called
// once from the window's constructor, after the controls exist.
void wireCues(Form1& form);

// Show mode: the Options menu item and F12, the GO key, the next-cue mark,
// Stop all and the broken-cue marks. Called once from the constructor, after
// wireCues.
void wireShow(Form1& form);
// Save As calls it once the script is written under its new path: the
// broken-cue marks are checked again against the new folder.
void showScriptSaved(Form1& form);

// Volume slider and fades. wireVolume runs in the constructor;
// volumeFormLoad opens the mixer and places the knob (load step 2);
// volumeRestore gives the knob its saved position and value and applies the
// volume (load steps 8 and 15).
void wireVolume(Form1& form);
void volumeFormLoad(Form1& form);
void volumeRestore(Form1& form, const SettingsValues& saved);

// Options, Audio output (sets form.output). wireOutput runs in the
// constructor; outputRestore sends the sound to the output remembered from
// the last session, before the volume is restored (load step 15).
void wireOutput(Form1& form);
void outputRestore(Form1& form, const SettingsValues& saved);

// Undo and redo, typing aids, Find and Replace, Add Command (sets
// form.editing). Called from the constructor after wireCues.
void wireEditing(Form1& form);

// Script files, the toolbar, the menu commands, the font boxes, the
// clipboard and the settings panels (wireFiles, in the constructor); the
// script of the command line and an offer to restore unsaved work after a
// crash (filesFormLoad, load step 17); the clean end of the unsaved-work
// copies when the window closes (filesUnload).
void wireFiles(Form1& form);
void filesFormLoad(Form1& form, const QString& commandLine);
void filesUnload(Form1& form);

// Video panel, projector and picture windows. wireVideo runs in the
// constructor; videoFormLoad builds the monitor list (load step 1).
void wireVideo(Form1& form);
void videoFormLoad(Form1& form);

// The sound layers and their rows under the audio panel (sets form.layers).
// Called once from the constructor, after wireVideo.
void wireLayers(Form1& form);

// Leaving the program: Escape, the questions before closing and the end of
// the show windows and sounds (sets form.exits). Called once from the
// constructor, after wireShow.
void wireExit(Form1& form);

// Printing, the text colour, the About box, help and web links.
void wireFinish(Form1& form);

}  // namespace scenova::app
