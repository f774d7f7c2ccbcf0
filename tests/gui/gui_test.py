#!/usr/bin/env python3
"""GUI tests of the options dialog.

Runs the real IENorvane.dll in nvguihost under Wine on a private Xvfb display,
presses real keys with xdotool, and reads the dialog back through nvguihost's
inspector thread (window functions: positions, texts, list rows, focus).

    gui_test.py --build BUILD_DIR --case NAME [--display :N]
                                                  one case (as ctest runs it);
                                                  --display: its own Xvfb on :N
    gui_test.py --build BUILD_DIR --demo [--shot FILE] [--display :N]
                                                  show the dialog for a person

Every case saves a screenshot of the dialog as BUILD_DIR/gui-shots/NAME.png.
"""
import argparse
import fnmatch
import os
import pathlib
import queue
import re
import shutil
import subprocess
import sys
import threading
import time

SECTION = "IE Norvane"

# The seeded cache: URL and file size. Cookie and history entries have no file.
SEED = [
    ("http://www.example.com/index.htm", 2048),
    ("http://news.example.com/a.gif", 17),
    ("http://news.example.org/story.htm", 0),
    ("https://secure.example.net/login.htm", 512),
    ("Cookie:user@news.example.com/", 0),
    ("Cookie:user@shop.example.net/", 0),
    ("Visited: user@http://news.example.com/", 0),
    ("Visited: user@http://www.example.com/index.htm", 0),
]

# The tables of the dialog: name -> (left, top, width, height, caption);
# None where the width follows the text.
LAYOUT = {
    "Panel11": (0, 0, 546, 31, ""),
    "Label4": (10, 8, None, 16, "IE Norvane plugin options"),
    "Panel1": (0, 31, 546, 463, ""),
    "Panel2": (0, 494, 546, 40, ""),
    "BitBtn2": (190, 8, 75, 25, "OK"),
    "BitBtn1": (281, 8, 75, 25, "Cancel"),
    "Panel5": (2, 2, 542, 153, ""),
    "Panel4": (2, 155, 542, 153, ""),
    "Panel3": (2, 308, 542, 153, ""),
    "cbDeleteCache": (10, 10, 161, 17, "Delete http-cache files"),
    "cbDeleteCookies": (10, 10, 161, 17, "Delete cookies"),
    "cbDeleteHistory": (10, 10, 295, 17, "Delete visited links and history from IE gournal"),
    "rbDeleteCacheAll": (25, 32, 113, 17, "Delete all files"),
    "rbDeleteCookiesAll": (25, 32, 113, 17, "Delete all cookies"),
    "rbDeleteHistoryAll": (25, 32, 113, 17, "Delete all links"),
    "rbDeleteCacheMask": (152, 32, 121, 17, "Delete on URL-mask:"),
    "rbDeleteCookiesMask": (152, 32, 121, 17, "Delete on URL-mask:"),
    "rbDeleteHistoryMask": (152, 32, 121, 17, "Delete on URL-mask:"),
    "Label1": (280, 33, None, 13, "http://"),
    "Label2": (280, 33, None, 13, "Cookie:"),
    "Label3": (280, 33, None, 13, "Visited:"),
    "edtCacheMask": (320, 29, 213, 21, None),
    "edtCookiesMask": (320, 29, 213, 21, None),
    "edtHistoryMask": (320, 29, 213, 21, None),
    "lvCache": (8, 56, 525, 89, ""),
    "lvCookies": (8, 56, 525, 89, ""),
    "lvHistory": (8, 56, 525, 89, ""),
    "cbDeleteCacheHttps": (200, 10, 130, 17, "Also https:// pages"),
    "btnKeepSites": (8, 8, 100, 25, "Sites to keep..."),
    "cbWipeTraces": (362, 12, 182, 17, "Wipe the traces of deleted entries"),
    "lblCacheKept": (440, 12, 93, 13, ""),
    "lblCookiesKept": (440, 12, 93, 13, ""),
    "lblHistoryKept": (440, 12, 93, 13, ""),
}

# The editor of the sites to keep, opened by btnKeepSites.
EDITOR_LAYOUT = {
    "lvCookieSites": (8, 24, 170, 190, ""),
    "btnKeep": (186, 80, 48, 25, ">"),
    "btnUnkeep": (186, 112, 48, 25, "<"),
    "lvKeptSites": (242, 24, 170, 190, ""),
    "btnRemove": (337, 220, 75, 25, "Remove"),
    "edtSite": (40, 222, 138, 21, None),
    "btnAdd": (186, 220, 48, 25, "Add"),
    "btnOk": (250, 257, 75, 25, "OK"),
    "btnCancel": (337, 257, 75, 25, "Cancel"),
}


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def check_equal(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}: expected {expected!r}, got {actual!r}")


def soon(read, expected, what, timeout=5.0):
    """Checks that `read()` comes to `expected` once the dialog's thread has
    handled the input already sent (it reads the display's events itself)."""
    deadline = time.monotonic() + timeout
    while (actual := read()) != expected and time.monotonic() < deadline:
        time.sleep(0.05)
    check_equal(actual, expected, what)


def prefix_of(build):
    """The Wine prefix of the build folder's tests."""
    return os.environ.get("NV_WINEPREFIX", str(pathlib.Path(build).resolve() / "wineprefix"))


def lock_holder(n):
    """The pid in display n's X lock file, or None."""
    try:
        return int(pathlib.Path(f"/tmp/.X{n}-lock").read_text().strip())
    except (OSError, ValueError):
        return None


