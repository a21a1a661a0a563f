#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest. Wine's helper processes would inherit CTest's
# output pipe and hold every test up for seconds, so the output goes through a file instead.
# Needs WINEPREFIX (scripts/wine-prefix.sh makes one).
: "${WINEPREFIX:?WINEPREFIX is not set: run through scripts/test.sh or source scripts/wine-env.sh}"
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
out=$(mktemp)
trap 'rm -f "$out"' EXIT
wine "$@" </dev/null >"$out" 2>&1
rc=$?
tr -d '\r' <"$out"
exit $rc
