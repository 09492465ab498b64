#!/usr/bin/env bash
# Renders the forms of the household VESK example as a browser shows them, for the README:
# docs/screenshots/household-forms.png. BUILD_DIR (default build) is the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cli="${BUILD_DIR:-build}/app/travo-convert-cli"
out="${1:-docs/screenshots/household-forms.png}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cli" convert --yes --quiet examples/household-vesk.dic "$work/household.fmf"
"$cli" preview "$work/household.fmf" -d "$work/preview"
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir="$work/profile" \
  --window-size=760,860 --screenshot="$(realpath -m "$out")" "file://$work/preview/index.html" 2>/dev/null
echo "wrote $out"
