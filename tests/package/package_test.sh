#!/usr/bin/env bash
# What a user gets, checked from the build folder:
#   install  `cmake --install` into a scratch prefix;
#   deb      `cpack -G DEB` into a scratch folder, the package's contents and fields, then
#            the package unpacked with `dpkg -x` into a scratch root.
# Either tree must hold exactly the programs, their man pages (compressed), the copyright
# file and the changelog, the wizard's desktop entry and its icon (nothing of the tests),
# and the programs must run from there: --version, and a conversion of an example whose
# output `inspect` opens. The package also holds its Debian changelog and its lintian
# overrides, and passes lintian without an error.
#
#   package_test.sh install|deb BUILD_DIR SOURCE_DIR VERSION WITH_WIZARD(0|1)
# CMAKE and CPACK name the programs to run (default: from PATH). Exit status 77: skipped.
set -euo pipefail
mode=$1 build=$2 source=$3 version=$4 wizard=$5
cmake=${CMAKE:-cmake} cpack=${CPACK:-cpack}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/travo-package-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
skip() {
  echo "SKIP: $*"
  exit 77
}

# The width of a PNG picture, from the IHDR chunk of its header (bytes 16 to 19).
png_width() {
  local b
  read -r -a b < <(od -An -tu1 -j16 -N4 "$1")
  echo $(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]))
}

