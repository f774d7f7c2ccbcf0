#!/usr/bin/env python3
"""Under Wine, times the options dialog over a real URL cache, from outside,
with real key presses, the way the GUI tests drive it.

    bench/wine_dialog_timing.py [--build build/win] [--entries 10000] [--small 2000]
                                [--presses 20] [--rounds 3] [--paced MS] [--memory]
                                [--cache KEPT] [--display :N]

Needs a Windows build folder with IENorvane, nvguihost and seedcache built:
    cmake --preset win && cmake --build build/win -j2 \\
        --target IENorvane nvguihost seedcache

In one run, in the build folder's Wine prefix (its URL cache is emptied and
reseeded) on a private Xvfb display:
  1. empty cache: ms from the GetConfigString call until the dialog takes input;
  2. ENTRIES realistic entries (seedcache seed), ROUNDS times: the same, and
     until all three lists hold their rows, against the mean of two bare
     enumerations of the same cache side by side (by seedcache just before,
     in the dialog's process just after); the dialog's answer to WM_NULL
     (SendMessageTimeout from another thread) during the first read;
  3. PRESSES key presses in edtCacheMask ('*' and BackSpace in turn), each
     from the key's XTest event to the list's new row count: median, worst;
     WM_NULL answers while presses, fills and background reads go on;
  4. the same key presses over SMALL entries.
--paced MS adds to 3. the same presses MS ms apart (450: each one meets a
background re-read that has begun); --memory reports the dialog process's
peak memory (VmHWM of the Wine process that hosts it) once its lists are
filled, and once the background re-reads that the presses asked for have
finished (its CPU time idle for two seconds).
--cache KEPT starts 2. and 3. from the grown cache kept in KEPT
(bench/grow_largest_cache.sh) in a throwaway Wine prefix, instead of
reseeding the build folder's; ENTRIES and SMALL are then not used.
--display :N runs Xvfb on display N instead of the first free one.
"""
import argparse
import ctypes
import pathlib
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "gui"))
import gui_test as gui  # noqa: E402


class Keyboard:
    """Key presses through the XTest extension: the moment a key is sent is
    known to the microsecond (xdotool would add its own start-up)."""

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            raise gui.Failure(f"cannot open display {display}")

    def press(self, name):
        """Sends the key down and up; returns the time it was sent."""
        code = self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(name.encode()))
        sent = time.perf_counter()
        self.xtst.XTestFakeKeyEvent(self.display, code, 1, 0)
        self.xtst.XTestFakeKeyEvent(self.display, code, 0, 0)
        self.x11.XFlush(self.display)
        return sent


def timeline(session):
    return {row[0]: [float(v) for v in row[1:]] for row in session.table("timeline")}


def open_dialog(wine, ini):
    return gui.Session(wine, ini, ini.with_suffix(".stderr"))


def lists_complete(session, timeout=600):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        t = timeline(session)
        filled = [t[name][0] for name in ("lvCache", "lvCookies", "lvHistory")]
        if min(filled) >= 0:
            return t, max(filled)
        time.sleep(0.1)
    raise gui.Failure("the lists are not filled")


def presses(session, keyboard, count):
    """Key presses in edtCacheMask, each timed until lvCache's row count
    changes: '*' lists every http entry, BackSpace ("http://") none."""
    session.click("edtCacheMask")
    session.key("End")
    times = []
    for i in range(count):
        session.ask("arm lvCache")
        sent = keyboard.press("KP_Multiply" if i % 2 == 0 else "BackSpace")
        session.ask("changed lvCache")
        times.append((time.perf_counter() - sent) * 1000)
    return times


def pings_while(session, keyboard, seconds):
    """WM_NULL answers while keys are pressed every 150 ms (fills, and the
    background reads each fill asks for)."""
    result = {}

    def ping():
        result["ping"] = session.table(f"pingfor {int(seconds * 1000)}")[0]

    pinger = threading.Thread(target=ping)
    pinger.start()
    end = time.monotonic() + seconds
    i = 0
    while time.monotonic() < end:
        keyboard.press("KP_Multiply" if i % 2 == 0 else "BackSpace")
        i += 1
        time.sleep(0.15)
    pinger.join()
    if i % 2:
        keyboard.press("BackSpace")
    return result["ping"]


