#!/usr/bin/env bash
# Converts every dictionary in examples/ into out/examples/ and lists what it wrote.
set -uo pipefail
cd "$(dirname "$0")/.."
cli=build/app/travo-convert-cli
target=out/examples
mkdir -p "$target"
echo "Converting the examples in examples/ into $target/"

failures=0
convert() {  # input output
  if "$cli" convert --yes --quiet "$1" "$2"; then
    echo "  wrote $2"
  else
    echo "  FAILED: $1" >&2
    failures=$((failures + 1))
  fi
}

shopt -s nullglob nocaseglob
for input in examples/*.ddw examples/*.dd examples/*.dic examples/*.wst; do
  base=$(basename "${input%.*}")
  case "${input,,}" in
    *.dic | *.wst) convert "$input" "$target/$base.fmf" ;;
    *) convert "$input" "$target/$base.dcf" ;;
  esac
done
# And back: every Travo dictionary written above, to ORVA 3.1.
for dcf in "$target"/*.dcf; do
  convert "$dcf" "${dcf%.dcf}.dd"
done
echo "Files in $target:"
ls -l "$target"
exit $((failures > 0))
