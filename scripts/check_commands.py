#!/usr/bin/python3
"""Drives every user command of a built quorvane on a virtual X screen and compares what the user
sees with a reference transcript.

    scripts/check_commands.py [QUORVANE] [--record] [--expected FILE] [--transcript FILE] [--keep]

QUORVANE defaults to build/src/app/quorvane (scripts/build.sh build --target quorvane). Run it
before and after a change that should leave every command alone: it exits 0 when the transcript
equals scripts/check_commands.expected, and 1 after printing the steps that differ. --record
writes the reference instead. Every run leaves its transcript at --transcript (default:
check_commands.transcript beside QUORVANE). A run takes about ten minutes.

The program runs as a copy in a temporary world of its own: its settings file beside it, a home
with Desktop and Documents, a folder of small media (wav, avi, jpg, png, a zip and an lzh, two
sub-folders), all dated 2001-02-03, and an xdg-open that only writes down what it is given. It
runs on Xvfb, under a D-Bus session of its own so that its accessibility tree can be read, with
QUORVANE_DIALOG_LOG set: every message box is answered with its first button, every input box and
folder picker is cancelled, and each is logged. Every menu item, toolbar button, key and mouse
gesture is given the way a user gives it: xdotool opens the menus with a click or their Alt key
and clicks the items, clicks the buttons, types the keys with the keyboard in the pane they belong
to, drags with the left button and draws gestures with the right button held. After each step the
script waits until nothing has changed for a few looks in a row and writes what the user sees:
the caption, other windows and their controls, the pane with the keyboard, the location box, the
world's rows of the folder tree, the file list, the toolbar, the players' bars, the ticked menu
items, a picture digest of each status bar panel (what is drawn, not only the texts the
panels offer to accessibility), the window's on-top and full-screen states, every message and question, every URL
handed to the desktop, and the files that came, went or changed. The first step writes it all,
every later step what changed. The settings file is added when the program has ended.

Left out, on purpose:
- the clock panels, elapsed play time and the seek bar, dates of files made during the run, the
  world's folder name (written <WORLD>), the tree outside the world and the machine's volumes;
- answers other than the first button: a rename, move, new folder or folder choice is followed up
  to its question only, since the logged dialogs cannot be given an answer;
- drops from another program onto the tree or the list: xdotool has no drag source of its own;
- always on top while the list has rows: the program then remakes its window, and whether it ends
  (the session-end watcher takes the old window's destruction for the display going away) differs
  from run to run; it is ticked and unticked with an empty folder on show, and F2 is not given on
  the full-screen picture, where the list always has rows;
- keys on the players: a click on a picture leaves the keyboard with the list (the players take
  the keyboard from Tab only), so their keys are typed after such a click and act as the list's.
There is no window manager: a window closed (a dialog, the full screen) leaves no window active,
so an Alt key is preceded by a click on the free end of the menu bar; "100% - フォーム連動"
shrinks the window for good, so it comes last.

Debian packages it needs; those with * are not installed by ./test:
    xvfb xdotool dbus* at-spi2-core* python3-pyatspi* python3-xlib* ffmpeg zip jlha-utils
    fonts-ipafont-gothic
Run it with Debian's own Python (/usr/bin/python3, as the first line says): the python3 first on
some PATHs does not see python3-pyatspi and python3-xlib.
"""

import argparse
import difflib
import hashlib
import importlib.util
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_BINARY = os.path.join(ROOT, "build", "src", "app", "quorvane")
DEFAULT_EXPECTED = os.path.join(ROOT, "scripts", "check_commands.expected")

SCREEN = (1280, 800)
WINDOW = (1024, 720)
PARK = (1270, 790)  # where the pointer rests between steps: outside the window, no tool tips
FIXED_TIME = 981173106  # 2001-02-03 04:05:06 UTC: every file of the world is dated so
SETTLE_POLL = 0.15
SETTLE_QUIET = 3  # equal looks in a row that count as settled
SETTLE_TIMEOUT = 20.0
TWIPS_PER_PIXEL = 15
SP_TOP = 380 * TWIPS_PER_PIXEL  # the bar between the tree and the list: a tall tree scrolls less
STATUS_PANEL_TWIPS = [4410, 1940, 1058, 2646, 2117, 2293, 2540, 2540]
STATUS_PANELS_SHOWN = [1, 4, 5, 6, 7, 8]  # 2 and 3 are the clock


class CheckError(Exception):
    pass


# Set by Ctrl-C or SIGTERM. The signal's own KeyboardInterrupt may be raised inside a callback of
# the accessibility library, which swallows it; the loops look at this flag as well.
STOP = []


def on_stop_signal(number, frame):
    STOP.append(number)
    raise KeyboardInterrupt()


def check_stop():
    if STOP:
        raise KeyboardInterrupt()


# ---------------------------------------------------------------------------------------------
# The world: a copy of the program with its settings, a home, media, archives, a fake desktop.