# The files a prefix must hold, sorted; the icon under its real size. Extra files follow
# as arguments.
expected_files() {
  local size
  size=$(png_width "$source/res/travo.png")
  {
    echo bin/travo-convert-cli
    echo share/man/man1/travo-convert-cli.1.gz
    echo share/doc/travo-convert/copyright
    echo share/doc/travo-convert/changelog.gz
    if [ "$wizard" = 1 ]; then
      echo bin/travo-convert
      echo share/man/man1/travo-convert.1.gz
      echo share/applications/travo-convert.desktop
      echo "share/icons/hicolor/${size}x${size}/apps/travo-convert.png"
    fi
    if (($#)); then printf '%s\n' "$@"; fi
  } | LC_ALL=C sort
}

expect_same_files() {  # what, actual list, extra expected files...
  local what=$1 actual=$2 expected
  shift 2
  expected=$(expected_files "$@")
  [ "$actual" = "$expected" ] || fail "$what holds:"$'\n'"$actual"$'\n'"instead of:"$'\n'"$expected"
}

# A file of the tree, compressed with gzip, holds what the build made of it, and no time
# (gzip -n): the same bytes every build.
expect_gzip_of() {  # compressed file, what it must hold
  cmp -s <(gzip -dc "$1") "$2" || fail "$1 does not hold $2"
  [ "$(od -An -tu4 -j4 -N4 "$1" | tr -d ' ')" = 0 ] || fail "$1 holds a time"
}

expect_output() {  # expected stdout, command...
  local expected=$1 actual
  shift
  actual=$("$@") || fail "$* exited with status $?"
  [ "$actual" = "$expected" ] || fail "$* printed '$actual', not '$expected'"
}

# The installed tree under prefix: its files, the icon, the desktop entry, and the
# programs run from it.
check_tree() {  # prefix, extra files it holds...
  local prefix=$1
  shift
  expect_same_files "$prefix" "$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)" "$@"

  expect_gzip_of "$prefix/share/man/man1/travo-convert-cli.1.gz" "$build/man/travo-convert-cli.1"
  expect_gzip_of "$prefix/share/doc/travo-convert/changelog.gz" "$source/CHANGELOG.md"
  local holders
  holders=$(sed -n 's/^Copyright (c) //p' "$source/LICENSE")
  grep -qxF "Copyright: $holders" "$prefix/share/doc/travo-convert/copyright" ||
    fail "the copyright file does not name $holders"

  local cli="$prefix/bin/travo-convert-cli"
  expect_output "travo-convert-cli $version" "$cli" --version
  "$cli" convert --quiet "$source/examples/household.ddw" "$scratch/household.dcf" </dev/null ||
    fail "the conversion of examples/household.ddw exited with status $?"
  "$cli" inspect "$scratch/household.dcf" >"$scratch/inspect.txt" || fail "inspect exited with status $?"
  grep -q '^Travo dictionary ' "$scratch/inspect.txt" || fail "inspect showed: $(head -3 "$scratch/inspect.txt")"
  rm -f "$scratch/household.dcf"

  [ "$wizard" = 1 ] || return 0
  # Answered without a window: no display is needed.
  expect_output "travo-convert $version" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    "$prefix/bin/travo-convert" --version
  expect_gzip_of "$prefix/share/man/man1/travo-convert.1.gz" "$build/man/travo-convert.1"
  cmp -s "$prefix"/share/icons/hicolor/*/apps/travo-convert.png "$source/res/travo.png" ||
    fail "the icon is not res/travo.png"
  if command -v desktop-file-validate >/dev/null; then
    local report
    report=$(desktop-file-validate "$prefix/share/applications/travo-convert.desktop" 2>&1) ||
      fail "desktop-file-validate: $report"
    [ -z "$report" ] || fail "desktop-file-validate: $report"
  fi
}

check_install() {
  "$cmake" --install "$build" --prefix "$scratch/prefix" >"$scratch/install.log" ||
    fail "cmake --install: $(cat "$scratch/install.log")"
  check_tree "$scratch/prefix"
}

check_deb() {
  command -v dpkg-deb >/dev/null || skip "dpkg-deb is missing"
  command -v dpkg-shlibdeps >/dev/null || skip "dpkg-shlibdeps is missing (dpkg-dev)"
  command -v lintian >/dev/null || skip "lintian is missing"
  "$cpack" -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" >"$scratch/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$scratch/cpack.log")"
  local arch debs
  arch=$(dpkg --print-architecture)
  debs=("$scratch/out"/travo-convert_"$version"-*_"$arch".deb)
  [ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "no one travo-convert_${version}-*_$arch.deb in: $(ls "$scratch/out")"
  local deb=${debs[0]}
  local debian_files=(share/doc/travo-convert/changelog.Debian.gz share/lintian/overrides/travo-convert)

  # Its contents: regular files (the lines that do not name a folder), under /usr.
  expect_same_files "the package" "$(dpkg -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' |
    LC_ALL=C sort)" "${debian_files[@]}"

  # Debian's checks of a package: an error fails, warnings are shown.
  local report
  report=$(lintian --allow-root --fail-on error "$deb" 2>&1) || fail "lintian:"$'\n'"$report"
  [ -z "$report" ] || echo "lintian:"$'\n'"$report"

  field() { dpkg -f "$deb" "$1"; }
  [ "$(field Package)" = travo-convert ] || fail "Package: $(field Package)"
  [[ "$(field Version)" == "$version"-* ]] || fail "Version: $(field Version)"
  [ -n "$(field Maintainer)" ] || fail "no Maintainer"
  [ -n "$(field Section)" ] || fail "no Section"
  [ -n "$(field Description)" ] || fail "no Description"
  local depends needed
  depends=$(field Depends)
  needed=(fonts-dejavu-core libc6 libstdc++6)
  if [ "$wizard" = 1 ]; then needed+=(libqt6core6 libqt6gui6 libqt6widgets6); fi
  for package in "${needed[@]}"; do
    [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
      fail "Depends lacks $package: $depends"
  done

  dpkg -x "$deb" "$scratch/root"
  check_tree "$scratch/root/usr" "${debian_files[@]}"
  gzip -dc "$scratch/root/usr/share/doc/travo-convert/changelog.Debian.gz" | head -1 |
    grep -q "^travo-convert ($(field Version)) " || fail "the Debian changelog's first entry is not $(field Version)"
}

case "$mode" in
  install) check_install ;;
  deb) check_deb ;;
  *) fail "unknown mode $mode" ;;
esac
echo "ok: $mode"
