#!/usr/bin/python3
"""Random user actions against the running program, looking for crashes and hangs.

Runs as root beside an X server with a window manager; starts the program as
the unprivileged user through the command given in --launch (a JSON list), and
starts it again whenever it ends by a Quit. Clicks, double clicks, keys, drags,
hostile pastes, close requests through the window manager and answers to
message boxes, all from one seeded random sequence. It also opens the server
monitor against a hostile stand-in server (started with --hostile-server and
started again whenever it ends) and presses its buttons, and drives the install
window against a SteamCMD stand-in (--steamcmd), which it now and then kills
mid-run.

Fails (exit code 1) when the program ends with a non-zero code or a sanitizer
report, or leaves a _NET_WM_PING unanswered for longer than the hang limit.
On failure it prints the seed and the last actions. Always prints how often
each control was hit.
"""
import argparse
import collections
import ctypes
import glob
import json
import os
import platform
import random
import signal
import subprocess
import sys
import time

from Xlib import X, XK, Xatom, display, error
from Xlib.ext import xtest
from Xlib.protocol import event

HANG_LIMIT_S = 5.0
PING_EVERY_S = 0.5
HISTORY = 50
PING_BASE = 0x7E000000  # our ping stamps; the window manager's own pings differ

HOSTILE_TEXTS = {
    "line-breaks": 'a\nrcon_password "x"\nz',
    "cr-lf": "first\r\nsecond\rthird",
    "long": "".join(chr(ord("a") + i % 26) for i in range(10000)),
    "outside-1252": "\u0100\u4e2d\u6587\U0001f600\u0081\u008d\u2603",
    "nul": "before\x00after",
    "quotes-tabs": '"\t"\\\t;exec evil.cfg',
}

# Controls worth more clicks than labels and backgrounds.
BUTTON_PREFIXES = ("Command", "RockOn", "Picture", "picTrash", "SSTab1.tab", "Combo1", "List1", "List2", "Drive1",
                   "Dir1", "File1")
ACCESS_KEYS = "abcdefghijklmnopqrstuvwxyz"

# What is typed on the monitor's console and in its message field.
CONSOLE_TEXTS = ["status", "stats", "users", "cvarlist", "maps *", "changelevel well", "changelevel nosuchmap",
                 "kick \"#2\"", "say \x1b[2J\x1b]0;title\x07", "echo <b>bold</b><img src=x>", "log on",
                 "logaddress_add 127.0.0.1 1", "a" * 600, "status; status; status", "mp_timelimit nan"]
MONITOR_BUTTONS = {"ChangeMap": 3, "Say": 3, "Kick": 3, "RestartServer": 2, "WarnAndStop": 2, "UpdateServer": 2,
                   "ConsoleInput": 5, "SayText": 2, "MapChoice": 2, "Players": 3, "LogFilter": 1, "LogView": 1,
                   "PlayersAndRules": 2}
INSTALL_BUTTONS = {"cmdInstall": 10, "cmdCancel": 4, "cmdClose": 3, "cmdShowOutput": 2, "cmdUseLocation": 1,
                   "txtOutput": 1}


class ControlMap:
    """Named controls of each window at each tab, from quorvane_control_map's output."""

    def __init__(self, text):
        self.controls = collections.defaultdict(list)  # (window, tab) -> [(name, x, y, w, h)]
        self.sizes = {}
        for line in text.splitlines():
            window, tab, name, x, y, w, h = line.split()
            key = (window, int(tab))
            if name == "-":
                self.sizes[window] = (int(w), int(h))
            else:
                self.controls[key].append((name, int(x), int(y), int(w), int(h)))

    def at(self, window, tab, x, y):
        """The smallest control holding the point, or the window itself."""
        best = None
        for name, cx, cy, cw, ch in self.controls.get((window, tab), []):
            if name.startswith("qt_"):
                continue
            if cx <= x < cx + cw and cy <= y < cy + ch and (best is None or cw * ch < best[1]):
                best = (name, cw * ch)
        return best[0] if best else "(window)"

    def pick(self, rng, window, tab, button_weight=4.0):
        entries = [e for e in self.controls.get((window, tab), []) if not e[0].startswith("qt_")]
        if not entries:
            return None
        weights = [button_weight if name.startswith(BUTTON_PREFIXES)
                   else 0.4 if name.startswith(("Label", "lblLabels", "Image")) else 1.0 for name, *_ in entries]
        return rng.choices(entries, weights)[0]

    def find(self, window, tab, name):
        for entry in self.controls.get((window, tab), []):
            if entry[0] == name:
                return entry
        return None