class Display:
    """A private Xvfb display, on the first free number from 97 up. When
    ctest's fixture has started one for the build folder (file gui-display),
    that one is used and left running."""

    @staticmethod
    def shared(build):
        record = pathlib.Path(build).resolve() / "gui-display"
        if record.exists():
            name, pid = record.read_text().split()
            if os.path.exists(f"/proc/{pid}"):
                display = Display.__new__(Display)
                display.process, display.name = None, name
                return display
        return Display()

    def __init__(self, number=None, detached=False):
        self.process = None
        for n in [number] if number else range(97, 140):
            if os.path.exists(f"/tmp/.X{n}-lock") or os.path.exists(f"/tmp/.X11-unix/X{n}"):
                continue
            self.process = subprocess.Popen(
                ["Xvfb", f":{n}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                start_new_session=detached)
            for _ in range(100):
                # Ours only when the lock names our server: another run may
                # have started one on the same number a moment before, and
                # ours then ends while that one's socket appears.
                if os.path.exists(f"/tmp/.X11-unix/X{n}") and \
                        lock_holder(n) == self.process.pid and self.process.poll() is None:
                    self.name = f":{n}"
                    return
                if self.process.poll() is not None:
                    break
                time.sleep(0.05)
            self.stop()
        raise Failure("no free display for Xvfb")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)
        self.process = None


class Wine:
    """Windows programs of the build folder, run in its Wine prefix."""

    def __init__(self, build, display):
        self.build = pathlib.Path(build).resolve()
        self.bin = self.build / "bin"
        self.env = dict(os.environ, DISPLAY=display)
        self.run_script = str(self.build / "wine-run.sh")

    def run(self, *args, timeout=180):
        return subprocess.run([self.run_script, *args], cwd=self.bin, env=self.env,
                              capture_output=True, text=True, timeout=timeout)

    def start(self, *args, log):
        """Starts a program that talks on its standard streams; what it and
        Wine write to standard error goes to the file `log`."""
        with open(log, "w") as errors:
            return subprocess.Popen([self.run_script, *args], cwd=self.bin, env=self.env,
                                    stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                    stderr=errors, text=True, bufsize=1)

    def unmanaged_windows(self):
        """Wine draws its own title bars (there is no window manager), so the
        close box exists and can be clicked."""
        marker = pathlib.Path(prefix_of(self.build)) / ".nv-unmanaged"
        if marker.exists():
            return
        self.run("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N",
                 "/f")
        marker.parent.mkdir(parents=True, exist_ok=True)
        marker.touch()

    @staticmethod
    def path(posix_path):
        return "Z:" + str(posix_path).replace("/", "\\")


class Session:
    """One GetConfigString call in nvguihost, with its inspector."""

    def __init__(self, wine, ini, log, calls=1, watch=True):
        self.wine = wine
        self.log = log
        self.answered = []
        self.process = wine.start("nvguihost.exe", "config", "IENorvane.dll", Wine.path(ini),
                                  SECTION, str(calls), "watch" if watch else "-", log=self.log)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        check_equal(self.ask("wait"), ["ready"], "the dialog appears")
        self.display = wine.env["DISPLAY"]

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\r\n"))
        self.lines.put(None)

    def _line(self, timeout=60):
        try:
            line = self.lines.get(timeout=timeout)
        except queue.Empty:
            raise Failure("nvguihost does not answer")
        if line is None:
            raise Failure("nvguihost ended early" + self._last_words())
        self.answered.append(line)
        return line

    def _last_words(self):
        """The exit status and the end of nvguihost's standard error."""
        try:
            status = self.process.wait(10)
        except subprocess.TimeoutExpired:
            status = "still running"
        try:
            tail = self.log.read_text(errors="replace").splitlines()[-15:]
        except OSError:
            tail = []
        said = "".join(f"\n  out: {line}" for line in self.answered[-15:])
        return f" (exit status {status})" + said + "".join(f"\n  err: {line}" for line in tail)

    def ask(self, command):
        self.answered = []
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        answer = []
        while (line := self._line()) != ".":
            answer.append(line)
        return answer

    def table(self, command):
        return [line.split("\t") for line in self.ask(command)]

    def rows(self, name):
        return [tuple(row) for row in self.table(f"rows {name}")]

    def row_count(self, name):
        return int(self.ask(f"arm {name}")[0])

    def focus(self):
        return self.ask("focus")[0] if self.ask("focus") else ""

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.wine.env, check=True)
        time.sleep(0.1)

    def key(self, *keys):
        for k in keys:
            self.xdotool("key", k)
            self.settle()

    def close_with(self, key):
        """Presses the key that ends the dialog (nothing more to ask then)."""
        self.xdotool("key", key)

    def hold(self, key, seconds=0.15):
        """Presses a key and lets it go a moment later, as a person does: its
        release comes after what the press set off."""
        self.xdotool("keydown", key)
        time.sleep(seconds)
        self.xdotool("keyup", key)
        self.settle()

    def type(self, text):
        for ch in text:
            self.xdotool("type", ch)
            self.settle()

    def click(self, name):
        x, y = self.table(f"screen {name}")[0]
        self.xdotool("mousemove", x, y, "click", "1")
        self.settle()

    def settle(self):
        """Waits until the dialog's thread has handled what is queued."""
        self.ask("focus")

    def error_box(self):
        return self.table("errorbox")

    def wait_error_box(self, present=True):
        for _ in range(100):
            if (self.error_box() != [["none"]]) == present:
                return self.error_box()
            time.sleep(0.05)
        raise Failure("the error box " + ("does not appear" if present else "stays"))

    def screenshot(self, name, crop=False):
        """Saves the screen as BUILD/gui-shots/NAME.png; with `crop`, only
        the dialog's window."""
        shots = self.wine.build / "gui-shots"
        shots.mkdir(exist_ok=True)
        command = ["import", "-window", "root"]
        if crop:
            left, top, right, bottom = map(int, self.table("window")[0][8:12])
            command += ["-crop", f"{right - left}x{bottom - top}+{left}+{top}"]
        subprocess.run(command + [str(shots / f"{name}.png")], env=self.wine.env, check=True)
        return shots / f"{name}.png"

    def colours(self, shot, name, width, height, offset=(0, 0)):
        """The colours in the screenshot within a box centred on a control,
        or `offset` (x, y) pixels from its centre."""
        x, y = (int(at) + by for at, by in zip(self.table(f"screen {name}")[0], offset))
        listing = subprocess.run(
            ["convert", str(shot), "-crop", f"{width}x{height}+{x - width // 2}+{y - height // 2}",
             "+repage", "-unique-colors", "txt:-"], capture_output=True, text=True, check=True)
        return set(re.findall(r"#([0-9A-F]{6})", listing.stdout))

    def finish(self):
        """Waits for the call to return; its text, result and host state."""
        self.process.stdin.close()
        answer = {}
        while (line := self._line(timeout=30)) != "end":
            key, _, value = line.partition("\t")
            answer[key] = value
        self.process.wait(30)
        return answer

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            subprocess.run(["wineserver", "-k"], env=self.wine.env | {
                "WINEPREFIX": prefix_of(self.wine.build)}, capture_output=True)


def expected_rows(prefix, mask):
    """What the seeded cache shows for a mask made of '*' and letters only."""
    pattern = (prefix + mask).lower()
    rows = []
    for url, _ in SEED:
        if prefix == "http://" and (url.startswith("Cookie:") or url.startswith("Visited:")):
            continue
        if fnmatch.fnmatchcase(url.lower(), pattern):
            rows.append(url)
    return sorted(rows)


def urls(rows):
    return sorted(row[0] for row in rows)


def write_ini(path, lines):
    if lines is None:
        if path.exists():
            path.unlink()
        return
    path.write_bytes(("[" + SECTION + "]\r\n" + "".join(l + "\r\n" for l in lines)).encode())


# ---- the cases ----

def check_places(s, layout):
    """Each control of `layout` exists with its place and caption."""
    controls = {row[0]: row for row in s.table("dump")}
    for name, (x, y, w, h, caption) in layout.items():
        check(name in controls, f"{name} exists")
        row = controls[name]
        got = tuple(int(v) for v in row[2:6])
        for got_v, want, what in zip(got, (x, y, w, h), "xywh"):
            if want is not None:
                check(abs(got_v - want) <= 2, f"{name}.{what}: want {want}, got {got_v}")
        if w is None:
            check(got[2] > 0, f"{name} is as wide as its text")
        if caption is not None:
            check_equal(row[8], caption, f"{name} caption")


