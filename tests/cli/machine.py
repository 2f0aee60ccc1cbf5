"""A simulated server machine for tarnwick-cli's tests.

The cases speak only in terms of a Machine: seed its registry, put files on its drives, set how its
service command behaves, run the CLI, read the registry back as .reg text and list the files. The
native machine below runs build/native's tarnwick-cli over a .reg store and a folder standing in for
drive C:. The machine for tarnwick-cli.exe under Wine (wine_machine.py) implements the same methods
(drive C: in the prefix, the registry exported with regedit /E, net.exe replaced by a stand-in);
what a machine cannot do, it refuses with unittest.SkipTest and its reason.
"""

import datetime
import hashlib
import hmac
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_ROOT = os.path.dirname(os.path.dirname(HERE))
EXAMPLES = os.path.join(SOURCE_ROOT, "examples")

# Windows Installer's codes, as tarnwick-cli exits with them.
SUCCESS = 0
REBOOT_REQUIRED = 3010
USER_EXIT = 1602
INSTALL_FAILURE = 1603
ALREADY_RUNNING = 1618
BAD_PACKAGE = 1619
INVALID_COMMAND_LINE = 1639

TIME_FORMAT = re.compile(r"^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}\.\d{3}Z$")

SERVICE = "Cold Fusion Application Server"


# ---------------------------------------------------------------------------------------------
# The registry as .reg text


class Registry:
    """A registry read from .reg text (REGEDIT4, or version 5 as regedit exports it). Key and
    value names compare without case, as Windows compares them."""

    def __init__(self, text):
        self._keys = {}  # folded key -> (key, {folded name -> (name, data)})
        key = None
        pending = ""
        for raw in text.splitlines():
            line = pending + raw
            if line.endswith("\\") and not line.startswith("["):
                pending = line[:-1].strip()  # hex values continue on the next line
                continue
            pending = ""
            if not line.strip() or line.startswith(";"):
                continue
            if line.startswith("[") and line.rstrip().endswith("]"):
                name = line.strip()[1:-1]
                key = self._keys.setdefault(name.upper(), (name, {}))
                continue
            if key is None or line.startswith(("REGEDIT4", "Windows Registry Editor")):
                continue
            name, data = _parse_value_line(line)
            key[1][name.upper()] = (name, data)
        # A key implies its parents, as importing the text creates them.
        for name, _ in list(self._keys.values()):
            parts = name.split("\\")
            for depth in range(1, len(parts)):
                parent = "\\".join(parts[:depth])
                self._keys.setdefault(parent.upper(), (parent, {}))

    def keys(self):
        return sorted(name for name, _ in self._keys.values())

    def has_key(self, key):
        return key.upper() in self._keys

    def values(self, key):
        """{name: data} of a key; empty when the key is absent."""
        entry = self._keys.get(key.upper())
        return {} if entry is None else {name: data for name, data in entry[1].values()}

    def value(self, key, name):
        """A value's data (str for strings), None when the key or the value is absent."""
        entry = self._keys.get(key.upper())
        if entry is None:
            return None
        found = entry[1].get(name.upper())
        return None if found is None else found[1]

    def flat(self):
        """{(KEY, NAME) folded: data} plus {(KEY, None): None} for every key."""
        out = {}
        for folded, (_, values) in self._keys.items():
            out[(folded, None)] = None
            for name_folded, (_, data) in values.items():
                out[(folded, name_folded)] = data
        return out


def _parse_value_line(line):
    if line.startswith("@="):
        name, rest = "", line[2:]
    else:
        if not line.startswith('"'):
            raise ValueError("not a value line: %r" % line)
        name, end = _read_quoted(line, 0)
        if line[end] != "=":
            raise ValueError("no = after the name: %r" % line)
        rest = line[end + 1:]
    if rest.startswith('"'):
        data, _ = _read_quoted(rest, 0)
        return name, data
    return name, rest  # dword:, hex(...): kept as written


def _read_quoted(text, start):
    out = []
    i = start + 1
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append(text[i + 1])
            i += 2
            continue
        if c == '"':
            return "".join(out), i + 1
        out.append(c)
        i += 1
    raise ValueError("unterminated string: %r" % text)


def reg_string(text):
    """A string as .reg text writes it between quotes."""
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"')


# ---------------------------------------------------------------------------------------------
# The log


class LogError(AssertionError):
    pass


TIME_FIELD = re.compile(r'"time":"[^"]*"')


