#!/usr/bin/env bash
# Starts or stops what the display and sound tests need, in a private folder:
#   an X server (Xorg, dummy driver) with two 1024x768 monitors side by side,
#   a PulseAudio daemon with a null sink "test_sink" as default output and a
#   second one, "test_sink2" ("Second test output"), for the choice of output,
#   a D-Bus session bus of its own,
#   a JACK server of its own with the dummy backend (the MIDI tests),
#   a CUPS daemon of its own with one PDF-writing queue (see start_cups).
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
load-module module-null-sink sink_name=test_sink2 rate=48000 sink_properties="device.description='Second test output'"
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
  parec --latency-msec=5 -d test_sink2.monitor >/dev/null 2>&1 &
  echo $! >> "$dir/pids"
  echo "export PULSE_SERVER=unix:$run/native" >> "$dir/env"
}

start_dbus() {
  # A private session bus: D-Bus tests talk to their own test services on
  # it, never to the desktop's.
  local out
  out=$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1 \
    --address="unix:path=$dir/dbus-session") || { echo "test-env: dbus-daemon did not start" >&2; return 1; }
  local address pid
  address=$(echo "$out" | sed -n 1p)
  pid=$(echo "$out" | sed -n 2p)
  [ -n "$pid" ] && echo "$pid" >> "$dir/pids"
  echo "export DBUS_SESSION_BUS_ADDRESS=$address" >> "$dir/env"
  echo "export SCENOVA_TEST_BUS_ADDRESS=$address" >> "$dir/env"
}

# A JACK server of its own with the dummy backend (no sound card, no
# realtime), under a server name of its own that the env file exports, so
# that the MIDI tests' ports never reach a JACK server of the machine.
start_jack() {
  command -v jackd >/dev/null 2>&1 || { echo "test-env: no jackd; the MIDI tests will skip" >&2; return 0; }
  local name="scenova-test-$$"
  JACK_NO_AUDIO_RESERVATION=1 JACK_NO_START_SERVER=1 \
    jackd --no-realtime --name "$name" -d dummy -r 48000 -p 256 >"$dir/jack.log" 2>&1 &
  echo $! >> "$dir/pids"
  local i
  for i in $(seq 50); do
    JACK_DEFAULT_SERVER=$name JACK_NO_START_SERVER=1 jack_lsp >/dev/null 2>&1 && break
    sleep 0.1
  done
  JACK_DEFAULT_SERVER=$name JACK_NO_START_SERVER=1 jack_lsp >/dev/null 2>&1 || {
    echo "test-env: the JACK server did not start; the MIDI tests will skip" >&2
    cat "$dir/jack.log" >&2
    return 0
  }
  cat >> "$dir/env" <<ENV
export JACK_DEFAULT_SERVER=$name
export JACK_NO_START_SERVER=1
export SCENOVA_TEST_JACK=$name
ENV
}

# A print system of its own: a CUPS daemon run as root with its own
# configuration, spool, cache, state and log folders under DIR/cups, a
# domain socket there and no network port, and one queue "scenova-pdf"
# whose backend writes every job, as sent (Qt sends PDF), to
# DIR/cups/out/job-ID.pdf. CUPS_SERVER points the tests' print support at
# that socket only; the machine's own CUPS is never started or asked.
# Without cupsd, or when not run as root, there is no printer and the
# printing tests skip.
start_cups() {
  if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null || [ "$(id -u)" -ne 0 ]; then
    echo "test-env: no private CUPS (needs cupsd, lpadmin and root): printing tests will skip" >&2
    return 0
  fi
  local c="$dir/cups"
  mkdir -p "$c/conf" "$c/spool" "$c/cache" "$c/state" "$c/log" "$c/temp" "$c/out" \
    "$c/bin/backend" "$c/bin/filter"
  ln -sfn /usr/lib/cups/daemon "$c/bin/daemon"
  cat > "$c/bin/backend/pdfout" <<'SH'
#!/bin/sh
# pdfout:/folder - writes each job's document to /folder/job-ID.pdf.
if [ $# -eq 0 ]; then echo 'file pdfout "Unknown" "PDF files"'; exit 0; fi
out=${DEVICE_URI#pdfout:}
if [ -n "$6" ]; then cat "$6"; else cat; fi > "$out/.job-$1" && mv "$out/.job-$1" "$out/job-$1.pdf"
SH
  # Owned by root and private to it: the daemon runs it as root.
  chmod 700 "$c/bin/backend/pdfout"
  # A colour printer (so that the print support sends colour) that takes
  # PDF as it comes: no filter runs.
  cat > "$c/pdfout.ppd" <<'PPD'
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "PDFOUT.PPD"
*Manufacturer: "Scenova"
*Product: "(PDF out)"
*ModelName: "Scenova PDF out"
*ShortNickName: "Scenova PDF out"
*NickName: "Scenova PDF out"
*PSVersion: "(3010.000) 0"
*ColorDevice: True
*DefaultColorSpace: RGB
*cupsVersion: 2.4
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 -"
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 36 577 806"
*ImageableArea Letter/Letter: "18 36 594 756"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/Letter: "612 792"
PPD
  cat > "$c/conf/cups-files.conf" <<CONF
ServerRoot $c/conf
ServerBin $c/bin
RequestRoot $c/spool
CacheDir $c/cache
StateDir $c/state
TempDir $c/temp
AccessLog $c/log/access_log
ErrorLog $c/log/error_log
PageLog $c/log/page_log
Printcap $c/printcap
SystemGroup root
CONF
  cat > "$c/conf/cupsd.conf" <<CONF
LogLevel warn
Listen $c/cups.sock
Browsing No
BrowseLocalProtocols none
DefaultAuthType None
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cupsd -f -c "$c/conf/cupsd.conf" -s "$c/conf/cups-files.conf" >"$c/log/cupsd.out" 2>&1 &
  echo $! >> "$dir/pids"
  export CUPS_SERVER="$c/cups.sock"
  local i
  for i in $(seq 1 100); do
    lpstat -r 2>/dev/null | grep -qx "scheduler is running" && break
    sleep 0.1
  done
  lpadmin -p scenova-pdf -E -v "pdfout:$c/out" -P "$c/pdfout.ppd" -D "Scenova test PDF queue" \
    2>>"$c/log/cupsd.out" &&
    lpstat -p scenova-pdf >/dev/null 2>&1 || {
    echo "test-env: the private CUPS did not come up; printing tests will skip" >&2
    cat "$c/log/cupsd.out" "$c/log/error_log" >&2 2>/dev/null
    unset CUPS_SERVER
    return 0
  }
  cat >> "$dir/env" <<ENV
export CUPS_SERVER=$c/cups.sock
export SCENOVA_TEST_PRINTER=scenova-pdf
export SCENOVA_TEST_PRINTER_OUT=$c/out
ENV
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
    start_dbus || { stop; exit 1; }
    start_jack
    start_cups
    start_home
    ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