def run_quiet(args, cwd=None):
    subprocess.run(args, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def ffmpeg(*args):
    run_quiet(["ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", *args])


def make_world(binary):
    root = tempfile.mkdtemp(prefix="quorvane-check-", dir="/tmp")
    # Only home and media show in the tree: everything else of the world is a hidden folder.
    app = os.path.join(root, ".app")
    os.makedirs(app)
    shutil.copy2(binary, os.path.join(app, "quorvane"))
    home = os.path.join(root, "home")
    for sub in ["Desktop", "Documents", ".config", ".local/share"]:
        os.makedirs(os.path.join(home, sub))
    with open(os.path.join(home, ".config", "user-dirs.dirs"), "w") as f:
        f.write('XDG_DESKTOP_DIR="$HOME/Desktop"\nXDG_DOCUMENTS_DIR="$HOME/Documents"\n')
    runtime = os.path.join(root, ".runtime")
    os.makedirs(runtime)
    os.chmod(runtime, 0o700)

    media = os.path.join(root, "media")
    os.makedirs(os.path.join(media, "sub_a"))
    os.makedirs(os.path.join(media, "sub_b"))
    # Ten minutes each, so nothing ends by itself while the commands are given.
    wav = os.path.join(media, "a_tone.wav")
    ffmpeg("-f", "lavfi", "-i", "sine=frequency=440:sample_rate=8000:duration=600",
           "-ac", "1", "-c:a", "pcm_u8", wav)
    for copy in [os.path.join(media, "f_tone.wav"), os.path.join(media, "sub_a", "inner.wav"),
                 os.path.join(home, "Desktop", "desk.wav")]:
        shutil.copy(wav, copy)
    avi = os.path.join(media, "b_clip.avi")
    ffmpeg("-f", "lavfi", "-i", "testsrc=size=64x48:rate=2:duration=600",
           "-c:v", "mpeg4", "-g", "20", "-q:v", "20", avi)
    shutil.copy(avi, os.path.join(media, "e_映像.avi"))
    jpg = os.path.join(media, "c_photo.jpg")
    ffmpeg("-f", "lavfi", "-i", "testsrc=size=64x48:rate=1:duration=1", "-frames:v", "1", jpg)
    shutil.copy(jpg, os.path.join(home, "Documents", "doc.jpg"))
    ffmpeg("-f", "lavfi", "-i", "testsrc=size=64x48:rate=1:duration=1", "-frames:v", "1",
           os.path.join(media, "d_image.png"))
    with open(os.path.join(media, "readme.txt"), "w") as f:
        f.write("not media\n")

    stage = os.path.join(root, ".stage")
    os.makedirs(stage)
    ffmpeg("-f", "lavfi", "-i", "sine=frequency=440:sample_rate=8000:duration=1", "-ac", "1",
           "-c:a", "pcm_u8", os.path.join(stage, "zipped.wav"))
    ffmpeg("-f", "lavfi", "-i", "testsrc=size=32x24:rate=1:duration=1", "-frames:v", "1",
           os.path.join(stage, "lzhed.jpg"))
    for name in os.listdir(stage):
        os.utime(os.path.join(stage, name), (FIXED_TIME, FIXED_TIME))
    run_quiet(["zip", "-q", "-X", os.path.join(media, "pack.zip"), "zipped.wav"], cwd=stage)
    # jlha by its own name: with lhasa installed too, lha cannot make archives.
    run_quiet(["jlha", "a", os.path.join(media, "pack.lzh"), "lzhed.jpg"], cwd=stage)
    shutil.rmtree(stage)

    # The desktop's URL handler: it only writes down what it was given.
    tools = os.path.join(root, ".tools")
    os.makedirs(tools)
    opener = os.path.join(tools, "xdg-open")
    with open(opener, "w") as f:
        f.write("#!/bin/sh\nprintf '%%s\\n' \"$*\" >> '%s/.xdg-open.log'\n" % root)
    os.chmod(opener, 0o755)

    # Dates and modes as the properties window shows them, whatever the clock and the umask.
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames + filenames:
            path = os.path.join(dirpath, name)
            if not path.startswith((app, tools, runtime)):
                os.chmod(path, 0o755 if name in dirnames else 0o644)
                os.utime(path, (FIXED_TIME, FIXED_TIME), follow_symlinks=False)

    with open(os.path.join(app, "quorvane.ini"), "w") as f:
        f.write(f"""[Boot]
SearchPath=1
mousePlay=1
BootPosition=0
ScreenSaver=0
[FormPos]
XPosition=0
YPosition=0
Width={WINDOW[0] * TWIPS_PER_PIXEL}
Height={WINDOW[1] * TWIPS_PER_PIXEL}
WindowState=0
[MoviePlay]
ScreenSize=0
MuteState=False
ScreenState=False
SlideState=False
[SpPos]
SpTop={SP_TOP}
[ListView]
GridLine=False
IConDsp=True
[TreeView]
TreeViewLine=True
[ListFile]
DspFile=*.wav;*.avi;*.jpg;*.png
[FilePath]
Path={media}
[QuickPath]
Path1={media}/sub_a
Path2={home}/Desktop
QuickPathValue=2
[FileView]
FolderDsp=1
[SlideShow]
SlideTime=5
SlideType=0
""")
    return root


# ---------------------------------------------------------------------------------------------
# The processes: Xvfb on a free display, the program, and their end.


class Processes:
    def __init__(self):
        self.bus = None
        self.xvfb = None
        self.app = None
        self.display = None

    def start_bus(self):
        """A D-Bus session of the run's own: the program's accessibility bus is found through
        it. The services it starts (the accessibility bus and registry) end with it."""
        self.bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        address = self.bus.stdout.readline().decode().strip()
        if not address:
            raise CheckError("dbus-daemon did not start")
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address

    def start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
             f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp", "-dpi", "96"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.time() + 30
        while not number.endswith(b"\n") and time.time() < deadline:
            chunk = os.read(read_fd, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_fd)
        if not number.strip():
            raise CheckError("Xvfb did not start")
        self.display = ":" + number.decode().strip()
        os.environ["DISPLAY"] = self.display

    def start_app(self, world, env):
        self.log = os.path.join(world, ".program.log")
        with open(self.log, "ab") as log:
            self.app = subprocess.Popen([os.path.join(world, ".app", "quorvane")],
                                        cwd=os.path.join(world, "home"), env=env,
                                        stdout=log, stderr=subprocess.STDOUT)

    def app_running(self):
        return self.app is not None and self.app.poll() is None

    def stop(self):
        for proc in (self.app, self.xvfb, self.bus):
            if proc is not None and proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()


# ---------------------------------------------------------------------------------------------
# Reading the screen: the accessibility tree, the X server, the files.


class Screen:
    """What the user sees, read through AT-SPI and the X server."""

    def __init__(self, world, procs):
        import pyatspi
        from gi.repository import GLib
        from Xlib import X, display as xdisplay

        self.pyatspi = pyatspi
        self.glib = GLib
        self.X = X
        self.world = world
        self.procs = procs
        self.xd = xdisplay.Display(procs.display)
        self.focus_events = []
        pyatspi.Registry.registerEventListener(self._on_focus, "object:state-changed:focused")

    # --- AT-SPI plumbing

    def _on_focus(self, event):
        if event.detail1:
            self.focus_events.append(event.source)

    def pump(self, seconds=0.0):
        ctx = self.glib.MainContext.default()
        end = time.time() + seconds
        while True:
            while ctx.pending():
                ctx.iteration(False)
            check_stop()
            if time.time() >= end:
                return
            time.sleep(0.02)

    def app_node(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            node = desktop.getChildAtIndex(i)
            if node is not None and node.name == "quorvane":
                try:
                    if node.get_process_id() != self.procs.app.pid:
                        continue  # a copy that has ended
                except Exception:
                    continue
                return node
        return None

    def top_levels(self):
        app = self.app_node()
        if app is None:
            return []
        result = []
        for i in range(app.childCount):
            node = app.getChildAtIndex(i)
            if node is not None:
                result.append(node)
        return result

    def states(self, node):
        return {self.pyatspi.stateToString(s) for s in node.getState().getStates()}

    def extents(self, node):
        try:
            e = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        except NotImplementedError:
            return (0, 0, 0, 0)
        return (e.x, e.y, e.width, e.height)

    def children(self, node):
        return [c for c in (node.getChildAtIndex(i) for i in range(node.childCount))
                if c is not None]

    def main_frame(self):
        for node in self.top_levels():
            if node.getRoleName() == "frame" and node.name.startswith("Quorvane"):
                return node
        return None

    def parts(self):
        """The main window's controls, found by their kind and place."""
        frame = self.main_frame()
        if frame is None:
            raise CheckError("the main window is gone")
        p = {"frame": frame}
        for child in self.children(frame):
            role = child.getRoleName()
            if role == "menu bar":
                p["menubar"] = child
            elif role == "filler":
                p["client"] = child
        trees = []
        fillers = []
        for child in self.children(p["client"]):
            role = child.getRoleName()
            if role == "combo box":
                p["location"] = child
            elif role == "tree":
                trees.append(child)
            elif role == "tool bar":
                p["toolbar"] = child
            elif role == "filler":
                fillers.append(child)
            elif role == "status bar":
                p["status"] = child
        p["tree"], p["list"] = trees[0], trees[1]
        # The players: the media player (picture above its bar), the streaming picture, the
        # streaming control panel; the status bar offers itself as one.
        for child in fillers:
            kids = self.children(child)
            roles = [k.getRoleName() for k in kids]
            if len(kids) == 2 and roles == ["filler", "filler"]:
                p["media"] = child
                p["media_bar"] = kids[1]
                p["media_picture"] = kids[0]
            elif len(kids) == 1 and roles == ["filler"]:
                p["stream"] = child
            elif len(kids) == 5 and roles[0] == "push button":
                p["stream_bar"] = child
            elif not kids:
                x, y, w, h = self.extents(child)
                fx, fy, fw, fh = self.extents(frame)
                if w == fw and h > 0 and y + h == fy + fh:
                    p["status"] = child
        return p

    # --- what the user sees

    def norm(self, text):
        return text.replace(self.world, "<WORLD>")

    def look(self):
        """Everything visible that a command may change, as lines of text."""
        lines = []
        tops = [t for t in self.top_levels() if "showing" in self.states(t)]
        p = self.parts()
        frame = p["frame"]
        lines.append("caption: " + self.norm(frame.name))
        lines.append("window: %d,%d %dx%d" % self.extents(frame))
        others = []
        contents = []
        for t in tops:
            if t is frame or t.getRoleName() == "tool tip":
                continue  # a tool tip comes when the pointer has rested long enough
            x, y, w, h = self.extents(t)
            if t.getRoleName() == "filler" and (w, h) == SCREEN:
                others.append("full-screen picture")
            else:
                others.append("%s '%s'" % (t.getRoleName(), self.norm(t.name)))
                contents.extend(self.window_contents(t))
        lines.append("other windows: " + (", ".join(others) if others else "none"))
        lines.extend(contents)
        lines.append("focus: " + self.focus_name(p, tops))
        lines.append("location: " + self.norm(p["location"].name))
        lines.extend(self.tree_lines(p["tree"]))
        lines.extend(self.list_lines(p["list"]))
        lines.extend(self.toolbar_lines(p["toolbar"]))
        lines.extend(self.player_lines(p))
        lines.extend(self.menu_mark_lines(p["menubar"]))
        lines.extend(self.status_lines(p, tops))
        lines.extend(self.x11_lines())
        return lines

    def window_contents(self, window):
        """The texts and states of another window's controls, as far as they do not change
        from run to run."""
        out = []
        title = self.norm(window.name)

        def walk(node, depth):
            for child in self.children(node):
                if len(out) >= 80:
                    return
                role = child.getRoleName()
                st = self.states(child)
                if "showing" not in st:
                    continue
                text = None
                if role in ("label", "push button", "page tab", "check box", "radio button",
                            "text", "spin button", "combo box", "table cell",
                            "table column header"):
                    name = child.name
                    if role in ("text", "spin button"):
                        try:
                            t = child.queryText()
                            name = t.getText(0, t.characterCount)
                        except NotImplementedError:
                            pass
                    text = "%s '%s'" % (role, self.mask_account(self.mask_date(name.strip())))
                    if "checked" in st:
                        text += " (ticked)"
                    if role == "page tab" and "selected" in st:
                        text += " (shown)"
                    if "enabled" not in st:
                        text += " (greyed)"
                    out.append("  in %s: %s" % (title, text))
                if depth < 8 and role not in ("push button", "check box", "radio button"):
                    walk(child, depth + 1)
        walk(window, 0)
        return out

    def focus_name(self, p, tops):
        for t in tops:
            if t is p["frame"]:
                continue
            if self.states(t) & {"active", "focused"}:
                x, y, w, h = self.extents(t)
                if t.getRoleName() == "filler" and (w, h) == SCREEN:
                    return "full-screen picture"
                return "%s '%s'" % (t.getRoleName(), self.norm(t.name))
        if "active" not in self.states(p["frame"]):
            return "none (the window is not active)"
        for key, name in [("tree", "folder tree"), ("list", "file list"),
                          ("location", "location box")]:
            if "focused" in self.states(p[key]):
                return name
        focused = self.find_focused(p["client"])
        return focused or "window"

    def find_focused(self, node, depth=0):
        for child in self.children(node):
            role = child.getRoleName()
            if role in ("tree", "combo box", "table cell", "list item"):
                continue
            if "focused" in self.states(child):
                return "%s '%s'" % (role, child.name or child.description)
            if depth < 4:
                found = self.find_focused(child, depth + 1)
                if found:
                    return found
        return None

    def tree_lines(self, tree):
        """The folder tree's rows inside the world, indented by level, with the marks the user
        sees: [+] closed folder with children, [-] open folder, * selected."""
        rows = []
        stack = []  # (x, path)
        for cell in self.children(tree):
            if cell.getRoleName() != "table cell":
                continue
            x = self.extents(cell)[0]
            while stack and stack[-1][0] >= x:
                stack.pop()
            path = (stack[-1][1] + "/" + cell.name) if stack else ""
            stack.append((x, path))
            rows.append((path, len(stack) - 1, cell))
        world_rel = self.world.lstrip("/")
        out = []
        selected = "none"
        for path, level, cell in rows:
            rel = path.lstrip("/")
            st = self.states(cell)
            inside = rel == world_rel or rel.startswith(world_rel + "/")
            if "selected" in st:
                selected = ("<WORLD>" + rel[len(world_rel):]) if inside else (path or "root")
            if not inside:
                continue
            depth = rel[len(world_rel):].count("/")
            mark = "[-]" if "expanded" in st else "[+]" if "expandable" in st else "   "
            name = "<WORLD>" if rel == world_rel else cell.name
            out.append("  " + "  " * depth + mark + " " + name + (" *" if "selected" in st else ""))
        return ["tree selected: " + selected, "tree:"] + out

    def list_lines(self, lst):
        header = []
        cells = []
        for cell in self.children(lst):
            role = cell.getRoleName()
            if role == "table column header":
                header.append(cell.name)
            elif role == "table cell":
                cells.append(cell)
        out = ["list header: " + " | ".join(header)]
        columns = max(len(header), 1)
        rows = 0
        for i in range(0, len(cells), columns):
            row = cells[i:i + columns]
            texts = [self.mask_date(c.name.strip()) for c in row]
            mark = "*" if "selected" in self.states(row[0]) else " "
            out.append("  %s %s" % (mark, " | ".join(texts)))
            rows += 1
        out.insert(1, "list: %d rows" % rows)
        return out

    def mask_account(self, text):
        """The account and group that run the check, where a window names a file's owner."""
        import grp
        import pwd
        for name in {pwd.getpwuid(os.getuid()).pw_name, grp.getgrgid(os.getgid()).gr_name}:
            text = re.sub(r"(?<![\w.-])%s(?![\w.-])" % re.escape(name), "<account>", text)
        return text

    def mask_date(self, text):
        if re.fullmatch(r"\d{4}/\d\d/\d\d \d\d:\d\d(:\d\d)?", text) and \
                text != "2001/02/03 04:05:06":
            return "<date>"
        return self.norm(text)

    def toolbar_lines(self, toolbar):
        shown = []
        for child in self.children(toolbar):
            role = child.getRoleName()
            if role not in ("push button", "check box") or not child.name:
                if role == "slider":
                    value = child.queryValue().currentValue
                    shown.append("[rate slider %g '%s']" % (value, child.description))
                continue
            st = self.states(child)
            if "showing" not in st:
                continue
            mark = "(on)" if "checked" in st else ""
            shown.append(child.name + mark)
        return ["toolbar: " + " ".join(shown)]

    def player_lines(self, p):
        out = []
        for key, name, bar in [("media", "media player", "media_bar"),
                               ("stream", "streaming picture", None),
                               ("stream_bar", "streaming panel", "stream_bar")]:
            node = p.get(key)
            if node is None or "showing" not in self.states(node):
                continue
            text = name
            if bar:
                bar_node = p[bar]
                parts = []
                for child in self.children(bar_node):
                    role = child.getRoleName()
                    if role == "push button":
                        parts.append("[%s]" % child.description)
                    elif role == "label":
                        # The elapsed time runs on; the length of the file does not.
                        total = child.name.split("/")[-1].strip()
                        parts.append("length " + total)
                text += ": " + " ".join(parts)
            out.append("player: " + text)
        return out or ["player: none shown"]

    def menu_mark_lines(self, menubar):
        out = []
        for top in self.children(menubar):
            marks = []
            for menu in self.children(top):
                self.collect_marks(menu, marks)
            out.append("menu %s: ticked %s" % (top.name, ", ".join(marks) or "nothing"))
        return out

    def collect_marks(self, menu, marks):
        for item in self.children(menu):
            if item.getRoleName() != "menu item":
                continue
            if "checked" in self.states(item):
                marks.append(self.norm(item.name))
            for sub in self.children(item):
                self.collect_marks(sub, marks)

    def status_lines(self, p, tops):
        status = p.get("status")
        if status is None:
            return ["status: not found"]
        sx, sy, sw, sh = self.extents(status)
        for t in tops:
            if t is p["frame"]:
                continue
            x, y, w, h = self.extents(t)
            if x < sx + sw and sx < x + w and y < sy + sh and sy < y + h:
                return ["status: covered by another window"]
        if sw <= 0 or sh <= 0:
            return ["status: not shown"]
        image = self.xd.screen().root.get_image(sx, sy, sw, sh, self.X.ZPixmap, 0xFFFFFFFF)
        data = image.data
        stride = len(data) // sh
        bpp = stride // sw if sw else 4
        digests = []
        left = 0
        for number, twips in enumerate(STATUS_PANEL_TWIPS, start=1):
            width = int(round(twips / TWIPS_PER_PIXEL + 1e-9))
            x0, x1 = left + 2, min(left + width - 2, sw)
            left += width
            if number not in STATUS_PANELS_SHOWN:
                continue
            if x0 >= x1:
                digests.append("%d=cut" % number)
                continue
            h = hashlib.sha1()
            for row in range(2, sh - 2):
                start = row * stride + x0 * bpp
                h.update(data[start:start + (x1 - x0) * bpp])
            digests.append("%d=%s" % (number, h.hexdigest()[:10]))
        return ["status panels (picture digests): " + " ".join(digests)]

    def x11_windows(self):
        """The program's mapped top-level X windows: (name, states)."""
        from Xlib import Xatom
        root = self.xd.screen().root
        net_state = self.xd.intern_atom("_NET_WM_STATE")
        pid_atom = self.xd.intern_atom("_NET_WM_PID")
        window_type = self.xd.intern_atom("_NET_WM_WINDOW_TYPE")
        # Tool tips and open menus are not windows that stay.
        transient = {self.xd.intern_atom("_NET_WM_WINDOW_TYPE_" + name)
                     for name in ("TOOLTIP", "POPUP_MENU", "DROPDOWN_MENU", "COMBO")}
        result = []
        for win in root.query_tree().children:
            try:
                attrs = win.get_attributes()
                if attrs.map_state != self.X.IsViewable:
                    continue
                pid = win.get_full_property(pid_atom, Xatom.CARDINAL)
                if pid is None or pid.value[0] != self.procs.app.pid:
                    continue
                geom = win.get_geometry()
                kind = win.get_full_property(window_type, Xatom.ATOM)
                if kind is not None and any(a in transient for a in kind.value):
                    continue
                prop = win.get_full_property(net_state, Xatom.ATOM)
                names = sorted(self.xd.get_atom_name(a).replace("_NET_WM_STATE_", "")
                               for a in (prop.value if prop else []))
                result.append((win, geom, names))
            except Exception:
                continue
        return result

    def x11_lines(self):
        out = []
        for win, geom, names in self.x11_windows():
            if geom.width <= 3 and geom.height <= 3:
                continue
            title = self.window_title(win)
            if title.startswith("Quorvane"):
                kind = "main %dx%d" % (geom.width, geom.height)
            elif (geom.width, geom.height) == SCREEN:
                kind = "full screen"
            else:
                kind = "'%s'" % self.norm(title)  # a dialog's size follows its texts
            out.append("x window %s: %s" % (kind, " ".join(names) or "-"))
        return sorted(out)

    def window_title(self, win):
        net_name = win.get_full_property(self.xd.intern_atom("_NET_WM_NAME"),
                                         self.xd.intern_atom("UTF8_STRING"))
        if net_name is not None:
            return net_name.value.decode("utf-8", "replace")
        return win.get_wm_name() or ""

    # --- what the user does

    def close_window(self, name_part):
        """Closes a top-level window of the program as its title bar's close button would."""
        from Xlib import protocol
        wm_protocols = self.xd.intern_atom("WM_PROTOCOLS")
        wm_delete = self.xd.intern_atom("WM_DELETE_WINDOW")
        for win, geom, names in self.x11_windows():
            if name_part in self.window_title(win):
                event = protocol.event.ClientMessage(window=win, client_type=wm_protocols,
                                                     data=(32, [wm_delete, self.X.CurrentTime,
                                                                0, 0, 0]))
                win.send_event(event)
                self.xd.flush()
                return True
        return False


# ---------------------------------------------------------------------------------------------
# Files, logs and the comparison.


SKIPPED = (".app/quorvane", ".runtime", ".tools", ".dialogs.log", ".xdg-open.log", ".program.log",
           "home/.config", "home/.cache", "home/.local/state")


def disk_state(world):
    state = {}
    for dirpath, dirnames, filenames in os.walk(world):
        rel_dir = os.path.relpath(dirpath, world)
        rel_dir = "" if rel_dir == "." else rel_dir
        dirnames.sort()
        for name in list(dirnames):
            rel = os.path.join(rel_dir, name)
            if rel.startswith(SKIPPED):
                dirnames.remove(name)
                continue
            state[rel + "/"] = "folder"
        for name in filenames:
            rel = os.path.join(rel_dir, name)
            if rel.startswith(SKIPPED):
                continue
            path = os.path.join(dirpath, name)
            try:
                if name.endswith(".trashinfo"):
                    with open(path, encoding="utf-8", errors="replace") as f:
                        origin = [l.strip() for l in f if l.startswith("Path=")]
                    state[rel] = "; ".join(o.replace(world, "<WORLD>") for o in origin)
                else:
                    state[rel] = "%d bytes" % os.path.getsize(path)
            except OSError:
                continue
    return state


def disk_changes(before, after):
    lines = []
    for key in sorted(set(before) | set(after)):
        if key not in after:
            lines.append("disk - %s" % key)
        elif key not in before:
            lines.append("disk + %s (%s)" % (key, after[key]))
        elif before[key] != after[key]:
            lines.append("disk ~ %s (%s)" % (key, after[key]))
    return lines


def read_log(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []


def split_steps(text):
    steps = []
    for line in text.splitlines():
        if line.startswith("== "):
            steps.append((line, []))
        elif steps:
            steps[-1][1].append(line)
        else:
            steps.append(("(preamble)", [line]))
    return steps


def compare(expected_text, actual_text):
    """Prints the steps whose lines differ; True when the transcripts are equal."""
    expected = split_steps(expected_text)
    actual = split_steps(actual_text)
    if expected == actual:
        return True
    exp_titles = [t for t, _ in expected]
    act_titles = [t for t, _ in actual]
    differing = 0
    matcher = difflib.SequenceMatcher(a=exp_titles, b=act_titles, autojunk=False)
    for op, i1, i2, j1, j2 in matcher.get_opcodes():
        if op == "equal":
            for k in range(i2 - i1):
                title, exp_lines = expected[i1 + k]
                act_lines = actual[j1 + k][1]
                if exp_lines != act_lines:
                    differing += 1
                    print(title)
                    for line in difflib.unified_diff(exp_lines, act_lines, "expected", "now",
                                                     lineterm="", n=1):
                        if not line.startswith(("---", "+++")):
                            print("    " + line)
        else:
            for title, _ in expected[i1:i2]:
                differing += 1
                print("only in the reference: " + title)
            for title, _ in actual[j1:j2]:
                differing += 1
                print("only now: " + title)
    print("%d step(s) differ." % differing)
    return False


# ---------------------------------------------------------------------------------------------
# Driving the program the way a user does.


class Driver:
    """Gives the commands with xdotool, as a user gives them, and writes down after each one what
    the screen, the dialogs log, the desktop's URL log and the disk then show."""

    def __init__(self, screen, world, procs, env):
        self.s = screen
        self.world = world
        self.procs = procs
        self.env = env
        self.out = []
        self.number = 0
        self.last_look = None
        self.disk = disk_state(world)
        self.dialogs_seen = 0
        self.opens_seen = 0
        self.counts = {}
        self.menus_seen = {}

    # --- input

    def xdo(self, *args):
        check_stop()
        subprocess.run(["xdotool", *[str(a) for a in args]], check=True)

    def move(self, x, y):
        self.xdo("mousemove", x, y)

    def click(self, x, y, button=1, repeat=1):
        self.xdo("mousemove", x, y)
        self.s.pump(0.05)
        self.xdo("click", "--repeat", repeat, "--delay", 80, button)

    def click_node(self, node, button=1, repeat=1, dx=None, dy=None):
        x, y, w, h = self.s.extents(node)
        if w <= 0 or h <= 0:
            raise CheckError("not on the screen: %s '%s'" % (node.getRoleName(), node.name))
        self.click(x + (dx if dx is not None else w // 2), y + (dy if dy is not None else h // 2),
                   button, repeat)

    def key(self, *keys):
        self.xdo("key", "--delay", 60, *keys)

    def park(self):
        self.move(*PARK)

    def count(self, kind, what):
        steps, distinct = self.counts.get(kind, (0, set()))
        distinct.add(what)
        self.counts[kind] = (steps + 1, distinct)

    def wait_for(self, condition, what, timeout=10.0):
        deadline = time.time() + timeout
        while time.time() < deadline:
            self.s.pump(0.05)
            try:
                value = condition()
            except Exception:
                value = None
            if value:
                return value
            time.sleep(0.05)
        raise CheckError("waited in vain for " + what)

    # --- recording

    def settled_look(self):
        """Looks until nothing has changed for a few looks in a row."""
        history = []
        deadline = time.time() + SETTLE_TIMEOUT
        while True:
            self.s.pump(0.0)  # also stops here after Ctrl-C
            if not self.procs.app_running():
                return None
            try:
                look = self.s.look()
                look += ["#dialogs %d" % len(read_log(os.path.join(self.world, ".dialogs.log"))),
                         "#opens %d" % len(read_log(os.path.join(self.world, ".xdg-open.log")))]
                look.append("#disk " + repr(sorted(disk_state(self.world).items())))
            except Exception as error:  # a window going away while it is read
                look = ["#unreadable %s" % error]
            history.append(look)
            if len(history) >= SETTLE_QUIET and all(h == look for h in history[-SETTLE_QUIET:]) \
                    and not look[0].startswith("#unreadable"):
                return [l for l in look if not l.startswith("#")]
            if time.time() > deadline:
                return [l for l in look if not l.startswith("#")] + ["(still changing)"]
            time.sleep(SETTLE_POLL)

    def record(self, title, extra=()):
        self.number += 1
        self.out.append("== %03d %s" % (self.number, title))
        self.out.extend(extra)
        look = self.settled_look()
        if look is None:
            self.out.append("program: ended")
        elif self.last_look is None:
            self.out.extend("  " + l for l in look)
        else:
            for line in difflib.ndiff(self.last_look, look):
                if line.startswith(("- ", "+ ")):
                    self.out.append(line[0] + " " + line[2:])
        if look is not None:
            self.last_look = look
        dialogs = read_log(os.path.join(self.world, ".dialogs.log"))
        for line in dialogs[self.dialogs_seen:]:
            self.out.append("dialog: " + line.replace(self.world, "<WORLD>"))
        self.dialogs_seen = len(dialogs)
        opens = read_log(os.path.join(self.world, ".xdg-open.log"))
        for line in opens[self.opens_seen:]:
            self.out.append("handed to the desktop: " + line.replace(self.world, "<WORLD>"))
        self.opens_seen = len(opens)
        disk = disk_state(self.world)
        self.out.extend(disk_changes(self.disk, disk))
        self.disk = disk
        sys.stdout.write("\r%3d steps" % self.number)
        sys.stdout.flush()

    def wait_for_window(self):
        self.wait_for(lambda: self.s.main_frame() is not None and
                      "showing" in self.s.states(self.s.main_frame()),
                      "the main window", timeout=60)

    def restart(self):
        """Starts the program again, as the user would after it has gone away."""
        self.procs.start_app(self.world, self.env)
        self.wait_for_window()
        self.park()
        self.record("put back: the program had ended, it is started again")
        # It opens where it was left; the commands that follow expect the media folder.
        self.second_start(self.world + "/media")
        self.park()
        self.record("put back: a second start hands over <WORLD>/media")

    def step(self, title, action, kind=None, what=None):
        """Does one thing as the user would, waits until the window settles, records it."""
        check_stop()
        if not self.procs.app_running():
            self.restart()
        extra = action()
        if not isinstance(extra, list):
            extra = []
        if kind:
            self.count(kind, what or title)
        self.park()
        self.record(title, extra)

    # --- the panes

    def parts(self):
        return self.s.parts()

    def tree_cell(self, rel):
        """The tree row of a folder of the world ("" for the world itself)."""
        target = (self.world + ("/" + rel if rel else "")).lstrip("/")
        stack = []
        for cell in self.s.children(self.parts()["tree"]):
            if cell.getRoleName() != "table cell":
                continue
            x = self.s.extents(cell)[0]
            while stack and stack[-1][0] >= x:
                stack.pop()
            path = (stack[-1][1] + "/" + cell.name) if stack else ""
            stack.append((x, path))
            if path.lstrip("/") == target:
                return cell
        raise CheckError("no tree row for " + (rel or "the world"))

    def reveal(self, container, find):
        """Scrolls a view with the mouse wheel until the row find() gives is in sight."""
        for _ in range(60):
            node = find()
            cx, cy, cw, ch = self.s.extents(container)
            x, y, w, h = self.s.extents(node)
            top, bottom = cy, cy + ch - 17  # below the column titles, above a scroll bar
            for child in self.s.children(container):
                if child.getRoleName() == "table column header":
                    hx, hy, hw, hh = self.s.extents(child)
                    if hh > 0:
                        top = max(top, hy + hh)
            middle = y + h // 2
            if top + 3 <= middle <= bottom - 3:
                return node
            self.move(cx + cw // 2, cy + ch // 2)
            self.xdo("click", 4 if middle < top + 3 else 5)
            self.s.pump(0.1)
        raise CheckError("could not scroll to a row")

    def click_tree(self, rel, button=1, repeat=1):
        tree = self.parts()["tree"]
        cell = self.reveal(tree, lambda: self.tree_cell(rel))
        x, y, w, h = self.s.extents(cell)
        self.click(x + min(30, w // 2), y + h // 2, button, repeat)

    def list_cell(self, name):
        for cell in self.s.children(self.parts()["list"]):
            if cell.getRoleName() == "table cell" and cell.name.strip() == name:
                return cell
        raise CheckError("no list row " + name)

    def click_list(self, name, button=1, repeat=1):
        lst = self.parts()["list"]
        cell = self.reveal(lst, lambda: self.list_cell(name))
        x, y, w, h = self.s.extents(cell)
        self.click(x + min(30, w // 2), y + h // 2, button, repeat)

    def list_header(self, index):
        headers = [c for c in self.s.children(self.parts()["list"])
                   if c.getRoleName() == "table column header"]
        return headers[index]

    def toolbar_button(self, name):
        for child in self.s.children(self.parts()["toolbar"]):
            if child.name == name:
                return child
        raise CheckError("no toolbar button " + name)

    def picture(self, which):
        p = self.parts()
        node = p["media_picture"] if which == "media" else p["stream"]
        return node

    def full_screen_shown(self):
        return any((self.s.extents(t)[2:] == SCREEN and t.getRoleName() == "filler"
                    and "showing" in self.s.states(t)) for t in self.s.top_levels())

    # --- menus

    def menubar_entry(self, index):
        return self.s.children(self.parts()["menubar"])[index]

    def popup_of(self, item):
        kids = self.s.children(item)
        return kids[0] if kids else None

    def shown(self, node):
        return node is not None and "showing" in self.s.states(node)

    def menu_listing(self, popup, indent="  "):
        lines = []
        for item in self.s.children(popup):
            st = self.s.states(item)
            if "visible" not in st and "showing" not in st:
                continue
            role = item.getRoleName()
            if role == "separator":
                lines.append(indent + "-----")
                continue
            text = self.s.norm(item.name)
            if "checked" in st:
                text = "[x] " + text
            elif "checkable" in st:
                text = "[ ] " + text
            if "enabled" not in st:
                text += " (greyed)"
            if self.s.children(item):
                text += " >"
            lines.append(indent + text)
        return lines

    def listing_lines(self, title, listing):
        """A menu's items as the user sees them; only "as before" when nothing changed since it
        was last shown."""
        if self.menus_seen.get(title) == listing:
            return [title + ": as before"]
        self.menus_seen[title] = listing
        return [title + ":"] + listing

    def find_item(self, popup, name):
        for item in self.s.children(popup):
            if item.getRoleName() == "menu item" and item.name == name:
                st = self.s.states(item)
                if "visible" in st or "showing" in st:
                    return item
        raise CheckError("no menu item " + name)

    def choose(self, popup, path, title):
        """Clicks a menu item of a shown menu, going through its submenus by hovering; returns
        what the user saw in the menus on the way."""
        lines = self.listing_lines("menu " + title, self.menu_listing(popup))
        node = popup
        for depth, name in enumerate(path):
            item = self.find_item(node, name)
            if depth < len(path) - 1:
                x, y, w, h = self.s.extents(item)
                self.move(x + w // 2, y + h // 2)
                sub = self.wait_for(lambda: self.shown(self.popup_of(item)) and
                                    self.popup_of(item), "the submenu " + name)
                lines.extend(self.listing_lines("submenu " + name,
                                                self.menu_listing(sub, "    ")))
                node = sub
            else:
                self.click_node(item)
        return lines

    def open_menubar(self, index, how):
        entry = self.menubar_entry(index)
        if how == "click":
            self.click_node(entry)
        else:
            self.activate()
            self.key(how)
        return self.wait_for(lambda: self.shown(self.popup_of(entry)) and
                             self.popup_of(entry), "the menu to open")

    def activate(self):
        """Clicks the empty end of the menu bar when the window is not the active one (nothing
        gives the window back the keyboard when a window of its own closes: there is no window
        manager)."""
        frame = self.parts()["frame"]
        if "active" in self.s.states(frame):
            return
        x, y, w, h = self.s.extents(self.parts()["menubar"])
        self.click(x + w - 4, y + h // 2)
        self.wait_for(lambda: "active" in self.s.states(self.parts()["frame"]),
                      "the window to become active")

    def menubar_command(self, index, path, how):
        def action():
            popup = self.open_menubar(index, how)
            title = self.s.norm(self.menubar_entry(index).name)
            return self.choose(popup, path, "%s (opened by %s)" % (
                title, "a click" if how == "click" else how))
        return action

    def context_popup(self, at, menubar_index=None):
        """The menu a right click has just opened: one of the menu bar's menus, or the list's
        own, which is found through the item the pointer comes to rest on."""
        if menubar_index is not None:
            entry = self.menubar_entry(menubar_index)
            return self.wait_for(lambda: self.shown(self.popup_of(entry)) and
                                 self.popup_of(entry), "the context menu")
        def found():
            for source in reversed(self.s.focus_events):
                if source.getRoleName() == "menu item":
                    parent = source.parent
                    if parent is not None and self.shown(parent):
                        return parent
            return None
        # The menu opens below the pointer, or above it when there is no room below.
        for dx, dy in [(25, 9), (25, -9), (-25, 9), (-25, -9)]:
            self.s.focus_events.clear()
            self.s.pump(0.1)
            self.move(at[0] + dx, at[1] + dy)
            try:
                return self.wait_for(found, "the context menu", timeout=2.0)
            except CheckError:
                continue
        raise CheckError("waited in vain for the context menu")

    def right_click_menu(self, where, path, title, menubar_index=None):
        """Right-clicks at a place (x, y) or on a node and clicks a menu item."""
        def action():
            at = where() if callable(where) else where
            self.click(at[0], at[1], button=3)
            popup = self.context_popup(at, menubar_index)
            lines = self.choose(popup, path, title)
            if not path:
                self.close_menus()
            return lines
        return action

    def list_row_point(self, name):
        lst = self.parts()["list"]
        cell = self.reveal(lst, lambda: self.list_cell(name))
        x, y, w, h = self.s.extents(cell)
        return (x + min(30, w // 2), y + h // 2)

    def dialog_button(self, title_part, button):
        for top in self.s.top_levels():
            if title_part in top.name and self.shown(top):
                found = self.find_named(top, button)
                if found is not None:
                    return found
        raise CheckError("no button %s in a window '%s'" % (button, title_part))

    def find_named(self, node, name, depth=0):
        for child in self.s.children(node):
            if child.name == name and child.getRoleName() == "push button":
                return child
            if depth < 6:
                found = self.find_named(child, name, depth + 1)
                if found is not None:
                    return found
        return None

    def close_menus(self):
        for _ in range(3):
            self.key("Escape")
            self.s.pump(0.05)

    # --- gestures

    def gesture(self, start, strokes):
        def action():
            x, y = start() if callable(start) else start
            self.move(x, y)
            self.s.pump(0.05)
            self.xdo("mousedown", 3)
            for dx, dy in strokes:
                for _ in range(5):
                    x, y = x + dx // 5, y + dy // 5
                    self.move(x, y)
                    time.sleep(0.03)
            self.xdo("mouseup", 3)
        return action

    # --- drag and drop

    def drag(self, source, target, hover=None, opened=None):
        """Drags with the left button from one point to another, resting on the way on a third
        one until opened() says so (a folder of the tree opens when the drag rests on it)."""
        def glide(x0, y0, x1, y1, steps=12):
            for i in range(1, steps + 1):
                self.move(x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
                time.sleep(0.02)

        def action():
            # Every place is found before the button goes down: nothing scrolls during a drag.
            x, y = source()
            hx, hy = hover() if hover is not None else (None, None)
            tx, ty = target() if hover is None else (None, None)
            self.move(x, y)
            self.s.pump(0.05)
            self.xdo("mousedown", 1)
            glide(x, y, x + 4, y + 12, 4)
            x, y = x + 4, y + 12
            if hover is not None:
                glide(x, y, hx, hy)
                x, y = hx, hy
                self.wait_for(opened, "the folder to open under the drag")
                tx, ty = target()
            glide(x, y, tx, ty)
            self.s.pump(0.3)
            self.xdo("mouseup", 1)
        return action

    def tree_point(self, rel):
        cell = self.reveal(self.parts()["tree"], lambda: self.tree_cell(rel))
        x, y, w, h = self.s.extents(cell)
        return (x + min(30, w // 2), y + h // 2)

    # --- putting things back between commands

    def second_start(self, path):
        """Starts the program again with a folder: the running copy goes there."""
        subprocess.run([os.path.join(self.world, ".app", "quorvane"), path], env=self.env,
                       cwd=os.path.join(self.world, "home"), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)


# ---------------------------------------------------------------------------------------------
# The commands, in the order they are given.


def plan(d, only=None):
    world = d.world
    media = world + "/media"

    def restore(why=""):
        d.step("put back: a second start hands over <WORLD>/media" + why,
               lambda: d.second_start(media))

    def select_row(name):
        d.step("click the row %s in the list" % name, lambda: d.click_list(name))

    def toolbar(name, note=""):
        d.step("toolbar %s%s" % (name, note), lambda: d.click_node(d.toolbar_button(name)),
               "toolbar button", name)

    def bar(index, path, how, note=""):
        title = " > ".join(path)
        d.step("menu bar %s: %s%s" % ("quick paths" if index == 0 else "options",
                                       d.s.norm(title), note),
               d.menubar_command(index, path, how), "menu bar item",
               ("quick paths: " if index == 0 else "options: ") + " > ".join(path))

    def list_menu(row, path, note=""):
        d.step("file list's menu on %s: %s%s" % (row or "no row", " > ".join(path), note),
               d.right_click_menu(
                   (lambda: d.list_row_point(row)) if row else
                   (lambda: (lambda e: (e[0] + 60, e[1] + e[3] - 40))(
                       d.s.extents(d.parts()["list"]))),
                   path, "of the file list"), "file list menu item", " > ".join(path))

    def key(pane, keys, note="", counted=True):
        d.step("%s: key %s%s" % (pane, " ".join(keys), note), lambda: d.key(*keys),
               ("key in " + pane) if counted else None, " ".join(keys))

    # The window as it opens.
    d.record("start: the window as it opens")

    def phase_toolbar():
        # The toolbar.
        select_row("b_clip.avi")
        toolbar("再生", " (plays the selected row)")
        toolbar("再生", " (pauses)")
        toolbar("再生", " (plays on)")
        toolbar("1つ次へ")
        toolbar("1つ戻る")
        toolbar("停止")
        toolbar("リピート再生", " (on)")
        toolbar("リピート再生", " (off)")
        toolbar("降順")
        toolbar("昇順")

        def faster():
            slider = [c for c in d.s.children(d.parts()["toolbar"])
                      if c.getRoleName() == "slider"][0]
            x, y, w, h = d.s.extents(slider)
            d.click(x + w - 6, y + h // 2)
        d.step("click the rate slider's right end", faster)
        toolbar("再生スピードを通常(1.0)にする")
        toolbar("最新更新")
        toolbar("ファイルビュー", " (on: every file and folder)")
        select_row("pack.zip")
        toolbar("解凍", " (the selected archive)")
        toolbar("選択解凍", " (every archive of the list)")
        toolbar("ファイルビュー", " (off)")
        toolbar("1つ上に")
        restore()
        toolbar("デスクトップ")
        toolbar("マイドキュメント")
        toolbar("ネットワーク")
        restore()

    def phase_location():
        # The location box.
        def location(name):
            def action():
                d.click_node(d.parts()["location"])

                def item():
                    lst = d.s.children(d.parts()["location"])[0]
                    for node in d.s.children(lst):
                        if node.name == name and d.shown(node) and d.s.extents(node)[2] > 0:
                            return node
                    return None
                node = d.wait_for(item, "the location box's list")
                d.click_node(node)
            d.step("location box: choose %s" % name, action, "location box item")
        location("デスクトップ")
        location("マイドキュメント")
        location("ルート (/)")
        restore()

    def phase_tree():
        # The folder tree with the mouse.
        d.step("folder tree: click sub_a", lambda: d.click_tree("media/sub_a"), "tree click")
        d.step("folder tree: click media", lambda: d.click_tree("media"), "tree click")
        d.step("folder tree: double-click home", lambda: d.click_tree("home", repeat=2),
               "tree click")
        d.step("folder tree: click the root", lambda: d.click_node(
            d.reveal(d.parts()["tree"], lambda: [c for c in d.s.children(d.parts()["tree"])
                                                 if c.getRoleName() == "table cell"][0]),
            dx=30), "tree click")
        restore()

    def phase_drag_drop():
        # Drag and drop: list rows onto a folder of the tree, folders of the tree onto others.
        select_row("f_tone.wav")
        d.step("drag the row f_tone.wav onto the folder sub_b of the tree",
               d.drag(lambda: d.list_row_point("f_tone.wav"),
                      lambda: d.tree_point("media/sub_b")), "drag and drop")
        key("file list", ["ctrl+z"], " (undo)")
        d.step("folder tree: click media", lambda: d.click_tree("media"), "tree click")
        d.step("drag the folder sub_b onto the folder sub_a",
               d.drag(lambda: d.tree_point("media/sub_b"),
                      lambda: d.tree_point("media/sub_a")), "drag and drop")
        key("folder tree", ["ctrl+z"], " (undo)")
        d.step("folder tree: click media", lambda: d.click_tree("media"), "tree click")

        def home_open():
            return "expanded" in d.s.states(d.tree_cell("home"))
        def desktop_point():  # just come into sight under home: no scrolling during the drag
            x, y, w, h = d.s.extents(d.tree_cell("home/Desktop"))
            return (x + min(30, w // 2), y + h // 2)
        d.step("drag the folder sub_b onto home, rest there until it opens, drop on Desktop",
               d.drag(lambda: d.tree_point("media/sub_b"), desktop_point,
                      hover=lambda: d.tree_point("home"), opened=home_open), "drag and drop")
        key("folder tree", ["ctrl+z"], " (undo)")
        restore()

    def phase_list():
        # The file list with the mouse: the column titles, double-clicks.
        for column, name in [(1, "拡張子"), (2, "サイズ"), (3, "更新日付"), (4, "種類"), (0, "名前")]:
            for _ in range(2):
                d.step("file list: click the column title %s" % name,
                       lambda column=column: d.click_node(d.list_header(column)),
                       "list column title")
        d.step("file list: double-click a_tone.wav", lambda: d.click_list("a_tone.wav", repeat=2),
               "list double-click")
        toolbar("ファイルビュー", " (on)")
        d.step("file list: double-click the folder sub_a",
               lambda: d.click_list("sub_a", repeat=2), "list double-click")
        restore()
        toolbar("ファイルビュー", " (off)")

    def phase_list_menu():
        # The file list's menu.
        list_menu("b_clip.avi", ["再生/一時停止(P)"], " (plays)")
        list_menu("b_clip.avi", ["再生/一時停止(P)"], " (pauses)")
        list_menu("b_clip.avi", ["停止"])
        list_menu("b_clip.avi", ["１つ次へ↓(N)"])
        list_menu("e_映像.avi", ["１つ前へ↑(F)"])
        list_menu("b_clip.avi", ["リピート再生"], " (on)")
        list_menu("b_clip.avi", ["リピート再生"], " (off)")
        list_menu("b_clip.avi", ["停止"])
        list_menu("b_clip.avi", ["開く"])
        list_menu("b_clip.avi", ["リストビュー", "グリッド線"], " (on)")
        list_menu("b_clip.avi", ["リストビュー", "グリッド線"], " (off)")
        list_menu("b_clip.avi", ["リストビュー", "アイコン表示"], " (off)")
        list_menu("b_clip.avi", ["リストビュー", "アイコン表示"], " (on)")
        list_menu("a_tone.wav", ["ファイル名の変更(R)"])
        list_menu("a_tone.wav", ["拡張子の変更"])
        d.step("the extension dialog: key Escape", lambda: d.key("Escape"))
        list_menu("a_tone.wav", ["ファイル移動(M)"])
        list_menu("f_tone.wav", ["ファイル削除(Del)"])
        key("file list", ["ctrl+z"], " (undo)")
        list_menu("b_clip.avi", ["ごみ箱を開く"])
        list_menu("b_clip.avi", ["最新の情報に更新"])
        list_menu("b_clip.avi", ["プロパティ(R)"])
        d.step("the properties window: 閉じる", lambda: d.click_node(d.dialog_button("のプロパティ", "閉じる")))
        d.step("file list: right-click below the rows, then Esc",
               d.right_click_menu(lambda: (lambda e: (e[0] + 60, e[1] + e[3] - 40))(
                   d.s.extents(d.parts()["list"])), [], "of the file list, no row"))

    def phase_quick_paths_menu():
        # The menu bar: the quick paths menu, opened by a click or by Alt+Q in turn.
        hows = ["click", "alt+q"]
        bar(0, [media + "/sub_a"], hows[0])
        restore()
        bar(0, [world + "/home/Desktop"], hows[1])
        restore()
        bar(0, ["クイックパス記録", "毎回記録する。"], hows[0])
        bar(0, ["クイックパス記録", "最後まで見た時、記録する。"], hows[1])
        bar(0, ["クイックパス記録", "まったく登録しない。"], hows[0])
        bar(0, ["クイックパスに現在のパスを追加"], hows[1])
        bar(0, ["マイドキュメント(M)"], hows[0])
        restore()
        bar(0, ["デスクトップ(D)"], hows[1])
        restore()
        bar(0, ["ネットワーク"], hows[0])
        bar(0, ["フォルダ選択"], hows[1])
        bar(0, ["エクスプローラ(X)"], hows[0])
        bar(0, ["検索(F)"], hows[1])
        d.step("close the search window", lambda: d.s.close_window("検索"))
        bar(0, ["フォルダ作成(K)"], hows[0])
        bar(0, ["フォルダ移動(M)"], hows[1])
        bar(0, ["フォルダ名前変更(R)"], hows[0])
        d.step("folder tree: click sub_b", lambda: d.click_tree("media/sub_b"), "tree click")
        bar(0, ["フォルダ削除(DEL)"], hows[1])
        key("folder tree", ["ctrl+z"], " (undo)")
        bar(0, ["ツリービュー", "ライン表示"], hows[0], " (off)")
        bar(0, ["ツリービュー", "ライン表示"], hows[1], " (on)")
        bar(0, ["ツリービュー", "アイコン表示"], hows[0])
        bar(0, ["ツリービュー", "アイコン表示"], hows[1])
        bar(0, ["クイックパスクリア(C)"], hows[0])
        restore()

        # The same menu as the tree's context menu.
        def tree_point():
            cell = d.reveal(d.parts()["tree"], lambda: d.tree_cell("media"))
            x, y, w, h = d.s.extents(cell)
            return (x + min(30, w // 2), y + h // 2)
        d.step("folder tree's menu on media: クイックパスに現在のパスを追加",
               d.right_click_menu(tree_point, ["クイックパスに現在のパスを追加"],
                                  "of the folder tree", menubar_index=0), "tree menu item",
               "クイックパスに現在のパスを追加")
        d.step("folder tree's menu on media: ツリービュー > ライン表示 (off)",
               d.right_click_menu(tree_point, ["ツリービュー", "ライン表示"], "of the folder tree",
                                  menubar_index=0), "tree menu item", "ツリービュー > ライン表示")
        d.step("folder tree's menu on media: ツリービュー > ライン表示 (on)",
               d.right_click_menu(tree_point, ["ツリービュー", "ライン表示"], "of the folder tree",
                                  menubar_index=0), "tree menu item", "ツリービュー > ライン表示")

    def phase_options_menu():
        # The options menu, opened by a click or by Alt+O in turn, while a video plays.
        hows = ["click", "alt+o"]
        select_row("b_clip.avi")
        toolbar("再生")
        bar(1, ["画面サイズ", "50%"], hows[0])
        bar(1, ["画面サイズ", "100%"], hows[1])
        bar(1, ["画面サイズ", "200%"], hows[0])
        bar(1, ["画面サイズ", "フルスクリーン"], hows[1])
        d.step("full-screen picture: key Escape", lambda: d.key("Escape"),
               "key in full-screen picture", "Escape")
        bar(1, ["画面サイズ", "ウィンドウに合わせる"], hows[0])
        bar(1, ["ミュート"], hows[1], " (on)")
        bar(1, ["ミュート"], hows[0], " (off)")
        # Always on top is ticked and unticked with an empty folder on show: with rows in the
        # list the window is made again on top, and the program may then end or not from one run
        # to the next (a fault of the program: the session-end watcher takes the old window's
        # destruction for the window being taken away).
        d.step("folder tree: click sub_b (an empty folder)", lambda: d.click_tree("media/sub_b"),
               "tree click")
        bar(1, ["常に手前に表示"], hows[1], " (on)")
        bar(1, ["常に手前に表示"], hows[0], " (off)")
        d.step("folder tree: click media", lambda: d.click_tree("media"), "tree click")
        toolbar("停止")
        bar(1, ["スライドショーを行う"], hows[1], " (on)")
        bar(1, ["スライドショーを行う"], hows[0], " (off)")
        bar(1, ["クイックパス連続再生"], hows[1], " (on)")
        bar(1, ["クイックパス連続再生"], hows[0], " (off)")
        bar(1, ["環境設定"], hows[1])
        d.step("the options dialog: キャンセル", lambda: d.click_node(d.dialog_button("環境設定", "キャンセル")))

    def phase_status_bar():
        # The status bar's menu.
        def status_point():
            x, y, w, h = d.s.extents(d.parts()["status"])
            return (x + 40, y + h // 2)
        d.step("status bar: left click (nothing)", lambda: d.click(*status_point()))
        for path, note in [(["ミュート"], " (on)"), (["ミュート"], " (off)"),
                           (["画面サイズ", "200%"], ""), (["画面サイズ", "ウィンドウに合わせる"], "")]:
            d.step("status bar's menu: %s%s" % (" > ".join(path), note),
                   d.right_click_menu(status_point, path, "of the status bar", menubar_index=1),
                   "status bar menu item", " > ".join(path))

    def phase_keys():
        # Keys, with the keyboard in each pane in turn. Keys that take the browser elsewhere
        # are followed by a second start that brings it back, and the pane is made ready again.
        common = [["F1"], ["F1"], ["F9"], ["F9"], ["F10"], ["b"], ["F11"], ["space"], ["space"],
                  ["shift+space"], ["F5"]]
        leaving = [["F6"], ["F7"], ["BackSpace"]]

        def pane_keys(pane, ready, own, plays=False, row="b_clip.avi", on_top=None):
            ready()
            for keys in common + own:
                key(pane, keys)
            key(pane, ["F8"])  # the network command gives the tree the keyboard
            ready()
            if on_top is not None:
                # F2 with an empty folder on show: see the options menu above.
                d.step("folder tree: click sub_b (an empty folder)",
                       lambda: d.click_tree("media/sub_b"))
                focus(pane, on_top)
                key(pane, ["F2"], " (on)")
                key(pane, ["F2"], " (off)")
                ready()
            for keys in leaving:
                key(pane, keys)
                restore()
                ready()
            if not plays:
                show_media()
                select_row(row)
                key("file list", ["space"], " (plays the row)", counted=False)
                ready()
            key(pane, ["F12"])
            d.step("full-screen picture: key Escape", lambda: d.key("Escape"),
                   "key in full-screen picture", "Escape")
            show_media()
            select_row(row)
            key("file list", ["shift+space"], " (stops)", counted=False)

        def focus(pane, action):
            d.step("%s: give it the keyboard" % pane, action)

        def show_media():
            d.step("folder tree: click media", lambda: d.click_tree("media"))

        def ready_tree():
            show_media()
            select_row("b_clip.avi")
            focus("folder tree", lambda: d.click_tree("media"))

        def ready_list():
            show_media()
            focus("file list", lambda: d.click_list("b_clip.avi"))

        def ready_location():
            show_media()
            select_row("b_clip.avi")
            focus("location box", location_focus)

        def ready_player(pane, which, row, what):
            def action():
                x, y, w, h = d.s.extents(d.picture(which))
                d.click(x + w // 2, y + h // 2)

            def ready():
                show_media()
                select_row(row)
                key("file list", ["space"], " (%s)" % what, counted=False)
                focus(pane, action)
            return ready

        def location_focus():
            d.click_node(d.parts()["location"])
            d.wait_for(lambda: d.shown(d.s.children(d.parts()["location"])[0]),
                       "the location box's list")
            d.key("Escape")

        def empty_list_focus():
            x, y, w, h = d.s.extents(d.parts()["list"])
            d.click(x + w // 2, y + h // 2)

        pane_keys("folder tree", ready_tree,
                  [["Down"], ["Up"], ["Left"], ["Right"], ["k"], ["m"], ["r"], ["Down"],
                   ["Down"], ["Delete"], ["ctrl+z"]],
                  on_top=lambda: d.click_tree("media/sub_b"))
        pane_keys("file list", ready_list,
                  [["ctrl+Down"], ["ctrl+Up"], ["ctrl+a"], ["m"], ["r"], ["Down"], ["Delete"],
                   ["ctrl+z"]], on_top=empty_list_focus)
        pane_keys("location box", ready_location, [["ctrl+Down"], ["Delete"]],
                  on_top=location_focus)
        pane_keys("media player",
                  ready_player("media player", "media", "b_clip.avi",
                               "plays a video: the media player shows"),
                  [["ctrl+Down"], ["ctrl+Up"], ["m"], ["r"], ["Delete"], ["ctrl+z"]],
                  plays=True)
        pane_keys("streaming player",
                  ready_player("streaming player", "stream", "d_image.png",
                               "shows a PNG picture: the streaming player shows"),
                  [["ctrl+Down"], ["ctrl+Up"], ["m"], ["r"]], plays=True, row="d_image.png")

        # The full-screen picture: a video plays on a screen of its own.
        def into_full_screen():
            show_media()
            select_row("b_clip.avi")
            key("file list", ["space"], " (plays)", counted=False)
            key("file list", ["F12"], " (full screen)", counted=False)
        into_full_screen()
        for keys in [["ctrl+Down"], ["ctrl+Up"], ["space"], ["space"], ["F1"], ["F1"], ["F9"],
                     ["F9"], ["F10"], ["b"], ["Delete"], ["F8"], ["F12"], ["shift+space"],
                     ["space"]]:
            key("full-screen picture", keys)
        # No F2 here: a picture plays, so the list has rows (see the options menu above). The
        # players' panes never take the keyboard (it stays with the list), so F2 is not given
        # there either: it would be the list's F2 again.
        for keys in [["F5"], ["F6"], ["F7"], ["BackSpace"], ["F11"]]:
            key("full-screen picture", keys)
            d.step("put back: Esc, wherever the keyboard is", lambda: d.key("Escape"))
            restore()
            into_full_screen()
        key("full-screen picture", ["Escape"])
        select_row("b_clip.avi")
        key("file list", ["shift+space"], " (stops)", counted=False)

    def phase_gestures():
        # Mouse gestures, with the right button held.
        def over(which):
            def point():
                x, y, w, h = d.s.extents(d.picture(which))
                return (x + w // 2, y + h // 3)
            return point

        def list_point():
            x, y, w, h = d.s.extents(d.parts()["list"])
            return (x + w // 2, y + h // 2)

        select_row("b_clip.avi")
        toolbar("再生")
        for name, strokes in [("down", [(0, 60)]), ("up", [(0, -60)]), ("right", [(60, 0)]),
                              ("right", [(60, 0)]), ("left", [(-60, 0)])]:
            d.step("gesture %s over the picture" % name, d.gesture(over("media"), strokes),
                   "gesture", name)
        for name, strokes in [("right", [(60, 0)]), ("down", [(0, 60)]), ("up", [(0, -60)]),
                              ("left", [(-60, 0)])]:
            d.step("gesture %s over the file list" % name, d.gesture(list_point, strokes),
                   "gesture", name)
        d.step("gesture down, then right, over the file list",
               d.gesture(list_point, [(0, 60), (60, 0)]), "gesture", "down, right")
        d.step("gesture left over the file list", d.gesture(list_point, [(-60, 0)]), "gesture",
               "left")
        d.step("right click on the picture without moving",
               lambda: d.click(*over("media")(), button=3))

    def phase_end():
        # The end: the window follows the picture, the trash is emptied, the program is left
        # from the list's menu. (The window stays small after the size that follows the picture:
        # without a window manager it cannot be dragged larger again, so this comes last.)
        select_row("b_clip.avi")
        toolbar("再生")
        bar(1, ["画面サイズ", "100% - フォーム連動"], "alt+o")
        bar(1, ["画面サイズ", "ウィンドウに合わせる"], "click")
        toolbar("停止")
        list_menu("b_clip.avi", ["ごみ箱を空にする"])
        list_menu("b_clip.avi", ["Quorvaneを終了する"])

    phases = [phase_toolbar, phase_location, phase_tree, phase_drag_drop, phase_list,
              phase_list_menu, phase_quick_paths_menu, phase_options_menu, phase_status_bar,
              phase_keys, phase_gestures, phase_end]
    for phase in phases:
        if only is None or phase.__name__[len("phase_"):] in only:
            phase()


# ---------------------------------------------------------------------------------------------
# The run.


def settings_lines(world):
    path = os.path.join(world, ".app", "quorvane.ini")
    lines = []
    for line in read_log(path):
        lines.append("  " + line.replace(world, "<WORLD>"))
    return lines


def program_env(world, procs):
    env = dict(os.environ)
    for name in list(env):
        if name.startswith(("QT_", "XDG_", "LC_")) or name in ("LANG", "LANGUAGE"):
            del env[name]
    home = os.path.join(world, "home")
    env.update({
        "DISPLAY": procs.display,
        "HOME": home,
        "XDG_CONFIG_HOME": os.path.join(home, ".config"),
        "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
        "XDG_CACHE_HOME": os.path.join(home, ".cache"),
        "XDG_RUNTIME_DIR": os.path.join(world, ".runtime"),
        "PATH": os.path.join(world, ".tools") + ":" + env.get("PATH", "/usr/bin:/bin"),
        "LC_ALL": "C.UTF-8",
        "TZ": "UTC",
        "QT_QPA_PLATFORM": "xcb",
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        "QUORVANE_DIALOG_LOG": os.path.join(world, ".dialogs.log"),
    })
    return env


def run_check(args):
    binary = os.path.abspath(args.quorvane)
    world = None
    procs = Processes()

    signal.signal(signal.SIGINT, on_stop_signal)
    signal.signal(signal.SIGTERM, on_stop_signal)
    started = time.time()
    try:
        print("Making the world ...")
        world = make_world(binary)
        procs.start_bus()
        procs.start_xvfb()
        env = program_env(world, procs)
        procs.start_app(world, env)
        screen = Screen(world, procs)
        driver = Driver(screen, world, procs, env)
        print("Started quorvane on %s." % procs.display)
        driver.wait_for_window()
        driver.park()
        try:
            plan(driver, args.only.split(",") if args.only else None)
        except CheckError as error:
            driver.out.append("!! the run stopped: %s" % error)
            print("\nThe run stopped: %s" % error)
        try:
            procs.app.wait(timeout=30)
            driver.out.append("== after the end: the program has ended")
        except subprocess.TimeoutExpired:
            driver.out.append("== after the end: the program is still running")
        driver.out.append("settings file:")
        driver.out.extend(settings_lines(world))
        transcript = "\n".join(driver.out) + "\n"
        print("\n%d steps in %.0f s." % (driver.number, time.time() - started))
        print("Steps given, and how many different commands they are:")
        for kind in sorted(driver.counts):
            steps, distinct = driver.counts[kind]
            print("  %4d %-26s %3d different" % (steps, kind, len(distinct)))
        return transcript
    finally:
        # A second Ctrl-C must not cut the cleaning up short.
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        procs.stop()
        if world and not args.keep:
            shutil.rmtree(world, ignore_errors=True)
        elif world:
            print("The world is kept in " + world)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("quorvane", nargs="?", default=DEFAULT_BINARY,
                        help="the program to check (default: build/src/app/quorvane)")
    parser.add_argument("--record", action="store_true",
                        help="write the reference transcript instead of comparing with it")
    parser.add_argument("--expected", default=DEFAULT_EXPECTED,
                        help="the reference transcript (default: scripts/check_commands.expected)")
    parser.add_argument("--transcript", help="where this run's transcript is written "
                        "(default: check_commands.transcript beside the program)")
    parser.add_argument("--keep", action="store_true", help="keep the temporary world")
    parser.add_argument("--only", help="run only these groups of commands, comma-separated "
                        "(toolbar, location, tree, drag_drop, list, list_menu, quick_paths_menu, "
                        "options_menu, status_bar, keys, gestures, end): for work on this "
                        "script; such a transcript is not comparable")
    args = parser.parse_args()
    if not os.access(args.quorvane, os.X_OK):
        sys.exit("No program at %s: build it first (scripts/build.sh build --target quorvane)."
                 % args.quorvane)
    for tool in ["Xvfb", "xdotool", "dbus-daemon", "ffmpeg", "zip", "jlha"]:
        if shutil.which(tool) is None:
            sys.exit("%s is missing: see the packages named at the top of this script." % tool)

    # Only looked for here: the accessibility library is loaded once the run's own D-Bus session
    # is there.
    for module, package in [("pyatspi", "python3-pyatspi"), ("Xlib", "python3-xlib")]:
        if importlib.util.find_spec(module) is None:
            sys.exit("%s is needed, run by /usr/bin/python3." % package)
    try:
        transcript = run_check(args)
    except KeyboardInterrupt:
        print("\nStopped; the program, Xvfb and the temporary world are gone.")
        return 130
    out = args.transcript or os.path.join(os.path.dirname(os.path.abspath(args.quorvane)),
                                          "check_commands.transcript")
    with open(out, "w", encoding="utf-8") as f:
        f.write(transcript)
    if args.record:
        with open(args.expected, "w", encoding="utf-8") as f:
            f.write(transcript)
        print("Recorded %s." % args.expected)
        return 0
    print("Transcript: %s" % out)
    try:
        with open(args.expected, encoding="utf-8") as f:
            expected = f.read()
    except FileNotFoundError:
        print("No reference at %s: run with --record first." % args.expected)
        return 1
    if compare(expected, transcript):
        print("Every command did what it did before.")
        return 0
    return 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        sys.exit(130)
