#!/usr/bin/env bash
# The main job. With arguments: runs the command-line tool with them. Without arguments:
# opens the wizard when there is a display, otherwise converts the bundled examples.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

if (($#)); then
  exec build/app/travo-convert-cli "$@"
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/app/wizard/travo-convert ]; then
  exec build/app/wizard/travo-convert
fi
exec scripts/convert-examples.sh
