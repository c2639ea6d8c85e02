#!/bin/sh
# check-layers.sh SRC
#
# The folders under SRC are layers, lowest first:
#   platform < ui < script, audio, video, tools, remote < app
# A file may include headers of its own folder and of the folders below it;
# an include that goes up, or sideways between script, audio, video and
# tools, fails the check unless it is listed in ALLOWED below. Prints every
# offending include as FILE:LINE and exits with 1; 0 when there is none.
src=${1:?usage: check-layers.sh SRC}
[ -d "$src" ] || { echo "check-layers.sh: no folder $src" >&2; exit 2; }

# Sideways includes allowed today, one per line: the including folder (or
# one file of it, as a path below SRC) and the header it includes (a folder
# name ending in "/" allows all of it).
#
# - The cue code fires audio and video cues through the subsystems' narrow
#   interfaces (AudioOperations, VolumeOperations, VideoOperations,
#   LayerOperations), which
#   live with the code that implements them.
# - The cue engine still builds the audio transport and its buttons itself
#   and hands them to the window, which reaches them through it; only the
#   engine's own files see the concrete classes.
ALLOWED='
script audio/audio_operations.h
script audio/volume_operations.h
script audio/layer_operations.h
script video/video_operations.h
script/cue_engine.h audio/audio_transport.h
script/cue_engine.h audio/transport_buttons.h
'

find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort |
  xargs grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' /dev/null |
  awk -v src="$src" -v allowed="$ALLOWED" '
    BEGIN {
      rank["platform"] = 0; rank["ui"] = 1
      rank["script"] = 2; rank["audio"] = 2; rank["video"] = 2; rank["tools"] = 2; rank["remote"] = 2
      rank["app"] = 3
      n = split(allowed, lines, "\n")
      for (i = 1; i <= n; ++i) {
        if (split(lines[i], f, " ") == 2) ok[f[1] " " f[2]] = 1
      }
      bad = 0
    }
    {
      # FILE:LINE:#include "folder/name.h"
      file = $0; sub(/:.*/, "", file)
      rest = substr($0, length(file) + 2)
      line = rest; sub(/:.*/, "", line)
      text = substr(rest, length(line) + 2)
      inc = text
      sub(/^[^"<]*["<]/, "", inc); sub(/[">].*$/, "", inc)
      path = substr(file, length(src) + 2)
      from = path; sub(/\/.*/, "", from)
      if (!(from in rank)) next
      if (inc ~ /(^|\/)\.\.\//) {
        print file ":" line ": " from " includes " inc " by a relative path: name the folder"
        bad = 1; next
      }
      to = inc; if (to !~ /\//) next
      sub(/\/.*/, "", to)
      if (!(to in rank) || to == from) next
      if (rank[to] < rank[from]) next
      folder = inc; sub(/\/.*/, "/", folder)
      if ((from " " inc) in ok || (from " " folder) in ok) next
      if ((path " " inc) in ok || (path " " folder) in ok) next
      way = rank[to] > rank[from] ? "up" : "sideways"
      print file ":" line ": " from " includes " inc " (" way ": " to " is not below " from ")"
      bad = 1
    }
    END { exit bad }'
status=$?
[ $status -eq 0 ] || echo "check-layers.sh: includes between layers go down only (see the list in $0)" >&2
exit $status
