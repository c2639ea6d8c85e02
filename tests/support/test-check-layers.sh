#!/bin/sh
# Checks check-layers.sh on small made-up source trees: includes that go
# down pass, one that goes up or sideways (unless listed) fails.
check="$(dirname "$0")/check-layers.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail=0

# expect STATUS FILE INCLUDE: the check of a tree of one file that includes
# one header ends with STATUS.
expect() {
  want=$1 file=$2 include=$3
  rm -rf "$dir/src"
  mkdir -p "$dir/src/$(dirname "$file")"
  printf '#include "own.h"\n#include <QString>\n#include %s\n' "$include" > "$dir/src/$file"
  sh "$check" "$dir/src" >/dev/null 2>&1
  got=$?
  if [ "$got" != "$want" ]; then
    echo "exit status $got, expected $want: $file including $include"
    fail=1
  fi
}

expect 0 audio/a.cpp '"platform/media/audio_device.h"'
expect 0 audio/a.cpp '"ui/numbers.h"'
expect 0 app/form1.cpp '"script/cue_engine.h"'
expect 0 tools/t.cpp '"tools/undo_history.h"'
expect 0 platform/media/m.cpp '"platform/safe_read.h"'
expect 0 script/s.cpp '"video/video_operations.h"'  # listed as allowed
expect 1 platform/p.cpp '"ui/controls.h"'             # up
expect 1 ui/u.h '"script/markup.h"'                   # up
expect 1 audio/a.cpp '"app/form1.h"'                  # up
expect 1 script/s.cpp '<app/form1.h>'                 # up, in angle brackets
expect 1 audio/a.cpp '"script/markup.h"'              # sideways
expect 1 video/v.cpp '"audio/audio_transport.h"'      # sideways
expect 1 script/s.cpp '"video/video_panel.h"'         # sideways, not listed
expect 0 script/cue_engine.h '"audio/audio_transport.h"'  # listed for this file
expect 1 script/s.cpp '"audio/audio_transport.h"'         # but not for the others
expect 1 audio/a.cpp '"../app/form1.h"'               # a relative path
exit $fail
