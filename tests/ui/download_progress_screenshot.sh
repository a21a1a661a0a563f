#!/usr/bin/env bash
# The real launcher downloading an update from a slow server on a virtual X display: two
# screenshots of its wait window during the download, checked like the others (screenshot.py);
# the download bar must be there in both and longer in the second. They stay as artefacts.
#
# Usage: download_progress_screenshot.sh TARGET BIN_DIR ARTEFACT_DIR
#   TARGET: posix | win32 (the Windows build under Wine, in the X11 prefix of the screenshots)
set -uo pipefail
target=$1 bin=$2 artefacts=$3
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

for tool in Xvfb xwd xwininfo python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup.sh installs it)"; exit 77; }
done

install=$work/install
mkdir -p "$install/jre/bin"
if [ "$target" = win32 ]; then
  export WINEPREFIX=$bin/../wineprefix-x11 WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/.orvex-x11-ready" ]; then
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 </dev/null
    wineserver -w
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
    wineserver -w
    touch "$WINEPREFIX/.orvex-x11-ready"
  fi
  cp "$bin/orvex-launcher.exe" "$install/"
  cp "$bin/stub-java.exe" "$install/jre/bin/javaw.exe"
  launcher=(wine "$install/orvex-launcher.exe")
  limit=90
else
  cp "$bin/orvex-launcher" "$install/"
  cp "$bin/stub-java" "$install/jre/bin/java"
  launcher=("$install/orvex-launcher")
  limit=30
fi
head -c 2048 /dev/urandom >"$install/AppRunner.jar"
touch -d '1 hour ago' "$install/AppRunner.jar"

# The update server: version 2, and a 400 KiB jar with its Content-Length, sent in 2 KiB pieces
# 40 ms apart (about 8 s in all).
cat >"$work/server.py" <<'PY'
import http.server, sys, time
jar = bytes(range(256)) * 1600
class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    def do_GET(self):
        if self.path.endswith("/version.txt"):
            body, slow = b"2\n", False
        elif self.path.endswith("/AppRunner.tmp"):
            body, slow = jar, True
        else:
            self.send_response(404); self.send_header("Content-Length", "0"); self.end_headers(); return
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        for at in range(0, len(body), 2048 if slow else len(body)):
            self.wfile.write(body[at:at + (2048 if slow else len(body))]); self.wfile.flush()
            if slow: time.sleep(0.04)
    def log_message(self, *args): pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
open(sys.argv[1], "w").write(str(server.server_address[1]))
server.serve_forever()
PY
python3 "$work/server.py" "$work/port" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
printf '[RUN]\nkeepRunning=0\n\n[UPDATE]\nappDataUpdate=0\nurl=http://127.0.0.1:%s/u/\nversion=1\n' \
  "$(cat "$work/port")" >"$install/setup.properties"

Xvfb -displayfd 3 -screen 0 1024x768x24 +extension Composite -nolisten tcp -br 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")

"${launcher[@]}" >"$work/launcher.out" 2>&1 </dev/null &
pids+=($!)
deadline=$((SECONDS + limit))
until xwininfo -root -tree 2>/dev/null | grep -q 'Iniciando aplica'; do
  [ $SECONDS -ge $deadline ] && { echo "the wait window never showed"; cat "$work/launcher.out"; exit 1; }
  sleep 0.1
done

# Both screenshots first: checking one takes a while on a loaded machine.
for shot in 1 2; do
  sleep $([ $shot = 1 ] && echo 1.5 || echo 2)
  xwd -root -silent >"$work/shot$shot.xwd" || { echo "xwd failed"; exit 1; }
done
status=0
bars=()
for shot in 1 2; do
  out=$(python3 "$here/screenshot.py" download "$work/shot$shot.xwd" "$artefacts/wait-window-$target-download-$shot.png")
  rc=$?
  echo "$out"
  [ $rc -eq 0 ] || status=1
  bars+=("$(sed -n 's|^bar \([0-9]*\)/.*|\1|p' <<<"$out")")
done
first=${bars[0]:-0} second=${bars[1]:-0}
echo "bar during the download: $first then $second of 207 columns"
if ! [ "$first" -gt 0 ] 2>/dev/null || ! [ "$second" -gt "$first" ] 2>/dev/null; then
  echo "FAIL: the bar did not grow during the download"
  status=1
fi
[ $status -eq 0 ] || cat "$install/orvex-launcher.log"
exit $status