def cut_tail(text):
    """A killed run's log as its whole lines and the start of the line in flight, if any. Linux
    may cut a write at a page boundary when SIGKILL arrives during it, so a killed run can leave
    part of one more line after its last line end; that line's change is the one in flight."""
    cut = text.rfind("\n") + 1
    return text[:cut], text[cut:]


def same_line_start(tail, line):
    """Whether tail begins line, the times aside (a time has one length, so places stay put)."""
    found = TIME_FIELD.search(line)
    if found:
        start, end = found.span()
        line = line[:start] + "x" * (end - start) + line[end:]
        tail = tail[:start] + "x" * max(0, min(len(tail), end) - start) + tail[end:]
    return line.startswith(tail)


def parse_log(text, started=None, ended=None):
    """The events of a JSON-lines log (or of plan --json's output). Every line must be a whole
    line holding one JSON object with "event" and "time" (UTC, milliseconds); with started and
    ended (UTC datetimes), every time must fall between them, give or take a second."""
    if text and not text.endswith("\n"):
        size = len(text.encode("utf-8"))
        raise LogError("the log ends in the middle of a line, at byte %d (%d into a 4 KiB page): %r"
                       % (size, size % 4096, text[-200:]))
    events = []
    for number, line in enumerate(text.split("\n")[:-1] if text else [], 1):
        try:
            event = json.loads(line)
        except ValueError as error:
            raise LogError("line %d is not JSON (%s): %r" % (number, error, line[:300]))
        if not isinstance(event, dict) or not isinstance(event.get("event"), str):
            raise LogError("line %d has no event: %r" % (number, line[:300]))
        stamp = event.get("time")
        if not isinstance(stamp, str) or not TIME_FORMAT.match(stamp):
            raise LogError("line %d has no UTC time with milliseconds: %r" % (number, stamp))
        when = datetime.datetime.strptime(stamp, "%Y-%m-%dT%H:%M:%S.%fZ")
        slack = datetime.timedelta(seconds=1)
        if started is not None and not (started - slack <= when <= ended + slack):
            raise LogError("line %d is stamped %s, outside the run (%s to %s UTC)"
                           % (number, stamp, started.isoformat(), ended.isoformat()))
        events.append(event)
    return events


SEAL = re.compile(rb',"mac":"[0-9a-f]{64}"\}$')


def seal_lines(text, key):
    """text (bytes: JSON lines, each ending with its line end) with every line sealed as
    tarnwick-cli seals a log: its last field "mac", the HMAC-SHA-256 under key of the code of the
    line before (32 zero bytes for the first) and the line without its closing brace."""
    previous = bytes(32)
    out = []
    for line in text.split(b"\n")[:-1]:
        body = line[:-1]
        previous = hmac.new(key, previous + body, hashlib.sha256).digest()
        out.append(body + b',"mac":"' + previous.hex().encode() + b'"}\n')
    return b"".join(out)


def unsealed(text):
    """text (bytes) with the code taken off every line that has one."""
    return b"".join(SEAL.sub(b"}", line) + b"\n" for line in text.split(b"\n")[:-1])


def without_stamps(events):
    """The events as two runs of the same changes compare: without their times and their codes
    (which chain the times of the lines before, and which a plan's lines do not carry)."""
    return [{k: v for k, v in e.items() if k not in ("time", "mac")} for e in events]


class Run:
    """One finished run of the CLI."""

    def __init__(self, machine, args, status, stdout, stderr, log_text, events):
        self.machine = machine
        self.args = args
        self.status = status  # the process's exit status, as the machine reports it
        self.stdout = stdout
        self.stderr = stderr
        self.log_text = log_text  # None: no log was written
        self.events = events  # the log's events, or plan --json's; None without either

    @property
    def end(self):
        ends = [e for e in self.events or [] if e["event"] == "end"]
        return ends[-1] if ends else None

    def of(self, kind):
        return [e for e in self.events or [] if e["event"] == kind]

    def describe(self):
        log = self.log_text if self.log_text is not None else self.stdout
        if len(log) > 4000:
            log = log[:1500] + "\n[...]\n" + log[-2500:]
        return "tarnwick-cli %s\nexit status %s\nstderr:\n%s\nlog:\n%s" % (
            " ".join(self.args), self.status, self.stderr[:3000], log)


# ---------------------------------------------------------------------------------------------
# Machines