def case_layout(s, ini):
    caption, width, height, *_ = s.table("window")[0]
    check_equal(caption, "IE Norvane plugin", "caption")
    check_equal((int(width), int(height)), (546, 534), "client size")
    style = int(s.table("window")[0][5], 16)
    check(style & 0x00C00000 == 0x00C00000 and style & 0x00080000, "title bar with system menu")
    check(not style & 0x00040000 and not style & 0x00030000, "fixed frame, no min/max box")
    *_, screen_w, screen_h, left, top, right, bottom = map(int, s.table("window")[0][6:])
    check(abs((left + right) - screen_w) <= 2 and abs((top + bottom) - screen_h) <= 2,
          f"centred: frame {left},{top},{right},{bottom} on {screen_w}x{screen_h}")
    check_places(s, LAYOUT)
    for name in ("lvCache", "lvCookies", "lvHistory"):
        columns = s.table(f"columns {name}")
        check_equal([tuple(c) for c in columns[:3]],
                    [("URL name", "300"), ("Local filename", "150"), ("File size", "50")],
                    f"{name} columns")
        style, extended = int(columns[3][1], 16), int(columns[3][2], 16)
        check(style & 0x3 == 0x1, f"{name} in report mode")
        check(style & 0x4, f"{name} single selection")
        check(not style & 0x200, f"{name} read-only")
        check(extended & 0x20, f"{name} selects whole rows")
    soon(s.focus, "cbDeleteHistory", "focus when shown")
    check_equal(s.table("host"), [["enabled", "0"], ["active", "0"]], "host while shown")
    shot = s.screenshot("Layout")
    # The colours drawn: the glyphs, the title panel and its cream caption.
    for name, size, colour, what in [
            ("BitBtn2", (75, 25), "008000", "green tick on OK"),
            ("BitBtn1", (75, 25), "FF0000", "red cross on Cancel"),
            ("Label4", (150, 16), "3C556C", "title panel background"),
            ("Label4", (150, 16), "FFFBF0", "cream title text")]:
        check(colour in s.colours(shot, name, *size), what)
    check("808000" not in s.colours(shot, "BitBtn2", 75, 25), "olive is transparent")
    check("FF0000" not in s.colours(shot, "BitBtn2", 75, 25), "no cross on OK")
    check("008000" not in s.colours(shot, "BitBtn1", 75, 25), "no tick on Cancel")
    check(not {"008000", "FF0000"} & s.colours(shot, "btnKeepSites", 75, 25),
          "no glyph on the button of the sites to keep")
    s.close_with("Escape")
    return "", None


def case_lists(s, ini):
    rows = s.rows("lvCache")
    check_equal(urls(rows), expected_rows("http://", "*news*"), "lvCache for http://*news*")
    for url, file_name, size in rows:
        seeded = dict(SEED)[url]
        check_equal(size, str(seeded), f"size of {url}")
        check(file_name and "\\" not in file_name, f"file name of {url}: {file_name!r}")
    cookies = s.rows("lvCookies")
    check_equal(urls(cookies), expected_rows("Cookie:", "*.*"),
                "type 0 lists every cookie, as its clean deletes them")
    check(all(r[1] == "" and r[2] == "0" for r in cookies), "cookies have no file")
    soon(lambda: urls(s.rows("lvHistory")), expected_rows("Visited:", "*.*"), "lvHistory")
    s.screenshot("Lists")
    s.close_with("Escape")
    return "", None


def case_typing(s, ini):
    s.click("edtCacheMask")
    soon(s.focus, "edtCacheMask", "focus after the click")
    typed = ""
    for ch in "*news*":
        s.type(ch)
        typed += ch
        soon(lambda: urls(s.rows("lvCache")), expected_rows("http://", typed),
                    f"lvCache after typing {typed!r}")
    s.screenshot("Typing")
    for _ in range(len(typed)):
        s.key("BackSpace")
        typed = typed[:-1]
        soon(lambda: urls(s.rows("lvCache")), expected_rows("http://", typed),
                    f"lvCache after deleting down to {typed!r}")
    s.close_with("Escape")
    return "", None


def case_malformed_typed(s, ini):
    before = ini.read_bytes()
    s.click("edtCacheMask")
    s.type("*")
    soon(lambda: urls(s.rows("lvCache")), expected_rows("http://", "*"), "lvCache for '*'")
    s.type("[")
    box = s.wait_error_box()
    s.screenshot("MalformedTyped")
    check(["text", "'http://*[' is an invalid mask at (10)"] in box, f"error text: {box}")
    check(["icon"] in box, "error icon")
    check_equal([b for b in box if b[0] == "button"], [["button", "OK"]], "one OK button")
    soon(lambda: s.rows("lvCache"), [], "the list is empty")
    s.key("Return")  # closes the box, and only the box
    s.wait_error_box(present=False)
    check_equal(s.ask("wait"), ["ready"], "the dialog stays open")
    check_equal(ini.read_bytes(), before, "the Enter that closed the box saved nothing")
    soon(s.focus, "edtCacheMask", "the focus back in the malformed mask's box")
    soon(lambda: s.table("caret edtCacheMask"), [["2", "2", "2"]], "the caret at the end")
    # The next key corrects the mask where it went wrong.
    s.key("BackSpace")
    soon(lambda: urls(s.rows("lvCache")), expected_rows("http://", "*"), "later fills work")
    s.close_with("Escape")
    return "", None


def case_enter_closes_error_box(s, ini):
    """The error box of a typed mask, closed with Enter pressed as a person
    does, gives the keyboard back to the box typed in (so the dialog is still
    shown), with the caret after its text, whichever section it is and
    however it was reached."""
    # History, reached by keyboard: Tab selects the mask, '[' replaces it.
    soon(s.focus, "cbDeleteHistory", "focus when shown")
    s.key("Tab", "Tab")
    soon(s.focus, "edtHistoryMask", "Tab reaches the history mask")
    s.type("[")
    box = s.wait_error_box()
    check(["text", "'Visited:[' is an invalid mask at (10)"] in box, f"error text: {box}")
    s.hold("Return")
    s.wait_error_box(present=False)
    soon(s.focus, "edtHistoryMask", "the focus back in the history mask after Return")
    soon(lambda: s.table("caret edtHistoryMask"), [["1", "1", "1"]], "the caret after '['")
    s.key("BackSpace")
    s.type("*www*")
    soon(lambda: urls(s.rows("lvHistory")), expected_rows("Visited:", "*www*"),
         "the next keys edit the history mask")
    # Cookies, clicked and typed at the end; the keypad's Enter.
    s.click("edtCookiesMask")
    s.key("End")
    s.type("[")
    s.wait_error_box()
    s.hold("KP_Enter")
    s.wait_error_box(present=False)
    soon(s.focus, "edtCookiesMask", "the focus back in the cookies mask after keypad Enter")
    soon(lambda: s.table("caret edtCookiesMask"), [["7", "7", "7"]], "the caret after '*shop*['")
    s.key("BackSpace")
    soon(lambda: urls(s.rows("lvCookies")), expected_rows("Cookie:", "*shop*"),
         "the next key edits the cookies mask")
    s.close_with("Escape")  # neither Enter reached OK: nothing is saved
    return "", None


