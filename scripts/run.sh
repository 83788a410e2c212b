#!/usr/bin/env bash
# Starts Quorbel. Without a display (no DISPLAY and no WAYLAND_DISPLAY) it runs
# on a virtual X display and writes a screenshot after five seconds to
# $QUORBEL_SCREENSHOT (default: build/screenshot.png). Ctrl-C ends it.
set -euo pipefail
program="$1"
export QT_LOGGING_RULES="${QT_LOGGING_RULES:-quorbel.trace=true}"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program"
fi

shot="${QUORBEL_SCREENSHOT:-$(dirname "$program")/screenshot.png}"
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$displayfile" &
xvfb=$!
for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$displayfile")"
rm -f "$displayfile"
echo "No display: running on the virtual display $DISPLAY; screenshot in 5 s: $shot"

"$program" &
app=$!
cleanup() { kill "$app" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT INT TERM
( sleep 5; import -display "$DISPLAY" -window root "$shot" && echo "Screenshot written: $shot" ) &
wait "$app"
