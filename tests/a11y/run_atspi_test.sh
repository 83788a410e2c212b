#!/usr/bin/env bash
# Runs Quorbel as a screen reader meets it and checks it from outside with
# atspi_check.py: a private D-Bus session, the AT-SPI bus and registry, a
# virtual X display, the program with Qt's accessibility bridge on and a
# fresh program folder. Everything started here is ended here.
#
# Usage: run_atspi_test.sh /path/to/quorbel [python3 that imports pyatspi]
set -euo pipefail

program=${1:?usage: run_atspi_test.sh /path/to/quorbel [python3]}
python=${2:-python3}
here=$(cd "$(dirname "$0")" && pwd)

# First round: start over inside a bus session of our own, so that nothing
# from the desktop this may run on (its screen reader, its apps) is seen.
if [ -z "${QUORBEL_ATSPI_SESSION:-}" ]; then
  exec env QUORBEL_ATSPI_SESSION=1 dbus-run-session -- "$0" "$@"
fi

find_libexec() {
  local name=$1 dir
  for dir in /usr/libexec /usr/lib/at-spi2-core /usr/lib/x86_64-linux-gnu/at-spi2-core /usr/lib/at-spi2; do
    [ -x "$dir/$name" ] && { echo "$dir/$name"; return 0; }
  done
  command -v "$name" || { echo "run_atspi_test: $name not found (package at-spi2-core)" >&2; return 1; }
}
bus_launcher=$(find_libexec at-spi-bus-launcher)
registryd=$(find_libexec at-spi2-registryd)

work=$(mktemp -d "${TMPDIR:-/tmp}/quorbel-atspi.XXXXXX")
pids=()
cleanup() {
  local pid
  # Newest first: the program before the buses it talks to.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

mkdir -m 700 "$work/run"
mkdir -p "$work/home" "$work/data" "$work/config"
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=UTC
unset WAYLAND_DISPLAY

# A free display number, told by the server itself.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
display=""
for _ in $(seq 100); do
  read -r -t 0.1 -u "$displayfd" display && break
  kill -0 "${pids[-1]}" 2>/dev/null || break
done
[ -n "$display" ] || { echo "run_atspi_test: Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=:$display
# The program starts only once the display takes connections.
display_up=""
for _ in $(seq 50); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && { display_up=1; break; }
  sleep 0.1
done
[ -n "$display_up" ] || { echo "run_atspi_test: display $DISPLAY takes no connections:"; cat "$work/xvfb.log"; exit 1; }

"$bus_launcher" --launch-immediately >"$work/bus.log" 2>&1 &
pids+=($!)
# The registry once the launcher owns its name (asking earlier would have
# D-Bus start a second launcher).
bus_up=""
for _ in $(seq 50); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q "boolean true" \
    && { bus_up=1; break; }
  sleep 0.1
done
[ -n "$bus_up" ] || { echo "run_atspi_test: the AT-SPI bus did not start:"; cat "$work/bus.log"; exit 1; }
"$registryd" >"$work/registry.log" 2>&1 &
pids+=($!)

# A feed file on the command line: its one item gives the strip a headline to announce.
printf '<rss version="2.0"><channel><title>A11y</title><item><title>Accessible headline</title>%s\n' \
  '<link>http://a11y.test/1</link></item></channel></rss>' >"$work/feed.xml"
QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QUORBEL_HOME=$work/home \
  "$program" "$work/feed.xml" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")

status=0
"$python" "$here/atspi_check.py" "$program_pid" || status=$?
if ! kill -0 "$program_pid" 2>/dev/null; then
  echo "run_atspi_test: the program ended during the checks"
  status=1
fi
if [ "$status" -ne 0 ]; then
  echo "--- program output ---"
  tail -n 40 "$work/program.log"
  echo "--- Xvfb output ---"
  tail -n 20 "$work/xvfb.log"
fi
exit "$status"