def case_sent_keys_close_error_box(s, ini):
    """The error box of a mask typed at its end, with '[' and then Enter
    pressed and released through the system's input queue (each release
    queued with its press, as a keyboard driver does) and the box left up
    while the edit's read of the cache ends: afterwards the focus is in the
    mask box, the caret after its text, and the next key edits it."""
    s.click("edtCacheMask")
    s.type("*alpha*")
    s.key("End")
    s.ask("press DB")  # VK_OEM_4: '[' on the US layout
    box = s.wait_error_box()
    check(["text", "'http://*alpha*[' is an invalid mask at (16)"] in box, f"error text: {box}")
    s.screenshot("SentKeysCloseErrorBox")
    time.sleep(0.3)  # the reader's pause after an edit: its read ends about now
    s.ask("press 0D")  # VK_RETURN
    s.wait_error_box(present=False)
    time.sleep(0.5)  # what the closing set off has run: the focus is where it stays
    check_equal(s.focus(), "edtCacheMask", "the focus in the malformed mask's box")
    check_equal(s.table("caret edtCacheMask"), [["8", "8", "8"]], "the caret after '*alpha*['")
    s.ask("press 08")  # VK_BACK
    soon(lambda: captions(s, ["edtCacheMask"]), ["*alpha*"], "the next key edits the mask")
    s.close_with("Escape")
    return "", None


def case_stored_malformed(s, ini):
    box = s.wait_error_box()
    s.screenshot("StoredMalformed")
    # One box names every malformed mask that its list uses, each once.
    check(["text", "'http://[' is an invalid mask at (9)\\n"
           "'Visited:*[a-' is an invalid mask at (13)"] in box, f"error text: {box}")
    s.key("Return")
    s.wait_error_box(present=False)
    soon(lambda: s.rows("lvCache"), [], "that section's list is empty")
    soon(lambda: urls(s.rows("lvCookies")), expected_rows("Cookie:", "*.*"), "others filled")
    soon(s.focus, "edtCacheMask", "the focus in the first malformed mask's box")
    soon(lambda: s.table("caret edtCacheMask"), [["1", "1", "1"]], "the caret at the end")
    s.key("BackSpace")
    s.type("*news*")
    soon(lambda: urls(s.rows("lvCache")), expected_rows("http://", "*news*"), "corrected")
    s.close_with("Return")
    return "http://*news*, Cookie:[, Visited:*[a-", "CacheMask=*news*"


def case_radio_lists(s, ini):
    # Cache "all" (its mask ignored), cookies by mask, history neither (type 2).
    soon(lambda: urls(s.rows("lvCache")), expected_rows("http://", "*.*"),
         "type 0: every http entry, as the clean deletes them")
    soon(lambda: urls(s.rows("lvCookies")), expected_rows("Cookie:", "*shop*"), "type 1: the mask")
    soon(lambda: urls(s.rows("lvHistory")), expected_rows("Visited:", "*www*"),
         "type 2: the mask, though no clean sweeps it")
    s.screenshot("RadioLists")
    # A click on a choice refreshes its list with what that choice deletes.
    for button, name, prefix, mask in [("rbDeleteCacheMask", "lvCache", "http://", "*news*"),
                                       ("rbDeleteCacheAll", "lvCache", "http://", "*.*"),
                                       ("rbDeleteCookiesAll", "lvCookies", "Cookie:", "*.*"),
                                       ("rbDeleteCookiesMask", "lvCookies", "Cookie:", "*shop*"),
                                       ("rbDeleteHistoryAll", "lvHistory", "Visited:", "*.*")]:
        s.click(button)
        soon(lambda: urls(s.rows(name)), expected_rows(prefix, mask), f"{name} after {button}")
    s.close_with("Escape")
    return "", None


def case_tab_order(s, ini):
    # History by mask (its edit box enabled), cookies and cache all entries.
    order = ["cbDeleteHistory", "rbDeleteHistoryMask", "edtHistoryMask", "lvHistory",
             "cbDeleteCookies", "rbDeleteCookiesAll", "lvCookies",
             "cbDeleteCache", "cbDeleteCacheHttps", "rbDeleteCacheAll", "lvCache", "BitBtn1",
             "BitBtn2", "btnKeepSites", "cbWipeTraces", "cbDeleteHistory"]
    seen = [s.focus()]
    for _ in order[1:]:
        s.key("Tab")
        deadline = time.monotonic() + 5
        while s.focus() == seen[-1] and time.monotonic() < deadline:
            time.sleep(0.05)
        seen.append(s.focus())
    check_equal(seen, order, "Tab order")
    s.screenshot("TabOrder")
    s.close_with("Escape")
    return "", None


def case_radio_arrows(s, ini):
    def state():
        rows = {row[0]: row for row in s.table("dump")}
        return tuple(rows[name][column] for name, column in [
            ("rbDeleteHistoryAll", 7), ("rbDeleteHistoryMask", 7), ("edtHistoryMask", 6)])
    soon(s.focus, "cbDeleteHistory", "focus")
    s.key("Tab")
    soon(s.focus, "rbDeleteHistoryAll", "Tab enters the group at its checked button")
    check_equal(state(), ("1", "0", "0"), "all links checked, mask box disabled")
    # An arrow key moves to the other button of the group and checks it, which
    # runs its click handler; the group wraps around in both directions.
    for key, focus, expected in [("Right", "rbDeleteHistoryMask", ("0", "1", "1")),
                                 ("Right", "rbDeleteHistoryAll", ("1", "0", "0")),
                                 ("Up", "rbDeleteHistoryMask", ("0", "1", "1")),
                                 ("Left", "rbDeleteHistoryAll", ("1", "0", "0")),
                                 ("Down", "rbDeleteHistoryMask", ("0", "1", "1"))]:
        s.key(key)
        soon(s.focus, focus, f"focus after {key}")
        soon(state, expected, f"checked buttons and mask box after {key}")
    s.key("Tab")
    soon(s.focus, "edtHistoryMask", "Tab leaves the group for the enabled mask box")
    s.screenshot("RadioArrows")
    s.close_with("Return")
    return "http://*.*, Cookie:*.*, Visited:*.*", "DeleteHistoryType=1"


