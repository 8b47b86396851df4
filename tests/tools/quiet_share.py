#!/usr/bin/python3
"""A share that stops answering, for tests and benchmarks: a small read-only FUSE file system
held in memory whose look-ups wait while it is "quiet", as a network share does when its server
has gone away. Run it with /usr/bin/python3; it needs Debian's python3-fusepy and fuse3.

usage: quiet_share.py MOUNTPOINT [--delay S] [--quiet-after S | --control FILE]
                      [--files N] [--folders N] [--subtype NAME]

The tree: files clip001.mp3 ... at the top, and folders folder1 ... each holding the same files.
A file's bytes are its own path, a line repeated, so a reader can tell which file it read.

While quiet, every look-up (getattr, access, opendir, readdir, open, read, statfs) waits --delay
seconds (60 by default) and then answers as usual. Waiting look-ups answer at once when the share
answers again, and fail with EIO when the script ends.
  - By default the share is quiet from the start.
  - --quiet-after S: it answers at once for S seconds after mounting, then goes quiet for good.
  - --control FILE: it is quiet exactly while FILE exists, looked at on every look-up, so a test
    switches it by making or removing FILE.
The kernel is told to cache nothing, so every call of a program reaches the share: stat() of a
name is a look-up and a getattr and waits twice the delay (of the mount point itself, once). Each
look-up runs in a thread of its own, but the kernel hands this libfuse the look-ups of names in
one folder one at a time: two programs looking up names in one quiet folder wait in turn.

The kernel ends no call that the share has taken, not even for SIGKILL, before the share answers.
A network file system gives up on a caller that a fatal signal waits for, and so does this share
(EINTR): a program stuck on it can be killed as on a real share.

It runs in the foreground and prints one line "ready" on standard output once mounted. SIGTERM,
SIGINT or SIGHUP end it within about a second: waiting look-ups fail, and the mount is lazily
unmounted, even while programs still use it. It also ends when others unmount it. Killed with
SIGKILL, it leaves a dead mount on which every call fails at once; `fusermount -u -z` removes
it. Exit status: 0 after such an end, 1 when it could not mount, 2 for a wrong command line, 3
when fusepy is missing.
"""
import argparse
import errno
import os
import shutil
import signal
import stat
import subprocess
import sys
import threading
import time

try:
    import fusepy as fuse  # Debian's name for it; elsewhere it is "fuse"
except ImportError:
    try:
        import fuse
    except ImportError:
        fuse = None
if fuse is not None and not hasattr(fuse, "FUSE"):
    fuse = None  # another package's module of that name
if fuse is None:
    print("quiet_share: fusepy is missing (Debian package python3-fusepy)", file=sys.stderr)
    sys.exit(3)


def contents(path):
    return (path + "\n").encode() * 32


# True when the thread is gone or a fatal signal waits for it (while the kernel still waits for
# the share's answer).
def dying(thread):
    if thread <= 0:
        return False
    try:
        with open("/proc/%d/status" % thread) as status:
            for line in status:
                if line.startswith(("SigPnd:", "ShdPnd:")):
                    if int(line.split()[1], 16) & (1 << (signal.SIGKILL - 1)):
                        return True
    except (OSError, ValueError):
        return True
    return False


