"""A machine for tarnwick-cli.exe under Wine, in one prefix shared by every machine of a test run.

A Wine prefix takes a quarter of a minute to make, so the run makes one and each machine is made
within it: drive C: is a folder of the machine's own (the prefix's dosdevices\\c: link points at
it, with the prefix's Windows folders linked in), and the registry keys the package may write are
the machine's own while it is the one running: switching machines exports the old one's keys with
regedit /E and imports the new one's with regedit /S after deleting them. The first export after
an import must give back what was imported, so a reset that leaves anything behind fails the case.

The program runs as a copy beside a stand-in net.exe (NetStandIn.cpp): CreateProcess looks in the
program's folder before the system folder, where Wine's own net.exe is, and before PATH. Packages
are on Z: (the host's /), given as Z:\\ paths. The answers and log files are given as host paths:
a path from the root names a folder of the current drive, which is Z: once the package folder is
entered, so the host path names the same file on both sides.

Run: TARNWICK_CLI=build/win64/cli/tarnwick-cli.exe TARNWICK_CLI_WINE=/tmp/prefix python3 -B
test_cli.py (TARNWICK_CLI_NET names net.exe when it is not tests/cli/net.exe of the same build).
"""

import atexit
import fcntl
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from machine import EXAMPLES, SOURCE_ROOT, NativeMachine, Registry  # noqa: E402