def case_enter_on_cancel(s, ini):
    soon(s.focus, "cbDeleteHistory", "focus")
    s.key("space")  # history off, which OK would save
    for name in ("cbWipeTraces", "btnKeepSites", "BitBtn2", "BitBtn1"):
        s.key("shift+Tab")
        soon(s.focus, name, "Shift+Tab goes back through the buttons")
    s.screenshot("EnterOnCancel")
    # Enter presses the focused push button, not the default one.
    s.close_with("Return")
    return "", None


def case_enter_saves(s, ini):
    soon(s.focus, "cbDeleteHistory", "focus")
    s.key("space")  # history off
    s.screenshot("EnterSaves")
    s.close_with("Return")
    return "http://*.*, Cookie:*.*", "DeleteHistory=0"


def case_escape_cancels(s, ini):
    s.key("space")
    s.close_with("Escape")
    return "", None


def case_close_box_cancels(s, ini):
    s.key("space")
    point = s.table("closebox")
    check(point, "the dialog has a close box")
    s.screenshot("CloseBoxCancels")
    s.xdotool("mousemove", point[0][0], point[0][1], "click", "1")
    return "", None


def refused_box(s, ini):
    """Presses OK with the history switched off while the INI file's folder
    does not exist: the box shows the store's message, the dialog stays."""
    soon(s.focus, "cbDeleteHistory", "focus")
    s.key("space")
    s.key("Return")
    box = s.wait_error_box()
    s.screenshot("RefusedSave")
    check(["text", f"Unable to write to {Wine.path(ini)}"] in box, f"error text: {box}")
    s.key("Return")
    s.wait_error_box(present=False)
    check_equal(s.ask("wait"), ["ready"], "the dialog stays open")
    rows = {row[0]: row for row in s.table("dump")}
    check_equal(rows["cbDeleteHistory"][7], "0", "the user's edit is kept")
    check(not ini.parent.exists(), "nothing written")


def case_refused_save(s, ini):
    refused_box(s, ini)
    ini.parent.mkdir()  # the cause fixed, OK again saves
    soon(s.focus, "cbDeleteHistory", "the focus back where it was")
    s.close_with("Return")
    return "http://*.*, Cookie:*.*", "DeleteHistory=0"


def case_refused_cancel(s, ini):
    refused_box(s, ini)
    s.close_with("Escape")
    return "", None


def case_added_while_open(s, ini):
    soon(lambda: urls(s.rows("lvCache")), expected_rows("http://", "*.*"), "lvCache")
    added = "http://fresh.example.com/new.htm"
    done = s.wine.run("nvguihost.exe", "add", added, "5")  # another process
    check_equal(done.stdout.strip(), "added", "the entry is in the cache")
    # Switching away and back reads the cache again; nothing is typed.
    check_equal(s.ask("reactivate"), ["active"], "the dialog active again")
    soon(lambda: urls(s.rows("lvCache")), sorted(expected_rows("http://", "*.*") + [added]),
         "the new entry listed")
    s.close_with("Escape")
    return "", None


def editor(s, present=True):
    """The editor of the sites to keep, once it is shown (or gone)."""
    for _ in range(100):
        answer = s.table("editor")
        if bool(answer) == present:
            return answer
        time.sleep(0.05)
    raise Failure("the editor of the sites to keep " + ("does not open" if present else "stays"))


def captions(s, names):
    rows = {row[0]: row for row in s.table("dump")}
    return [rows[name][8] for name in names]


KEPT_LABELS = ["lblCacheKept", "lblCookiesKept", "lblHistoryKept"]
HTTP_ALL = expected_rows("http://", "*.*")


def press_button(s, name):
    """Clicks a button that ends the dialog (nothing more to ask then)."""
    x, y = s.table(f"screen {name}")[0]
    s.xdotool("mousemove", x, y, "click", "1")


def case_keep_sites(s, ini):
    before = ini.read_bytes() if ini.exists() else None
    soon(lambda: urls(s.rows("lvCookies")), expected_rows("Cookie:", "*.*"), "lvCookies")
    check_equal(captions(s, KEPT_LABELS), ["", "", ""], "nothing kept")
    s.click("btnKeepSites")
    check_equal(editor(s), [["Sites to keep", "420", "290", "0"]],
                "the editor, over the disabled dialog")
    check_places(s, EDITOR_LAYOUT)
    check_equal(s.rows("lvCookieSites"),
                [("news.example.com", "1", ""), ("shop.example.net", "1", "")],
                "the sites with cookies, sorted, with their counts")
    check_equal(s.rows("lvKeptSites"), [], "no site kept yet")
    soon(s.focus, "lvCookieSites", "focus in the editor")
    order = ["lvCookieSites", "btnKeep", "btnUnkeep", "lvKeptSites", "btnRemove", "edtSite",
             "btnAdd", "btnOk", "btnCancel", "lvCookieSites"]
    for name in order[1:]:
        s.key("Tab")
        soon(s.focus, name, "Tab through the editor")
    s.key("Down")  # the first site
    s.key("Tab")
    soon(s.focus, "btnKeep", "Tab to the move button")
    s.key("space")
    check_equal(s.rows("lvCookieSites"), [("shop.example.net", "1", "")], "moved from the left")
    check_equal(s.rows("lvKeptSites"), [("news.example.com", "", "")], "moved to the right")
    s.click("edtSite")
    s.type("www.example.com")
    s.click("btnAdd")
    check_equal(urls(s.rows("lvKeptSites")), ["news.example.com", "www.example.com"],
                "the typed name added")
    check_equal(captions(s, ["edtSite"]), [""], "the name box emptied")
    s.click("edtSite")
    s.type("bad/site")
    s.key("Return")  # OK takes the typed name first
    box = s.wait_error_box()
    check(["owner", "editor"] in box, f"the editor's error box: {box}")
    check(any(row[0] == "text" and row[1].startswith("'bad/site' is not a site name")
              for row in box), f"the box names the item: {box}")
    s.key("Return")
    s.wait_error_box(present=False)
    editor(s)
    soon(s.focus, "edtSite", "back in the name box")
    check_equal(s.table("caret edtSite")[0][0], "8", "the caret after the name")
    s.screenshot("KeepSitesEditor")
    s.key(*["BackSpace"] * 8)
    s.key("Return")  # OK with an empty box
    editor(s, present=False)
    soon(lambda: urls(s.rows("lvCookies")), ["Cookie:user@shop.example.net/"],
         "the kept site's cookie no longer listed")
    soon(lambda: urls(s.rows("lvCache")), ["http://news.example.org/story.htm"],
         "the kept sites' pages no longer listed")
    soon(lambda: s.rows("lvHistory"), [], "the kept sites' history no longer listed")
    check_equal(captions(s, KEPT_LABELS), ["2 kept", "1 kept", "2 kept"], "the kept counts")
    check((ini.read_bytes() if ini.exists() else None) == before,
          "the editor's OK saves nothing")
    s.screenshot("KeepSites")
    press_button(s, "BitBtn2")
    return ("http://*.*, Cookie:*.*, Visited:*.*",
            "KeepSites=news.example.com;www.example.com")


