#!/usr/bin/env python3
"""Launcher benchmarks: figures only, never pass/fail. Run bench/build-tools.sh first.

  bench/bench.py download [MiB] [pairs]   get-file vs curl into a file, against nginx on loopback
  bench/bench.py https [MiB] [pairs]      the same over TLS (nginx with a test CA's certificate)
  bench/bench.py memory [MiB] [pairs]     get-file into memory vs curl into tmpfs (/dev/shm)
  bench/bench.py memory-null [MiB] [pairs]  the same vs curl into /dev/null (keeps nothing)
  bench/bench.py update [MiB] [pairs]     the launcher updating a jar vs curl + cp
  bench/bench.py update-durable [MiB] [pairs]  the same vs curl + sync + cp + sync (as flushed)
  bench/bench.py update-signed [MiB] [pairs]   a signed update (check, signature, digest while
                                          downloading, durable install) vs curl + sha256sum + cp + sync
  bench/bench.py update-progress [MiB] [pairs]  the launcher updating with its wait window and
                                          progress bar on a virtual display vs with no display
  bench/bench.py startup [runs]           exec to the Java start, minus the 1 s start timer
  bench/bench.py idle [seconds]           CPU time, wake-ups and peak RSS while watching
  bench/bench.py footprint                executable sizes

Big files live under build/bench/ and are deleted at the end of each run (--keep keeps them).
"""
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NATIVE = os.path.join(ROOT, "build", "native")
WORK = os.path.join(ROOT, "build", "bench")
LAUNCHER = os.path.join(NATIVE, "bin", "orvex-launcher")
GET_FILE = os.path.join(NATIVE, "bench", "get-file")
BENCH_JAVA = os.path.join(NATIVE, "bench", "bench-java")
START_TIMER_S = 1.0  # the main form's start timer, part of the product's own behaviour
KEEP = "--keep" in sys.argv
ARGS = [a for a in sys.argv[1:] if a != "--keep"]


def median(values):
    return statistics.median(values)