class Finding(Exception):
    pass


class Hang(Finding):
    pass


class Monkey:
    def __init__(self, args, controls):
        self.args = args
        self.controls = controls
        self.rng = random.Random(args.seed)
        self.d = display.Display()
        self.d.set_error_handler(lambda *a, **k: None)  # windows vanish under our feet
        self.root = self.d.screen().root
        # Qt answers a ping on the root window with StructureNotify in the mask.
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask | X.StructureNotifyMask)
        self.atom = lambda name: self.d.intern_atom(name)
        self.owner = self.root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        self.clip_text = ""
        self.history = collections.deque(maxlen=HISTORY)
        self.hits = collections.Counter()
        self.kinds = collections.Counter()
        self.proc = None
        self.starts = 0
        self.pings = {}  # stamp -> (window id, time sent)
        self.next_stamp = PING_BASE
        self.last_ping = 0.0
        self.tab = 2
        self.seen_main = False
        self.start_time = time.monotonic()
        self.findings = []  # (what, the actions before it)
        self.reported = set()
        self.server = None  # the hostile stand-in server
        self.server_starts = 0

    # ----- the program's life -----
    def log(self, text):
        self.history.append("%7.2f %s" % (time.monotonic() - self.start_time, text))

    def launch(self):
        launch = json.loads(self.args.launch)
        self.proc = subprocess.Popen(launch, stdin=subprocess.DEVNULL, stdout=self.args.program_log,
                                     stderr=subprocess.STDOUT, cwd="/")
        self.starts += 1
        self.tab = 2
        self.seen_main = False
        self.pings.clear()
        self.log("start program (pid %d)" % self.proc.pid)

    def keep_server(self):
        """The hostile stand-in server, started again when it has ended."""
        if not self.args.hostile_server or (self.server and self.server.poll() is None):
            return
        if self.server:
            self.log("hostile server ended with %s" % describe_exit(self.server.returncode))
        self.server = subprocess.Popen(json.loads(self.args.hostile_server), stdin=subprocess.DEVNULL,
                                       stdout=self.args.program_log, stderr=subprocess.STDOUT,
                                       cwd=self.args.server_dir or "/")
        self.server_starts += 1
        self.log("start hostile server (pid %d)" % self.server.pid)

    def stop_server(self):
        if self.server and self.server.poll() is None:
            self.server.kill()
            self.server.wait()

    def check_sanitizer(self):
        reports = [p for p in glob.glob(self.args.sanitizer_log + ".*")
                   if os.path.getsize(p) > 0 and p not in self.reported]
        if reports:
            self.reported.update(reports)
            # The report is still being written while the program runs; it ends the program.
            try:
                self.proc.wait(30)
            except subprocess.TimeoutExpired:
                pass
            raise Finding("sanitizer report in %s" % ", ".join(reports))

    def check_program(self):
        self.check_sanitizer()
        rc = self.proc.poll()
        if rc is None:
            return
        self.log("program ended with %d" % rc)
        time.sleep(0.3)
        self.check_sanitizer()
        if rc != 0:
            raise Finding("the program ended with %s" % describe_exit(rc))
        self.launch()

    def abort_for_stack(self):
        """Aborts the program's main thread: the sanitizer then writes where it was stuck."""
        if self.proc.poll() is not None:
            return
        tgkill = {"x86_64": 234, "aarch64": 131}.get(platform.machine())
        if tgkill is None:
            os.kill(self.proc.pid, signal.SIGABRT)
        else:
            ctypes.CDLL(None, use_errno=True).syscall(tgkill, self.proc.pid, self.proc.pid, signal.SIGABRT)
        try:
            self.proc.wait(30)
        except subprocess.TimeoutExpired:
            pass
        self.reported.update(glob.glob(self.args.sanitizer_log + ".*"))

    def stop_program(self):
        if self.proc and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    # ----- windows -----
    def windows(self):
        """The program's managed windows: (window, kind, x, y, w, h) with root coordinates."""
        if self.proc is None:
            return []
        prop = self.root.get_full_property(self.atom("_NET_CLIENT_LIST"), Xatom.WINDOW)
        found = []
        for wid in (prop.value if prop else []):
            w = self.d.create_resource_object("window", wid)
            try:
                pid = w.get_full_property(self.atom("_NET_WM_PID"), Xatom.CARDINAL)
                if not pid or pid.value[0] != self.proc.pid:
                    continue
                attrs = w.get_attributes()
                if attrs.map_state != X.IsViewable:
                    continue
                geo = w.get_geometry()
                pos = w.translate_coords(self.root, 0, 0)
                name = self.title(w)
                types = w.get_full_property(self.atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM)
                dialog = w.get_wm_transient_for() is not None or (
                    types is not None and self.atom("_NET_WM_WINDOW_TYPE_DIALOG") in types.value)
            except error.XError:
                continue
            kind = self.kind_of(name, dialog, geo.width, geo.height)
            found.append((w, kind, -pos.x, -pos.y, geo.width, geo.height))
        return found

    def title(self, w):
        """The window's title: the UTF-8 one the program sets, else the old Latin-1 one."""
        net = w.get_full_property(self.atom("_NET_WM_NAME"), self.atom("UTF8_STRING"))
        if net is not None:
            value = net.value
            return value.decode("utf-8", "replace") if isinstance(value, bytes) else str(value)
        name = w.get_wm_name() or ""
        return name.decode("latin-1") if isinstance(name, bytes) else name

    def kind_of(self, name, dialog, width, height):
        # The monitor belongs to the main window, so the window manager sees it as transient.
        if name.startswith("Server Monitor"):
            return "ServerMonitor"
        if name == "Install or update the server":
            return "InstallServer"
        if dialog:
            return "message box"
        if name == "Locate HLDS.EXE File":
            return "LocateFile"
        if name == "Locate HLDS.exe File":
            return "LocateFile2"
        if name == "Quorvane" and self.controls.sizes.get("MainForm") == (width, height):
            self.seen_main = True
            return "MainForm"
        for window in ("StartButton", "Intro"):
            if self.controls.sizes.get(window) == (width, height):
                return "bye" if window == "Intro" and self.seen_main else window
        return "window %dx%d" % (width, height)

    # ----- answering: pings and the clipboard -----
    def ping(self, windows):
        now = time.monotonic()
        if now - self.last_ping < PING_EVERY_S:
            return
        self.last_ping = now
        protocols = self.atom("WM_PROTOCOLS")
        net_ping = self.atom("_NET_WM_PING")
        for w, *_ in windows:
            try:
                supported = w.get_wm_protocols() or []
            except error.XError:
                continue
            if net_ping not in supported:
                continue
            stamp = self.next_stamp
            self.next_stamp += 1
            ev = event.ClientMessage(window=w, client_type=protocols, data=(32, [net_ping, stamp, w.id, 0, 0]))
            w.send_event(ev, event_mask=0)
            self.pings[stamp] = (w.id, now)
        self.d.flush()

    def pump(self):
        while self.d.pending_events():
            ev = self.d.next_event()
            if ev.type == X.ClientMessage and ev.window == self.root:
                fmt, data = ev.data
                if fmt == 32 and data[0] == self.atom("_NET_WM_PING") and data[1] in self.pings:
                    # The client answers in order: everything before this one is answered too.
                    for stamp in [s for s in self.pings if s <= data[1]]:
                        del self.pings[stamp]
            elif ev.type == X.DestroyNotify:
                for stamp in [s for s, (wid, _) in self.pings.items() if wid == ev.window.id]:
                    del self.pings[stamp]
            elif ev.type == X.SelectionRequest:
                self.answer_selection(ev)

    def check_answering(self, windows):
        alive = {w.id for w, *_ in windows}
        now = time.monotonic()
        for stamp, (wid, sent) in list(self.pings.items()):
            if wid not in alive:
                del self.pings[stamp]
            elif now - sent > HANG_LIMIT_S:
                raise Hang("the program did not answer a ping to window 0x%x for %.1f s" % (wid, now - sent))

    def answer_selection(self, req):
        targets, utf8 = self.atom("TARGETS"), self.atom("UTF8_STRING")
        plain = self.atom("text/plain;charset=utf-8")
        prop = req.property if req.property != X.NONE else req.target
        if req.target == targets:
            req.requestor.change_property(prop, Xatom.ATOM, 32, [targets, utf8, plain, Xatom.STRING])
        elif req.target in (utf8, plain):
            req.requestor.change_property(prop, req.target, 8, self.clip_text.encode("utf-8", "surrogatepass"))
        elif req.target == Xatom.STRING:
            req.requestor.change_property(prop, Xatom.STRING, 8, self.clip_text.encode("latin-1", "replace"))
        else:
            prop = X.NONE
        notify = event.SelectionNotify(time=req.time, requestor=req.requestor, selection=req.selection,
                                       target=req.target, property=prop)
        req.requestor.send_event(notify)
        self.d.flush()

    def wait(self, seconds):
        """Lets time pass while answering the clipboard and pings."""
        end = time.monotonic() + seconds
        while True:
            self.pump()
            left = end - time.monotonic()
            if left <= 0:
                return
            time.sleep(min(left, 0.01))

    # ----- input -----
    def keycode(self, name):
        return self.d.keysym_to_keycode(XK.string_to_keysym(name))

    def key(self, *names):
        codes = [self.keycode(n) for n in names]
        for c in codes:
            xtest.fake_input(self.d, X.KeyPress, c)
        for c in reversed(codes):
            xtest.fake_input(self.d, X.KeyRelease, c)
        self.d.flush()
        self.wait(0.02)

    def move(self, x, y):
        xtest.fake_input(self.d, X.MotionNotify, x=int(x), y=int(y))
        self.d.flush()

    def click(self, x, y, count=1):
        self.move(x, y)
        self.wait(0.01)
        for _ in range(count):
            xtest.fake_input(self.d, X.ButtonPress, 1)
            xtest.fake_input(self.d, X.ButtonRelease, 1)
            self.d.flush()
            self.wait(0.03)

    def drag(self, x0, y0, x1, y1):
        self.move(x0, y0)
        self.wait(0.02)
        xtest.fake_input(self.d, X.ButtonPress, 1)
        self.d.flush()
        steps = 12
        for i in range(1, steps + 1):
            self.move(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps)
            self.wait(0.03)
        xtest.fake_input(self.d, X.ButtonRelease, 1)
        self.d.flush()
        self.wait(0.05)

    # ----- actions -----
    def note_hit(self, kind, x, y, wx, wy):
        tab = self.tab if kind == "MainForm" else -1
        name = self.controls.at(kind, tab, x - wx, y - wy)
        if kind == "MainForm" and name.startswith("SSTab1.tab"):
            self.tab = int(name[len("SSTab1.tab"):])
        self.hits["%s.%s" % (kind, name)] += 1
        return name

    def target(self, windows, button_weight):
        """A random point in a random window, mostly on one of its controls."""
        w, kind, wx, wy, ww, wh = self.rng.choice(windows)
        tab = self.tab if kind == "MainForm" else -1
        entry = self.controls.pick(self.rng, kind, tab, button_weight) if self.rng.random() < 0.75 else None
        if entry:
            _, cx, cy, cw, ch = entry
            x = wx + cx + self.rng.randrange(max(cw, 1))
            y = wy + cy + self.rng.randrange(max(ch, 1))
        else:
            x, y = wx + self.rng.randrange(max(ww, 1)), wy + self.rng.randrange(max(wh, 1))
        return kind, wx, wy, x, y

    def act_click(self, windows, count):
        # A hurried double click lands on a button more often than anywhere else.
        kind, wx, wy, x, y = self.target(windows, 4.0 if count == 1 else 12.0)
        name = self.note_hit(kind, x, y, wx, wy)
        self.log("%s %s.%s at %d,%d" % ("double-click" if count == 2 else "click", kind, name, x, y))
        self.click(x, y, count)

    def act_key(self):
        choice = self.rng.choice(["alt", "alt", "Tab", "Return", "Escape", "Delete", "ctrl-tab", "ctrl-shift-tab",
                                  "space", "letter", "alt-f4"])
        if choice == "alt":
            letter = self.rng.choice(ACCESS_KEYS)
            self.log("key Alt+%s" % letter)
            self.key("Alt_L", letter)
        elif choice == "ctrl-tab":
            self.log("key Ctrl+Tab")
            self.tab = (self.tab + 1) % 3
            self.key("Control_L", "Tab")
        elif choice == "ctrl-shift-tab":
            self.log("key Ctrl+Shift+Tab")
            self.tab = (self.tab + 2) % 3
            self.key("Control_L", "Shift_L", "Tab")
        elif choice == "letter":
            letter = self.rng.choice(ACCESS_KEYS)
            self.log("key %s" % letter)
            self.key(letter)
        elif choice == "alt-f4":
            self.log("key Alt+F4 (close request through the window manager)")
            self.key("Alt_L", "F4")
        else:
            self.log("key %s" % choice)
            self.key(choice)

    def act_drag(self, windows):
        main = [w for w in windows if w[1] == "MainForm"]
        if not main:
            return self.act_click(windows, 1)
        _, kind, wx, wy, _, _ = main[0]
        if self.tab != 2:
            header = self.controls.find("MainForm", self.tab, "SSTab1.tab2")
            if header:
                self.click(wx + header[1] + header[3] // 2, wy + header[2] + header[4] // 2)
                self.hits["MainForm.SSTab1.tab2"] += 1
                self.tab = 2
        source, goal = self.rng.choice([("List2", "List1"), ("List1", "picTrash"), ("List1", "List1"),
                                        ("List2", "picTrash")])
        s = self.controls.find("MainForm", 2, source)
        g = self.controls.find("MainForm", 2, goal)
        if not s or not g:
            return None
        x0 = wx + s[1] + 8 + self.rng.randrange(max(s[3] - 16, 1))
        y0 = wy + s[2] + 6 + 18 * self.rng.randrange(max(s[4] // 18 - 1, 1))
        x1 = wx + g[1] + self.rng.randrange(max(g[3], 1))
        y1 = wy + g[2] + self.rng.randrange(max(g[4], 1))
        self.hits["MainForm.%s" % source] += 1
        self.hits["MainForm.%s" % goal] += 1
        self.log("drag MainForm.%s %d,%d -> MainForm.%s %d,%d" % (source, x0, y0, goal, x1, y1))
        self.drag(x0, y0, x1, y1)
        return None

    def act_paste(self, windows):
        name = self.rng.choice(sorted(HOSTILE_TEXTS))
        self.clip_text = HOSTILE_TEXTS[name]
        self.owner.set_selection_owner(self.atom("CLIPBOARD"), X.CurrentTime)
        self.d.flush()
        fields = [w for w in windows if w[1] == "MainForm"]
        if fields:
            _, kind, wx, wy, _, _ = fields[0]
            text_fields = [c for c in self.controls.controls.get(("MainForm", self.tab), [])
                           if not c[0].startswith(("Label", "lblLabels", "Image", "Command", "SSTab1", "Picture"))]
            if text_fields:
                c = self.rng.choice(text_fields)
                x, y = wx + c[1] + c[3] // 2, wy + c[2] + c[4] // 2
                self.note_hit(kind, x, y, wx, wy)
                self.log("click MainForm.%s at %d,%d" % (c[0], x, y))
                self.click(x, y)
        self.log("paste %s text (Ctrl+V)" % name)
        self.key("Control_L", "v")
        self.wait(0.1)

    def act_close(self, windows):
        w, kind, *_ = self.rng.choice(windows)
        self.log("close request to %s through the window manager (wmctrl -c)" % kind)
        subprocess.run(["wmctrl", "-i", "-c", "0x%x" % w.id], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=10, check=False)

    def act_answer(self, boxes):
        w, kind, wx, wy, ww, wh = self.rng.choice(boxes)
        choice = self.rng.choice(["Return", "Escape", "space", "y", "n", "click", "click"])
        if choice == "click":
            x, y = wx + self.rng.randrange(max(ww, 1)), wy + wh - 1 - self.rng.randrange(max(wh // 3, 1))
            self.hits["message box"] += 1
            self.log("click message box at %d,%d" % (x, y))
            self.click(x, y)
        else:
            self.hits["message box"] += 1
            self.log("answer message box with %s" % choice)
            self.click(wx + ww // 2, wy + 4)  # its title area gives it the focus
            self.key(choice)

    def press(self, window, name, how="click"):
        """Clicks the centre of a named control of a window from the map."""
        w, kind, wx, wy, ww, wh = window
        entry = self.controls.find(kind, -1, name)
        if not entry:
            return False
        _, cx, cy, cw, ch = entry
        # These windows grow (the output shown, a size kept from last time): the lower half keeps to the bottom.
        mw, mh = self.controls.sizes.get(kind, (ww, wh))
        if cy > mh // 2:
            cy += wh - mh
        x, y = wx + cx + cw // 2, wy + cy + ch // 2
        self.hits["%s.%s" % (kind, name)] += 1
        self.log("%s %s.%s at %d,%d" % (how, kind, name, x, y))
        self.click(x, y, 2 if how == "double-click" else 1)
        return True

    def type_text(self, text):
        """Types through the clipboard: one paste, whatever the characters."""
        self.clip_text = text
        self.owner.set_selection_owner(self.atom("CLIPBOARD"), X.CurrentTime)
        self.d.flush()
        self.log("paste %r (Ctrl+V)" % text[:40])
        self.key("Control_L", "v")
        self.wait(0.05)

    def open_monitor(self, windows):
        main = [w for w in windows if w[1] == "MainForm"]
        if not main:
            return False
        if self.rng.random() < 0.5 and self.press(main[0], "StatusLine"):
            return True
        self.log("key Alt+O on the main window")
        subprocess.run(["wmctrl", "-i", "-a", "0x%x" % main[0][0].id], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=10, check=False)
        self.wait(0.05)
        self.hits["MainForm.Alt+O"] += 1
        self.key("Alt_L", "o")
        return True

    def act_monitor(self, windows):
        monitors = [w for w in windows if w[1] == "ServerMonitor"]
        if not monitors or self.rng.random() < 0.15:
            return self.open_monitor(windows)
        window = monitors[0]
        names = sorted(MONITOR_BUTTONS)
        name = self.rng.choices(names, [MONITOR_BUTTONS[n] for n in names])[0]
        if name in ("ConsoleInput", "SayText"):
            if self.press(window, name):
                self.type_text(self.rng.choice(CONSOLE_TEXTS))
                self.log("key Return")
                self.key("Return")
        elif name == "Players":
            self.press(window, name, self.rng.choice(["click", "double-click"]))
        else:
            self.press(window, name)
        return True

    def act_install(self, windows):
        installs = [w for w in windows if w[1] == "InstallServer"]
        if installs:
            if self.rng.random() < 0.15:
                return self.kill_steamcmd()
            if self.rng.random() < 0.1:
                return self.act_close(installs)
            names = sorted(INSTALL_BUTTONS)
            return self.press(installs[0], self.rng.choices(names, [INSTALL_BUTTONS[n] for n in names])[0])
        locates = [w for w in windows if w[1] in ("LocateFile", "LocateFile2")]
        if locates:
            return self.press(locates[0], "cmdInstallServer")
        monitors = [w for w in windows if w[1] == "ServerMonitor"]
        if monitors:
            return self.press(monitors[0], "UpdateServer")
        return self.open_monitor(windows)

    def kill_steamcmd(self):
        """SteamCMD dies mid-run, as when its own process is ended by someone else."""
        for pid in stand_in_pids(self.args.steamcmd):
            self.log("kill SteamCMD stand-in %d" % pid)
            self.hits["InstallServer.(SteamCMD killed)"] += 1
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        return True

    def step(self):
        windows = self.windows()
        self.ping(windows)
        self.pump()
        self.check_answering(windows)
        if not windows:
            return
        boxes = [w for w in windows if w[1] == "message box"]
        if boxes and self.rng.random() < 0.5:
            self.kinds["answer"] += 1
            return self.act_answer(boxes)
        action = self.rng.choices(["click", "double", "key", "drag", "paste", "close", "monitor", "install"],
                                  [30, 10, 20, 6, 6, 2, 12, 14])[0]
        self.kinds[action] += 1
        if action == "click":
            self.act_click(windows, 1)
        elif action == "double":
            self.act_click(windows, 2)
        elif action == "key":
            self.act_key()
        elif action == "drag":
            self.act_drag(windows)
        elif action == "paste":
            self.act_paste(windows)
        elif action == "monitor":
            self.act_monitor(windows)
        elif action == "install":
            self.act_install(windows)
        else:
            self.act_close(windows)

    def end_clients(self):
        """Ends the client stand-ins that Join and Listen start: they would run until stopped."""
        for pid in stand_in_pids(self.args.client):
            self.log("end client stand-in %d" % pid)
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass

    def run(self):
        """Acts until the time is up; after a fault it notes it and starts the program again."""
        self.launch()
        end = self.start_time + self.args.seconds
        last_sweep = 0.0
        while True:
            try:
                if time.monotonic() >= end:
                    self.wait(0.5)
                    self.check_program()
                    self.check_answering(self.windows())
                    return
                self.check_program()
                self.keep_server()
                self.step()
                if time.monotonic() - last_sweep > 1.0:
                    self.end_clients()
                    last_sweep = time.monotonic()
                self.wait(self.rng.uniform(0.03, 0.08))
            except Finding as finding:
                if isinstance(finding, Hang):
                    self.abort_for_stack()
                self.log("FAULT: %s" % finding)
                self.findings.append((str(finding), list(self.history)))
                self.history.clear()
                self.stop_program()
                if time.monotonic() < end:
                    self.launch()


def stand_in_pids(program):
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                if os.readlink("/proc/%s/exe" % entry) == program:
                    found.append(int(entry))
            except OSError:
                pass
    return found


def describe_exit(rc):
    if rc < 0:
        return "signal %d (%s)" % (-rc, signal.Signals(-rc).name)
    return "exit code %d" % rc


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--seed", type=int, required=True)
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--launch", required=True, help="JSON list: the command that starts the program")
    parser.add_argument("--controls", required=True, help="output of quorvane_control_map")
    parser.add_argument("--sanitizer-log", required=True, help="the log_path given to the sanitizers")
    parser.add_argument("--client", required=True, help="the client stand-in's program file")
    parser.add_argument("--program-log", type=argparse.FileType("ab"), required=True)
    parser.add_argument("--hits", required=True, help="where to add this seed's hit counts (JSON)")
    parser.add_argument("--hostile-server", help="JSON list: the command that starts the hostile stand-in server")
    parser.add_argument("--server-dir", help="the hostile server's working directory")
    parser.add_argument("--steamcmd", default="", help="the SteamCMD stand-in's program file")
    args = parser.parse_args()
    with open(args.controls) as f:
        controls = ControlMap(f.read())
    monkey = Monkey(args, controls)
    try:
        monkey.run()
    finally:
        monkey.stop_program()
        monkey.end_clients()
        monkey.stop_server()
    with open(args.hits, "w") as f:
        json.dump({"hits": monkey.hits, "actions": monkey.kinds, "starts": monkey.starts}, f)
    print("seed %d: %d actions, %d program starts, %d hostile server starts"
          % (args.seed, sum(monkey.kinds.values()), monkey.starts, monkey.server_starts))
    for what, history in monkey.findings:
        print("FAULT with seed %d: %s" % (args.seed, what))
        print("last actions (replay: QUORVANE_MONKEY_SEED=%d scripts/test_monkey.sh):" % args.seed)
        for line in history:
            print("  " + line)
    return 1 if monkey.findings else 0


if __name__ == "__main__":
    sys.exit(main())