def case_keep_sites_cancelled(s, ini):
    soon(lambda: urls(s.rows("lvCache")), HTTP_ALL, "lvCache")
    s.click("btnKeepSites")
    editor(s)
    s.click("edtSite")
    s.type("example.com")
    s.click("btnAdd")
    check_equal(s.rows("lvCookieSites"), [("shop.example.net", "1", "")],
                "a kept site's cookies no longer offered")
    s.key("Escape")  # the editor's Cancel
    editor(s, present=False)
    check_equal(urls(s.rows("lvCache")), HTTP_ALL, "the editor's Cancel changes nothing")
    check_equal(captions(s, KEPT_LABELS), ["", "", ""], "nothing kept after Cancel")
    s.click("btnKeepSites")
    editor(s)
    check_equal(s.rows("lvKeptSites"), [], "the cancelled edit forgotten")
    s.click("lvCookieSites")  # the middle of the list: below its rows
    s.key("Home")
    s.click("btnKeep")
    check_equal(s.rows("lvKeptSites"), [("news.example.com", "", "")], "moved to the right")
    s.click("btnOk")
    editor(s, present=False)
    soon(lambda: captions(s, KEPT_LABELS), ["1 kept", "1 kept", "1 kept"], "the kept counts")
    s.close_with("Escape")  # the dialog's Cancel: nothing saved
    return "", None


def case_https_pages(s, ini):
    soon(lambda: urls(s.rows("lvCache")), HTTP_ALL, "lvCache")
    s.click("cbDeleteCacheHttps")
    secure = ("https://secure.example.net/login.htm", "512")
    soon(lambda: len(s.rows("lvCache")), len(HTTP_ALL) + 1, "the https page added")
    rows = s.rows("lvCache")
    check_equal(urls(rows[:-1]), HTTP_ALL, "the http pages first")
    check_equal((rows[-1][0], rows[-1][2]), secure, "then the https page")
    s.key("space")
    soon(lambda: urls(s.rows("lvCache")), HTTP_ALL, "the https page gone again")
    s.key("space")
    soon(lambda: len(s.rows("lvCache")), len(HTTP_ALL) + 1, "the https page back")
    s.screenshot("HttpsPages")
    s.close_with("Return")
    return "http://*.*, https://*.*, Cookie:*.*, Visited:*.*", "DeleteCacheHttps=1"


def wipe_box(s):
    return {row[0]: row for row in s.table("dump")}["cbWipeTraces"][7]


def case_wipe_traces(s, ini):
    """The box shows the stored WipeTraces; Shift+Tab from the first control
    reaches it (last in the tab order, after btnKeepSites); a change is
    saved on OK."""
    check_equal(wipe_box(s), "1", "checked as stored")
    soon(s.focus, "cbDeleteHistory", "focus")
    s.key("shift+Tab")
    soon(s.focus, "cbWipeTraces", "Shift+Tab from the first control")
    s.key("shift+Tab")
    soon(s.focus, "btnKeepSites", "the button of the sites to keep before it")
    s.key("Tab")
    soon(s.focus, "cbWipeTraces", "Tab from that button")
    s.key("space")
    soon(lambda: wipe_box(s), "0", "space clears it")
    s.screenshot("WipeTraces")
    s.close_with("Return")
    return "http://*.*, Cookie:*.*, Visited:*.*", "WipeTraces=0"


def case_wipe_traces_cancelled(s, ini):
    check_equal(wipe_box(s), "0", "clear without WipeTraces")
    s.click("cbWipeTraces")
    soon(lambda: wipe_box(s), "1", "a click on it checks it")
    s.close_with("Escape")
    return "", None


def case_stored_malformed_keep(s, ini):
    box = s.wait_error_box()
    check(["owner", "dialog"] in box, f"the dialog's error box: {box}")
    check(any(row[0] == "text" and row[1].startswith("'bad/site' is not a site name (item 2)")
              for row in box), f"the box names the item: {box}")
    s.key("Return")
    s.wait_error_box(present=False)
    for name in ("lvCache", "lvCookies", "lvHistory"):
        soon(lambda: s.rows(name), [], f"{name}: a clean with this list deletes nothing")
    check_equal(captions(s, KEPT_LABELS), ["", "", ""], "no kept counts")
    s.screenshot("StoredMalformedKeep")
    s.close_with("Escape")
    return "", None


BIG_CACHE = 3000  # http entries: a read of them takes Wine a second or more
READ_STARTS = 0.6  # s: an edit's read starts once the edits have paused for 0.3 s


def big_rows(mask):
    """The rows the big cache shows for "http://" + a mask of '*' and text."""
    pattern = ("http://" + mask).lower()
    return sum(1 for i in range(BIG_CACHE)
               if fnmatch.fnmatchcase(f"http://host{i % 50}.example.com/page{i}.htm", pattern))


def case_fills_after_shown(s, ini):
    soon(lambda: s.row_count("lvCache"), big_rows("*.*"), "lvCache filled", timeout=60)

    def timeline_now():
        return {row[0]: row[1:] for row in s.table("timeline")}

    # The watcher notes the rows at its next look, which may come after ours.
    soon(lambda: float(timeline_now()["lvCache"][0]) >= 0, True, "the timeline sees lvCache filled")
    timeline = timeline_now()
    ready, filled, seen = (float(timeline["ready"][0]), float(timeline["lvCache"][0]),
                           timeline["lvCache"][1])
    check(0 <= ready < filled, f"input taken at {ready} ms, before the list's rows at {filled} ms")
    check_equal(seen, "1", "the list showed the reading row while the cache was read")
    s.click("rbDeleteCacheMask")
    s.click("edtCacheMask")
    s.key("End")
    for typed in ["*.*4", "*.*"]:
        s.key("4") if typed.endswith("4") else s.key("BackSpace")
        soon(lambda: s.row_count("lvCache"), big_rows(typed), f"lvCache for {typed!r}")
    s.key("Home", "shift+End")
    s.type("*page29*")
    soon(lambda: s.row_count("lvCache"), big_rows("*page29*"), "typing refreshes the list")
    # A refill that brings the scroll bar, or takes it away, draws the frame.
    soon(lambda: scroll_bar_colours(s) - {WINDOW_WHITE} != set(), True,
         "lvCache's scroll bar drawn with its rows")
    s.type("x")
    soon(lambda: s.row_count("lvCache"), 0, "no row for '*page29*x'")
    soon(lambda: scroll_bar_colours(s), {WINDOW_WHITE}, "lvCache's scroll bar gone with its rows")
    s.key("BackSpace")
    soon(lambda: scroll_bar_colours(s) - {WINDOW_WHITE} != set(), True,
         "lvCache's scroll bar drawn again")
    s.close_with("Escape")
    return "", None