def paced_presses(session, keyboard, count, pause_ms):
    """The same key presses, each PAUSE_MS after the row count changed."""
    session.click("edtCacheMask")
    session.key("End")
    times = []
    for i in range(count):
        time.sleep(pause_ms / 1000)
        session.ask("arm lvCache")
        sent = keyboard.press("KP_Multiply" if i % 2 == 0 else "BackSpace")
        session.ask("changed lvCache")
        times.append((time.perf_counter() - sent) * 1000)
    if count % 2:
        keyboard.press("BackSpace")
    return times


def dialog_process(session):
    """The pid of the Wine process that hosts the dialog: nvguihost.exe,
    the process started for the session or one of its descendants."""
    parents = {}
    for entry in pathlib.Path("/proc").iterdir():
        if entry.name.isdigit():
            try:
                stat = (entry / "stat").read_text()
                parents[int(entry.name)] = int(stat.rsplit(")", 1)[1].split()[1])
            except (OSError, IndexError, ValueError):
                pass
    root = session.process.pid
    for pid in sorted(parents):
        ancestor = pid
        while ancestor not in (root, 0, 1) and ancestor in parents:
            ancestor = parents[ancestor]
        if ancestor != root:
            continue
        try:
            command = pathlib.Path(f"/proc/{pid}/cmdline").read_bytes()
        except OSError:
            continue
        if b"nvguihost.exe" in command:
            return pid
    raise gui.Failure("no Wine process of nvguihost.exe")


def peak_memory_mb(pid):
    status = pathlib.Path(f"/proc/{pid}/status").read_text()
    return int(re.search(r"^VmHWM:\s+(\d+) kB", status, re.M).group(1)) / 1024


def cpu_seconds(pid):
    fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def wait_idle(pid, timeout=900):
    """Waits until the process used under 0.1 s of CPU in two seconds;
    returns the seconds waited."""
    start = time.monotonic()
    time.sleep(1)
    last = cpu_seconds(pid)
    while time.monotonic() - start < timeout:
        time.sleep(2)
        now = cpu_seconds(pid)
        if now - last < 0.1:
            return time.monotonic() - start
        last = now
    raise gui.Failure("the dialog's process does not come to rest")


def report_presses(label, times):
    print(f"{label}: {len(times)} key presses, median {statistics.median(times):.1f} ms, "
          f"worst {max(times):.1f} ms  ({' '.join(f'{t:.0f}' for t in times)})")


def bare_enumeration(wine):
    """ms of one bare enumeration of the whole cache by another process."""
    done = wine.run("seedcache.exe", "enum").stdout.strip()
    return float(re.search(r"in ([0-9.]+) ms", done).group(1))


def measure_fills(wine, ini, rounds, entries, empty_ready):
    """Opens the dialog ROUNDS times, each between two bare enumerations of
    the same cache (by seedcache just before, in the dialog's process just
    after), and reports the times until it takes input and until all three
    lists hold their rows. Returns the last round's session, still open."""
    results = []
    for r in range(rounds):
        before = bare_enumeration(wine)
        session = open_dialog(wine, ini)
        if r == 0:
            ping_first = session.table("ping 100")[0]  # during the first read
        t, complete = lists_complete(session)
        bare_entries, after = session.table("bare")[0]
        after = float(after)
        ratio = complete / ((before + after) / 2)
        results.append((t["ready"][0], complete, ratio, (before + after) / 2))
        print(f"round {r + 1}: takes input after {t['ready'][0]:.0f} ms, all three lists hold "
              f"their rows after {complete:.0f} ms; one bare enumeration ({bare_entries} entries) "
              f"{before:.0f} ms before, by seedcache, {after:.0f} ms after, in the dialog's "
              f"process: {ratio:.2f}x their mean", flush=True)
        if r + 1 < rounds:
            session.close_with("Escape")
            session.finish()
            session.kill()
    ready = statistics.median(r[0] for r in results)
    print(f"until the dialog takes input: empty cache {empty_ready:.0f} ms, {entries} entries "
          f"{ready:.0f} ms (+{ready - empty_ready:.0f} ms; median of {rounds})")
    print(f"until all three lists hold their rows: median "
          f"{statistics.median(r[1] for r in results):.0f} ms, "
          f"{statistics.median(r[2] for r in results):.2f}x one bare enumeration "
          f"(median of {rounds}; worst {max(r[2] for r in results):.2f}x); the bare "
          f"enumeration: median {statistics.median(r[3] for r in results):.0f} ms")
    print(f"WM_NULL during the first read: median {float(ping_first[0]):.2f} ms, "
          f"worst {float(ping_first[1]):.2f} ms over {ping_first[2]}")
    return session