class QuietShare(fuse.Operations):
    use_ns = True

    def __init__(self, files, folders, delay, quiet_after, control):
        self.delay = delay
        self.quiet_after = quiet_after
        self.control = control
        self.stopping = threading.Event()
        self.mounted_at = None
        names = ["clip%03d.mp3" % i for i in range(1, files + 1)]
        tops = ["folder%d" % i for i in range(1, folders + 1)]
        self.folders = {"/": tops + names, **{"/" + top: names for top in tops}}
        self.files = {path: contents(path) for folder in self.folders
                      for path in (folder.rstrip("/") + "/" + name for name in names)}
        self.time = time.time_ns()

    def quiet(self):
        if self.control is not None:
            return os.path.exists(self.control)
        started = self.mounted_at
        return started is not None and time.monotonic() >= started + self.quiet_after

    # Waits while quiet, at most the delay; fails with EIO when the script is ending and with
    # EINTR when the asking thread is being killed.
    def wait(self):
        asking = fuse.fuse_get_context()[2]
        deadline = time.monotonic() + self.delay
        while self.quiet() and not self.stopping.is_set():
            left = deadline - time.monotonic()
            if left <= 0:
                break
            if dying(asking):
                raise fuse.FuseOSError(errno.EINTR)
            self.stopping.wait(min(left, 0.05))
        if self.stopping.is_set():
            raise fuse.FuseOSError(errno.EIO)

    def init(self, path):
        self.mounted_at = time.monotonic()
        print("ready", flush=True)

    def getattr(self, path, fh=None):
        self.wait()
        times = {"st_atime": self.time, "st_mtime": self.time, "st_ctime": self.time}
        ids = {"st_uid": os.getuid(), "st_gid": os.getgid()}
        if path in self.folders:
            return dict(st_mode=stat.S_IFDIR | 0o555, st_nlink=2, st_size=4096, **times, **ids)
        if path in self.files:
            return dict(st_mode=stat.S_IFREG | 0o444, st_nlink=1, st_size=len(self.files[path]),
                        **times, **ids)
        raise fuse.FuseOSError(errno.ENOENT)

    def access(self, path, amode):
        self.wait()
        if path not in self.folders and path not in self.files:
            raise fuse.FuseOSError(errno.ENOENT)
        if amode & os.W_OK:
            raise fuse.FuseOSError(errno.EROFS)
        return 0

    def opendir(self, path):
        self.wait()
        if path not in self.folders:
            raise fuse.FuseOSError(errno.ENOENT if path not in self.files else errno.ENOTDIR)
        return 0

    def readdir(self, path, fh):
        self.wait()
        return [".", ".."] + self.folders[path]

    def open(self, path, flags):
        self.wait()
        if path not in self.files:
            raise fuse.FuseOSError(errno.ENOENT if path not in self.folders else errno.EISDIR)
        if flags & os.O_ACCMODE != os.O_RDONLY:
            raise fuse.FuseOSError(errno.EROFS)
        return 0

    def read(self, path, size, offset, fh):
        self.wait()
        return self.files[path][offset:offset + size]

    def statfs(self, path):
        self.wait()
        return dict(f_bsize=4096, f_frsize=4096, f_blocks=1024, f_bfree=0, f_bavail=0,
                    f_files=len(self.files) + len(self.folders), f_ffree=0, f_namemax=255)


def unmount(mountpoint):
    tool = shutil.which("fusermount3") or shutil.which("fusermount")
    try:
        subprocess.run([tool, "-u", "-z", "-q", mountpoint], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=2)
    except (TypeError, OSError, subprocess.TimeoutExpired):
        pass  # no fusermount, or it hangs: leaving the process drops the mount's connection


def main():
    parser = argparse.ArgumentParser(description="A FUSE share whose look-ups wait.")
    parser.add_argument("mountpoint")
    parser.add_argument("--delay", type=float, default=60.0, metavar="SECONDS",
                        help="how long each look-up waits while quiet (60)")
    when = parser.add_mutually_exclusive_group()
    when.add_argument("--quiet-after", type=float, default=0.0, metavar="SECONDS",
                      help="answer for this long after mounting, then go quiet (0)")
    when.add_argument("--control", metavar="FILE", help="be quiet while FILE exists")
    parser.add_argument("--files", type=int, default=3, metavar="N",
                        help="files in each folder (3)")
    parser.add_argument("--folders", type=int, default=2, metavar="N",
                        help="folders at the top (2)")
    parser.add_argument("--subtype", default="quiet_share", metavar="NAME",
                        help="the mount's type is fuse.NAME")
    args = parser.parse_args()
    if not os.path.isdir(args.mountpoint):
        parser.error("%s is not a folder" % args.mountpoint)
    mountpoint = os.path.abspath(args.mountpoint)
    share = QuietShare(max(args.files, 0), max(args.folders, 0), max(args.delay, 0.0),
                       args.quiet_after, args.control and os.path.abspath(args.control))

    # The signals are this thread's (set before FUSE starts, so libfuse leaves them alone) and
    # FUSE runs in another thread, its loop ending when the mount goes away. A handler only notes
    # the signal: taking a lock in one could deadlock this thread.
    signalled = []
    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(number, lambda number, _: signalled.append(number))
    failure = []

    def serve():
        options = dict(foreground=True, ro=True, fsname="quiet_share", subtype=args.subtype,
                       attr_timeout=0, entry_timeout=0, negative_timeout=0)
        if os.geteuid() == 0:
            options["allow_other"] = True
        try:
            fuse.FUSE(share, mountpoint, **options)
        except BaseException as error:
            failure.append(error)

    server = threading.Thread(target=serve, daemon=True)
    server.start()
    while server.is_alive() and not signalled:
        time.sleep(0.1)
    share.stopping.set()
    if server.is_alive():
        unmount(mountpoint)
    # The loop ends once the kernel drops the mount. A program still in the share keeps it up;
    # then leaving the process closes the connection, which fails whatever still waits on it.
    server.join(1.0)
    if failure:
        # fusepy raises RuntimeError with libfuse's status; libfuse has printed why.
        why = "libfuse's reason is above" if type(failure[0]) is RuntimeError else failure[0]
        print("quiet_share: could not mount %s: %s" % (mountpoint, why), file=sys.stderr)
    sys.stdout.flush()
    sys.stderr.flush()
    os._exit(1 if failure else 0)


if __name__ == "__main__":
    main()