WINDOW_WHITE = "FFFFFF"


def scroll_bar_colours(s):
    """The colours where lvCache's vertical scroll bar stands when it has one:
    a strip at the right of its rows, below its column header."""
    shot = s.screenshot("ScrollBar")
    # 12 x 30 pixels whose right side is 3 pixels inside the list's sunken edge
    strip_centre = LAYOUT["lvCache"][2] // 2 - 3 - 6
    return s.colours(shot, "lvCache", 12, 30, offset=(strip_centre, 10))


def case_during_read(s, ini):
    """Four calls in one process over the big cache, each ended while a read
    of the cache is under way: OK, Cancel, Escape, the close box (after an
    error box). No thread or handle is left behind by any of them."""
    # 1: an error box (the process's first box sets up what the system
    # keeps for boxes), then OK right after a keystroke, which starts a read.
    soon(lambda: s.row_count("lvCache"), 0, "the first read (mask 'http://')", timeout=60)
    s.click("edtCacheMask")
    s.type("[")
    s.wait_error_box()
    s.key("Return")
    s.wait_error_box(present=False)
    s.key("BackSpace")
    s.click("cbDeleteHistory")
    s.click("edtCacheMask")
    s.key("End", "KP_Multiply")
    time.sleep(READ_STARTS)
    s.close_with("Return")
    # 2: Cancel clicked during the first read.
    check_equal(s.ask("wait"), ["ready"], "the second dialog")
    x, y = s.table("screen BitBtn1")[0]
    s.xdotool("mousemove", x, y, "click", "1")
    # 3: Escape after a keystroke.
    check_equal(s.ask("wait"), ["ready"], "the third dialog")
    s.click("edtCacheMask")
    s.key("End", "KP_Multiply")
    time.sleep(READ_STARTS)
    s.close_with("Escape")
    # 4: the error box while a read runs (the edit starts one), then the
    # close box during it.
    check_equal(s.ask("wait"), ["ready"], "the fourth dialog")
    soon(lambda: s.row_count("lvCache"), BIG_CACHE, "the first read", timeout=60)
    s.click("edtCacheMask")
    s.key("End")
    s.type("[")
    box = s.wait_error_box()
    check(["text", "'http://*[' is an invalid mask at (10)"] in box, f"error text: {box}")
    s.key("Return")
    s.wait_error_box(present=False)
    time.sleep(READ_STARTS)
    point = s.table("closebox")
    s.xdotool("mousemove", point[0][0], point[0][1], "click", "1")
    return "", "DeleteHistory=0", "true"


CASES = {
    # name: (function, INI lines or None for no file, options)
    "Layout": (case_layout, None, {}),
    "Lists": (case_lists, ["DeleteCacheType=1", "CacheMask=*news*", "DeleteCookiesType=0",
                           "CookiesMask=*shop*"], {}),
    "RadioLists": (case_radio_lists, ["DeleteCacheType=0", "CacheMask=*news*",
                                      "DeleteCookiesType=1", "CookiesMask=*shop*",
                                      "DeleteHistoryType=2", "HistoryMask=*www*"], {}),
    "Typing": (case_typing, ["DeleteCacheType=1", "CacheMask="], {}),
    "MalformedTyped": (case_malformed_typed, ["DeleteCacheType=1", "CacheMask="], {}),
    "EnterClosesErrorBox": (case_enter_closes_error_box,
                            ["DeleteCookiesType=1", "CookiesMask=*shop*", "DeleteHistoryType=1",
                             "HistoryMask=*www*"], {}),
    "SentKeysCloseErrorBox": (case_sent_keys_close_error_box,
                              ["DeleteCacheType=1", "CacheMask="], {}),
    "StoredMalformed": (case_stored_malformed, ["DeleteCacheType=1", "CacheMask=[",
                                                "DeleteCookiesType=0", "CookiesMask=[",
                                                "DeleteHistoryType=2", "HistoryMask=*[a-"], {}),
    "TabOrder": (case_tab_order, ["DeleteHistoryType=1"], {}),
    "RadioArrows": (case_radio_arrows, None, {}),
    "EnterOnCancel": (case_enter_on_cancel, None, {}),
    "EnterSaves": (case_enter_saves, None, {}),
    "EscapeCancels": (case_escape_cancels, ["DeleteCache=1"], {}),
    "CloseBoxCancels": (case_close_box_cancels, ["DeleteCookies=0"], {}),
    "RefusedSave": (case_refused_save, None, {"missing_folder": True}),
    "RefusedCancel": (case_refused_cancel, None, {"missing_folder": True}),
    "AddedWhileOpen": (case_added_while_open, None, {}),
    "FillsAfterShown": (case_fills_after_shown, None, {"big": True}),
    "KeepSites": (case_keep_sites, None, {}),
    "KeepSitesCancelled": (case_keep_sites_cancelled, None, {}),
    "HttpsPages": (case_https_pages, None, {}),
    "WipeTraces": (case_wipe_traces, ["WipeTraces=1"], {}),
    "WipeTracesCancelled": (case_wipe_traces_cancelled, ["DeleteCookies=0"], {}),
    "StoredMalformedKeep": (case_stored_malformed_keep, ["KeepSites=news.example.com;bad/site"],
                            {}),
    "DuringRead": (case_during_read, ["DeleteCacheType=1", "CacheMask="],
                   {"big": True, "calls": 4, "watch": False}),
}


def run_seeding(wine, *args, timeout=180):
    """Runs nvguihost's seeding; fails with its exit status and output.

    Seeding only prepares the cache a case looks at. A seeding program that
    ends before it writes a word (seen once on a loaded machine, in a fifth
    of a second) is run once more, with Wine's own messages on, and the
    first attempt is reported on standard error (ctest keeps it in its log)."""
    done = wine.run("nvguihost.exe", *args, timeout=timeout)
    if done.returncode != 0 and not done.stdout and not done.stderr:
        print(f"seeding ended at once with exit status {done.returncode}; once more, "
              "with Wine's messages", file=sys.stderr)
        wine_messages = Wine(wine.build, wine.env["DISPLAY"])
        wine_messages.env["WINEDEBUG"] = "err+all,fixme-all"
        done = wine_messages.run("nvguihost.exe", *args, timeout=timeout)
    check(done.returncode == 0,
          f"seeding failed (exit status {done.returncode}): {done.stdout}{done.stderr}")


def seed(wine, work):
    seed_file = work / "seed.txt"
    seed_file.write_text("".join(f"{url}\t{size}\n" for url, size in SEED))
    run_seeding(wine, "seed", Wine.path(seed_file))


def seed_big(wine):
    run_seeding(wine, "seed-many", str(BIG_CACHE), timeout=600)


def handle_changes(text):
    """{type: (before, after)} from nvguihost's "Event 4->5 +a8 Key 20->23 ..."."""
    return {kind: (int(before), int(after))
            for kind, before, after in re.findall(r"(\S+) (\d+)->(\d+)", text)}


