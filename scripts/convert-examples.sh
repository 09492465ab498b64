#!/usr/bin/env bash
# Converts every dictionary in examples/ into out/examples/, writes the example data of
# each as CSV, SPSS and Stata tables into out/examples/data/, and lists what it wrote.
# BUILD_DIR (default build) is the build folder the command-line tool is taken from.
set -uo pipefail
cd "$(dirname "$0")/.."
cli="${BUILD_DIR:-build}/app/travo-convert-cli"
# VESK dictionaries become Travo forms files with their dictionaries (kind 4); dcf here
# would make the dictionaries alone (kind 3).
vesk_output=fmf
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
    *.dic | *.wst) convert "$input" "$target/$base.$vesk_output" ;;
    *) convert "$input" "$target/$base.dcf" ;;
  esac
done
# And back: every Travo dictionary written above, to ORVA 3.1.
for dcf in "$target"/*.dcf; do
  convert "$dcf" "${dcf%.dcf}.dd"
done
# And pictures of every forms file written above, to look at in a browser.
for fmf in "$target"/*.fmf; do
  if "$cli" preview "$fmf" -d "${fmf%.fmf}-preview"; then
    echo "  pictured $fmf in ${fmf%.fmf}-preview/index.html"
  else
    echo "  FAILED: preview of $fmf" >&2
    failures=$((failures + 1))
  fi
done
# The example data through each dictionary: examples/NAME.dat, or the data of the
# dictionary it was made from (household-orva31.dd describes household.dat).
data_of() {  # dictionary
  local base
  base=$(basename "${1%.*}")
  for candidate in "examples/$base.dat" "examples/${base%-*}.dat"; do
    if [ -f "$candidate" ]; then echo "$candidate"; return 0; fi
  done
  return 1
}
for input in examples/*.ddw examples/*.dd examples/*.dic examples/*.wst; do
  data=$(data_of "$input") || continue
  base=$(basename "${input%.*}")
  for format in csv sav dta; do
    folder="$target/data/$base/$format"
    if "$cli" data --yes --quiet --to "$format" "$input" "$data" -d "$folder"; then
      echo "  wrote the tables of $data through $input into $folder"
    else
      echo "  FAILED: data of $data through $input as $format" >&2
      failures=$((failures + 1))
    fi
  done
done
echo "Files in $target:"
ls -l "$target"
exit $((failures > 0))