def restore(wine, kept):
    """Puts the kept grown cache into the prefix (its wineserver stopped)."""
    print(f"starting from the cache kept in {kept}...", flush=True)
    repo = pathlib.Path(__file__).resolve().parent.parent
    command = 'source scripts/kept-cache.sh && restore_kept_cache "$1" "$2"'
    done = subprocess.run(["bash", "-c", command, "restore", str(kept), str(wine.build)],
                          cwd=repo, env=wine.env, capture_output=True, text=True)
    gui.check(done.returncode == 0, done.stderr)
    entries = subprocess.run(["sed", "-n", "s/^entries=//p", str(kept / "stamp")],
                             capture_output=True, text=True, check=True).stdout.strip()
    refused = subprocess.run(["sed", "-n", "s/^refused=//p", str(kept / "stamp")],
                             capture_output=True, text=True, check=True).stdout.strip()
    print(f"{entries} entries, grown until the cache refused ({refused})", flush=True)
    return int(entries)


def reseed(wine, entries):
    print(f"seeding {entries} entries...", flush=True)
    done = wine.run("seedcache.exe", "empty", timeout=1800)
    gui.check(done.returncode == 0, done.stderr)
    if entries:
        done = wine.run("seedcache.exe", "seed", str(entries), timeout=1800)
        gui.check(done.returncode == 0, done.stderr)
        print(done.stdout.strip())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build/win")
    parser.add_argument("--entries", type=int, default=10000)
    parser.add_argument("--small", type=int, default=2000)
    parser.add_argument("--presses", type=int, default=20)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--paced", type=int, default=0)
    parser.add_argument("--memory", action="store_true")
    parser.add_argument("--cache", type=pathlib.Path)
    parser.add_argument("--display")
    args = parser.parse_args()
    build = pathlib.Path(args.build).resolve()
    throwaway = None
    if args.cache:
        args.cache = args.cache.resolve()
        throwaway = pathlib.Path(tempfile.mkdtemp(prefix="nv-dialogtiming."))
        os.environ["NV_WINEPREFIX"] = str(throwaway / "prefix")
        work = throwaway
    else:
        work = build / "gui-work"
        work.mkdir(exist_ok=True)
    ini = work / "bench.ini"
    gui.write_ini(ini, ["DeleteCacheType=1", "CacheMask="])
    display = gui.Display(int(args.display.lstrip(":")) if args.display else None)
    try:
        wine = gui.Wine(build, display.name)
        wine.unmanaged_windows()
        keyboard = Keyboard(display.name)

        reseed(wine, 0)
        for _ in range(2):  # the first start of the programs warms Wine's caches
            session = open_dialog(wine, ini)
            empty_ready = timeline(session)["ready"][0]
            session.close_with("Escape")
            session.finish()
            session.kill()

        if args.cache:
            args.entries = restore(wine, args.cache)
        else:
            reseed(wine, args.entries)
        session = measure_fills(wine, ini, args.rounds, args.entries, empty_ready)
        if args.memory:
            host = dialog_process(session)
            print(f"peak memory of the dialog's process (VmHWM), its lists filled: "
                  f"{peak_memory_mb(host):.1f} MB", flush=True)
        report_presses(f"{args.entries} entries", presses(session, keyboard, args.presses))
        if args.paced:
            report_presses(f"{args.entries} entries, presses {args.paced} ms apart",
                           paced_presses(session, keyboard, args.presses, args.paced))
        ping = pings_while(session, keyboard, 5)
        print(f"WM_NULL during key presses, fills and background reads: median "
              f"{float(ping[0]):.2f} ms, worst {float(ping[1]):.2f} ms over {ping[2]}")
        if args.memory:
            waited = wait_idle(host)
            print(f"peak memory of the dialog's process (VmHWM), once the background re-reads "
                  f"had finished ({waited:.0f} s after the last press): "
                  f"{peak_memory_mb(host):.1f} MB", flush=True)
        session.close_with("Escape")
        session.finish()
        session.kill()

        if args.small and not args.cache:
            reseed(wine, args.small)
            session = open_dialog(wine, ini)
            lists_complete(session)
            report_presses(f"{args.small} entries", presses(session, keyboard, args.presses))
            session.close_with("Escape")
            session.finish()
            session.kill()
    finally:
        display.stop()
        if throwaway:
            subprocess.run(["wineserver", "-k"], capture_output=True,
                           env=dict(os.environ, WINEPREFIX=str(throwaway / "prefix")))
            shutil.rmtree(throwaway, ignore_errors=True)


if __name__ == "__main__":
    main()
