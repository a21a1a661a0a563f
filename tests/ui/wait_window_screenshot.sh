#!/usr/bin/env bash
# Shows the real wait window on a virtual X display while its thread is blocked, takes a
# screenshot and checks its pixels (screenshot.py). The screenshot stays as an artefact.
#
# Usage: wait_window_screenshot.sh TARGET CASE BIN_DIR ARTEFACT_DIR
#   TARGET: posix | win32 (the Windows build under Wine, in a prefix of its own with the X11
#           driver: the suite's prefix has no display driver)
#   CASE:   plain | composite | rectangular | nopicture | nodisplay
#           | progress0 | progress50 | progress100 (plain, with the download bar at that point)
set -uo pipefail
target=$1 case=$2 bin=$3 artefacts=$4
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$artefacts"
work=$(mktemp -d)
pids=()
cleanup() {
  if [ "$target" = win32 ] && [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1; fi
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

for tool in Xvfb xcompmgr xwd xwininfo xprop python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup.sh installs it)"; exit 77; }
done

if [ "$target" = win32 ]; then
  demo=("wine" "$bin/wait-window-demo.exe")
  export WINEPREFIX=$bin/../wineprefix-x11 WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/.orvex-x11-ready" ]; then
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 </dev/null
    wineserver -w
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
    wineserver -w
    touch "$WINEPREFIX/.orvex-x11-ready"
  fi
  limit=60 block=5
else
  demo=("$bin/wait-window-demo")
  # Long enough for the screenshot and the property query on a loaded machine.
  limit=15 block=4
fi
extra=()
[ "$case" = nopicture ] && extra=(--no-picture)
[ "$case" = rectangular ] && extra=(--no-shape)
[ "$case" = progress0 ] && extra=(--progress 0)
[ "$case" = progress50 ] && extra=(--progress 0.5)
[ "$case" = progress100 ] && extra=(--progress 1)

# Waits until the demo has painted and blocks (or fails when it ends first or takes too long).
wait_shown() {
  local deadline=$((SECONDS + limit))
  until grep -q shown "$work/demo.out" 2>/dev/null; do
    if ! kill -0 "$1" 2>/dev/null || [ $SECONDS -ge $deadline ]; then
      echo "the window was not shown:"; cat "$work/demo.out"; return 1
    fi
    sleep 0.1
  done
}

if [ "$case" = nodisplay ]; then
  # No display: nothing shows, nothing fails, the program goes on to its end.
  env -u DISPLAY "${demo[@]}" "${extra[@]}" 0.2 >"$work/demo.out" 2>&1 </dev/null
  rc=$?
  cat "$work/demo.out"
  [ $rc -eq 0 ] && grep -q closed "$work/demo.out"
  exit $?
fi

server=(-screen 0 1024x768x24 +extension Composite -nolisten tcp -br)
Xvfb -displayfd 3 "${server[@]}" 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")

if [ "$case" = composite ]; then
  xcompmgr >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.5
fi

"${demo[@]}" "${extra[@]}" "$block" >"$work/demo.out" 2>&1 </dev/null &
demo_pid=$!
pids+=($demo_pid)
wait_shown $demo_pid || exit 1
sleep 1  # let the server (and the compositor) draw what the program already sent
xwd -root -silent >"$work/shot.xwd" || { echo "xwd failed"; exit 1; }
opacity_failed=0
# The whole window asks for opacity 190/255 (the property's scale is 0..0xFFFFFFFF).
xid=$(xwininfo -root -tree | grep 'Iniciando aplica' | awk '{print $1}' | head -n1)
opacity=$(xprop -id "$xid" _NET_WM_WINDOW_OPACITY 2>/dev/null | sed -n 's/.* = //p')
if [ "$opacity" != 3200171710 ]; then
  echo "window $xid opacity property is '$opacity', want 3200171710 (190/255)"
  opacity_failed=1
fi
check=$case
# Wine sets the opacity on its X window, but xcompmgr leaves Wine's window unblended here
# (drawn opaque, its rectangle unshaped); what is checked then is the opacity it asks for.
[ "$target" = win32 ] && [ "$case" = composite ] && check=composite-unblended
python3 "$here/screenshot.py" "$check" "$work/shot.xwd" "$artefacts/wait-window-$target-$case.png"
status=$?
[ $opacity_failed -eq 0 ] || status=1

wait $demo_pid
rc=$?
{ [ $rc -eq 0 ] && grep -q closed "$work/demo.out"; } || { echo "the program did not end cleanly ($rc):"; cat "$work/demo.out"; status=1; }
exit $status
