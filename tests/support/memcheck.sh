#!/bin/sh
# Runs a program under valgrind's memcheck, and the programs it starts but for the system's
# own (shells, browsers, the tools under /usr): a read of memory that was never written, an
# invalid read or write, or any other memory error in any of them fails the run, and the
# reports are printed (add --track-origins=yes to see where an uninitialised value came
# from). Leaks are left to LeakSanitizer in the sanitizer build.
#   memcheck.sh PROGRAM [ARGUMENTS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
logs=$(mktemp -d "${TMPDIR:-/tmp}/travo-memcheck-XXXXXX") || exit 1
valgrind --tool=memcheck --error-exitcode=99 --leak-check=no \
  --trace-children=yes --trace-children-skip='/bin/*,/usr/*,/sbin/*' \
  --suppressions="$here/valgrind.supp" --log-file="$logs/%p.log" "$@"
status=$?
failed=$(grep -l 'ERROR SUMMARY: [1-9]' "$logs"/*.log 2>/dev/null)
if [ -n "$failed" ]; then
  echo "memcheck: memory errors in $(echo "$failed" | wc -l) process(es):" >&2
  cat $failed >&2
  status=1
fi
rm -rf "$logs"
exit $status