def check_nothing_left(answer, calls, watch):
    """Each call ends with the threads it began with; from the second call on
    (the first sets up what the system keeps for the process) the handles
    too, unless the timeline's watcher was talking to the dialog.

    One event may come once after the first call: the thread library in the
    DLL gives a thread an event of its own the first time the thread waits on
    a lock another holds, and keeps it for the thread's life. The host's
    thread gets it in the call where it first met the dialog's reader on a
    lock, whichever that is (before the first call, in it, in a later one or
    never); a handle the calls leave behind grows with the calls."""
    events_gained = 0
    for call in range(1, calls + 1):
        before, after = answer.get(f"threads{call}", "?\t!").split("\t")
        check_equal(after, before, f"threads after call {call}")
        if watch:
            continue
        handles = answer.get(f"handles{call}")
        check(handles is not None, f"no handles reported for call {call}")
        changes = handle_changes(handles)
        events_before, events_after = changes.pop("Event", (0, 0))
        if call > 1:
            events_gained += events_after - events_before
            check(not changes and events_after >= events_before,
                  f"handles after call {call} changed: {handles}")
    check(events_gained <= 1, f"{events_gained} event handles left by calls 2 to {calls}: " +
          "; ".join(answer.get(f"handles{call}", "?") for call in range(1, calls + 1)))


def run_case(build, name, display_name=None):
    function, ini_lines, options = CASES[name]
    calls, watch = options.get("calls", 1), options.get("watch", True)
    work = pathlib.Path(build).resolve() / "gui-work"
    work.mkdir(exist_ok=True)
    ini = work / f"{name}.ini"
    if options.get("missing_folder"):
        ini = work / f"{name}-missing" / "norvane.ini"
        shutil.rmtree(ini.parent, ignore_errors=True)
    else:
        write_ini(ini, ini_lines)
    before = ini.read_bytes() if ini.exists() else None
    display = Display(int(display_name.lstrip(":"))) if display_name else Display.shared(build)
    try:
        wine = Wine(build, display.name)
        wine.unmanaged_windows()
        if options.get("big"):
            seed_big(wine)
        else:
            seed(wine, work)
        session = Session(wine, ini, work / f"{name}.stderr", calls, watch)
        try:
            want_text, want_line, *want_result = function(session, ini)
            answer = session.finish()
        finally:
            session.kill()
        check_equal(answer.get("result"), (want_result or ["true"])[0], "GetConfigString's result")
        check_equal(answer.get("text"), f"[{want_text}]", "the host's text")
        check_equal(answer.get("enabled"), "1", "host window enabled again")
        check_equal(answer.get("active"), "1", "host window active again")
        check_nothing_left(answer, calls, watch)
        after = ini.read_bytes() if ini.exists() else None
        if want_line is None:
            check(after == before, "Cancel leaves the INI file untouched")
        else:
            check(after is not None and want_line.encode() in after.split(b"\r\n"),
                  f"saved {want_line}: {after!r}")
    finally:
        display.stop()


def demo(build, shot, display_name):
    """Shows the dialog on the user's display, or under Xvfb with a screenshot."""
    work = pathlib.Path(build).resolve() / "gui-work"
    work.mkdir(exist_ok=True)
    ini = work / "demo.ini"
    own = None
    if not display_name:
        own = Display()
        display_name = own.name
    try:
        wine = Wine(build, display_name)
        seed(wine, work)
        if own:
            write_ini(ini, None)  # the defaults, every list filled
            wine.unmanaged_windows()
            session = Session(wine, ini, work / "demo.stderr")
            # The pointer starts at the screen's centre, over a list's header:
            # move it onto the dialog's title panel so no column is lit.
            x, y = session.table("screen Label4")[0]
            session.xdotool("mousemove", str(int(x) + 150), y)
            time.sleep(1)  # the header notices the pointer has left on a timer
            shot_file = session.screenshot("demo", crop=True)
            if shot:
                pathlib.Path(shot).write_bytes(shot_file.read_bytes())
            print(f"screenshot: {shot or shot_file}")
            session.close_with("Escape")
            answer = session.finish()
            session.kill()
        else:
            done = wine.run("plughost.exe", "config", "IENorvane.dll", Wine.path(ini), SECTION,
                            timeout=3600)
            print(done.stdout, end="")
            return
        print(f"text: {answer.get('text')}  result: {answer.get('result')}")
    finally:
        if own:
            subprocess.run(["wineserver", "-w"], env=dict(
                os.environ, DISPLAY=display_name,
                WINEPREFIX=prefix_of(build)),
                capture_output=True, timeout=120)
            own.stop()


def start_display(build):
    """ctest's fixture: one Xvfb for every GUI test of the build folder.

    ctest lists the Wine test program's cases (under Wine) before any test
    runs, with no display: the prefix's desktop process that listing starts
    has no display either, and no program that shares its wineserver can
    then create a window. The fixture runs before every test that runs
    Wine, so ending that wineserver here lets the first of them start a
    desktop on this display."""
    display = Display(detached=True)
    (pathlib.Path(build).resolve() / "gui-display").write_text(
        f"{display.name} {display.process.pid}\n")
    if pathlib.Path(prefix_of(build)).is_dir():
        env = dict(os.environ, WINEPREFIX=prefix_of(build))
        subprocess.run(["wineserver", "-k"], env=env, capture_output=True, timeout=60)
        subprocess.run(["wineserver", "-w"], env=env, capture_output=True, timeout=60)


def stop_display(build):
    record = pathlib.Path(build).resolve() / "gui-display"
    if not record.exists():
        return
    name, pid = record.read_text().split()
    # Let the prefix's programs end while their display is still there.
    env = dict(os.environ, DISPLAY=name,
               WINEPREFIX=prefix_of(build))
    try:  # other tests of the run may still use the prefix: do not wait for ever
        subprocess.run(["wineserver", "-w"], env=env, timeout=120, capture_output=True)
    except subprocess.TimeoutExpired:
        pass
    try:
        os.kill(int(pid), 15)
    except ProcessLookupError:
        pass
    record.unlink()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--case", choices=sorted(CASES))
    parser.add_argument("--demo", action="store_true")
    parser.add_argument("--shot")
    parser.add_argument("--display")
    parser.add_argument("--start-display", action="store_true")
    parser.add_argument("--stop-display", action="store_true")
    args = parser.parse_args()
    try:
        if args.start_display:
            start_display(args.build)
        elif args.stop_display:
            stop_display(args.build)
        elif args.demo:
            demo(args.build, args.shot, args.display)
        else:
            if not args.case:
                parser.error("--case, --demo, --start-display or --stop-display")
            run_case(args.build, args.case, args.display)
            print(f"Gui.{args.case}: passed")
    except Failure as failure:
        print(f"Gui.{args.case or 'demo'}: FAILED: {failure}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
