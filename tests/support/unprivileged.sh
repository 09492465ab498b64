#!/bin/sh
# Runs a test program without root rights, so that the permissions of files and folders hold
# for it: as root, as the user nobody; as anyone else, as it is. The program, and every
# folder above it, must be open to others (o+rx); its scratch folders are made by the test.
set -eu
if [ "$(id -u)" != 0 ]; then exec "$@"; fi
drop="setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all"
if ! $drop test -x "$1"; then
  echo "unprivileged.sh: the user nobody cannot run $1; open its folders to others (chmod o+x)." >&2
  exit 1
fi
exec $drop -- "$@"
