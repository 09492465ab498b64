#!/usr/bin/env bash
# Renders each page of the conversion wizard in a real window under Xvfb and saves it in
# docs/screenshots/: convert-page.png, orva-page.png, vesk-page.png, file-names-page.png.
# BUILD_DIR (default build) is the build folder; the helper program is built there.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
out="${1:-docs/screenshots}"

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target travo-wizard-screenshots --parallel 2
helper="$build/app/wizard/travo-wizard-screenshots"

# A real X server, not the offscreen platform: the pictures show what a user sees.
unset QT_QPA_PLATFORM
xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" \
  env QT_QPA_PLATFORM=xcb "$helper" "$out"
