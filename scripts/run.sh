#!/usr/bin/env bash
# Starts the program; without a display it runs on a virtual X display.
set -euo pipefail
program="$1"
export QT_LOGGING_RULES="${QT_LOGGING_RULES:-quorbel.trace=true}"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program"
fi
exec xvfb-run -a -s "-screen 0 1280x800x24" "$program"
