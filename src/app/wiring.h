#pragma once

// How each subsystem is made from the window and attached to its controls.
// Each function lives in the subsystem's own wire_*.cpp, so the window stays
// a composition root and never learns the subsystems' insides. Subsystems
// (subsystems.h) builds the subsystems in dependency order from the parts
// made here, then runs every wire function once, when all of them exist.

#include "audio/layer_operations.h"
#include "audio/output_choice.h"
#include "audio/volume_control.h"
#include "recovery.h"
#include "script/cue_engine.h"
#include "video/video_panel.h"

#include <functional>

namespace scenova::app {

class Form1;
struct Subsystems;

// What the video panel, projector and picture windows work on.
video::VideoParts videoParts(Form1& form);
// What the volume slider and fades work on; the projector's player is the
// video panel's.
audio::VolumeParts volumeParts(Form1& form, video::VideoOperations& video);
// What the audio transport, cue interpreter, cue activation and media
// loading work on.
script::CueParts cueParts(Form1& form, audio::VolumeOperations& volume,
                          video::VideoOperations& video, audio::LayerOperations& layers);
// What Options, Audio output routes: the transport, the knob and the players.
audio::OutputParts outputParts(Form1& form);
// The window's language texts by number, and its notice line.
std::function<QString(int)> windowText(Form1& form);
std::function<void(const QString&)> windowNotice(Form1& form);
// Where unsaved work is kept (nowhere when the window was given no folder).
RecoveryKeeper::Options recoveryOptions(const Form1& form);

// The connections between the controls and the subsystems, made once.
void wireVideo(Subsystems& s);    // the panel's controls, the busy pointer over Back
void wireVolume(Subsystems& s);   // the knob, the track and the fade buttons
void wireCues(Subsystems& s);     // the transport's controls, the background's hover
void wireShow(Subsystems& s);     // a saved script is checked again
void wireEditing(Subsystems& s);  // New and Open start the undo history afresh
// Script files, the menu commands, the toolbar, the font boxes, the
// settings panels and the copies of unsaved work.
void wireFiles(Subsystems& s);
void wireFinish(Subsystems& s);  // the web links of the Help and Donations menus
void wireOutput(Subsystems& s);  // Options, Audio output...; the settings keep the choice
void wireLayers(Subsystems& s);  // the layers play where the other sounds go

}  // namespace scenova::app