class Machine:
    """What the cases may do with a machine. Windows paths name files on it ("C:\\x\\y")."""

    def close(self):
        raise NotImplementedError

    # -- set up
    def seed_registry(self, reg_text):
        raise NotImplementedError

    def set_service_exit(self, code):
        """The exit code of every later `net` command."""
        raise NotImplementedError

    def hold_service(self):
        """Context: `net` commands wait until it ends."""
        raise NotImplementedError

    def hold_install_lock(self):
        """Context: the machine-wide install lock is held, as by another install."""
        raise NotImplementedError

    def make_folder(self, path):
        raise NotImplementedError

    def write_file(self, path, data):
        raise NotImplementedError

    def deny_writes(self, path):
        """The folder path may no longer be written by the CLI (may raise unittest.SkipTest)."""
        raise NotImplementedError

    def deny_store_writes(self):
        """The registry may be read but not written by the CLI (may raise unittest.SkipTest)."""
        raise NotImplementedError

    def allow_store_writes(self):
        """Gives back what deny_store_writes took."""
        raise NotImplementedError

    def add_package(self, name, files, source=None):
        """A package folder named name ("/" for sub-folders) from {relative path: bytes}
        (install.conf among them), or a copy of the host folder source plus files; returns the
        path to pass to the CLI."""
        raise NotImplementedError

    def package_file(self, package, relative):
        """The bytes of a package's file, by its Windows path relative to the package."""
        raise NotImplementedError

    def named(self, host):
        """How the program names a file it was given by its host path: made absolute as the
        system makes a path."""
        raise NotImplementedError

    def host_file(self, name, text=None):
        """A fresh file beside the machine holding text (system code page, CR LF; bytes as they
        are), for an answers file; returns its path as the CLI is given it. name may name a
        folder that does not exist."""
        raise NotImplementedError

    # -- run
    def run(self, *args, log=False, timeout=120):
        """Runs tarnwick-cli with args; log=True adds --log to a fresh file and reads it back."""
        raise NotImplementedError

    def start(self, *args, log=False):
        """Starts tarnwick-cli and returns at once, with a handle for wait and kill."""
        raise NotImplementedError

    def wait(self, started, timeout=120):
        """The Run of a started run, once it ends."""
        raise NotImplementedError

    def kill(self, started):
        """Kills a started run at once; returns its log's text, None without one."""
        raise NotImplementedError

    def finished(self, started):
        """Whether a started run has ended by itself."""
        raise NotImplementedError

    def log_lines(self, started):
        """How many whole lines a started run's log holds so far."""
        raise NotImplementedError

    def exit_status(self, code):
        """The status a process that exits with code shows on this machine."""
        raise NotImplementedError

    def log_key(self):
        """The machine's key for the codes of its logs, made by a first run when there is none
        (may raise unittest.SkipTest where the key cannot be read)."""
        raise NotImplementedError

    def spoil_log_key(self):
        """The machine's key is kept so that the program refuses it (may raise
        unittest.SkipTest)."""
        raise NotImplementedError

    def seal(self, text):
        """Lines (bytes) sealed with this machine's key, as if its tarnwick-cli had written them."""
        return seal_lines(unsealed(text), self.log_key())

    # -- read back
    def registry_text(self):
        raise NotImplementedError

    def registry(self):
        return Registry(self.registry_text())

    def store_bytes(self):
        """The registry's store as it is kept, to compare byte for byte."""
        raise NotImplementedError

    def store_listing(self):
        """The names in the folder of the registry's store, the files kept beside it included
        (may raise unittest.SkipTest where the store is the system's own)."""
        raise unittest.SkipTest("the registry's store is the system's own")

    def files(self):
        """{Windows path: bytes} of every file on the drives."""
        raise NotImplementedError

    def folders(self):
        """The Windows paths of every folder on the drives."""
        raise NotImplementedError

    def service_log(self):
        """The `net` commands run so far, one line each."""
        raise NotImplementedError


def _utcnow():
    return datetime.datetime.now(datetime.timezone.utc).replace(tzinfo=None)


NET_STAND_IN = r"""#!/bin/sh
# The machine's service control: logs the command, waits while the service is held, and exits with
# the code the test chose.
dir='%(dir)s'
line=net
for arg; do
    case $arg in
    *' '* | '') line="$line \"$arg\"" ;;
    *) line="$line $arg" ;;
    esac
done
echo "$line" >>"$dir/service.log"
while [ -e "$dir/hold" ]; do sleep 0.02; done
code=0
[ -f "$dir/exit-code" ] && code=$(cat "$dir/exit-code")
exit "$code"
"""

