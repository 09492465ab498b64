#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the fuzzing need; installs only
# what is missing, so running it again is quick.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-dev          # libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  qt6-base-dev libgl-dev         # the wizard
  xvfb xauth                     # the wizard's screenshots and a display for it on a server
  fonts-dejavu-core fontconfig   # the fonts forms are measured with, the same on every machine
  chromium librsvg2-bin          # render the forms preview in its tests (a browser, rsvg-convert)
  dpkg-dev                       # cpack -G DEB: dpkg-shlibdeps finds the package's dependencies
  lintian                        # the package test checks the package with it
  groff-base man-db              # the man pages' test renders them
  desktop-file-utils             # the package test validates the desktop entry
  locales                        # a locale with a decimal comma for the number tests
  valgrind                       # the memcheck pass: reads of memory never written
  libreadstat-dev                # writes the data as SPSS .sav and Stata .dta
  pspp r-base-core r-cran-haven  # the data tests open the .sav and .dta files as users do
  r-cran-xml2 libxml2-utils      # the export tests read and validate the DDI codebooks
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The number tests need a locale whose decimal point is a comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "Generating the locale de_DE.UTF-8"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
