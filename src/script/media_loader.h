#pragma once

// vai, the media loader: hands the file of a media cue to the audio device,
// the video player or the picture display by its extension, and brings the
// matching player panel into view.

#include "script/cue_context.h"

#include <QString>
#include <QStringView>

namespace scenova::script {

enum class MediaType { Audio, Video, Midi, Picture };

// The kind of a media file by its lower-cased name: videos and MIDI by the
// last four characters (so "mpeg" counts without its dot), pictures by an
// ending of any format the image reader reads (.jpg, .jpeg, .png, .gif,
// .webp, ...); anything else is audio.
MediaType mediaTypeOf(QStringView path);

// A cue's path as this system spells it: "\" separates folders like "/".
QString cueFilePath(QStringView content);

// Whether the path names an ordinary file (or a link to one); folders,
// devices, and paths the file system rejects do not count.
bool isOrdinaryFile(const QString& path);

// Where the file of a media cue is found, the one rule for clicks, the
// media loader and the cue sheet. An absolute path as written; a relative
// one in the script's folder, then in the current folder, then below the
// program folder. A path written from the root ("\Files\bell.wav") that
// does not exist there names a file below the program folder. Empty
// folders are skipped. Empty when nothing names an ordinary file.
QString resolveCueFile(QStringView cue, const QString& scriptFolder, const QString& currentFolder,
                       const QString& programFolder);

class MediaLoader {
 public:
  explicit MediaLoader(CueContext context);

  // Loads the file that cue activation found under path (CurrentCue).
  void vai(const QString& path);
  // The video panel's title: "Video - name" or "MIDI - name".
  void ShowVideoTitle(const QString& path);
  // Shows the device's text for a failed open in the notice label.
  void Errore(quint32 code);

 private:
  void loadVideo(const QString& path, bool midi);
  void loadAudio(const QString& path);

  CueContext c_;
};

}  // namespace scenova::script