class Nginx:
    def __init__(self, tls=False):
        self.dir = os.path.join(WORK, "nginx")
        self.ca = None
        extra = []
        if tls:
            # Certificates made for the run, as the tests make them.
            certs = os.path.join(WORK, "tls")
            subprocess.run([os.path.join(ROOT, "tests", "support", "make_certs.sh"), certs],
                           check=True)
            self.ca = os.path.join(certs, "ca.pem")
            extra = ["good", os.path.join(certs, "good.pem"), os.path.join(certs, "good.key")]
        subprocess.run([os.path.join(ROOT, "scripts", "nginx.sh"), "start", self.dir] + extra,
                       check=True)
        with open(os.path.join(self.dir, "port")) as f:
            self.port = int(f.read())
        self.tls_port = None
        if tls:
            with open(os.path.join(self.dir, "tls_port")) as f:
                self.tls_port = int(f.read())
        self.root = os.path.join(self.dir, "root")

    def put_random(self, name, mib):
        path = os.path.join(self.root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if not os.path.exists(path) or os.path.getsize(path) != mib << 20:
            with open(path, "wb") as out:
                for _ in range(mib):
                    out.write(os.urandom(1 << 20))
        return path

    def put_text(self, name, text):
        path = os.path.join(self.root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as out:
            out.write(text)

    def url(self, name):
        if self.tls_port:
            return "https://localhost:%d/%s" % (self.tls_port, name)
        return "http://127.0.0.1:%d/%s" % (self.port, name)

    def stop(self):
        subprocess.run([os.path.join(ROOT, "scripts", "nginx.sh"), "stop", self.dir], check=True)


def timed(command):
    """Wall seconds and peak RSS (KiB) of one command, by /usr/bin/time."""
    result = subprocess.run(["/usr/bin/time", "-f", "TIME %e %M"] + command,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        raise SystemExit("failed: %s\n%s" % (" ".join(command), result.stderr))
    line = [l for l in result.stderr.splitlines() if l.startswith("TIME ")][-1]
    _, wall, rss = line.split()
    return float(wall), int(rss)


def drop_file(path):
    if os.path.exists(path):
        os.remove(path)


def paired_download(mib, pairs, to_memory, curl_target=None, tls=False):
    os.makedirs(WORK, exist_ok=True)
    server = Nginx(tls)
    name = "big-%d.bin" % mib
    source = server.put_random(name, mib)
    url = server.url(name)
    out = os.path.join(WORK, "download.out")
    ours = [GET_FILE, url, "-" if to_memory else out] + ([server.ca] if tls else [])
    curl = ["curl", "-s", "-o", curl_target or out] + (["--cacert", server.ca] if tls else []) + [url]
    rows = []
    try:
        for i in range(pairs):
            pair = {}
            # Alternate who goes first so that neither always meets a warmer cache.
            for who in (("ours", "curl") if i % 2 == 0 else ("curl", "ours")):
                drop_file(out)
                if curl_target and curl_target != "/dev/null":
                    drop_file(curl_target)
                pair[who] = timed(ours if who == "ours" else curl)
                if not to_memory and os.path.getsize(out) != mib << 20:
                    raise SystemExit("%s wrote a wrong size" % who)
            rows.append(pair)
            print("pair %d: ours %.2f s %d KiB | curl %.2f s %d KiB | ratio %.3f" % (
                i + 1, pair["ours"][0], pair["ours"][1], pair["curl"][0], pair["curl"][1],
                pair["ours"][0] / pair["curl"][0]), flush=True)
    finally:
        drop_file(out)
        if curl_target and curl_target != "/dev/null":
            drop_file(curl_target)
        server.stop()
        if not KEEP:
            drop_file(source)
    ours_wall = median([r["ours"][0] for r in rows])
    curl_wall = median([r["curl"][0] for r in rows])
    print("median wall: ours %.2f s, curl %.2f s, ratio %.3f (median of pair ratios %.3f)" % (
        ours_wall, curl_wall, ours_wall / curl_wall,
        median([r["ours"][0] / r["curl"][0] for r in rows])))
    print("median peak RSS: ours %.1f MiB, curl %.1f MiB" % (
        median([r["ours"][1] for r in rows]) / 1024, median([r["curl"][1] for r in rows]) / 1024))


class Install:
    """An install directory: the built launcher, the bench Java as the private runtime, settings."""

    def __init__(self, settings):
        self.dir = tempfile.mkdtemp(prefix="orvex-bench-", dir=WORK)
        self.launcher = os.path.join(self.dir, "orvex-launcher")
        shutil.copy2(LAUNCHER, self.launcher)
        os.makedirs(os.path.join(self.dir, "jre", "bin"))
        shutil.copy2(BENCH_JAVA, os.path.join(self.dir, "jre", "bin", "java"))
        with open(os.path.join(self.dir, "setup.properties"), "w") as f:
            f.write(settings)
        with open(os.path.join(self.dir, "AppRunner.jar"), "wb") as f:
            f.write(b"PK installed")
        os.utime(os.path.join(self.dir, "AppRunner.jar"), (time.time() - 3600,) * 2)
        self.stamp = os.path.join(self.dir, "java-start")
        self.data = os.path.join(self.dir, "userdata")

    def start(self, java_ms, display=None):
        """Starts the launcher; returns it and the monotonic time (ns) just before. With a
        display the wait window (and its progress bar) is shown there."""
        drop_file(self.stamp)
        shutil.rmtree(self.data, ignore_errors=True)
        os.makedirs(self.data)
        env = dict(os.environ)
        env.pop("DISPLAY", None)  # no wait window: the download itself is measured
        if display:
            env["DISPLAY"] = display
        env.update(XDG_DATA_HOME=self.data, ORVEX_BENCH_STAMP=self.stamp,
                   ORVEX_BENCH_JAVA_MS=str(java_ms))
        t0 = time.monotonic_ns()
        process = subprocess.Popen([self.launcher], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        return process, t0

    def java_started(self, limit_s=600):
        deadline = time.monotonic() + limit_s
        while time.monotonic() < deadline:
            if os.path.exists(self.stamp):
                with open(self.stamp) as f:
                    text = f.read()
                if text.endswith("\n"):
                    return int(text.split()[0])
            time.sleep(0.0005)
        raise SystemExit("the Java stand-in was never started")

    def remove(self):
        shutil.rmtree(self.dir, ignore_errors=True)


def end(process):
    process.send_signal(signal.SIGTERM)  # a close request
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def status_kib(pid, field):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def update(mib, pairs, durable=False):
    os.makedirs(WORK, exist_ok=True)
    server = Nginx()
    server.put_text("upd/version.txt", "2\n")
    source = server.put_random("upd/AppRunner.tmp", mib)
    install = Install("[RUN]\nkeepRunning=0\n\n[UPDATE]\nappDataUpdate=1\nurl=%s\nversion=1\n"
                      % server.url("upd/"))
    tmp = os.path.join(WORK, "curl.tmp")
    jar = os.path.join(WORK, "curl.jar")
    rows = []
    try:
        for i in range(pairs):
            pair = {}
            for who in (("ours", "curl") if i % 2 == 0 else ("curl", "ours")):
                if who == "ours":
                    process, t0 = install.start(0)
                    started = install.java_started()
                    rss = status_kib(process.pid, "VmHWM")
                    end(process)
                    installed = os.path.join(install.data, ".AppRunner", "AppRunner.jar")
                    if os.path.getsize(installed) != mib << 20:
                        raise SystemExit("the launcher did not install the update")
                    pair[who] = ((started - t0) / 1e9 - START_TIMER_S, rss)
                else:
                    drop_file(tmp)
                    drop_file(jar)
                    t0 = time.monotonic_ns()
                    subprocess.run(["curl", "-s", "-o", tmp, server.url("upd/AppRunner.tmp")],
                                   check=True)
                    if durable:  # flushed as the launcher flushes its download and copy
                        subprocess.run(["sync", tmp], check=True)
                    subprocess.run(["cp", tmp, jar], check=True)
                    if durable:
                        subprocess.run(["sync", jar], check=True)
                    pair[who] = ((time.monotonic_ns() - t0) / 1e9, 0)
            rows.append(pair)
            print("pair %d: launcher %.2f s (peak RSS %d KiB) | curl + cp%s %.2f s | ratio %.3f" % (
                i + 1, pair["ours"][0], pair["ours"][1], " + sync" if durable else "", pair["curl"][0],
                pair["ours"][0] / pair["curl"][0]), flush=True)
    finally:
        drop_file(tmp)
        drop_file(jar)
        install.remove()
        server.stop()
        if not KEEP:
            drop_file(source)
    ours = median([r["ours"][0] for r in rows])
    theirs = median([r["curl"][0] for r in rows])
    print("median: launcher %.2f s (start timer taken off), curl + cp%s %.2f s, ratio %.3f "
          "(median of pair ratios %.3f); launcher peak RSS %.1f MiB" % (
              ours, " + sync" if durable else "", theirs, ours / theirs, median([r["ours"][0] / r["curl"][0] for r in rows]),
              median([r["ours"][1] for r in rows]) / 1024))


def update_signed(mib, pairs):
    """The whole signed update against doing the same checks by hand: curl, sha256sum, cp, sync."""
    os.makedirs(WORK, exist_ok=True)
    server = Nginx()
    keys = tempfile.mkdtemp(prefix="keys-", dir=WORK)
    key = os.path.join(keys, "key.pem")  # made for this run only, removed afterwards
    pub = os.path.join(keys, "pub.pem")
    subprocess.run(["openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", key],
                   check=True)
    subprocess.run(["openssl", "ec", "-in", key, "-pubout", "-out", pub], check=True,
                   stderr=subprocess.DEVNULL)
    source = server.put_random("signed-source/app.jar", mib)
    published = os.path.join(server.root, "signed")
    subprocess.run([os.path.join(ROOT, "scripts", "publish.sh"), source, "2", key, published],
                   check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(published, "version.txt")) as f:
        sha = f.read().split("sha256=")[1].split()[0]
    install = Install("[RUN]\nkeepRunning=0\n\n[UPDATE]\nappDataUpdate=1\nurl=%s\nversion=1\n"
                      "publicKey=pub.pem\n" % server.url("signed/"))
    shutil.copy2(pub, os.path.join(install.dir, "pub.pem"))
    tmp = os.path.join(WORK, "curl.tmp")
    jar = os.path.join(WORK, "curl.jar")


def update_progress(mib, pairs):
    """The same update with the wait window repainting its bar (at most ten times a second) on
    a virtual display, against no display at all (no window, nothing painted)."""
    os.makedirs(WORK, exist_ok=True)
    displayfd = os.path.join(WORK, "xvfb.display")
    with open(displayfd, "w") as out:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp"], stdout=out, stderr=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.getsize(displayfd) > 0:
            break
        time.sleep(0.05)
    with open(displayfd) as f:
        display = ":" + f.read().strip()
    server = Nginx()
    server.put_text("upd/version.txt", "2\n")
    source = server.put_random("upd/AppRunner.tmp", mib)
    install = Install("[RUN]\nkeepRunning=0\n\n[UPDATE]\nappDataUpdate=1\nurl=%s\nversion=1\n"
                      % server.url("upd/"))
    rows = []
    try:
        for i in range(pairs):
            pair = {}
            for who in (("ours", "curl") if i % 2 == 0 else ("curl", "ours")):
                if who == "ours":
                    process, t0 = install.start(0)
                    started = install.java_started()
                    rss = status_kib(process.pid, "VmHWM")
                    end(process)
                    installed = os.path.join(install.data, ".AppRunner", "AppRunner.jar")
                    if not os.path.exists(installed) or os.path.getsize(installed) != mib << 20:
                        raise SystemExit("the launcher did not install the signed update")
                    pair[who] = ((started - t0) / 1e9 - START_TIMER_S, rss)
                else:
                    drop_file(tmp)
                    drop_file(jar)
                    t0 = time.monotonic_ns()
                    subprocess.run(["curl", "-s", "-o", tmp, server.url("signed/AppRunner.tmp")],
                                   check=True)
                    out = subprocess.run(["sha256sum", tmp], check=True, capture_output=True,
                                         text=True).stdout
                    if out.split()[0] != sha:
                        raise SystemExit("curl's copy does not match its digest")
                    subprocess.run(["cp", tmp, jar], check=True)
                    subprocess.run(["sync", jar], check=True)
                    pair[who] = ((time.monotonic_ns() - t0) / 1e9, 0)
            rows.append(pair)
            print("pair %d: launcher %.2f s (peak RSS %d KiB) | curl + sha256sum + cp + sync %.2f s"
                  " | ratio %.3f" % (i + 1, pair["ours"][0], pair["ours"][1], pair["curl"][0],
                                     pair["ours"][0] / pair["curl"][0]), flush=True)
    finally:
        drop_file(tmp)
        drop_file(jar)
        install.remove()
        server.stop()
        shutil.rmtree(keys, ignore_errors=True)
        if not KEEP:
            shutil.rmtree(published, ignore_errors=True)
            drop_file(source)
    ours = median([r["ours"][0] for r in rows])
    theirs = median([r["curl"][0] for r in rows])
    print("median: launcher %.2f s (start timer taken off), curl + sha256sum + cp + sync %.2f s, "
          "ratio %.3f (median of pair ratios %.3f); launcher peak RSS %.1f MiB" % (
              ours, theirs, ours / theirs, median([r["ours"][0] / r["curl"][0] for r in rows]),
              median([r["ours"][1] for r in rows]) / 1024))
            for who in (("window", "none") if i % 2 == 0 else ("none", "window")):
                process, t0 = install.start(0, display if who == "window" else None)
                started = install.java_started()
                end(process)
                installed = os.path.join(install.data, ".AppRunner", "AppRunner.jar")
                if os.path.getsize(installed) != mib << 20:
                    raise SystemExit("the launcher did not install the update")
                pair[who] = ((started - t0) / 1e9 - START_TIMER_S, download_ms(install) / 1e3)
            rows.append(pair)
            print("pair %d: with window and bar %.2f s (transfer %.3f s) | without display %.2f s "
                  "(transfer %.3f s) | ratio %.3f, transfer ratio %.3f" % (
                      i + 1, pair["window"][0], pair["window"][1], pair["none"][0], pair["none"][1],
                      pair["window"][0] / pair["none"][0], pair["window"][1] / pair["none"][1]),
                  flush=True)
    finally:
        install.remove()
        server.stop()
        xvfb.terminate()
        xvfb.wait()
        drop_file(displayfd)
        if not KEEP:
            drop_file(source)
    for k, what in ((0, "update (start timer taken off)"), (1, "transfer (the log's download ms)")):
        window = median([r["window"][k] for r in rows])
        none = median([r["none"][k] for r in rows])
        print("median %s: with window and bar %.3f s, without display %.3f s, ratio %.3f "
              "(median of pair ratios %.3f)" % (what, window, none, window / none,
                                                 median([r["window"][k] / r["none"][k] for r in rows])))


def download_ms(install):
    """The transfer's time as the launcher logged it (its "download" line)."""
    log = os.path.join(install.data, ".AppRunner", "orvex-launcher.log")
    with open(log) as f:
        for line in f:
            if " download " in line and " ok=1" in line:
                return int(line.split(" ms=")[1].split()[0])
    raise SystemExit("no download in the launcher's log")


def startup(runs):
    os.makedirs(WORK, exist_ok=True)
    install = Install("[RUN]\nkeepRunning=0\n\n[UPDATE]\nurl=0\n")
    values = []
    try:
        for i in range(runs):
            process, t0 = install.start(0)
            started = install.java_started(30)
            end(process)
            values.append((started - t0) / 1e6 - START_TIMER_S * 1000)
            print("run %d: %.1f ms" % (i + 1, values[-1]), flush=True)
    finally:
        install.remove()
    print("median start-up beyond the start timer: %.1f ms (min %.1f, max %.1f)" % (
        median(values), min(values), max(values)))


def task_counters(pid):
    """CPU nanoseconds and context switches summed over the process's threads."""
    cpu = switches = 0
    for task in os.listdir("/proc/%d/task" % pid):
        with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
            cpu += int(f.read().split()[0])
        with open("/proc/%d/task/%s/status" % (pid, task)) as f:
            for line in f:
                if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                    switches += int(line.split()[1])
    return cpu, switches


def idle(seconds):
    os.makedirs(WORK, exist_ok=True)
    install = Install("[RUN]\nkeepRunning=0\n\n[UPDATE]\nurl=0\n")
    try:
        # Plain run: /proc counters, nothing attached.
        process, _ = install.start((seconds + 30) * 1000)
        install.java_started(30)
        time.sleep(1)
        cpu0, sw0 = task_counters(process.pid)
        time.sleep(seconds)
        cpu1, sw1 = task_counters(process.pid)
        threads = len(os.listdir("/proc/%d/task" % process.pid))
        hwm = status_kib(process.pid, "VmHWM")
        rss = status_kib(process.pid, "VmRSS")
        end(process)
        print("over %d s: CPU %.2f ms, context switches (wake-ups) %d, threads %d" % (
            seconds, (cpu1 - cpu0) / 1e6, sw1 - sw0, threads))
        print("per minute: CPU %.2f ms, wake-ups %.1f" % (
            (cpu1 - cpu0) / 1e6 * 60 / seconds, (sw1 - sw0) * 60 / seconds))
        print("peak RSS (VmHWM) %d KiB = %.2f MiB, RSS now %d KiB" % (hwm, hwm / 1024, rss))
        # Second run under strace: which calls the wake-ups are.
        process, _ = install.start((seconds + 30) * 1000)
        install.java_started(30)
        time.sleep(1)
        log = os.path.join(WORK, "idle-strace.txt")
        subprocess.run(["timeout", "-s", "INT", str(seconds), "strace", "-c", "-f", "-o", log,
                        "-p", str(process.pid)])
        end(process)
        with open(log) as f:
            print("strace -c -f over %d s:\n%s" % (seconds, f.read()))
    finally:
        install.remove()


def footprint():
    work = os.path.join(WORK, "footprint")
    os.makedirs(work, exist_ok=True)
    stripped = os.path.join(work, "orvex-launcher")
    subprocess.run(["strip", "-o", stripped, LAUNCHER], check=True)
    print("Linux %s: %d bytes as built, %d bytes stripped (%.2f MiB)" % (
        os.path.relpath(LAUNCHER, ROOT), os.path.getsize(LAUNCHER), os.path.getsize(stripped),
        os.path.getsize(stripped) / 2**20))
    exe = os.path.join(ROOT, "build", "win", "bin", "orvex-launcher.exe")
    if os.path.exists(exe):
        stripped_exe = os.path.join(work, "orvex-launcher.exe")
        subprocess.run(["x86_64-w64-mingw32-strip", "-o", stripped_exe, exe], check=True)
        dlls = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], capture_output=True,
                              text=True).stdout
        names = sorted({l.split()[-1] for l in dlls.splitlines() if "DLL Name" in l})
        print("Windows %s: %d bytes as built, %d bytes stripped (%.2f MiB); imports %s" % (
            os.path.relpath(exe, ROOT), os.path.getsize(exe), os.path.getsize(stripped_exe),
            os.path.getsize(stripped_exe) / 2**20, ", ".join(names)))
    else:
        print("no Windows build (scripts/build.sh win)")


def main():
    if not ARGS:
        raise SystemExit(__doc__)
    kind, rest = ARGS[0], [int(a) for a in ARGS[1:]]
    if kind == "download":
        paired_download(*(rest + [1024, 5][len(rest):]), to_memory=False)
    elif kind == "https":
        paired_download(*(rest + [1024, 5][len(rest):]), to_memory=False, tls=True)
    elif kind == "memory":
        paired_download(*(rest + [64, 5][len(rest):]), to_memory=True,
                        curl_target="/dev/shm/orvex-bench.out")
    elif kind == "memory-null":
        paired_download(*(rest + [64, 5][len(rest):]), to_memory=True, curl_target="/dev/null")
    elif kind == "update":
        update(*(rest + [256, 5][len(rest):]))
    elif kind == "update-durable":
        update(*(rest + [256, 5][len(rest):]), durable=True)
    elif kind == "update-signed":
        update_signed(*(rest + [256, 5][len(rest):]))
    elif kind == "update-progress":
        update_progress(*(rest + [256, 5][len(rest):]))
    elif kind == "startup":
        startup(*(rest + [10][len(rest):]))
    elif kind == "idle":
        idle(*(rest + [60][len(rest):]))
    elif kind == "footprint":
        footprint()
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main()
