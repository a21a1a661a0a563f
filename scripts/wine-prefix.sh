#!/usr/bin/env bash
# Makes (once) an unattended, offline Wine prefix at $1 and starts a persistent wineserver for it.
# Graphics=null lets windows, timers, GDI+ and regions work without an X server.
set -euo pipefail
prefix=$1
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/.orvex-ready" ]; then
  rm -rf "$prefix"
  wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 </dev/null
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
  wineserver -w
  touch "$prefix/.orvex-ready"
fi
wineserver -p300 </dev/null >/dev/null 2>&1 || true
