"""The office harness: real vtmessenger copies on a simulated LAN, and a scripted peer.

Runs as the command of scripts/office-lan, which gives every workstation a network
namespace of its own on one bridge. Each copy runs on its own workstation with its own
program folder (a prepared settings.txt, so no first-run box), its own COMPUTERNAME and
USERNAME and its own HOME and XDG folders, offscreen and without modal boxes. The peer
(peer.py) runs on a further workstation and sends and records raw datagrams.

Files are polled against a deadline; nothing waits a fixed time.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.dirname(os.path.dirname(HERE))
CODEPAGE = "cp1252"
CRLF = "\r\n"

# Long enough for a loaded two-core machine; a passing step takes a fraction of it.
DEADLINE = float(os.environ.get("OFFICE_DEADLINE", "10"))
POLL = 0.02

LISTENING_PORT = 4111
SENDING_PORT = 4112

VERSION = "1.5.1"


def binary_dir():
    return os.environ.get("VT_BIN_DIR") or os.path.join(SOURCE_DIR, "build", "bin")


def ws_exec():
    tool = os.environ.get("OFFICE_LAN_EXEC")
    if not tool:
        sys.exit("office tests run under scripts/office-lan -- ... (OFFICE_LAN_EXEC is not set)")
    return tool


def wait_until(predicate, what, deadline=DEADLINE, details=None):
    """Polls predicate until it returns something true; fails with `what` after the deadline."""
    end = time.monotonic() + deadline
    while True:
        result = predicate()
        if result:
            return result
        if time.monotonic() >= end:
            message = "timed out after %.1f s waiting for %s" % (deadline, what)
            if details:
                message += "\n" + details()
            raise AssertionError(message)
        time.sleep(POLL)


def read_text(path):
    """A data file as the program writes it (Windows-1252); None when it does not exist."""
    try:
        with open(path, "rb") as f:
            return f.read().decode(CODEPAGE, errors="replace")
    except FileNotFoundError:
        return None


def settings_line(key, value):
    return "[" + key.ljust(20) + "]=" + str(value)


def settings_text(name, **overrides):
    """A settings file as the saver writes it; options not given keep their defaults, except
    that the copies of the office play no sound and make no start-with-the-desktop entry."""
    values = {
        "MY NAME": name.upper(),
        "LISTENINGPORT": LISTENING_PORT,
        "SENDINGPORT": SENDING_PORT,
        "PLAYSOUND": 0,
        "REPLYTOALL": 0,
        "SHOWOWN": 0,
        "AUTORESPONSEMSG": "I'm away from my desk",
        "AUTORESPONSEMSG1": "I'm out of the office",
        "AUTORESPONSEMSG2": "I'm in a meeting",
        "AUTORESPONSEMSG3": "",
        "AUTORESPONSEFORWARD": 1,
        "AUTORESPONSEALLOW": 0,
        "SHOWMEINLIST": 1,
        "STARTWITHWINDOWS": 0,
        "MINIMIZEONSTART": 0,
        "KEEPINFRONT": 0,
        "MESSAGEFONTSIZE": 10,
        "USERLISTFONT": 0,
        "STARTCLEARUSERCACHE": 0,
        "RESETPORTS": 0,
        "ENTERSEND": 0,
        "HIDEENTERSENDTIP": 0,
        "WAVEFILE": "",
        "WINPOSX": 0,
        "WINPOSY": 0,
    }
    values.update({key.replace("_", " "): value for key, value in overrides.items()})
    lines = ["Vantrell Messenger v" + VERSION, "Settings file"]
    lines += [settings_line(key, value) for key, value in values.items()]
    lines.append("End")
    return CRLF.join(lines) + CRLF


class Peer:
    """The scripted peer on its own workstation: sends any datagram and records arrivals."""

    def __init__(self, workstation):
        self.workstation = workstation
        self.address = "10.98.0.%d" % workstation
        self._cond = threading.Condition()
        self._received = []  # (ip, port, bytes)
        self._answers = []
        self._ready = False
        self._process = subprocess.Popen(
            [ws_exec(), str(workstation), sys.executable, os.path.join(HERE, "peer.py"),
             "--listen-port", str(LISTENING_PORT), "--send-port", str(SENDING_PORT)],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        with self._cond:
            if not self._cond.wait_for(lambda: self._ready or self._process.poll() is not None,
                                       DEADLINE) or not self._ready:
                raise AssertionError("the peer did not start on workstation %d" % workstation)

    def _read(self):
        for line in self._process.stdout:
            words = line.split()
            with self._cond:
                if words[:1] == ["ready"]:
                    self._ready = True
                elif words[:1] == ["got"] and len(words) in (3, 4):
                    payload = bytes.fromhex(words[3]) if len(words) == 4 else b""
                    self._received.append((words[1], int(words[2]), payload))
                else:
                    self._answers.append(words)
                self._cond.notify_all()

    def send(self, datagram):
        """Broadcasts text (encoded in the code page) or raw bytes from the sending port."""
        payload = datagram.encode(CODEPAGE) if isinstance(datagram, str) else datagram
        with self._cond:
            before = len(self._answers)
        self._process.stdin.write("send %s\n" % payload.hex())
        self._process.stdin.flush()
        with self._cond:
            if not self._cond.wait_for(lambda: len(self._answers) > before, DEADLINE):
                raise AssertionError("the peer did not answer a send")
            answer = self._answers[before]
        if answer[:1] != ["sent"] or int(answer[1]) != len(payload):
            raise AssertionError("the peer could not send %r: %s" % (payload[:40], " ".join(answer)))

    def received(self):
        """Every datagram that arrived so far: (ip, port, text decoded from the code page)."""
        with self._cond:
            return [(ip, port, data.decode(CODEPAGE, errors="replace"))
                    for ip, port, data in self._received]

    def wait_for(self, text, what=None):
        """Waits until a datagram with exactly this text has arrived; returns (ip, port, text)."""
        def seen():
            return next((d for d in self.received() if d[2] == text), None)
        return wait_until(seen, what or "the datagram %r" % text,
                          details=lambda: "received: %r" % [d[2] for d in self.received()])

    def close(self):
        if self._process.poll() is None:
            try:
                self._process.stdin.write("quit\n")
                self._process.stdin.close()
                self._process.wait(DEADLINE)
            except (OSError, subprocess.TimeoutExpired):
                self._process.kill()
                self._process.wait()
        self._reader.join(DEADLINE)
        self._process.stdout.close()


class Copy:
    """One vtmessenger on its own workstation with its own program folder."""

    def __init__(self, office, workstation, computer, user, name, **settings):
        """`name` None: no settings.txt, so the copy runs its first start, where the box for
        the name is answered with its default, the user name."""
        self.office = office
        self.workstation = workstation
        self.computer = computer
        self.user = user
        self.name = (user if name is None else name).upper()
        self.identity = "[%s\\%s]" % (computer.upper(), user.upper())
        self.folder = os.path.join(office.root, "ws%d" % workstation)
        for sub in ("home", "run", "config", "data", "cache"):
            os.makedirs(os.path.join(self.folder, "private", sub), mode=0o700, exist_ok=True)
        if name is not None:
            with open(self.file("settings.txt"), "wb") as f:
                f.write(settings_text(name, **settings).encode(CODEPAGE))
        self.process = None

    def file(self, name):
        return os.path.join(self.folder, name)

    def environment(self):
        """What the copy runs with; a second process started with it is the same user at the
        same desk (same program folder, same single-instance lock)."""
        private = os.path.join(self.folder, "private")
        env = dict(os.environ)
        env.update({
            "VTMESSENGER_HOME": self.folder,
            "VTMESSENGER_NO_BOXES": "1",
            "QT_QPA_PLATFORM": "offscreen",
            "COMPUTERNAME": self.computer,
            "USERNAME": self.user,
            # Nothing of a copy may land in the real user's folders, and two copies must
            # not see each other's single-instance lock.
            "HOME": os.path.join(private, "home"),
            "XDG_RUNTIME_DIR": os.path.join(private, "run"),
            "XDG_CONFIG_HOME": os.path.join(private, "config"),
            "XDG_DATA_HOME": os.path.join(private, "data"),
            "XDG_CACHE_HOME": os.path.join(private, "cache"),
            # An update check must find nothing to fetch.
            "VTMESSENGER_UPDATE_URL": "http://127.0.0.1:9/",
        })
        return env

    def command(self, *arguments, nolink=False):
        """The command line that runs the program on the copy's workstation; `nolink`: the
        workstation is made with its network link down (it must not exist yet)."""
        return ([ws_exec()] + (["--nolink"] if nolink else []) + [str(self.workstation)]
                + [os.path.join(binary_dir(), "vtmessenger")] + list(arguments))

    def start(self, *arguments, nolink=False):
        """Starts the program (again, after it ended) with `arguments`, e.g. "/m"."""
        if self.process is not None:
            self._output.close()
        self._output = open(self.file("output.txt"), "ab")
        self.process = subprocess.Popen(
            self.command(*arguments, nolink=nolink), env=self.environment(),
            stdin=subprocess.DEVNULL, stdout=self._output, stderr=subprocess.STDOUT)
        return self

    def running(self):
        return self.process is not None and self.process.poll() is None

    def diagnostics(self):
        output = read_text(self.file("output.txt")) or ""
        state = "running" if self.running() else "exit status %s" % self.process.returncode
        return "%s on ws%d (%s); its output:\n%s\nlogtemp.txt:\n%s" % (
            self.identity, self.workstation, state, output[-2000:], self.log())

    def log(self):
        """logs/logtemp.txt, or None when it does not exist."""
        return read_text(os.path.join(self.folder, "logs", "logtemp.txt"))

    def users(self):
        text = read_text(self.file("users.txt"))
        return [] if text is None else [line for line in text.split(CRLF) if line]

    def archives(self):
        logs = os.path.join(self.folder, "logs")
        return sorted(n for n in os.listdir(logs) if re.fullmatch(r"log\d{12}\.txt", n))

    def wait_for_log(self, text, what=None):
        return wait_until(lambda: text in (self.log() or ""),
                          what or "%r in the log of %s" % (text, self.identity),
                          details=self.diagnostics)

    def terminate(self, sig=signal.SIGTERM):
        """Ends the copy through its exit path (SIGTERM or SIGINT); returns its exit status."""
        self.process.send_signal(sig)
        try:
            return self.process.wait(DEADLINE)
        except subprocess.TimeoutExpired:
            raise AssertionError("%s did not end after %s\n%s"
                                 % (self.identity, sig.name, self.diagnostics()))

    def kill(self):
        if self.process is None:
            return
        if self.running():
            self.process.kill()
            self.process.wait()
        self._output.close()


class Office:
    """The copies and the peer of one test; everything ends with close()."""

    PEER_WORKSTATION = 200

    def __init__(self):
        ws_exec()
        self.root = tempfile.mkdtemp(prefix="office-")
        self.copies = []
        self.peer = None

    def start_peer(self):
        self.peer = Peer(self.PEER_WORKSTATION)
        return self.peer

    def start_copy(self, workstation, computer, user, name, **settings):
        """Starts a copy and waits until it has announced itself (sockets bound, start-up done
        as far as the announcement). Needs the peer, which hears the announcement."""
        assert self.peer, "start the peer first: it tells when a copy is up"
        copy = Copy(self, workstation, computer, user, name, **settings)
        self.copies.append(copy)
        copy.start()
        self.peer.wait_for("***%s=%s" % (copy.identity, copy.name),
                           "the announcement of %s" % copy.identity)
        return copy

    def close(self, keep=False):
        for copy in self.copies:
            copy.kill()
        if self.peer:
            self.peer.close()
        if not keep:
            shutil.rmtree(self.root, ignore_errors=True)
