#!/usr/bin/env bash
# Starts or stops what the display and sound tests need, in a private folder:
#   an X server (Xorg, dummy driver) with two 1024x768 monitors side by side,
#   a PulseAudio daemon with a null sink "test_sink" as default output.
#
#   scripts/test-env.sh start DIR   -> writes DIR/env (source it) and DIR/pids
#   scripts/test-env.sh stop DIR    -> stops every process listed in DIR/pids
set -uo pipefail
cmd=${1:?start or stop}
dir=${2:?folder}

stop() {
  [ -f "$dir/pids" ] || return 0
  while read -r pid; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
  done < "$dir/pids"
  sleep 0.3
  while read -r pid; do
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
  done < "$dir/pids"
  rm -f "$dir/pids"
}

start_x() {
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  cat > "$dir/xorg.conf" <<CONF
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1024x768" 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768"
    Virtual 2048 768
  EndSubSection
EndSection
CONF
  /usr/lib/xorg/Xorg ":$n" -config "$dir/xorg.conf" -noreset -nolisten tcp \
    -logfile "$dir/xorg.log" >"$dir/xorg.out" 2>&1 &
  echo $! >> "$dir/pids"
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xrandr >/dev/null 2>&1 && break
    sleep 0.1
  done
  xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary &&
  xrandr --addmode DUMMY1 1024x768 &&
  xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0 || {
    echo "test-env: X server on :$n did not come up with two monitors" >&2
    tail -20 "$dir/xorg.log" >&2
    return 1
  }
  echo "export DISPLAY=:$n" >> "$dir/env"
}

start_pulse() {
  local home="$dir/pulse-home" run="$dir/pulse-run"
  mkdir -p "$home" "$run"
  chmod 700 "$run"
  cat > "$dir/pulse.pa" <<CONF
load-module module-native-protocol-unix auth-anonymous=1 socket=$run/native
load-module module-null-sink sink_name=test_sink rate=48000
set-default-sink test_sink
set-default-source test_sink.monitor
CONF
  HOME="$home" XDG_RUNTIME_DIR="$run" PULSE_RUNTIME_PATH="$run" \
    pulseaudio --daemonize=yes --exit-idle-time=-1 -n -F "$dir/pulse.pa" \
    --use-pid-file=yes --log-target=file:"$dir/pulse.log" 2>>"$dir/pulse.log"
  export PULSE_SERVER="unix:$run/native"
  local i
  for i in $(seq 1 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl info >/dev/null 2>&1 || { echo "test-env: PulseAudio did not start" >&2; cat "$dir/pulse.log" >&2; return 1; }
  local pid
  pid=$(cat "$run/pid" 2>/dev/null || pgrep -n -f "pulseaudio.*$dir/pulse.pa")
  [ -n "$pid" ] && echo "$pid" >> "$dir/pids"
  # An idle null sink can hold a new stream back for up to 2 s; a running
  # recorder keeps it awake.
  parec --latency-msec=5 -d test_sink.monitor >/dev/null 2>&1 &
  echo $! >> "$dir/pids"
  echo "export PULSE_SERVER=unix:$run/native" >> "$dir/env"
}

# A home and XDG folders inside DIR, and the marker the display, sound and
# user-folder tests look for before they run (tests/support/in-private-env.sh).
start_home() {
  mkdir -p "$dir/home/.config" "$dir/home/.local/share" "$dir/home/.cache" \
    "$dir/home/.local/state" "$dir/run"
  chmod 700 "$dir/run"
  cat >> "$dir/env" <<ENV
export HOME=$dir/home
export XDG_CONFIG_HOME=$dir/home/.config
export XDG_DATA_HOME=$dir/home/.local/share
export XDG_CACHE_HOME=$dir/home/.cache
export XDG_STATE_HOME=$dir/home/.local/state
export XDG_RUNTIME_DIR=$dir/run
export SCENOVA_PRIVATE_TEST_ENV=$dir
ENV
}

case "$cmd" in
  start)
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd -P)
    : > "$dir/env"
    start_x || { stop; exit 1; }
    start_pulse || { stop; exit 1; }
    start_home
    ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