UNPRIVILEGED = 65534


class NativeMachine(Machine):
    """tarnwick-cli over the POSIX subset: TARNWICK_REGISTRY names the store, TARNWICK_DRIVES maps
    C: to a folder, and `net` on PATH stands in for the service control."""

    code_page = "cp1252"  # what the program reads and writes texts as
    name_encoding = code_page  # what the POSIX subset reads file names and the store as

    def __init__(self, cli, base=None):
        self.cli = cli
        self.root = tempfile.mkdtemp(prefix="tarnwick-cli-", dir=base)
        os.chmod(self.root, 0o755)  # an unprivileged run must reach everything in it
        self.drive = os.path.join(self.root, "c")
        self.store_dir = os.path.join(self.root, "store")
        self.store = os.path.join(self.store_dir, "registry.reg")
        self.service_dir = os.path.join(self.root, "service")
        self.bin = os.path.join(self.root, "bin")
        self.scratch = os.path.join(self.root, "scratch")
        self.packages = os.path.join(self.root, "packages")
        for folder in (self.drive, self.store_dir, self.service_dir, self.bin, self.scratch,
                       self.packages):
            os.makedirs(folder)
        # The server's folders, as the seed registry and the example packages name them.
        for folder in ("CFusion\\CustomTags", "Inetpub\\wwwroot"):
            os.makedirs(os.path.join(self.drive, *folder.split("\\")))
        shutil.copyfile(os.path.join(EXAMPLES, "server.reg"), self.store)
        net = os.path.join(self.bin, "net")
        with open(net, "w") as out:
            out.write(NET_STAND_IN % {"dir": self.service_dir})
        os.chmod(net, 0o755)
        self.unprivileged = False
        self._counter = 0
        self.environment = {}  # more for the program's runs

    def close(self):
        if os.geteuid() != 0:  # give back what deny_* took, so that the tree can go
            for folder, dirs, _ in os.walk(self.root):
                for d in dirs:
                    os.chmod(os.path.join(folder, d), 0o755)
        shutil.rmtree(self.root, ignore_errors=True)

    # -- paths
    def host_path(self, path):
        """The host path of a Windows path on drive C:."""
        if not re.match(r"^[cC]:(\\|$)", path):
            raise ValueError("not on drive C: %r" % path)
        parts = [p for p in path[3:].split("\\") if p]
        return os.path.join(self.drive.encode(), *[p.encode(self.name_encoding) for p in parts])

    def named(self, host):
        return host

    def host_file(self, name, text=None):
        self._counter += 1
        path = os.path.join(self.scratch, "%d-%s" % (self._counter, name))
        if isinstance(text, str):
            text = text.replace("\r\n", "\n").replace("\n", "\r\n").encode(self.code_page)
        if text is not None:
            with open(path, "wb") as out:
                out.write(text)
        return path

    # -- set up
    def seed_registry(self, reg_text):
        with open(self.store, "wb") as out:
            out.write(reg_text.replace("\n", "\r\n").encode(self.code_page))

    def set_service_exit(self, code):
        with open(os.path.join(self.service_dir, "exit-code"), "w") as out:
            out.write("%d\n" % code)

    class _Hold:
        def __init__(self, path):
            self.path = path

        def __enter__(self):
            open(self.path, "w").close()
            return self

        def __exit__(self, *_):
            os.unlink(self.path)

    def hold_service(self):
        return self._Hold(os.path.join(self.service_dir, "hold"))

    class _Lock:
        def __init__(self, path):
            self.path = path

        def __enter__(self):
            import fcntl
            self.fd = os.open(self.path, os.O_RDWR | os.O_CREAT, 0o666)
            fcntl.flock(self.fd, fcntl.LOCK_EX)
            return self

        def __exit__(self, *_):
            os.close(self.fd)

    def hold_install_lock(self):
        # The named mutex of the POSIX subset: an flock on a file beside the store.
        return self._Lock(self.store + ".Global_TarnwickCliInstall.lock")

    def make_folder(self, path):
        os.makedirs(self.host_path(path), exist_ok=True)

    def write_file(self, path, data):
        host = self.host_path(path)
        os.makedirs(os.path.dirname(host), exist_ok=True)
        with open(host, "wb") as out:
            out.write(data)

    def _become_unprivileged(self):
        """Later runs are an unprivileged user's, for whom modes count. As root, that user owns
        the machine so that only what deny_* took is out of reach."""
        if self.unprivileged:
            return
        if os.geteuid() == 0:
            if shutil.which("setpriv") is None:
                raise unittest.SkipTest("running as root without setpriv to drop privileges")
            probe = subprocess.run(self._unprivileged_prefix() + ["test", "-x", self.cli])
            if probe.returncode != 0:
                raise unittest.SkipTest("user %d cannot run %s (a folder on the way is private)"
                                        % (UNPRIVILEGED, self.cli))
            for folder, dirs, files in os.walk(self.root):
                os.chown(folder, UNPRIVILEGED, UNPRIVILEGED)
                for name in files:
                    os.chown(os.path.join(folder, name), UNPRIVILEGED, UNPRIVILEGED)
        self.unprivileged = True

    def _deny(self, host, mode):
        self._become_unprivileged()
        os.chmod(host, mode)
        if os.geteuid() != 0 and os.access(host, os.W_OK):
            raise unittest.SkipTest("file modes do not stop this user writing %s" % host)

    def deny_writes(self, path):
        self._deny(self.host_path(path), 0o555)

    def deny_store_writes(self):
        self._become_unprivileged()
        self._make_log_key()  # the folder is the key's too
        # A machine that has run installs before keeps the install lock's file beside its store:
        # the lock still works where nothing else may be written.
        open(self.store + ".Global_TarnwickCliInstall.lock", "ab").close()
        self._deny(self.store, 0o444)
        self._deny(self.store_dir, 0o555)

    def allow_store_writes(self):
        os.chmod(self.store_dir, 0o755)
        os.chmod(self.store, 0o644)

    def add_package(self, name, files=None, source=None):
        folder = os.path.join(self.packages.encode(), *[p.encode(self.name_encoding)
                                                         for p in name.split("/")])
        if source:
            os.makedirs(os.path.dirname(folder), exist_ok=True)
            shutil.copytree(source.encode(), folder)
        else:
            os.makedirs(folder)
        for relative, data in (files or {}).items():
            host = os.path.join(folder, *[p.encode(self.name_encoding)
                                          for p in relative.split("/")])
            os.makedirs(os.path.dirname(host), exist_ok=True)
            with open(host, "wb") as out:
                out.write(data)
        if self.unprivileged and os.geteuid() == 0:
            for sub, dirs, names in os.walk(folder):
                for entry in [sub] + [os.path.join(sub, n) for n in names]:
                    os.chown(entry, UNPRIVILEGED, UNPRIVILEGED)
        return folder.decode(self.name_encoding)

    def package_file(self, package, relative):
        host = os.path.join(package.encode(self.name_encoding),
                            *[p.encode(self.name_encoding) for p in relative.split("\\")])
        with open(host, "rb") as f:
            return f.read()

    # -- run
    def _environment(self):
        env = dict(os.environ)
        env.update(TARNWICK_REGISTRY=self.store, TARNWICK_DRIVES="C:=" + self.drive,
                   TARNWICK_COMPUTERNAME="TESTSERVER", PATH=self.bin + os.pathsep + env["PATH"])
        env.pop("TARNWICK_DIALOG_HOST", None)
        env.update(self.environment)
        return env

    def _command(self, args):
        # The program reads its arguments in the system code page.
        command = [self.cli] + [a.encode(self.code_page) for a in args]
        if self.unprivileged and os.geteuid() == 0:
            command = self._unprivileged_prefix() + command
        return command

    @staticmethod
    def _unprivileged_prefix():
        return ["setpriv", "--reuid=%d" % UNPRIVILEGED, "--regid=%d" % UNPRIVILEGED,
                "--clear-groups"]

    def run(self, *args, log=False, timeout=120):
        args = list(args)
        log_file = None
        if log:
            log_file = self.host_file("log.jsonl")
            args += ["--log", log_file]
        started = _utcnow()
        done = subprocess.run(self._command(args), env=self._environment(), cwd=self.scratch,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)
        ended = _utcnow()
        return self._finished(args, done.returncode, done.stdout, done.stderr, log_file, started,
                              ended)

    def _finished(self, args, status, stdout, stderr, log_file, started, ended):
        stdout = stdout.decode("utf-8") if "--json" in args or "-" in args else stdout.decode(
            self.code_page, "replace")
        stderr = stderr.decode(self.code_page, "replace")
        log_text = None
        events = None
        if log_file and os.path.exists(log_file):
            with open(log_file, "rb") as f:
                log_text = f.read().decode("utf-8")  # strict: the log is UTF-8
            events = parse_log(log_text, started, ended)
        elif args[0] == "plan" and "--json" in args:
            events = parse_log(stdout, started, ended)
        return Run(self, args, status, stdout, stderr, log_text, events)

    class _Started:
        def __init__(self, process, args, log_file, started):
            self.process = process
            self.args = args
            self.log_file = log_file
            self.started = started

    def start(self, *args, log=False):
        args = list(args)
        log_file = None
        if log:
            log_file = self.host_file("log.jsonl")
            args += ["--log", log_file]
        process = subprocess.Popen(self._command(args), env=self._environment(), cwd=self.scratch,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE)
        return self._Started(process, args, log_file, _utcnow())

    def wait(self, started, timeout=120):
        stdout, stderr = started.process.communicate(timeout=timeout)
        return self._finished(started.args, started.process.returncode, stdout, stderr,
                              started.log_file, started.started, _utcnow())

    def kill(self, started):
        """Kills a started run at once (SIGKILL); returns its log's text, None without one."""
        started.process.send_signal(signal.SIGKILL)
        started.process.communicate()
        if not started.log_file or not os.path.exists(started.log_file):
            return None
        with open(started.log_file, "rb") as f:
            # A cut line may end inside a character: keep its bytes as they are.
            return f.read().decode("utf-8", errors="surrogateescape")

    def finished(self, started):
        return started.process.poll() is not None

    def log_lines(self, started):
        try:
            with open(started.log_file, "rb") as f:
                return f.read().count(b"\n")
        except FileNotFoundError:
            return 0

    def exit_status(self, code):
        return code % 256  # a POSIX exit status keeps 8 bits

    def _key_path(self):
        return self.store + ".logkey"

    def _make_log_key(self):
        """The key a first run would make, for a run that cannot make it (a store folder that
        may not be written): as if the machine had run the program before."""
        if os.path.exists(self._key_path()):
            return
        descriptor = os.open(self._key_path(), os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
        with os.fdopen(descriptor, "wb") as out:
            out.write(os.urandom(32))
        if self.unprivileged and os.geteuid() == 0:
            os.chown(self._key_path(), UNPRIVILEGED, UNPRIVILEGED)

    def log_key(self):
        self._make_log_key()
        with open(self._key_path(), "rb") as f:
            return f.read()

    def spoil_log_key(self):
        self._make_log_key()
        os.chmod(self._key_path(), 0o644)  # readable by others: no secret any more

    # -- read back
    def store_bytes(self):
        with open(self.store, "rb") as f:
            return f.read()

    def store_listing(self):
        return sorted(os.listdir(self.store_dir))

    def registry_text(self):
        return self.store_bytes().decode(self.code_page)

    def _walk(self):
        for folder, dirs, files in os.walk(self.drive.encode()):
            relative = os.path.relpath(folder, self.drive.encode())
            parts = [] if relative == b"." else relative.split(b"/")
            yield parts, dirs, files, folder

    def _windows(self, parts):
        return "C:\\" + "\\".join(p.decode(self.name_encoding) for p in parts)

    def files(self):
        out = {}
        for parts, _, files, folder in self._walk():
            for name in files:
                with open(os.path.join(folder, name), "rb") as f:
                    out[self._windows(parts + [name])] = f.read()
        return out

    def folders(self):
        return {self._windows(parts) for parts, _, _, _ in self._walk() if parts}

    def service_log(self):
        path = os.path.join(self.service_dir, "service.log")
        if not os.path.exists(path):
            return []
        with open(path) as f:
            return f.read().splitlines()


def make_machine():
    """The machine the cases run on, with the program the test runner names: tarnwick-cli.exe
    under Wine when TARNWICK_CLI_WINE names the prefix, else the native one."""
    cli = os.environ.get("TARNWICK_CLI")
    if not cli:
        raise RuntimeError("TARNWICK_CLI names no tarnwick-cli to test")
    if os.environ.get("TARNWICK_CLI_WINE"):
        from wine_machine import WineMachine
        return WineMachine()
    return NativeMachine(os.path.abspath(cli), base=os.environ.get("TARNWICK_CLI_TMP"))