# The registry keys the seed holds and the package writes, each exported by one regedit /E.
ROOTS = ("HKEY_LOCAL_MACHINE\\SOFTWARE\\Allaire", "HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft",
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC")
# The computer name the cases expect in the log (natively TARNWICK_COMPUTERNAME gives it).
COMPUTER = """
[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\ComputerName\\ComputerName]
"ComputerName"="TESTSERVER"

[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName]
"ComputerName"="TESTSERVER"
"""
HEADER = "Windows Registry Editor Version 5.00"
BOM = b"\xff\xfe"  # regedit /E writes UTF-16, little-endian
EXPORT_END = "\r\n\r\n".encode("utf-16-le")  # the blank line after the last key
# What drive C: of every machine shares with the prefix's: Windows itself and the profiles.
SYSTEM_FOLDERS = ("windows", "users", "ProgramData", "Program Files", "Program Files (x86)")
ARCH_TOOLS = os.path.join(SOURCE_ROOT, "tools", "wine-arch.sh")
TIMEOUT = 120


def windows_path(host):
    """The Windows path of a host path: Z: is /."""
    return "Z:" + host.replace("/", "\\")


def host_of(path):
    """The host path of a Z: path."""
    if not path[:3].upper() == "Z:\\":
        raise ValueError("not on drive Z: %r" % path)
    return path[2:].replace("\\", "/")


def _text(exported):
    return "\n".join(part.decode("utf-16") for part in exported)


def _flat(text):
    """Registry.flat() of .reg text, the keys of ROOTS only (the text's keys imply parents)."""
    roots = tuple(root.upper() for root in ROOTS)
    return {k: v for k, v in Registry(text).flat().items()
            if k[0] in roots or k[0].startswith(tuple(r + "\\" for r in roots))}


def _holders(pipes):
    """The programs other than this one that hold one of the pipes ("pipe:[INODE]"). The
    wineserver holds what the programs of its session hold, and lets go when they end."""
    found = set()
    for pid in os.listdir("/proc"):
        if not pid.isdigit() or int(pid) == os.getpid():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if os.path.basename(f.read().split(b"\0")[0]).startswith(b"wineserver"):
                    continue
            for fd in os.listdir("/proc/%s/fd" % pid):
                if os.readlink("/proc/%s/fd/%s" % (pid, fd)) in pipes:
                    found.add(int(pid))
                    break
        except OSError:
            pass
    return found


def _reg_body(text):
    """.reg text without its first line (REGEDIT4 or the version 5 header)."""
    lines = text.replace("\r\n", "\n").split("\n")
    if lines and lines[0].lstrip("\ufeff").startswith(("REGEDIT4", "Windows Registry Editor")):
        lines = lines[1:]
    return "\n".join(lines)


class _Shell:
    """One cmd.exe in the prefix that runs lines on request: a Windows program started from Linux
    costs a Wine process's start-up, one started by cmd much less."""

    def __init__(self, command, env, cwd):
        self.process = subprocess.Popen(command + ["cmd", "/q", "/k"], env=env, cwd=cwd,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT)
        self.count = 0

    def run(self, *commands):
        """Runs the commands one after another; returns what they printed. An if goes in
        parentheses: it would take the rest of the line as its own."""
        self.count += 1
        marker = b"@@done-%d@@" % self.count
        # One line per request, answered before the next: cmd reads a pipe in blocks and keeps
        # only the first line of each.
        text = " & ".join(list(commands) + ["echo %s" % marker.decode()]) + "\r\n"
        self.process.stdin.write(text.encode("ascii"))
        self.process.stdin.flush()
        out = b""
        deadline = time.monotonic() + TIMEOUT
        while marker not in out:
            left = deadline - time.monotonic()
            ready, _, _ = select.select([self.process.stdout], [], [], max(0, left))
            chunk = self.process.stdout.read1(65536) if ready else b""
            if not chunk:
                raise RuntimeError("cmd in the Wine prefix %s: %r; printed %r" % (
                    "ended" if ready else "gave no answer", commands, out[-2000:]))
            out += chunk
        return out[:out.index(marker)].decode("cp437", "replace")

    def close(self):
        try:
            self.process.stdin.write(b"exit\r\n")
            self.process.stdin.close()
            self.process.wait(timeout=30)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()


class WinePrefix:
    """The prefix and what all machines of this process share: the programs, the cmd that runs
    regedit, the seed's export and which machine owns drive C: and the registry at the moment."""

    _one = None
    _failure = None

    @classmethod
    def get(cls):
        if cls._failure:  # once: a second try would wait for the lock the first one holds
            raise RuntimeError("the Wine prefix could not be set up: %s" % cls._failure)
        if cls._one is None:
            try:
                cls._one = WinePrefix()
            except Exception as error:
                cls._failure = error
                raise
            atexit.register(cls._one.close)
        return cls._one

    def __init__(self):
        exe = os.path.abspath(os.environ["TARNWICK_CLI"])
        build = os.path.dirname(os.path.dirname(exe))
        net = os.environ.get("TARNWICK_CLI_NET") or os.path.join(build, "tests", "cli", "net.exe")
        self.prefix = os.path.abspath(os.environ["TARNWICK_CLI_WINE"])
        for program in (exe, net):
            if not os.path.isfile(program):
                raise RuntimeError("no %s to run under Wine" % program)
        self.arch = self._arch_tool("tarnwick_pe_arch", exe)
        self.loader = self._arch_tool("tarnwick_wine_loader", self.arch)
        # A lock for this process's life: one test process at a time uses a prefix.
        self._lock = open(self.prefix + ".cli-lock", "w")
        fcntl.flock(self._lock, fcntl.LOCK_EX)
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all", LC_ALL="C.UTF-8",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "LANG", "LANGUAGE"):
            self.env.pop(name, None)  # no display; Windows-1252 as the system code page
        if self.arch == "win64":
            self.env["WINEARCH"] = "win64"
        prepare(self.arch, self.prefix)
        self.root = tempfile.mkdtemp(prefix="tarnwick-cli-wine-",
                                     dir=os.environ.get("TARNWICK_CLI_TMP"))
        if any(c in self.root for c in ' "&^%()'):
            raise RuntimeError("%s: cmd needs a folder without blanks and quotes" % self.root)
        self.bin = os.path.join(self.root, "bin")
        os.makedirs(self.bin)
        self.exe = os.path.join(self.bin, "tarnwick-cli.exe")
        shutil.copyfile(exe, self.exe)
        shutil.copyfile(net, os.path.join(self.bin, "net.exe"))
        self._link_drive("../drive_c")
        self.shell = None
        # A session detached from the tests' output: Wine's background processes start with its
        # first program and would keep a pipe of that program's open.
        subprocess.run(["wineserver", "-p30"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([self.loader, "cmd", "/c", "exit"], env=self.env, cwd=self.root,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, start_new_session=True, timeout=TIMEOUT)
        self.shell = _Shell([self.loader], self.env, self.root)
        # The registry view the program reads: a 32-bit program's in a 64-bit prefix is the one
        # the 32-bit regedit writes.
        wow = os.path.join(self.prefix, "drive_c", "windows", "syswow64", "regedit.exe")
        self.regedit = "C:\\windows\\regedit.exe"
        if self.arch == "win32" and os.path.exists(wow):
            self.regedit = "C:\\windows\\syswow64\\regedit.exe"
        self._files = 0
        self._removers = []
        self.active = None
        with open(os.path.join(EXAMPLES, "server.reg"), encoding="cp1252") as f:
            seed = f.read()
        for _ in range(3):
            self.import_reg(seed + COMPUTER)
            self.seed = self.export()
            if _flat(_text(self.seed)) == _flat(seed):
                break
        else:
            raise RuntimeError("the seed registry did not import into %s" % self.prefix)
        self.lock_package = self._lock_package()

    def _arch_tool(self, function, argument):
        done = subprocess.run(["sh", "-c", '. "$0"; %s "$1"' % function, ARCH_TOOLS, argument],
                              capture_output=True, text=True)
        if done.returncode != 0 or not done.stdout.strip():
            raise RuntimeError("%s %s failed: %s" % (function, argument, done.stderr))
        return done.stdout.strip()

    def discard(self, folder):
        """Removes a folder while the cases go on: a killed install's tree takes a while."""
        self._files += 1
        trash = os.path.join(self.root, "%d-trash" % self._files)
        os.rename(folder, trash)
        self._removers = [p for p in self._removers if p.poll() is None]
        self._removers.append(subprocess.Popen(["rm", "-rf", trash]))

    def close(self):
        for remover in self._removers:
            remover.wait()
        if self.shell:
            self.shell.close()
            self.shell = None
        self._link_drive("../drive_c")
        shutil.rmtree(self.root, ignore_errors=True)
        self._lock.close()

    # -- drive C:
    def _link_drive(self, target):
        link = os.path.join(self.prefix, "dosdevices", "c:")
        if os.path.lexists(link + ".new"):
            os.unlink(link + ".new")  # left by a run that was killed
        os.symlink(target, link + ".new")
        os.replace(link + ".new", link)

    # -- the registry
    def _scratch(self, name):
        self._files += 1
        return os.path.join(self.root, "%d-%s" % (self._files, name))

    def regedit_run(self, *arguments):
        """Runs regedit with each of the arguments, one after another. cmd /c waits for each
        regedit, which an interactive cmd would not, more quickly than start /wait."""
        return self.shell.run('cmd /c "%s"' % " & ".join("%s %s" % (self.regedit, a)
                                                          for a in arguments))

    def import_reg(self, text):
        """Imports .reg text after deleting the keys of ROOTS, so that they hold just what the
        text gives them."""
        deletions = "".join("[-%s]\r\n\r\n" % root for root in ROOTS)
        body = _reg_body(text).replace("\n", "\r\n")
        content = "\ufeff%s\r\n\r\n%s%s" % (HEADER, deletions, body)
        path = self._scratch("import.reg")
        with open(path, "wb") as out:
            out.write(content.encode("utf-16-le"))
        printed = self.regedit_run("/S %s" % windows_path(path))
        os.unlink(path)
        return printed

    def export(self):
        """Each key of ROOTS as regedit /E writes it (UTF-16), b"" for one that does not exist.
        Now and then a regedit ends without writing its file; it is asked again, and says so."""
        problems = []
        for _ in range(3):
            parts, problem = self._export_once()
            if not problem:
                if problems:
                    print("wine_machine: %s; asked again, it wrote it" % "; ".join(problems),
                          file=sys.stderr)
                return parts
            problems.append(problem)
        raise RuntimeError("; ".join(problems))

    def _export_once(self):
        paths = [self._scratch("export.reg") for _ in ROOTS]
        printed = self.regedit_run(*["/E %s %s" % (windows_path(path), root)
                                     for path, root in zip(paths, ROOTS)])
        parts = []
        problem = None
        for path, root in zip(paths, ROOTS):
            try:
                with open(path, "rb") as f:
                    data = f.read()
                os.unlink(path)
            except FileNotFoundError:
                # No file for a key that is there: regedit failed.
                found = self.shell.run("reg query %s >nul 2>&1" % root,
                                       "(if errorlevel 1 echo ERROR: absent)")
                if "ERROR:" not in found:
                    problem = problem or "regedit /E wrote no file for %s (%r)" % (root, printed)
                data = b""
            if data and (not data.startswith(BOM) or not data.endswith(EXPORT_END)):
                problem = problem or "regedit /E wrote a cut export of %s: %r" % (root, data[-200:])
            parts.append(data)
        return tuple(parts), problem

    def activate(self, machine, restore=True):
        """Makes machine the one whose drive C: and registry the prefix holds."""
        if self.active is machine:
            return
        if self.active is not None:
            if any(started.process.poll() is None for started in self.active.started):
                raise RuntimeError("a program still runs on the machine that holds the prefix")
            self.active.saved = self.active.exported()
        self._link_drive(machine.drive)
        self.active = machine
        machine.cache = None
        machine.pending = None
        if restore:
            saved = machine.saved
            machine.load("\n".join(_reg_body(part.decode("utf-16")) for part in saved),
                         lambda exported: exported == saved)

    def release(self, machine):
        if self.active is machine:
            self.active = None

    def _lock_package(self):
        """A package whose install changes nothing but asks for the server's restart, to hold the
        install lock while its net stop waits."""
        folder = os.path.join(self.root, "lock-holder")
        os.makedirs(folder)
        with open(os.path.join(folder, "install.conf"), "wb") as out:
            out.write(b'<INSTALL_TITLE VALUE="Lock holder">\r\n<RESTARTCF VALUE="yes">\r\n')
        return windows_path(folder)


def prepare(arch, prefix):
    """Makes the prefix, unless it is there."""
    done = subprocess.run([os.path.join(SOURCE_ROOT, "tools", "wine-run.sh"), "--prepare", "--arch",
                           arch, prefix], stdin=subprocess.DEVNULL, capture_output=True, text=True)
    if done.returncode != 0:
        raise RuntimeError("cannot make the Wine prefix %s: %s" % (prefix, done.stderr))


class WineMachine(NativeMachine):
    """tarnwick-cli.exe under Wine on a machine within the shared prefix."""

    name_encoding = "utf-8"  # Wine's for host file names in a UTF-8 locale

    def __init__(self):
        self.prefix = WinePrefix.get()
        self.cli = self.prefix.exe
        self.root = tempfile.mkdtemp(prefix="m", dir=self.prefix.root)
        self.drive = os.path.join(self.root, "c")
        self.service_dir = os.path.join(self.root, "service")
        self.scratch = os.path.join(self.root, "scratch")
        self.packages = os.path.join(self.root, "packages")
        for folder in (self.drive, self.service_dir, self.scratch, self.packages):
            os.makedirs(folder)
        for name in SYSTEM_FOLDERS:
            target = os.path.join(self.prefix.prefix, "drive_c", name)
            if os.path.exists(target):
                os.symlink(target, os.path.join(self.drive, name))
        for folder in ("CFusion\\CustomTags", "Inetpub\\wwwroot"):
            os.makedirs(os.path.join(self.drive, *folder.split("\\")))
        self.saved = self.prefix.seed
        self.cache = None  # the registry's export while nothing has run since
        self.pending = None  # an import the next export checks: (text, check, what regedit printed)
        self.unprivileged = False
        self.denied = []  # folders deny_writes took, to give back before they go
        self.started = []  # runs started and not yet waited for or killed
        self._counter = 0
        self.closed = False

    def close(self):
        if self.closed:
            return
        self.closed = True
        for started in self.started:  # left by a case that failed
            started.process.kill()
            started.process.communicate()
        self.prefix.release(self)
        for host in self.denied:
            if os.geteuid() == 0:
                subprocess.run(["chattr", "-i", host])
            else:
                os.chmod(host, 0o755)
        self.prefix.discard(self.root)

    # -- paths
    def host_path(self, path):
        if not path[:2].upper() == "C:" or path[2:3] not in ("\\", ""):
            raise ValueError("not on drive C: %r" % path)
        parts = [p for p in path[3:].split("\\") if p]
        return os.path.join(self.drive.encode(), *[p.encode(self.name_encoding) for p in parts])

    def _windows(self, parts):
        return "C:\\" + "\\".join(p.decode(self.name_encoding) for p in parts)

    def named(self, host):
        return windows_path(host)  # a host path names a folder of the current drive, Z:

    def _walk(self):
        system = {name.encode() for name in SYSTEM_FOLDERS}
        for parts, dirs, files, folder in super()._walk():
            if not parts:
                dirs[:] = [d for d in dirs if d not in system]
            yield parts, dirs, files, folder

    # -- set up
    def seed_registry(self, reg_text):
        self.prefix.activate(self, restore=False)
        seeded = _flat(reg_text)
        self.load(reg_text, lambda exported: _flat(_text(exported)) == seeded)

    def load(self, text, check):
        """Imports .reg text into the machine's keys; the next export checks it took."""
        self.cache = None
        self.pending = (text, check, self.prefix.import_reg(text))

    class _HeldLock:
        """The install lock, held by an install of the lock-holder package while its net stop
        waits: the program's own named mutex, in a service folder of its own."""

        def __init__(self, machine):
            self.machine = machine

        def __enter__(self):
            machine = self.machine
            machine._use()
            self.service = tempfile.mkdtemp(prefix="lock-", dir=machine.root)
            open(os.path.join(self.service, "hold"), "w").close()
            command = machine._command(["install", "--package", machine.prefix.lock_package,
                                        "--set", "RestartServer=yes"])
            self.process = subprocess.Popen(command, env=machine._environment(self.service),
                                            cwd=machine.scratch, stdin=subprocess.DEVNULL,
                                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            deadline = time.monotonic() + TIMEOUT
            while not os.path.exists(os.path.join(self.service, "service.log")):
                if self.process.poll() is not None or time.monotonic() > deadline:
                    self.process.kill()
                    out, err = self.process.communicate()
                    raise RuntimeError("the lock holder did not reach its net stop: %s %r %r"
                                       % (self.process.returncode, out, err))
                time.sleep(0.02)
            return self

        def __exit__(self, *_):
            os.unlink(os.path.join(self.service, "hold"))
            out, err = self.process.communicate(timeout=TIMEOUT)
            if self.process.returncode != 0:
                raise RuntimeError("the lock holder ended with %d: %r %r"
                                   % (self.process.returncode, out, err))

    def hold_install_lock(self):
        return self._HeldLock(self)

    def deny_writes(self, path):
        # Wine gives a program what the host gives the user running it, and a folder's read-only
        # attribute does not stop files being made in it (on Windows either). Root may write
        # anywhere, except into an immutable folder.
        host = self.host_path(path)
        if os.geteuid() != 0:
            os.chmod(host, 0o555)
            self.denied.append(host)
            if os.access(host, os.W_OK):
                raise unittest.SkipTest("file modes do not stop this user writing %s" % host)
            return
        done = subprocess.run(["chattr", "+i", host], capture_output=True, text=True)
        if done.returncode != 0:
            raise unittest.SkipTest("running as root, and %s cannot be made immutable: %s"
                                    % (host, done.stderr.strip()))
        self.denied.append(host)

    def log_key(self):
        raise unittest.SkipTest("the log key is in the Wine registry, behind a DACL this side "
                                "does not read, and shared by every machine of the prefix")

    def spoil_log_key(self):
        raise unittest.SkipTest("the log key is in the Wine registry, shared by every machine of "
                                "the prefix")

    def deny_store_writes(self):
        raise unittest.SkipTest("Wine does not enforce registry key security: no user of it is "
                                "refused HKEY_LOCAL_MACHINE")

    def add_package(self, name, files=None, source=None):
        folder = NativeMachine.add_package(self, name, files, source)
        return windows_path(folder)

    def package_file(self, package, relative):
        return NativeMachine.package_file(self, host_of(package), relative)

    # -- run
    def _use(self):
        self.prefix.activate(self)
        if self.pending:
            self.exported()  # an import must have taken before anything runs
        self.cache = None  # what runs now may change the registry

    def _environment(self, service=None):
        env = dict(self.prefix.env)
        env["TARNWICK_TEST_SERVICE"] = windows_path(service or self.service_dir)
        return env

    def _command(self, args):
        return [self.prefix.loader, self.cli] + list(args)

    def run(self, *args, **options):
        self._use()
        return NativeMachine.run(self, *args, **options)

    def start(self, *args, **options):
        self._use()
        started = NativeMachine.start(self, *args, **options)
        self.started.append(started)
        return started

    def wait(self, started, timeout=120):
        self.cache = None
        try:
            return NativeMachine.wait(self, started, timeout)
        finally:
            self.started.remove(started)

    def kill(self, started):
        """Kills a started run at once. The programs it started may end by themselves; under Wine
        one whose parent is killed while starting it never gets going, and would keep the run's
        output open: whatever still holds that output after a moment is killed too."""
        self.cache = None
        self.started.remove(started)
        process = started.process
        process.send_signal(signal.SIGKILL)
        pipes = {"pipe:[%d]" % os.fstat(f.fileno()).st_ino
                 for f in (process.stdout, process.stderr)}
        deadline = time.monotonic() + TIMEOUT
        while True:
            try:
                process.communicate(timeout=1.5)
                break
            except subprocess.TimeoutExpired:
                if time.monotonic() > deadline:
                    raise
                for pid in _holders(pipes):
                    try:
                        os.kill(pid, signal.SIGKILL)
                    except ProcessLookupError:
                        pass
        if not started.log_file or not os.path.exists(started.log_file):
            return None
        with open(started.log_file, "rb") as f:
            return f.read().decode("utf-8", errors="surrogateescape")

    # -- read back
    def exported(self):
        """The registry keys of ROOTS as regedit exports them, while this machine is active. The
        first export after an import checks that it took; now and then a regedit /S changes
        nothing, and the import is made again."""
        self.prefix.activate(self)
        if self.cache is not None:
            return self.cache
        for attempt in range(3):
            self.cache = self.prefix.export()
            if self.pending is None:
                return self.cache
            text, check, printed = self.pending
            if check(self.cache):
                if attempt:
                    print("wine_machine: an import changed nothing (regedit /S printed %r); made "
                          "again, it took" % printed, file=sys.stderr)
                self.pending = None
                return self.cache
            self.load(text, check)
        raise AssertionError("the registry did not take what was imported (regedit /S printed "
                             "%r):\n%s" % (printed, _text(self.cache)))

    def store_bytes(self):
        return b"".join(self.exported())

    def store_listing(self):
        # Wine keeps the registry in the prefix's own files, and a named mutex is no file there.
        raise unittest.SkipTest("the registry's store is the Wine prefix's own")

    def registry_text(self):
        return _text(self.exported())


def main(argv):
    """fresh: a new prefix for a test run, in place of any old one; stop: ends its Wine session."""
    prefix = os.path.abspath(os.environ["TARNWICK_CLI_WINE"])
    env = dict(os.environ, WINEPREFIX=prefix)
    subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
    if argv[1:] == ["fresh"]:
        shutil.rmtree(prefix, ignore_errors=True)
        arch = subprocess.run(["sh", "-c", '. "$0"; tarnwick_pe_arch "$1"', ARCH_TOOLS,
                               os.environ["TARNWICK_CLI"]], capture_output=True, text=True)
        prepare(arch.stdout.strip() or "win32", prefix)
    elif argv[1:] != ["stop"]:
        print("usage: wine_machine.py fresh|stop (TARNWICK_CLI and TARNWICK_CLI_WINE set)",
              file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
